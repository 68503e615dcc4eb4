#pragma once

#include "ui/TolvaApi.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

// Periodic high-resolution timers whose ticks run on a timer thread of their own. Each started
// timer keeps a record (id, name, application flag).
class TOLVA_API QZTimer {
public:
    QZTimer() = default;
    virtual ~QZTimer();
    QZTimer(const QZTimer&) = delete;
    QZTimer& operator=(const QZTimer&) = delete;

    // Starts a timer; returns its id, or 0 when it cannot start (no platform, period 0).
    uint32_t SetTimer(uint32_t periodMs, const std::string& name, int appFlag);
    // Each returns the number of records left. No tick starts after the call, but a tick already
    // running is not waited for: the caller may hold a lock that tick needs (a handler inside a
    // control-list walk). WaitForTicks waits for it.
    int KillTimer(uint32_t id);
    int KillTimer(const std::string& name);
    int KillTimer();
    bool GetTimerIsRun(uint32_t id) const;
    bool GetTimerIsRun(const std::string& name) const;
    // "" for an unknown id.
    std::string GetTimerName(uint32_t id) const;
    bool IsAppTimer(uint32_t id) const;
    // The live timer object owning a native id, or null.
    static QZTimer* GetWBTimer(uint32_t id);

    // Application hook: called on the timer thread for records with the application flag.
    virtual void OnMTimer(uint32_t id, const std::string& name) {}
    // Framework hook: called on the timer thread for every tick. False when there is nothing to
    // do: a timer without the application flag then sleeps, with no wake-ups, until WakeTimer.
    virtual bool OnMTimer(uint32_t id) { return true; }
    // Ends that sleep; the next tick follows one period later. False for an unknown id.
    bool WakeTimer(uint32_t id);

    // The accuracy the timers are started with (ms).
    static uint32_t Accuracy() { return 1; }

    // Waits until no tick of this object is running (other than one on the calling thread).
    // Owners call it before tearing down what their ticks use, outside any lock a tick takes.
    void WaitForTicks();

private:
    struct Record {
        uint32_t id = 0;
        std::string name;
        int appFlag = 0;
    };
    static bool Tick(uint32_t id);

    mutable std::mutex lock_;
    std::vector<Record> records_;
    std::mutex tickLock_;
    std::condition_variable tickDone_;
    int ticksRunning_ = 0;
};

} // namespace Tolva
