#pragma once

#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"
#include "tests/soak/SoakFigures.h"
#include "tests/soak/SoakWindow.h"
#include "tests/soak/StoreSnapshot.h"

#include <memory>
#include <random>
#include <string>

class CThreadBasic;
class HidDeviceManager;
class HotplugTasks;
class ParkingBackend;
class SettingsDatabase;

// One run of the program's device side, start-up to exit, against the emulated mouse on
// virtual time: random page changes with the task each queues, injected faults, unplugging
// and replugging, idle passes. Every pass runs on a thread of its own under a watchdog; now
// and then the worker is held inside a device write while a window thread does what the
// window does meanwhile. Before and after every task the store is read from disk: a task may
// change nothing that its page stored.
class SoakSession {
public:
    SoakSession(int index, uint64_t seed, SettingsDatabase& store, std::string dataFolder,
                std::string programFolder);
    ~SoakSession();
    SoakSession(const SoakSession&) = delete;
    SoakSession& operator=(const SoakSession&) = delete;

    // Runs the whole session; what it found is in the result.
    SoakFigures Run();

    // A pass that has not returned after this much real time hangs: the run stops there.
    static constexpr int kHangMs = 30000;
    // A window call sequence still running after this long waited for the held worker.
    static constexpr int kBlockedMs = 2000;
    static constexpr int kSlowCallUs = 50000;
    static constexpr int kOverrunLimitMs = 1000;
    static constexpr int kMaxMacros = 24;

private:
    enum class Change {
        Rate,
        Debounce,
        Dpi,
        WakeUp,
        Button,
        AllButtons,
        Lighting,
        Show,
        Restore,
        Profile,
        Macro
    };

    bool Start();
    void Stop();
    int Random(int low, int high); // inclusive
    bool Chance(int percent);
    void Step();
    void PageChange(Change change);
    void InjectFaults();
    void Unplug();
    void Replug();
    void IdlePasses();
    // Passes until the queue is empty (at most maxPasses).
    void RunQueue(bool park = false, int maxPasses = 100);
    void RunOnePass(bool park);
    // The window's calls while the worker is held; false when they did not finish in time.
    void WindowWhileHeld(uint64_t seed);
    bool Snapshot(StoreSnapshot& snapshot);
    void CheckUnchanged(const StoreSnapshot& before, const char* what);
    int AnyMacro();

    int index_;
    std::mt19937_64 rng_;
    SettingsDatabase& store_;
    std::string dataFolder_;
    std::string programFolder_;
    SoakFigures figures_;

    VirtualClock clock_;
    std::shared_ptr<EmulatedMouse> mouse_;
    std::shared_ptr<ParkingBackend> parking_;
    std::unique_ptr<HidDeviceManager> manager_;
    SoakWindow window_;
    std::unique_ptr<CThreadBasic> worker_;
    std::unique_ptr<HotplugTasks> hotplug_;
    bool task4Ran_ = false;
    bool aborted_ = false;
};
