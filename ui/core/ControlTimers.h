#pragma once

#include "ui/TolvaApi.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace Tolva {

class MControl;
class NativeWindow;

// The window-timer table of one paint manager: each control timer (control, key) runs as a
// native window timer with an id of its own. Records of killed timers stay for reuse, so a
// restart keeps its native id. Used on the window thread; the lock keeps readers on other
// threads (repaint bookkeeping, ticks) safe.
class TOLVA_API ControlTimers {
public:
    // Native ids the window keeps for itself: the caret (6553), the message banner (66, 88, 99)
    // and the application's own timer 200 on the main window.
    static bool IsReservedId(uint32_t id);

    // 1 when started or restarted; 0 when the same control and key already runs, when no id is
    // free or when the native timer cannot start (no record is left then).
    int Set(NativeWindow* window, MControl* control, uint32_t key, uint32_t elapseMs);
    // 1 when a live timer was stopped, else 0.
    int Kill(NativeWindow* window, MControl* control, uint32_t key);
    // How many live timers of the control were stopped.
    int Kill(NativeWindow* window, MControl* control);
    // Stops every timer and forgets every record.
    void Clear();
    // Stops and forgets the records whose control matches (a subtree about to be deleted).
    void Forget(NativeWindow* window, const std::function<bool(MControl*)>& matches);

    // 0 when no record exists.
    uint32_t NativeId(MControl* control, uint32_t key) const;
    bool IsLive(MControl* control, uint32_t key) const;
    bool IsLive(MControl* control) const;
    // The live (control, key) pairs a native timer message is for.
    std::vector<std::pair<MControl*, uint32_t>> Due(uint32_t nativeId) const;

private:
    struct Record {
        NativeWindow* window = nullptr;
        uint32_t key = 0;
        uint32_t nativeId = 0;
        bool killed = false;
        MControl* control = nullptr;
    };
    static void Stop(const Record& r);

    mutable std::mutex lock_;
    std::vector<Record> records_;
    uint32_t counter_ = 4096;
};

} // namespace Tolva
