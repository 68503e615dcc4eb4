// The animation timer ticks on its own thread while the window thread adds, removes, hides and
// moves controls and paints. Built as its own program so that it can run under ThreadSanitizer.

#include "TolvaFixture.h"

#include "ui/core/MPanel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
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

// Holds its tick until the window thread says it is inside a list walk (bounded, so that a
// broken hand-over cannot stall the test forever).
class Gate : public ProbeButton {
public:
    using ProbeButton::ProbeButton;
    int OnControlTimer() override {
        if (!armed.exchange(false)) return 0;
        entered = true;
        for (int i = 0; i < 5000 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 1;
    }
    std::atomic<bool> armed{true};
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
};

// Ends the program with a failure when the guarded block does not finish: a deadlock must fail
// the suite, not hang it.
class Watchdog {
public:
    explicit Watchdog(const char* what)
        : thread_([this, what] {
              std::unique_lock lock(mutex_);
              if (!cv_.wait_for(lock, std::chrono::seconds(60), [this] { return done_; })) {
                  std::fprintf(stderr, "deadlock: %s did not finish\n", what);
                  std::_Exit(1);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

TEST_F(AnimationThreadTest, KillingTheTimerInsideAListWalkDoesNotWaitForTheTick) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(400, 300));
    PaintManager& pm = dlg.GetPaintManager();
    auto* gate =
        static_cast<Gate*>(pm.AddControl(std::make_unique<Gate>(&dlg, 10, Rect{0, 0, 20, 20}), 1));
    gate->SetRunTimer(true);
    gate->AddMTimer();
    // The tick walks the panel's children after the gate, taking the panel's list lock.
    auto* panel = static_cast<MPanel*>(
        pm.AddControl(std::make_unique<MPanel>(&dlg, 100, Rect{0, 30, 300, 300}), 1));
    panel->SetRunTimer(true);
    panel->AddMTimer();
    Spinner* child = AddSpinner(panel, 200, {10, 40, 40, 70});

    Watchdog watchdog("killing the animation timer inside a list walk");
    const uint32_t id = dlg.SetMTimer(1);
    ASSERT_NE(id, 0u);
    bool killed = false;
    // A handler running inside a walk of the panel's children stops the animation while a tick
    // is in progress that needs that very list next.
    panel->ControlsList().ForEach([&](MControl*) {
        for (int i = 0; i < 5000 && !gate->entered; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        gate->release = true;
        dlg.KillMTimer(id);
        killed = true;
        return true;
    });
    ASSERT_TRUE(gate->entered);
    EXPECT_TRUE(killed);
    EXPECT_FALSE(pm.GetTimerIsRun(id));
    EXPECT_EQ(pm.GetMTimerId(), 0u);
    // The tick that was running finishes its walk once the lock is free.
    pm.WaitForTicks();
    EXPECT_EQ(child->timerTicks, 1);
    Platform::ProcessPending();
}

// Like Gate, but lets go by itself soon: a tick that holds the window's lists must not keep the
// window thread waiting for long.
class ShortGate : public ProbeButton {
public:
    using ProbeButton::ProbeButton;
    int OnControlTimer() override {
        if (!armed.exchange(false)) return 0;
        entered = true;
        for (int i = 0; i < 300 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 1;
    }
    std::atomic<bool> armed{true};
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
};

TEST_F(AnimationThreadTest, ARepaintAskedInsideANestedWalkMeetsATickWalkingDown) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(400, 300));
    PaintManager& pm = dlg.GetPaintManager();
    // outer holds the gate, then inner, which holds leaf: the tick walks them in that order.
    auto* outer = static_cast<MPanel*>(
        pm.AddControl(std::make_unique<MPanel>(&dlg, 100, Rect{0, 0, 300, 300}), 1));
    outer->SetRunTimer(true);
    outer->AddMTimer();
    auto* gate = static_cast<ShortGate*>(
        outer->AddChild(std::make_unique<ShortGate>(outer, 101, Rect{0, 0, 20, 20}), 1));
    gate->SetRunTimer(true);
    auto* inner = static_cast<MPanel*>(
        outer->AddChild(std::make_unique<MPanel>(outer, 102, Rect{0, 30, 200, 200}), 1));
    inner->SetRunTimer(true);
    Spinner* leaf = AddSpinner(inner, 103, {10, 40, 40, 70});
    Platform::ProcessPending();

    Watchdog watchdog("a repaint inside a walk of a nested list while a tick walks down");
    const uint32_t id = dlg.SetMTimer(1);
    ASSERT_NE(id, 0u);
    for (int i = 0; i < 5000 && !gate->entered; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(gate->entered);
    // The tick is inside outer's walk and goes on into inner's; the window thread walks inner's
    // list and asks for a repaint there, which looks for the leaf from the window's root down.
    bool asked = false;
    inner->ControlsList().ForEach([&](MControl*) {
        gate->release = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        leaf->UpdateControl(true);
        asked = true;
        return true;
    });
    EXPECT_TRUE(asked);
    dlg.KillMTimer(id);
    pm.WaitForTicks();
    EXPECT_GT(leaf->timerTicks, 0) << "the tick never reached the leaf";
    Platform::ProcessPending();
}

TEST_F(AnimationThreadTest, ClosingTheDialogWaitsForATickInProgress) {
    for (int round = 0; round < 5; ++round) {
        Watchdog watchdog("closing the dialog");
        auto dlg = std::make_unique<ProbeDialog>();
        ASSERT_TRUE(dlg->Open(200, 200));
        auto* gate = static_cast<Gate*>(dlg->GetPaintManager().AddControl(
            std::make_unique<Gate>(dlg.get(), 1, Rect{0, 0, 50, 50}), 1));
        gate->SetRunTimer(true);
        gate->AddMTimer();
        ASSERT_NE(dlg->SetMTimer(1), 0u);
        for (int i = 0; i < 5000 && !gate->entered; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(gate->entered);
        // The gate is still inside its tick; it is let go from another thread while the
        // dialog is being destroyed, which must wait for it before deleting the controls.
        std::thread releaser([gate] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            gate->release = true;
        });
        dlg.reset();
        releaser.join();
        Platform::ProcessPending();
    }
}

} // namespace
} // namespace TolvaTest
