#include "sim/VirtualClock.h"

void VirtualClock::SleepMs(int ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    pauses_.push_back(ms);
    if (ms > 0) now_ += ms;
}

int64_t VirtualClock::NowMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

void VirtualClock::Advance(int64_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ms > 0) now_ += ms;
}

std::vector<int> VirtualClock::Pauses() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pauses_;
}

void VirtualClock::ClearPauses() {
    std::lock_guard<std::mutex> lock(mutex_);
    pauses_.clear();
}

int64_t VirtualClock::TotalPausedMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    int64_t total = 0;
    for (int p : pauses_)
        if (p > 0) total += p;
    return total;
}
