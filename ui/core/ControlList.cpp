#include "ui/core/ControlList.h"

#include "ui/core/MControl.h"

namespace Tolva {

ControlList::ControlList(Lock lock)
    : lock_(lock ? std::move(lock) : std::make_shared<std::recursive_mutex>()) {}

ControlList::~ControlList() {
    // Children go before the list's storage, each outside the lock.
    auto items = DetachAll();
    items.clear();
}

MControl* ControlList::Append(std::unique_ptr<MControl> control) {
    if (!control) return nullptr;
    std::lock_guard guard(*lock_);
    items_.push_back(std::move(control));
    return items_.back().get();
}

std::unique_ptr<MControl> ControlList::Detach(MControl* control) {
    std::lock_guard guard(*lock_);
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (it->get() == control) {
            std::unique_ptr<MControl> out = std::move(*it);
            items_.erase(it);
            return out;
        }
    }
    return nullptr;
}

std::vector<std::unique_ptr<MControl>> ControlList::DetachAll() {
    std::lock_guard guard(*lock_);
    std::vector<std::unique_ptr<MControl>> out;
    out.swap(items_);
    return out;
}

bool ControlList::ForEach(const std::function<bool(MControl*)>& fn) const {
    std::lock_guard guard(*lock_);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (fn(items_[i].get())) return true;
    }
    return false;
}

bool ControlList::ForEachReverse(const std::function<bool(MControl*)>& fn) const {
    std::lock_guard guard(*lock_);
    for (size_t i = items_.size(); i > 0; --i) {
        if (i > items_.size()) continue;
        if (fn(items_[i - 1].get())) return true;
    }
    return false;
}

MControl* ControlList::At(size_t index) const {
    std::lock_guard guard(*lock_);
    return index < items_.size() ? items_[index].get() : nullptr;
}

size_t ControlList::Size() const {
    std::lock_guard guard(*lock_);
    return items_.size();
}

bool ControlList::Contains(const MControl* control) const {
    std::lock_guard guard(*lock_);
    for (const auto& item : items_)
        if (item.get() == control) return true;
    return false;
}

std::vector<MControl*> ControlList::Snapshot() const {
    std::lock_guard guard(*lock_);
    std::vector<MControl*> out;
    out.reserve(items_.size());
    for (const auto& item : items_)
        out.push_back(item.get());
    return out;
}

void ControlList::ShareLock(const Lock& lock) {
    if (lock) lock_ = lock;
}

} // namespace Tolva
