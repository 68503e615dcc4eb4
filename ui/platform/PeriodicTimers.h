#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace Tolva {

// Periodic timers, each ticking on a thread of its own (or, in manual mode, when Tick is called).
class PeriodicTimers {
public:
    static PeriodicTimers& Instance();
    // A program that ends with timers running must not die on their threads at exit.
    ~PeriodicTimers() { StopAll(); }

    // A tick that returns false has nothing to do: its timer sleeps until Wake (or Stop).
    uint32_t Start(uint32_t periodMs, std::function<bool(uint32_t)> tick, bool manual);
    // Ends the sleep of a timer whose tick returned false; the next tick follows one period
    // later. A Wake that comes while a tick runs keeps the timer going after it. False for an
    // unknown id.
    bool Wake(uint32_t id);
    // No tick starts after Stop; with `wait` a tick in progress is also waited for, otherwise the
    // thread finishes it on its own and ends.
    bool Stop(uint32_t id, bool wait = true);
    void StopAll();
    // Runs every manual timer's tick once on the calling thread (sleeping ones are skipped);
    // returns how many ran.
    int TickManual();

private:
    struct Timer {
        uint32_t id = 0;
        uint32_t periodMs = 0;
        std::function<bool(uint32_t)> tick;
        bool manual = false;
        bool stop = false;
        bool sleeping = false;
        uint64_t wakes = 0; // counts Wake calls, so one during a tick is not lost
        std::thread thread;
        std::mutex mutex;
        std::condition_variable cv;
    };
    static void Run(std::shared_ptr<Timer> timer);

    std::mutex mutex_;
    std::map<uint32_t, std::shared_ptr<Timer>> timers_;
    uint32_t nextId_ = 1;
};

} // namespace Tolva
