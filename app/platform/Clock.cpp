#include "app/platform/Clock.h"

#include <chrono>
#include <thread>

namespace {

class MonotonicClock final : public Clock {
public:
    void SleepMs(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    int64_t NowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace

Clock& Clock::Monotonic() {
    static MonotonicClock clock;
    return clock;
}
