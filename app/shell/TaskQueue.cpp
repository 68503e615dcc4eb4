#include "app/shell/TaskQueue.h"

void TaskQueue::Append(int code) {
    std::lock_guard<std::mutex> lock(mutex_);
    codes_.push_back(code);
}

bool TaskQueue::Front(int& code) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (codes_.empty()) return false;
    code = codes_.front();
    return true;
}

bool TaskQueue::RemoveFront() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (codes_.empty()) return false;
    codes_.pop_front();
    return true;
}

size_t TaskQueue::Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return codes_.size();
}

std::vector<int> TaskQueue::Snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<int>(codes_.begin(), codes_.end());
}

void TaskQueue::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    codes_.clear();
}
