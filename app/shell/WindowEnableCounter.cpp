#include "app/shell/WindowEnableCounter.h"

bool WindowEnableCounter::Disable() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ++reasons_ == 1;
}

bool WindowEnableCounter::Enable() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (reasons_ == 0) return false;
    return --reasons_ == 0;
}

bool WindowEnableCounter::IsEnabled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reasons_ == 0;
}

int WindowEnableCounter::Reasons() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reasons_;
}
