// The battery gauge pulses on the animation timer thread while the window thread changes its
// level, state and images and paints it.

#include "TolvaFixture.h"

#include "ui/widgets/BatteryCtrl.h"

#include <atomic>

using namespace Tolva;

namespace TolvaTest {
namespace {

class CountingBattery : public BatteryCtrl {
public:
    using BatteryCtrl::BatteryCtrl;
    int OnControlTimer() override {
        ++ticks;
        return BatteryCtrl::OnControlTimer();
    }
    std::atomic<int> ticks{0};
};

class BatteryThreadTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        head->SetManualPeriodicTimers(false); // real ticks on the timer thread
    }
};

TEST_F(BatteryThreadTest, TicksAndWindowThreadChangesRunTogether) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(300, 100));
    auto* b = static_cast<CountingBattery*>(dlg.GetPaintManager().AddControl(
        std::make_unique<CountingBattery>(&dlg, 47, Rect{10, 10, 120, 40}), 1));
    ASSERT_EQ(b->SetImage("icon\\icon_battery_bkg.png", 1), 1);
    b->SetBatteryIcon("icon\\icon_batteryvalue.png", "icon\\icon_charge.png");
    b->SetBatteryInfo(40, 1);
    ASSERT_NE(dlg.SetMTimer(1), 0u);
    int rounds = 0;
    // At least 200 rounds, and on until the timer thread has ticked into the gauge a few times.
    while (rounds < 200 || (b->ticks < 20 && rounds < 2000000)) {
        b->SetBatteryInfo(rounds % 101, rounds % 3 == 0 ? 0 : 1);
        if (rounds % 50 == 0)
            b->SetBatteryIcon("icon\\icon_batteryvalue.png", "icon\\icon_charge.png");
        if (rounds % 17 == 0) b->SetVisible(rounds % 34 == 0);
        (void)b->GetFillWidth();
        (void)b->GetChargePulse();
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
        ++rounds;
    }
    dlg.KillMTimer(dlg.GetPaintManager().GetMTimerId());
    dlg.GetPaintManager().WaitForTicks();
    Platform::ProcessPending();
    EXPECT_GE(b->ticks, 20);
}

} // namespace
} // namespace TolvaTest
