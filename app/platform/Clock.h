#pragma once

#include <cstdint>

// The one source of time for protocol pauses (8, 10, 20, 32, 100, 1000, 1600, 2000, 5000 ms) and
// for "has enough time passed" checks. The program uses the monotonic clock; tests install a
// virtual clock (sim/VirtualClock.h) that records every pause and costs no real time.
class Clock {
public:
    virtual ~Clock() = default;

    // Blocks the calling thread for ms milliseconds (nothing for ms <= 0).
    virtual void SleepMs(int ms) = 0;
    // Milliseconds on a monotonic scale; only differences are meaningful.
    virtual int64_t NowMs() const = 0;

    // The process-wide real monotonic clock.
    static Clock& Monotonic();
};
