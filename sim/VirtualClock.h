#pragma once

#include "app/platform/Clock.h"

#include <cstdint>
#include <mutex>
#include <vector>

// A clock for tests: SleepMs returns at once, advances virtual time and records the pause, so a
// test can assert the exact protocol pauses without waiting for them. Thread-safe.
class VirtualClock : public Clock {
public:
    void SleepMs(int ms) override;
    int64_t NowMs() const override;

    // Moves virtual time forward without recording a pause (a read time-out that elapsed, or a
    // test stepping time).
    void Advance(int64_t ms);
    // Every pause requested through SleepMs since the last ClearPauses, in order.
    std::vector<int> Pauses() const;
    void ClearPauses();
    // Sum of the recorded pauses.
    int64_t TotalPausedMs() const;

private:
    mutable std::mutex mutex_;
    int64_t now_ = 0;
    std::vector<int> pauses_;
};
