#include "ui/core/QZTimer.h"

#include "ui/platform/Platform.h"

#include <algorithm>
#include <map>

namespace Tolva {
namespace {

// Every live timer id and the object that owns it, for the tick to find its way back. Never
// destroyed: a timer thread finishing its last tick may still look here while the program exits.
std::mutex& RegistryLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::map<uint32_t, QZTimer*>& Registry() {
    static auto* registry = new std::map<uint32_t, QZTimer*>;
    return *registry;
}

// The object whose tick runs on this thread, if any.
thread_local QZTimer* tickOwner = nullptr;

} // namespace

QZTimer::~QZTimer() {
    // Stop every tick before the object goes, then let a tick in progress finish.
    KillTimer();
    WaitForTicks();
}

void QZTimer::WaitForTicks() {
    const int own = tickOwner == this ? 1 : 0;
    std::unique_lock guard(tickLock_);
    tickDone_.wait(guard, [&] { return ticksRunning_ <= own; });
}

uint32_t QZTimer::SetTimer(uint32_t periodMs, const std::string& name, int appFlag) {
    if (periodMs == 0) return 0;
    // Hold the registry lock across the start so the first tick cannot miss its owner.
    std::lock_guard reg(RegistryLock());
    const uint32_t id = Platform::StartPeriodicTimer(periodMs, &QZTimer::Tick);
    if (id == 0) return 0;
    Registry()[id] = this;
    std::lock_guard guard(lock_);
    records_.push_back(Record{id, name, appFlag});
    return id;
}

bool QZTimer::WakeTimer(uint32_t id) {
    {
        std::lock_guard guard(lock_);
        if (std::none_of(records_.begin(), records_.end(),
                         [id](const Record& r) { return r.id == id; }))
            return false;
    }
    return Platform::WakePeriodicTimer(id);
}

bool QZTimer::Tick(uint32_t id) {
    QZTimer* owner = nullptr;
    {
        std::lock_guard reg(RegistryLock());
        auto it = Registry().find(id);
        if (it == Registry().end()) return true;
        owner = it->second;
        // Counted under the registry lock: once KillTimer has taken the id out, WaitForTicks
        // sees every tick that found the owner.
        std::lock_guard count(owner->tickLock_);
        ++owner->ticksRunning_;
    }
    QZTimer* const outer = tickOwner;
    tickOwner = owner;
    bool more = owner->OnMTimer(id);
    std::string name;
    int flag = 0;
    {
        std::lock_guard guard(owner->lock_);
        for (const Record& r : owner->records_) {
            if (r.id == id) {
                name = r.name;
                flag = r.appFlag;
            }
        }
    }
    if (flag) {
        owner->OnMTimer(id, name);
        more = true; // the application's own timers always tick
    }
    tickOwner = outer;
    // Notified under the lock: the waiter may destroy the owner as soon as it sees zero.
    std::lock_guard count(owner->tickLock_);
    --owner->ticksRunning_;
    owner->tickDone_.notify_all();
    return more;
}

int QZTimer::KillTimer(uint32_t id) {
    bool found = false;
    {
        std::lock_guard guard(lock_);
        for (const Record& r : records_)
            found = found || r.id == id;
    }
    if (found) {
        {
            std::lock_guard reg(RegistryLock());
            Registry().erase(id);
        }
        Platform::StopPeriodicTimer(id, false);
    }
    std::lock_guard guard(lock_);
    std::erase_if(records_, [id](const Record& r) { return r.id == id; });
    return static_cast<int>(records_.size());
}

int QZTimer::KillTimer(const std::string& name) {
    std::vector<uint32_t> ids;
    {
        std::lock_guard guard(lock_);
        for (const Record& r : records_)
            if (r.name == name) ids.push_back(r.id);
    }
    for (uint32_t id : ids)
        KillTimer(id);
    std::lock_guard guard(lock_);
    return static_cast<int>(records_.size());
}

int QZTimer::KillTimer() {
    std::vector<uint32_t> ids;
    {
        std::lock_guard guard(lock_);
        for (const Record& r : records_)
            ids.push_back(r.id);
    }
    for (uint32_t id : ids)
        KillTimer(id);
    return 0;
}

bool QZTimer::GetTimerIsRun(uint32_t id) const {
    std::lock_guard guard(lock_);
    for (const Record& r : records_)
        if (r.id == id) return true;
    return false;
}

bool QZTimer::GetTimerIsRun(const std::string& name) const {
    std::lock_guard guard(lock_);
    for (const Record& r : records_)
        if (r.name == name) return true;
    return false;
}

std::string QZTimer::GetTimerName(uint32_t id) const {
    std::lock_guard guard(lock_);
    for (const Record& r : records_)
        if (r.id == id) return r.name;
    return {};
}

bool QZTimer::IsAppTimer(uint32_t id) const {
    std::lock_guard guard(lock_);
    for (const Record& r : records_)
        if (r.id == id) return r.appFlag != 0;
    return false;
}

QZTimer* QZTimer::GetWBTimer(uint32_t id) {
    std::lock_guard reg(RegistryLock());
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : it->second;
}

} // namespace Tolva
