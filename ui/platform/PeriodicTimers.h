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

    uint32_t Start(uint32_t periodMs, std::function<void(uint32_t)> tick, bool manual);
    // No tick starts after Stop; with `wait` a tick in progress is also waited for, otherwise the
    // thread finishes it on its own and ends.
    bool Stop(uint32_t id, bool wait = true);
    void StopAll();
    // Runs every manual timer's tick once on the calling thread; returns how many ran.
    int TickManual();

private:
    struct Timer {
        uint32_t id = 0;
        uint32_t periodMs = 0;
        std::function<void(uint32_t)> tick;
        bool manual = false;
        bool stop = false;
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
