#include "ui/core/ControlTimers.h"

#include "ui/platform/Platform.h"

#include <algorithm>

namespace Tolva {

bool ControlTimers::IsReservedId(uint32_t id) {
    return id == 6553 || id == 66 || id == 88 || id == 99 || id == 200;
}

void ControlTimers::Stop(const Record& r) {
    if (!r.killed && r.window && Platform::IsWindow(r.window)) r.window->KillTimer(r.nativeId);
}

int ControlTimers::Set(NativeWindow* window, MControl* control, uint32_t key, uint32_t elapseMs) {
    if (!window || !control) return 0;
    std::lock_guard guard(lock_);
    for (Record& r : records_) {
        if (r.window == window && r.control == control && r.key == key) {
            if (!r.killed) return 0;
            if (!window->SetTimer(r.nativeId, elapseMs)) return 0;
            r.killed = false;
            return 1;
        }
    }
    // Ids run 17, 18, ... 239, 0, 1, ... (the counter starts at 4096). Reserved ids, ids a
    // record holds and ids the window runs for itself are skipped, so two timers never share one.
    for (int tries = 0; tries < 240; ++tries) {
        counter_ = (counter_ + 1) % 240;
        const uint32_t id = counter_;
        bool taken = IsReservedId(id) || window->IsTimerRunning(id);
        for (const Record& r : records_)
            taken = taken || (r.window == window && r.nativeId == id);
        if (taken) continue;
        if (!window->SetTimer(id, elapseMs)) return 0;
        records_.push_back(Record{window, key, id, false, control});
        return 1;
    }
    return 0;
}

int ControlTimers::Kill(NativeWindow* window, MControl* control, uint32_t key) {
    std::lock_guard guard(lock_);
    for (Record& r : records_) {
        if (r.control == control && r.key == key && !r.killed) {
            Stop(r);
            r.killed = true;
            return 1;
        }
    }
    return 0;
}

int ControlTimers::Kill(NativeWindow* window, MControl* control) {
    std::lock_guard guard(lock_);
    int n = 0;
    for (Record& r : records_) {
        if (r.control == control && !r.killed) {
            Stop(r);
            r.killed = true;
            ++n;
        }
    }
    return n;
}

void ControlTimers::Clear() {
    std::lock_guard guard(lock_);
    for (const Record& r : records_)
        Stop(r);
    records_.clear();
}

void ControlTimers::Forget(NativeWindow* window, const std::function<bool(MControl*)>& matches) {
    std::lock_guard guard(lock_);
    std::erase_if(records_, [&](const Record& r) {
        if (!matches(r.control)) return false;
        Stop(r);
        return true;
    });
}

uint32_t ControlTimers::NativeId(MControl* control, uint32_t key) const {
    std::lock_guard guard(lock_);
    for (const Record& r : records_)
        if (r.control == control && r.key == key) return r.nativeId;
    return 0;
}

bool ControlTimers::IsLive(MControl* control, uint32_t key) const {
    std::lock_guard guard(lock_);
    for (const Record& r : records_)
        if (r.control == control && r.key == key) return !r.killed;
    return false;
}

bool ControlTimers::IsLive(MControl* control) const {
    std::lock_guard guard(lock_);
    return std::any_of(records_.begin(), records_.end(),
                       [&](const Record& r) { return r.control == control && !r.killed; });
}

std::vector<std::pair<MControl*, uint32_t>> ControlTimers::Due(uint32_t nativeId) const {
    std::lock_guard guard(lock_);
    std::vector<std::pair<MControl*, uint32_t>> due;
    for (const Record& r : records_)
        if (r.nativeId == nativeId && !r.killed) due.emplace_back(r.control, r.key);
    return due;
}

} // namespace Tolva
