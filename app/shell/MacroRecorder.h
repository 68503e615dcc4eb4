#pragma once

#include "app/shell/HeldKeys.h"
#include "app/shell/MacroEvent.h"

#include <cstdint>
#include <string>
#include <vector>

class Clock;

// Records a macro from key events in real time: drops auto-repeat, measures the pause before
// each event on the injected clock, gives the previous event its delay by the delay type and
// ends the recording at 60 events. It keeps the events it made; the page mirrors them into its
// record list. Window thread only.
class MacroRecorder {
public:
    static constexpr int kMaxEvents = 60;
    static constexpr int kMaxPauseMs = 31000;
    // Delay types: the recorded pauses, no delays, one fixed delay for every event.
    static constexpr int kRecordedDelays = 1;
    static constexpr int kNoDelays = 2;
    static constexpr int kFixedDelay = 3;
    // The delay a newly recorded event carries until the next one gives it its own.
    static constexpr int kNewEventDelay = 0;

    enum class Result {
        Ignored,  // not recording, an auto-repeat, a key without a virtual key, or a release of
                  // a key the recording never saw pressed
        Recorded, // appended (and the previous event's delay set)
        Full,     // appended as the last event the recording takes; recording has ended
    };

    explicit MacroRecorder(Clock& clock) : clock_(clock) {}

    // Forgets the held keys, the events and the previous event time.
    void Start(int delayType, int fixedDelay);
    void Stop();
    bool IsRecording() const { return recording_; }

    Result OnKey(int virtualKey, const std::string& name, bool release);

    const std::vector<MacroEvent>& Events() const { return events_; }
    // The delay the last recorded event gave the one before it; 0 when it gave none.
    int PreviousDelaySet() const { return previousDelaySet_; }
    int DelayType() const { return delayType_; }
    int FixedDelay() const { return fixedDelay_; }

private:
    Clock& clock_;
    HeldKeys held_;
    std::vector<MacroEvent> events_;
    bool recording_ = false;
    bool havePrevious_ = false;
    int64_t previousMs_ = 0;
    int delayType_ = kRecordedDelays;
    int fixedDelay_ = 10;
    int previousDelaySet_ = 0;
};
