#include "app/shell/MacroRecorder.h"

#include "app/platform/Clock.h"

#include <algorithm>

void MacroRecorder::Start(int delayType, int fixedDelay) {
    delayType_ = delayType;
    fixedDelay_ = fixedDelay;
    held_.Clear();
    events_.clear();
    havePrevious_ = false;
    previousDelaySet_ = 0;
    recording_ = true;
}

void MacroRecorder::Stop() {
    recording_ = false;
    havePrevious_ = false;
    held_.Clear();
}

MacroRecorder::Result MacroRecorder::OnKey(int virtualKey, const std::string& name, bool release) {
    if (!recording_ || virtualKey == 0) return Result::Ignored;
    if (release) {
        // A key held since before the recording began would play back as a release of a key
        // the macro never pressed.
        if (!held_.Release(virtualKey)) return Result::Ignored;
    } else if (!held_.Press(virtualKey)) {
        return Result::Ignored; // auto-repeat
    }

    const int64_t now = clock_.NowMs();
    int64_t elapsed = 0;
    if (havePrevious_) elapsed = std::clamp<int64_t>(now - previousMs_, 0, kMaxPauseMs);
    previousMs_ = now;
    havePrevious_ = true;

    int delay = 0;
    if (delayType_ == kRecordedDelays)
        delay = static_cast<int>(elapsed);
    else if (delayType_ == kFixedDelay)
        delay = fixedDelay_;
    previousDelaySet_ = 0;
    if (delay != 0 && !events_.empty()) {
        events_.back().delay = delay;
        previousDelaySet_ = delay;
    }

    events_.push_back(MacroEvent{name, release ? MacroEvent::kKeyUp : MacroEvent::kKeyDown,
                                 virtualKey, kNewEventDelay});
    if (static_cast<int>(events_.size()) >= kMaxEvents) {
        Stop();
        return Result::Full;
    }
    return Result::Recorded;
}
