#include "ui/platform/InputState.h"

#include <cstdlib>

#include "ui/platform/VirtualKeys.h"

namespace Tolva {

InputState& InputState::Instance() {
    static InputState state;
    return state;
}

void InputState::SetKey(int virtualKey, bool down) {
    if (virtualKey <= 0 || virtualKey > 255) return;
    keys_[virtualKey] = down;
    // Left and right variants also drive the generic key.
    auto generic = [this](int a, int b, int g) { keys_[g] = keys_[a].load() || keys_[b].load(); };
    if (virtualKey == VK_LSHIFT || virtualKey == VK_RSHIFT) generic(VK_LSHIFT, VK_RSHIFT, VK_SHIFT);
    if (virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL)
        generic(VK_LCONTROL, VK_RCONTROL, VK_CONTROL);
    if (virtualKey == VK_LMENU || virtualKey == VK_RMENU) generic(VK_LMENU, VK_RMENU, VK_MENU);
}

bool InputState::IsKeyDown(int virtualKey) const {
    if (virtualKey <= 0 || virtualKey > 255) return false;
    return keys_[virtualKey];
}

WPARAM InputState::MouseKeys() const {
    WPARAM k = 0;
    if (keys_[VK_LBUTTON]) k |= MK_LBUTTON;
    if (keys_[VK_RBUTTON]) k |= MK_RBUTTON;
    if (keys_[VK_MBUTTON]) k |= MK_MBUTTON;
    if (keys_[VK_SHIFT]) k |= MK_SHIFT;
    if (keys_[VK_CONTROL]) k |= MK_CONTROL;
    return k;
}

void InputState::SetCursorPos(Point screen) {
    cursorX_ = screen.x;
    cursorY_ = screen.y;
}

Point InputState::GetCursorPos() const {
    return {cursorX_, cursorY_};
}

bool InputState::IsDoubleClick(NativeWindow* window, int button, Point screen, uint64_t nowMs,
                               unsigned dblMs) {
    bool dbl = !lastWasDouble_ && window == lastWindow_ && button == lastButton_ &&
               nowMs - lastTime_ <= dblMs && std::abs(screen.x - lastPoint_.x) <= 4 &&
               std::abs(screen.y - lastPoint_.y) <= 4;
    lastWindow_ = window;
    lastButton_ = button;
    lastPoint_ = screen;
    lastTime_ = nowMs;
    lastWasDouble_ = dbl;
    return dbl;
}

void InputState::Reset() {
    for (auto& k : keys_)
        k = false;
    capture = focus = pointerWindow = nullptr;
    lastWindow_ = nullptr;
    lastButton_ = -1;
    lastWasDouble_ = false;
}

} // namespace Tolva
