#include "ui/core/MWindow.h"

#include "ui/core/Manager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {

MWindow::MWindow() {
    Manager::AddWnd(this);
}

MWindow::~MWindow() {
    Manager::DeleteWnd(this);
    if (hwnd_ && Platform::IsWindow(hwnd_)) {
        // The window must not call back into a half-destroyed object.
        NativeWindow* w = hwnd_;
        hwnd_ = nullptr;
        w->Destroy();
    }
}

NativeWindow* MWindow::Create(NativeWindow* parent) {
    return Create(parent, Rect{0, 0, 0, 0});
}

NativeWindow* MWindow::Create(NativeWindow* parent, const Rect& rect) {
    return Create(parent, std::string(), style_, exStyle_, rect);
}

NativeWindow* MWindow::Create(NativeWindow* parent, const std::string& title, uint32_t style,
                              uint32_t exStyle, const Rect& rect) {
    if (hwnd_) return hwnd_;
    style_ = style;
    exStyle_ = exStyle;
    parentHwnd_ = parent;
    WindowParams params;
    params.title = title;
    params.rect = rect;
    params.owner = parent;
    params.popup = (style & WS_POPUP) != 0 && parent != nullptr;
    params.toolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0;
    params.topMost = (exStyle & WS_EX_TOPMOST) != 0;
    params.layered = (exStyle & WS_EX_LAYERED) != 0;
    NativeWindow* w = Platform::CreateNativeWindow(params, &MWindow::WindowProcedure, this);
    if (!w) return nullptr;
    hwnd_ = w;
    OnInitDialog();
    if (hwnd_ && (style & WS_VISIBLE)) ShowWindow(SW_SHOWNORMAL);
    return hwnd_;
}

NativeWindow* MWindow::Create(NativeWindow* parent, const std::string& title, uint32_t style,
                              uint32_t exStyle, const Rect& rect, uintptr_t menu) {
    if (hwnd_) return hwnd_;
    menu_ = menu;
    NativeWindow* w = Create(parent, title, style, exStyle, rect);
    if (!w) menu_ = 0;
    return w;
}

bool MWindow::SetIcon(int resourceId) {
    if (!hwnd_) return false;
    const std::string base = Manager::GetSkinFolder() + "res_" + std::to_string(resourceId);
    for (const char* ext : {".ico", ".png"}) {
        if (auto icon = MRender::LoadIconFromFile(base + ext)) {
            hwnd_->SetIcon(icon->Surface(0));
            return true;
        }
    }
    return false;
}

LRESULT MWindow::WindowProcedure(void* self, NativeWindow* window, uint32_t msg, WPARAM wparam,
                                 LPARAM lparam) {
    auto* me = static_cast<MWindow*>(self);
    if (!me) return 0;
    if (msg == WM_NCCREATE) {
        me->hwnd_ = window;
        me->OnWindowMessage(msg, wparam, lparam);
        return 1;
    }
    if (msg == WM_NCDESTROY) {
        me->OnWindowMessage(msg, wparam, lparam);
        if (me->hwnd_ == window) me->hwnd_ = nullptr;
        me->OnDestroyMessage(window);
        return 0;
    }
    if (me->hwnd_ != window) return 0;
    return me->OnWindowMessage(msg, wparam, lparam);
}

LRESULT MWindow::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    return DefaultProc(msg, wparam, lparam);
}

LRESULT MWindow::DefaultProc(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_CLOSE) {
        RestoreModalOwner();
        DestroyWindow();
        return 0;
    }
    if (msg == WM_NCCREATE) return 1;
    return 0;
}

NativeWindow* MWindow::GetParentHwnd() const {
    return hwnd_ ? hwnd_->GetOwnerWindow() : parentHwnd_;
}

void MWindow::ModifyExStyle(uint32_t remove, uint32_t add) {
    exStyle_ = (exStyle_ & ~remove) | add;
    if (hwnd_) hwnd_->SetLayered((exStyle_ & WS_EX_LAYERED) != 0);
}

Rect MWindow::GetClientRect() const {
    return hwnd_ ? hwnd_->GetClientRect() : Rect{};
}

Rect MWindow::GetWindowRect() const {
    return hwnd_ ? hwnd_->GetWindowRect() : Rect{};
}

void MWindow::SetWindowTextW(const std::string& text) {
    if (hwnd_) hwnd_->SetTitle(text);
}

std::string MWindow::GetWindowTextW() const {
    return hwnd_ ? hwnd_->GetTitle() : std::string();
}

int MWindow::GetWindowTextLengthW() const {
    const std::string t = GetWindowTextW();
    int n = 0;
    for (unsigned char c : t)
        n += (c & 0xC0) != 0x80;
    return n;
}

bool MWindow::EnableWindow(bool enable) {
    return hwnd_ && Platform::EnableWindow(hwnd_, enable);
}

bool MWindow::IsWindowEnabled() const {
    return hwnd_ && hwnd_->IsEnabled();
}

bool MWindow::IsWindowVisible() const {
    return hwnd_ && hwnd_->IsVisible();
}

bool MWindow::IsIconic() const {
    return hwnd_ && hwnd_->IsIconic();
}

void MWindow::InvalidateRect(const Rect* rect, bool erase) {
    if (hwnd_) Platform::InvalidateRect(hwnd_, rect);
}

void MWindow::SetCapture() {
    if (hwnd_) hwnd_->SetCapture();
}

void MWindow::ReleaseCapture() {
    if (hwnd_) hwnd_->ReleaseCapture();
}

void MWindow::SetFocus() {
    if (hwnd_) hwnd_->SetFocus();
}

bool MWindow::SetTimer(uint32_t id, uint32_t elapseMs) {
    return hwnd_ && hwnd_->SetTimer(id, elapseMs);
}

bool MWindow::KillTimer(uint32_t id) {
    return hwnd_ && hwnd_->KillTimer(id);
}

Point MWindow::ClientToScreen(Point p) const {
    return hwnd_ ? hwnd_->ClientToScreen(p) : p;
}

Point MWindow::ScreenToClient(Point p) const {
    return hwnd_ ? hwnd_->ScreenToClient(p) : p;
}

Rect MWindow::ClientToScreen(const Rect& r) const {
    return hwnd_ ? hwnd_->ClientToScreen(r) : r;
}

Rect MWindow::ScreenToClient(const Rect& r) const {
    return hwnd_ ? hwnd_->ScreenToClient(r) : r;
}

void MWindow::SetWindowPos(const Rect& screen) {
    if (hwnd_) hwnd_->SetWindowRect(screen);
}

void MWindow::MoveWindow(int x, int y, int cx, int cy) {
    SetWindowPos({x, y, x + cx, y + cy});
}

void MWindow::ShowWindow(int command) {
    if (hwnd_) hwnd_->Show(command);
}

uint32_t MWindow::ShowModal(int show) {
    if (!hwnd_ || !Platform::IsWindow(hwnd_)) return 0xFFFFFFFF;
    NativeWindow* self = hwnd_;
    NativeWindow* owner = hwnd_->GetOwnerWindow();
    NativeWindow* outerOwner = modalOwner_;
    ShowWindow(show);
    // Directly: the owner must refuse input before the first message of the loop. The disable is
    // counted, so a worker's enable during the loop leaves the owner disabled.
    if (owner) {
        owner->Enable(false);
        modalOwner_ = owner;
    }
    uint32_t result = 0;
    bool quit = false;
    WPARAM quitCode = 0;
    while (Platform::IsWindow(self)) {
        Message msg;
        if (!Platform::GetMessage(msg)) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        // A close the window refuses (OnClose) leaves the loop running; the last one counts.
        if (msg.window == self && msg.message == WM_CLOSE)
            result = static_cast<uint32_t>(msg.wParam);
        if (!PreTranslateMessage(&msg)) Platform::DispatchMessage(msg);
    }
    RestoreModalOwner();
    modalOwner_ = outerOwner;
    if (quit) Platform::PostQuitMessage(static_cast<int>(quitCode));
    return result;
}

void MWindow::RestoreModalOwner() {
    NativeWindow* owner = modalOwner_;
    modalOwner_ = nullptr;
    if (owner && Platform::IsWindow(owner)) {
        owner->Enable(true);
        owner->SetFocus();
    }
}

void MWindow::DestroyWindow() {
    if (hwnd_ && Platform::IsWindow(hwnd_)) hwnd_->Destroy();
}

Rect MWindow::CenteredRect(const Rect& window, const Rect& reference, bool referenceUsable,
                           const Rect& workArea) {
    const Rect base = referenceUsable ? reference : workArea;
    const int w = window.Width(), h = window.Height();
    int x = base.left + (base.Width() - w) / 2;
    int y = base.top + (base.Height() - h) / 2;
    // Right and bottom first, so a window larger than the work area keeps its top-left visible.
    if (x + w > workArea.right) x = workArea.right - w;
    if (y + h > workArea.bottom) y = workArea.bottom - h;
    if (x < workArea.left) x = workArea.left;
    if (y < workArea.top) y = workArea.top;
    return {x, y, x + w, y + h};
}

void MWindow::CenterWindow(NativeWindow* other) {
    if (!hwnd_) return;
    NativeWindow* ref = other ? other : hwnd_->GetOwnerWindow();
    const Rect window = hwnd_->GetWindowRect();
    Rect refRect;
    bool usable = false;
    if (ref && Platform::IsWindow(ref)) {
        refRect = ref->GetWindowRect();
        usable = ref->IsVisible() && !ref->IsIconic();
    }
    const Point near =
        usable ? Point{refRect.left + refRect.Width() / 2, refRect.top + refRect.Height() / 2}
               : Point{window.left, window.top};
    const Rect work = Platform::GetWorkArea(near);
    hwnd_->SetWindowRect(CenteredRect(window, refRect, usable, work));
}

void MWindow::BringToTop() {
    if (hwnd_) hwnd_->BringToTop();
}

LRESULT MWindow::SendMessageW(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    return hwnd_ ? Platform::SendMessage(hwnd_, msg, wparam, lparam) : 0;
}

bool MWindow::PostMessageW(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    return hwnd_ && Platform::PostMessage(hwnd_, msg, wparam, lparam);
}

} // namespace Tolva
