#include "ui/core/MDialog.h"

#include "ui/core/MControl.h"

namespace Tolva {
namespace {

Point PointOf(LPARAM l) {
    return {GetXLParam(l), GetYLParam(l)};
}

} // namespace

MDialog::MDialog() = default;

MDialog::~MDialog() {
    // Timer ticks and controls refer to the window: stop and drop them while it still exists.
    manager_.QZTimer::KillTimer();
    manager_.WaitForTicks();
    manager_.ClearAllControls();
    DestroyWindow();
}

LRESULT MDialog::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    return OnMessage(id, code, wparam, lparam);
}

int MDialog::OnControlUpdate(const Rect& rect, bool erase, MControl* control) {
    return manager_.OnControlUpdate(rect, erase, control);
}

MControl* MDialog::CreateControl(const std::string& className, unsigned id, const Rect& rect,
                                 const std::string& title, bool visible, bool enabled) {
    return manager_.CreateControl(1, this, className, id, rect, title, visible, enabled);
}

MControl* MDialog::CreateArea(const std::string& className, unsigned id, const Rect& rect,
                              const std::string& title, bool visible, bool enabled) {
    return manager_.CreateControl(0, this, className, id, rect, title, visible, enabled);
}

void MDialog::PostClose(WPARAM code) {
    if (hwnd_ && Platform::IsWindow(hwnd_))
        Platform::PostMessage(hwnd_, WM_TOLVA_USERCLOSE, code, 0);
}

LRESULT MDialog::OnUserCloseWindow(WPARAM wparam, LPARAM lparam) {
    if (hwnd_) Platform::PostMessage(hwnd_, WM_CLOSE, wparam, lparam);
    return 1;
}

void MDialog::OnInitDialog() {
    manager_.Init(this, hwnd_, this);
    InitUI(GetClientRect());
}

void MDialog::OnDestroyMessage(NativeWindow* hwnd) {
    if (manager_.GetHwnd() == hwnd) manager_.DestroyData();
    PostNcDestroy();
}

Point MDialog::GetAirBladderPoint(MControl* control, int type) {
    if (!control) return {};
    const Rect r = control->GetRect();
    return ClientToScreen(Point{r.left + r.Width() / 2, r.top});
}

void MDialog::OnMinimize() {
    ShowWindow(SW_MINIMIZE);
}

LRESULT MDialog::OnSize(WPARAM type, int cx, int cy) {
    if (type == SIZE_MINIMIZED) return 0;
    SetupBackTranslucent();
    const Rect client = GetClientRect();
    if (client.Width() > 1 && client.Height() > 1) UISize(client);
    manager_.Invalidate();
    if (MShadow* shadow = manager_.GetShadow()) shadow->Update();
    return 0;
}

void MDialog::SetTranslucent(int alpha, uint32_t colorKey) {
    alpha_ = alpha;
    colorKey_ = colorKey;
    SetupBackTranslucent();
}

void MDialog::SetupBackTranslucent() {
    if (!hwnd_) return;
    if (alpha_ != 255) {
        ModifyExStyle(0, WS_EX_LAYERED);
        hwnd_->SetOpacity(static_cast<uint8_t>(std::clamp(alpha_, 0, 255)));
    } else if (colorKey_ != 0xFFFFFF) {
        // A colour key needs per-pixel alpha: pixels of that colour become transparent when drawn.
        ModifyExStyle(0, WS_EX_LAYERED);
        manager_.SetColorKey(colorKey_);
    }
}

bool MDialog::PreTranslateMessage(Message* msg) {
    return msg && manager_.PreTranslateMessage(*msg);
}

LRESULT MDialog::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_CREATE:
        OnCreate(lparam);
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_SIZE:
        OnSize(wparam, LoWord(static_cast<std::uintptr_t>(lparam)),
               HiWord(static_cast<std::uintptr_t>(lparam)));
        break;
    case WM_MOVE:
    case WM_SHOWWINDOW:
    case WM_ACTIVATE:
        if (MShadow* shadow = manager_.GetShadow()) shadow->Update();
        break;
    case WM_PAINT:
        OnPaint();
        break;
    case WM_CLOSE:
        // 0 keeps the window open.
        if (!OnClose()) return 0;
        break;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(lparam);
        break;
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(lparam);
        break;
    case WM_NCACTIVATE:
        OnNcActivate(wparam != 0);
        break;
    case WM_TIMER:
        OnTimer(static_cast<uint32_t>(wparam));
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(wparam, PointOf(lparam));
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wparam, PointOf(lparam));
        break;
    case WM_LBUTTONUP:
        OnLButtonUp(wparam, PointOf(lparam));
        break;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(wparam, PointOf(lparam));
        break;
    case WM_RBUTTONDOWN:
        OnRButtonDown(wparam, PointOf(lparam));
        break;
    case WM_RBUTTONUP:
        OnRButtonUp(wparam, PointOf(lparam));
        break;
    case WM_RBUTTONDBLCLK:
        OnRButtonDblClk(wparam, PointOf(lparam));
        break;
    case WM_MOUSEHOVER:
        OnMouseHover(wparam, PointOf(lparam));
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wparam, lparam);
        break;
    case WM_KEYDOWN:
        OnKeyDown(wparam, lparam);
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_TOLVA_USERCLOSE:
        return OnUserCloseWindow(wparam, lparam);
    default:
        break;
    }
    if (LRESULT r = manager_.OnWindowMessage(msg, wparam, lparam)) return r;
    return DefaultProc(msg, wparam, lparam);
}

} // namespace Tolva
