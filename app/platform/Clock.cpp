#include "app/platform/Clock.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

namespace {

class MonotonicClock final : public Clock {
public:
    void SleepMs(int ms) override {
        if (ms <= 0) return;
        // The kernel may stretch a sleep by the thread's timer slack (50 us by default); a macro
        // download sleeps twice per chunk, so the slack alone would add a few per cent.
        thread_local const bool precise = prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0) == 0;
        (void)precise;
        timespec deadline{};
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += ms / 1000;
        deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_nsec -= 1000000000L;
            ++deadline.tv_sec;
        }
        // An absolute deadline: a signal that interrupts the sleep does not shorten or lengthen it.
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
        }
    }
    int64_t NowMs() const override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    }
};

} // namespace

Clock& Clock::Monotonic() {
    static MonotonicClock clock;
    return clock;
}
