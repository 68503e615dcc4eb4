#pragma once

#include "ui/TolvaApi.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Tolva {

class MControl;

// An owned list of controls in creation order. The animation timer thread walks these lists
// while the window thread changes them, so every walk and every change holds the list's lock.
// All lists of one window's control tree share one lock: walks nest from a parent down to its
// children while drawing, and from a child back up to the root when it asks for a repaint inside
// a walk; with a lock per list those two orders deadlock between two threads. A list starts
// with a lock of its own (a control not yet in a window) and takes its window's when its
// control joins it. Walks go by index and re-check the size, so a handler that removes a
// sibling during a walk on the same thread cannot invalidate the walk.
class TOLVA_API ControlList {
public:
    using Lock = std::shared_ptr<std::recursive_mutex>;

    // A list with a lock of its own, or sharing `lock`.
    explicit ControlList(Lock lock = nullptr);
    ~ControlList();
    ControlList(const ControlList&) = delete;
    ControlList& operator=(const ControlList&) = delete;

    MControl* Append(std::unique_ptr<MControl> control);
    // Takes the control out of the list without deleting it; null when it is not listed.
    std::unique_ptr<MControl> Detach(MControl* control);
    // Takes every control out (the caller deletes them outside the lock).
    std::vector<std::unique_ptr<MControl>> DetachAll();
    // Calls `fn` for each control in order; stops early when it returns true. Returns that.
    bool ForEach(const std::function<bool(MControl*)>& fn) const;
    // The same in reverse order.
    bool ForEachReverse(const std::function<bool(MControl*)>& fn) const;
    // Null for an index out of range.
    MControl* At(size_t index) const;
    size_t Size() const;
    bool Contains(const MControl* control) const;
    // A copy of the pointers (they stay owned by the list).
    std::vector<MControl*> Snapshot() const;

    const Lock& GetLock() const { return lock_; }
    // Makes the list hold `lock` from now on (null: no change). Only while no other thread can
    // reach the list and no walk of it is under way: a control that is joining a window.
    void ShareLock(const Lock& lock);

private:
    Lock lock_;
    std::vector<std::unique_ptr<MControl>> items_;
};

} // namespace Tolva
