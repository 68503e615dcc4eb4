#include "TolvaFixture.h"

#include "ui/core/MPanel.h"

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
