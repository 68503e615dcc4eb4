#include "ui/core/MPopupWnd.h"

#include "ui/core/MControl.h"
#include "ui/platform/VirtualKeys.h"

namespace Tolva {

MPopupWnd::~MPopupWnd() {
    manager_.QZTimer::KillTimer();
    manager_.WaitForTicks();
    manager_.ClearAllControls();
    autoDelete_ = false;
    DestroyWindow();
}

NativeWindow* MPopupWnd::CreatePopup(NativeWindow* owner, const Rect& screen, MObject* parent) {
    parentObject_ = parent;
    return Create(owner, GetWindowClassName(), WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, screen);
}

LRESULT MPopupWnd::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    return SendMessageToParent(id, code, wparam, lparam);
}

int MPopupWnd::OnControlUpdate(const Rect& rect, bool erase, MControl* control) {
    return manager_.OnControlUpdate(rect, erase, control);
}

MControl* MPopupWnd::CreateControl(const std::string& className, unsigned id, const Rect& rect,
                                   const std::string& title, bool visible, bool enabled) {
    return manager_.CreateControl(1, this, className, id, rect, title, visible, enabled);
}

MControl* MPopupWnd::CreateArea(const std::string& className, unsigned id, const Rect& rect,
                                const std::string& title, bool visible, bool enabled) {
    return manager_.CreateControl(0, this, className, id, rect, title, visible, enabled);
}

LRESULT MPopupWnd::SendMessageToParent(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    return parentObject_ ? parentObject_->OnBaseMessage(id, code, wparam, lparam) : 0;
}

void MPopupWnd::CloseWindow() {
    if (hwnd_) Platform::PostMessage(hwnd_, WM_CLOSE, 0, 0);
}

void MPopupWnd::OnInitDialog() {
    manager_.Init(this, hwnd_, this);
    manager_.EnableWndDrag(false);
    InitUI(GetClientRect());
}

void MPopupWnd::OnDestroyMessage(NativeWindow* hwnd) {
    if (manager_.GetHwnd() == hwnd) manager_.DestroyData();
    if (autoDelete_) delete this;
}

bool MPopupWnd::PreTranslateMessage(Message* msg) {
    return msg && manager_.PreTranslateMessage(*msg);
}

LRESULT MPopupWnd::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    // A popup goes away when its window loses activation or on Escape.
    if (msg == WM_ACTIVATE && wparam == WA_INACTIVE) CloseWindow();
    if (msg == WM_KEYDOWN && wparam == static_cast<WPARAM>(VK_ESCAPE)) CloseWindow();
    if (msg == WM_ERASEBKGND) return 1;
    if (LRESULT r = manager_.OnWindowMessage(msg, wparam, lparam)) return r;
    return DefaultProc(msg, wparam, lparam);
}

} // namespace Tolva
