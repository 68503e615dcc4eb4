#pragma once

#include <atomic>
#include <cstdint>

#include "ui/platform/Geometry.h"
#include "ui/platform/Messages.h"

namespace Tolva {

class NativeWindow;

// Keyboard, button, pointer, capture and focus state as the window thread last saw it.
class InputState {
public:
    static InputState& Instance();

    void SetKey(int virtualKey, bool down);
    bool IsKeyDown(int virtualKey) const;
    WPARAM MouseKeys() const;
    void SetCursorPos(Point screen);
    Point GetCursorPos() const;

    NativeWindow* capture = nullptr;
    NativeWindow* focus = nullptr;
    NativeWindow* pointerWindow = nullptr; // the window the pointer is over, if ours

    // Double-click detection: a press of the same button, in the same window, within the
    // double-click time and 4 pixels of the previous press turns into a double click.
    bool IsDoubleClick(NativeWindow* window, int button, Point screen, uint64_t nowMs,
                       unsigned dblMs);
    void Reset();

private:
    std::atomic<bool> keys_[256] = {};
    std::atomic<int> cursorX_{0};
    std::atomic<int> cursorY_{0};
    NativeWindow* lastWindow_ = nullptr;
    int lastButton_ = -1;
    Point lastPoint_;
    uint64_t lastTime_ = 0;
    bool lastWasDouble_ = false;
};

} // namespace Tolva
