#include "ui/platform/PeriodicTimers.h"

#include <chrono>
#include <vector>

namespace Tolva {

PeriodicTimers& PeriodicTimers::Instance() {
    static PeriodicTimers timers;
    return timers;
}

uint32_t PeriodicTimers::Start(uint32_t periodMs, std::function<bool(uint32_t)> tick, bool manual) {
    if (!tick) return 0;
    auto timer = std::make_shared<Timer>();
    timer->periodMs = periodMs == 0 ? 1 : periodMs;
    timer->tick = std::move(tick);
    timer->manual = manual;
    {
        std::lock_guard lock(mutex_);
        timer->id = nextId_++;
        if (nextId_ == 0) nextId_ = 1;
        timers_[timer->id] = timer;
    }
    if (!manual) {
        // The thread waits for this lock, so a tick that stops its timer finds the thread set.
        std::lock_guard lock(timer->mutex);
        timer->thread = std::thread(&PeriodicTimers::Run, timer);
    }
    return timer->id;
}

void PeriodicTimers::Run(std::shared_ptr<Timer> timer) {
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now();
    std::unique_lock lock(timer->mutex);
    for (;;) {
        next += std::chrono::milliseconds(timer->periodMs);
        if (timer->cv.wait_until(lock, next, [&] { return timer->stop; })) return;
        // A late tick does not try to catch up with a burst.
        if (Clock::now() > next + std::chrono::milliseconds(timer->periodMs)) next = Clock::now();
        const uint64_t seen = timer->wakes;
        lock.unlock();
        const bool more = timer->tick(timer->id);
        lock.lock();
        if (timer->stop) return;
        if (more || timer->wakes != seen) continue;
        timer->sleeping = true;
        timer->cv.wait(lock, [&] { return timer->stop || timer->wakes != seen; });
        timer->sleeping = false;
        if (timer->stop) return;
        next = Clock::now();
    }
}

bool PeriodicTimers::Wake(uint32_t id) {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        auto it = timers_.find(id);
        if (it == timers_.end()) return false;
        timer = it->second;
    }
    {
        std::lock_guard lock(timer->mutex);
        ++timer->wakes;
        timer->sleeping = false;
    }
    timer->cv.notify_all();
    return true;
}

bool PeriodicTimers::Stop(uint32_t id, bool wait) {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        auto it = timers_.find(id);
        if (it == timers_.end()) return false;
        timer = it->second;
        timers_.erase(it);
    }
    std::thread thread;
    {
        std::lock_guard lock(timer->mutex);
        timer->stop = true;
        thread = std::move(timer->thread);
    }
    timer->cv.notify_all();
    if (thread.joinable()) {
        if (!wait || thread.get_id() == std::this_thread::get_id())
            thread.detach(); // the loop sees the flag after its tick and ends
        else
            thread.join();
    }
    return true;
}

void PeriodicTimers::StopAll() {
    std::vector<uint32_t> ids;
    {
        std::lock_guard lock(mutex_);
        for (auto& [id, t] : timers_)
            ids.push_back(id);
    }
    for (uint32_t id : ids)
        Stop(id);
}

int PeriodicTimers::TickManual() {
    std::vector<std::shared_ptr<Timer>> manual;
    {
        std::lock_guard lock(mutex_);
        for (auto& [id, t] : timers_)
            if (t->manual) manual.push_back(t);
    }
    int ran = 0;
    for (auto& t : manual) {
        {
            std::lock_guard lock(mutex_);
            if (!timers_.count(t->id)) continue; // stopped by an earlier tick
        }
        uint64_t seen = 0;
        {
            std::lock_guard lock(t->mutex);
            if (t->sleeping) continue;
            seen = t->wakes;
        }
        const bool more = t->tick(t->id);
        ++ran;
        std::lock_guard lock(t->mutex);
        if (!more && t->wakes == seen) t->sleeping = true;
    }
    return ran;
}

} // namespace Tolva
