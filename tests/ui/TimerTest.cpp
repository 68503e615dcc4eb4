#include "TolvaFixture.h"

#include "ui/core/MPanel.h"
#include "ui/widgets/BatteryCtrl.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class TimerTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open());
        button = dlg.AddButton(1, {0, 0, 10, 10});
    }
    PaintManager& pm() { return dlg.GetPaintManager(); }
    ProbeDialog dlg;
    ProbeButton* button = nullptr;
};

TEST_F(TimerTest, RunningTimerRefusesASecondStartAndRestartsWithItsOldId) {
    EXPECT_EQ(pm().SetTimer(button, 5, 100), 1);
    const uint32_t id = pm().GetNativeTimerId(button, 5);
    EXPECT_EQ(id, 17u); // the counter starts at 4096: (4096 + 1) mod 240
    EXPECT_EQ(pm().SetTimer(button, 5, 100), 0);
    head->AdvanceTime(100);
    EXPECT_EQ(button->timerTicks, 1);

    EXPECT_EQ(pm().KillTimer(button, 5), 1);
    EXPECT_FALSE(pm().IsControlTimerLive(button, 5));
    head->AdvanceTime(300);
    EXPECT_EQ(button->timerTicks, 1);

    EXPECT_EQ(pm().SetTimer(button, 5, 50), 1);
    EXPECT_EQ(pm().GetNativeTimerId(button, 5), id);
    head->AdvanceTime(50);
    EXPECT_EQ(button->timerTicks, 2);
}

TEST_F(TimerTest, NativeIdsRunOnAndSkipTheManagersOwnTimers) {
    std::vector<uint32_t> ids;
    for (uint32_t key = 0; key < 60; ++key) {
        ASSERT_EQ(pm().SetTimer(button, key, 1000), 1);
        ids.push_back(pm().GetNativeTimerId(button, key));
    }
    EXPECT_EQ(ids.front(), 17u);
    EXPECT_EQ(ids[48], 65u);
    EXPECT_EQ(ids[49], 67u); // 66 belongs to the message banner
    for (uint32_t id : ids)
        EXPECT_TRUE(id != 66 && id != 88 && id != 99);
}

TEST_F(TimerTest, KillingAllOfAControlsTimersAndRemovingTheControlStopsThem) {
    ASSERT_EQ(pm().SetTimer(button, 1, 10), 1);
    ASSERT_EQ(pm().SetTimer(button, 2, 10), 1);
    EXPECT_EQ(pm().KillTimer(button), 2);
    head->AdvanceTime(50);
    EXPECT_EQ(button->timerTicks, 0);
    ASSERT_EQ(pm().SetTimer(button, 1, 10), 1);
    ASSERT_TRUE(pm().RemoveControl(button));
    // The record went with the control: a late tick finds nobody.
    head->AdvanceTime(50);
    EXPECT_EQ(pm().GetNativeTimerId(button, 1), 0u);
}

TEST_F(TimerTest, AnimationTicksReachOnlyRunningControlsWithVisibleAncestors) {
    auto* panel = static_cast<MPanel*>(
        pm().AddControl(std::make_unique<MPanel>(&dlg, 20, Rect{0, 0, 100, 100}), 1));
    auto* inner = static_cast<ProbeButton*>(
        panel->AddChild(std::make_unique<ProbeButton>(panel, 21, Rect{0, 0, 10, 10}), 1));
    ASSERT_NE(dlg.SetMTimer(10), 0u);
    button->SetRunTimer(true);
    button->AddMTimer();
    inner->SetRunTimer(true);
    inner->AddMTimer();
    head->TickPeriodicTimers();
    EXPECT_EQ(button->timerTicks, 1);
    EXPECT_EQ(inner->timerTicks, 1);
    panel->SetVisible(false);
    button->SetRunTimer(false);
    head->TickPeriodicTimers();
    EXPECT_EQ(button->timerTicks, 1);
    EXPECT_EQ(inner->timerTicks, 1);
    EXPECT_EQ(dlg.KillMTimer(pm().GetMTimerId()), 0);
}

// A control that animates only while `busy`; it may ask for a repaint from inside its tick.
class Ticker : public MControl {
public:
    using MControl::MControl;
    void DrawControl(cairo_t*, const Rect&) override {}
    int OnControlTimer() override {
        ++ticks;
        if (repaintInTick.exchange(false)) UpdateControl(true);
        return busy ? 1 : 0;
    }
    std::atomic<bool> busy{false};
    std::atomic<bool> repaintInTick{false};
    std::atomic<int> ticks{0};
};

TEST_F(TimerTest, AnimationSleepsWhileNothingMovesAndEveryChangeWakesIt) {
    auto* panel = static_cast<MPanel*>(
        pm().AddControl(std::make_unique<MPanel>(&dlg, 20, Rect{0, 0, 100, 100}), 1));
    auto* t = static_cast<Ticker*>(
        panel->AddChild(std::make_unique<Ticker>(panel, 21, Rect{0, 0, 10, 10}), 1));
    ASSERT_NE(dlg.SetMTimer(10), 0u);
    t->SetRunTimer(true);
    t->AddMTimer();
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(t->ticks, 1);
    // Nothing moved: no more ticks, yet the timer is still there.
    EXPECT_EQ(head->TickPeriodicTimers(), 0);
    EXPECT_TRUE(pm().GetTimerIsRun(pm().GetMTimerId()));

    // A repaint request may be the start of an animation.
    t->busy = true;
    t->UpdateControl(true);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(t->ticks, 6);
    t->busy = false;
    head->TickPeriodicTimers();
    EXPECT_EQ(head->TickPeriodicTimers(), 0);

    // A change during the tick that found nothing to do is not lost.
    t->busy = true;
    t->repaintInTick = true;
    pm().WakeAnimation();
    t->busy = false;
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(head->TickPeriodicTimers(), 0);

    // Hidden, it does not tick; shown again, it does, without any repaint of its own.
    panel->SetVisible(false, false);
    t->busy = true;
    EXPECT_EQ(head->TickPeriodicTimers(), 0);
    panel->SetVisible(true, false);
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    const int shown = t->ticks;
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(t->ticks, shown + 1);

    // Another window's animation is not woken by this one's repaints.
    t->busy = false;
    head->TickPeriodicTimers();
    ProbeDialog other;
    ASSERT_TRUE(other.Open());
    ASSERT_NE(other.SetMTimer(10), 0u);
    EXPECT_EQ(head->TickPeriodicTimers(), 1); // the new timer's first tick, then it sleeps
    EXPECT_EQ(head->TickPeriodicTimers(), 0);
    t->UpdateControl(true);
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
}

TEST_F(TimerTest, ChargingBatteryWakesTheSleepingAnimation) {
    auto* b = static_cast<BatteryCtrl*>(dlg.CreateControl("BatteryCtrl", 47, {20, 20, 100, 40}));
    ASSERT_NE(b, nullptr);
    ASSERT_NE(dlg.SetMTimer(10), 0u);
    b->SetBatteryInfo(50, 0);
    head->TickPeriodicTimers();
    EXPECT_EQ(head->TickPeriodicTimers(), 0);
    b->SetBatteryInfo(50, 1);
    const int before = b->GetChargePulse();
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_LT(b->GetChargePulse(), before);
}

TEST_F(TimerTest, NamedRecordsAndApplicationHook) {
    struct AppTimer : QZTimer {
        void OnMTimer(uint32_t id, const std::string& name) override { seen.push_back(name); }
        using QZTimer::OnMTimer;
        std::vector<std::string> seen;
    } timers;
    const uint32_t a = timers.SetTimer(5, "blink", 1);
    const uint32_t b = timers.SetTimer(5, "quiet", 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_EQ(QZTimer::GetWBTimer(a), &timers);
    EXPECT_EQ(timers.GetTimerName(b), "quiet");
    EXPECT_TRUE(timers.IsAppTimer(a));
    head->TickPeriodicTimers();
    EXPECT_EQ(timers.seen, std::vector<std::string>{"blink"});
    EXPECT_EQ(timers.KillTimer("blink"), 1);
    EXPECT_FALSE(timers.GetTimerIsRun(a));
    EXPECT_EQ(QZTimer::GetWBTimer(a), nullptr);
    EXPECT_EQ(timers.KillTimer(b), 0);
}

} // namespace
} // namespace TolvaTest
