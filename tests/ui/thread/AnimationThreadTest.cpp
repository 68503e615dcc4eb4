// The animation timer ticks on its own thread while the window thread adds, removes, hides and
// moves controls and paints. Built as its own program so that it can run under ThreadSanitizer.

#include "TolvaFixture.h"

#include "ui/core/MPanel.h"

#include <chrono>
#include <thread>

using namespace Tolva;

namespace TolvaTest {
namespace {

// Asks for a repaint on every tick, as animated controls do.
class Spinner : public ProbeButton {
public:
    using ProbeButton::ProbeButton;
    int OnControlTimer() override {
        ++timerTicks;
        UpdateControl(true);
        return 1;
    }
};

class AnimationThreadTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        head->SetManualPeriodicTimers(false); // real ticks on the timer thread
    }
};

Spinner* AddSpinner(MControl* parent, unsigned id, const Rect& r) {
    auto* s = static_cast<Spinner*>(parent->AddChild(std::make_unique<Spinner>(parent, id, r), 1));
    s->SetRunTimer(true);
    return s;
}

TEST_F(AnimationThreadTest, TicksAndListChangesRunTogetherWithoutHarm) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(600, 400));
    PaintManager& pm = dlg.GetPaintManager();
    auto* panel = static_cast<MPanel*>(
        pm.AddControl(std::make_unique<MPanel>(&dlg, 100, Rect{0, 0, 300, 300}), 1));
    panel->SetRunTimer(true);
    panel->AddMTimer();
    std::vector<Spinner*> kept;
    for (unsigned i = 0; i < 8; ++i) {
        Spinner* s = AddSpinner(panel, 200 + i, {10 + 30 * int(i), 10, 35 + 30 * int(i), 35});
        kept.push_back(s);
    }
    ASSERT_NE(dlg.SetMTimer(1), 0u);

    auto ticks = [&] {
        int n = 0;
        for (Spinner* s : kept)
            n += s->timerTicks;
        return n;
    };
    unsigned next = 1000;
    int rounds = 0;
    // At least 60 rounds, and on until the timer thread has ticked into the panel.
    while (rounds < 60 || (ticks() == 0 && rounds < 1000000)) {
        // Children come and go inside the animated panel and at the top level.
        Spinner* child = AddSpinner(panel, next++, {50, 100, 80, 130});
        auto* top = static_cast<Spinner*>(
            pm.AddControl(std::make_unique<Spinner>(&dlg, next++, Rect{400, 10, 450, 60}), 1));
        top->SetRunTimer(true);
        top->AddMTimer();
        kept[rounds % kept.size()]->SetVisible(rounds % 2 == 0);
        panel->SetRect(Rect{0, 0, 300 + rounds % 7, 300});
        Platform::ProcessPending();
        panel->RemoveControl(child);
        pm.RemoveControl(top);
        Platform::ProcessPending();
        ++rounds;
    }
    dlg.KillMTimer(pm.GetMTimerId());
    Platform::ProcessPending();
    EXPECT_GT(ticks(), 0);
    // Every child that was removed is gone from the panel.
    EXPECT_EQ(panel->GetControls().size(), kept.size() + 2);
}

TEST_F(AnimationThreadTest, ClosingTheDialogStopsTheTicksFirst) {
    for (int round = 0; round < 20; ++round) {
        ProbeDialog dlg;
        ASSERT_TRUE(dlg.Open(200, 200));
        Spinner* s = static_cast<Spinner*>(dlg.GetPaintManager().AddControl(
            std::make_unique<Spinner>(&dlg, 1, Rect{0, 0, 50, 50}), 1));
        s->SetRunTimer(true);
        s->AddMTimer();
        ASSERT_NE(dlg.SetMTimer(1), 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        Platform::ProcessPending();
    }
}

} // namespace
} // namespace TolvaTest
