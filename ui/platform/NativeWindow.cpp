#include "ui/platform/NativeWindow.h"

#include <vector>

#include "ui/platform/InputState.h"
#include "ui/platform/MessageQueue.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

namespace Tolva {

namespace {
// Internal timer id for hover tracking; application ids are 32-bit values below it in practice.
constexpr uint32_t kHoverTimer = 0xFFFFFF01u;
} // namespace

NativeWindow::NativeWindow(const WindowParams& params, WindowProc proc, void* self)
    : rect_(params.rect), title_(params.title), owner_(params.owner), popup_(params.popup),
      toolWindow_(params.toolWindow), topMost_(params.topMost), layered_(params.layered),
      inputTransparent_(params.inputTransparent), proc_(proc), self_(self) {}

NativeWindow::~NativeWindow() {
    if (icon_) cairo_surface_destroy(icon_);
}

LRESULT NativeWindow::Send(uint32_t msg, WPARAM wParam, LPARAM lParam) {
    if (!proc_) return 0;
    return proc_(self_, this, msg, wParam, lParam);
}

void NativeWindow::Show(int command) {
    bool show = command != SW_HIDE;
    bool wasVisible = visible_;
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
        NativeIconic(true);
    } else if ((command == SW_RESTORE || command == SW_SHOWNORMAL) && iconic_) {
        // Showing "normal" restores a minimised window, as restore does.
        NativeIconic(false);
    }
    visible_ = show;
    if (show != wasVisible) {
        Send(WM_SHOWWINDOW, show ? 1 : 0, 0);
        if (show) Invalidate();
    }
    if (!show) {
        if (InputState::Instance().capture == this) ReleaseCapture();
    }
}

void NativeWindow::SetWindowRect(const Rect& screen) {
    NativeMoved(screen);
}

void NativeWindow::SetTitle(const std::string& title) {
    title_ = title;
}

void NativeWindow::SetIcon(cairo_surface_t* icon) {
    if (icon) cairo_surface_reference(icon);
    if (icon_) cairo_surface_destroy(icon_);
    icon_ = icon;
}

void NativeWindow::Enable(bool enabled) {
    bool was = disableCount_ == 0;
    if (enabled)
        disableCount_ = disableCount_ > 0 ? disableCount_ - 1 : 0;
    else
        ++disableCount_;
    enabled = disableCount_ == 0;
    if (was != enabled) {
        if (!enabled && InputState::Instance().capture == this) ReleaseCapture();
        Send(WM_ENABLE, enabled ? 1 : 0, 0);
    }
}

bool NativeWindow::IsEnabled() const {
    return disableCount_ == 0;
}

void NativeWindow::SetFocus() {
    InputState& in = InputState::Instance();
    if (in.focus == this) return;
    NativeWindow* old = in.focus;
    in.focus = this;
    if (old && MessageQueue::Instance().IsLive(old)) old->Send(WM_KILLFOCUS, 0, 0);
    Send(WM_SETFOCUS, 0, 0);
}

bool NativeWindow::HasFocus() const {
    return InputState::Instance().focus == this;
}

void NativeWindow::BringToTop() {}

void NativeWindow::Invalidate(const Rect* rect) {
    Rect client = GetClientRect();
    Rect r = rect ? rect->Intersect(client) : client;
    if (!r.IsEmpty()) MessageQueue::Instance().AddUpdate(this, r);
}

bool NativeWindow::BeginPaint(Rect& update) {
    paintBegun_ = true;
    update = MessageQueue::Instance().TakeUpdate(this).Intersect(GetClientRect());
    return !update.IsEmpty();
}

Rect NativeWindow::GetUpdateRect() const {
    return MessageQueue::Instance().PeekUpdate(const_cast<NativeWindow*>(this));
}

void NativeWindow::SetLayered(bool layered) {
    if (layered_ == layered) return;
    layered_ = layered;
    Invalidate();
}

void NativeWindow::SetOpacity(uint8_t alpha) {
    opacity_ = alpha;
}

bool NativeWindow::SetTimer(uint32_t id, uint32_t elapseMs) {
    if (destroyed_ || id == kHoverTimer) return false;
    if (elapseMs == 0) elapseMs = 1;
    if (timers_.count(id)) StopNativeTimer(id);
    if (!StartNativeTimer(id, elapseMs)) {
        timers_.erase(id);
        return false;
    }
    timers_[id] = elapseMs;
    return true;
}

bool NativeWindow::KillTimer(uint32_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    StopNativeTimer(id);
    timers_.erase(it);
    return true;
}

void NativeWindow::SetCapture() {
    InputState& in = InputState::Instance();
    if (in.capture == this) return;
    NativeWindow* old = in.capture;
    in.capture = this;
    if (old && MessageQueue::Instance().IsLive(old)) {
        old->CaptureChanged(false);
        old->Send(WM_CAPTURECHANGED, 0, 0);
    }
    CaptureChanged(true);
}

void NativeWindow::ReleaseCapture() {
    InputState& in = InputState::Instance();
    if (in.capture != this) return;
    in.capture = nullptr;
    CaptureChanged(false);
    Send(WM_CAPTURECHANGED, 0, 0);
}

void NativeWindow::TrackMouse(bool leave, int hoverMs) {
    trackLeave_ = leave;
    if (hoverMs > 0) {
        hoverMs_ = hoverMs;
        StopNativeTimer(kHoverTimer);
        StartNativeTimer(kHoverTimer, static_cast<uint32_t>(hoverMs));
    }
}

void NativeWindow::SetCursor(CursorShape cursor) {
    cursor_ = cursor;
}

void NativeWindow::SetTextInput(bool on) {
    textInput_ = on;
    if (!on && !imePreedit_.empty()) ImePreedit(std::string(), 0);
}

void NativeWindow::SetTextInputRect(const Rect& caret) {
    textInputRect_ = caret;
}

void NativeWindow::ImeCommit(const std::string& text) {
    if (text.empty() || destroyed_) return;
    imeResults_.push_back(text);
    MessageQueue::Instance().Post(this, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
}

void NativeWindow::ImePreedit(const std::string& text, int cursor) {
    if (destroyed_ || (text == imePreedit_ && cursor == imeCursor_)) return;
    const bool starts = imePreedit_.empty() && !text.empty();
    const bool ends = !imePreedit_.empty() && text.empty();
    imePreedit_ = text;
    imeCursor_ = cursor < 0 ? 0 : cursor;
    if (starts) MessageQueue::Instance().Post(this, WM_IME_STARTCOMPOSITION, 0, 0);
    MessageQueue::Instance().Post(this, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    if (ends) MessageQueue::Instance().Post(this, WM_IME_ENDCOMPOSITION, 0, 0);
}

bool NativeWindow::TakeImeResult(std::string& text) {
    if (imeResults_.empty()) return false;
    text = std::move(imeResults_.front());
    imeResults_.pop_front();
    return true;
}

std::string NativeWindow::GetImePreedit(int* cursor) const {
    if (cursor) *cursor = imeCursor_;
    return imePreedit_;
}

void NativeWindow::Destroy() {
    if (destroyed_) return;
    MessageQueue& queue = MessageQueue::Instance();
    std::shared_ptr<NativeWindow> keep = queue.Find(this); // alive until this call returns
    destroyed_ = true;
    // Owned windows go first.
    for (auto& w : queue.Windows())
        if (w->owner_ == this) w->Destroy();
    for (auto& [id, period] : timers_)
        StopNativeTimer(id);
    timers_.clear();
    StopNativeTimer(kHoverTimer);
    InputState& in = InputState::Instance();
    if (in.capture == this) {
        in.capture = nullptr;
        CaptureChanged(false);
    }
    if (in.focus == this) in.focus = nullptr;
    if (in.pointerWindow == this) in.pointerWindow = nullptr;
    visible_ = false;
    proc_(self_, this, WM_DESTROY, 0, 0);
    proc_(self_, this, WM_NCDESTROY, 0, 0);
    proc_ = nullptr;
    DestroyNative();
    queue.Unregister(this);
}

void NativeWindow::NativeMoved(const Rect& screen) {
    Rect old = rect_;
    rect_ = screen;
    if (old.left != screen.left || old.top != screen.top)
        Send(WM_MOVE, 0, MakeLParam(screen.left, screen.top));
    if (old.Width() != screen.Width() || old.Height() != screen.Height()) {
        Send(WM_SIZE, iconic_ ? SIZE_MINIMIZED : SIZE_RESTORED,
             MakeLParam(screen.Width(), screen.Height()));
        Invalidate();
    }
}

void NativeWindow::NativeIconic(bool iconic) {
    if (iconic_ == iconic) return;
    iconic_ = iconic;
    Send(WM_SIZE, iconic ? SIZE_MINIMIZED : SIZE_RESTORED,
         MakeLParam(rect_.Width(), rect_.Height()));
    if (!iconic) Invalidate();
}

void NativeWindow::NativeTimer(uint32_t id) {
    if (destroyed_) return;
    if (id == kHoverTimer) {
        StopNativeTimer(kHoverTimer);
        if (hoverMs_ <= 0) return;
        hoverMs_ = 0;
        InputState& in = InputState::Instance();
        if (in.pointerWindow != this) return;
        Point p = ScreenToClient(in.GetCursorPos());
        MessageQueue::Instance().Post(this, WM_MOUSEHOVER, in.MouseKeys(), MakeLParam(p.x, p.y));
        return;
    }
    if (timers_.count(id)) MessageQueue::Instance().Post(this, WM_TIMER, id, 0);
}

void NativeWindow::NativePointerMoved() {
    if (hoverMs_ > 0) {
        StopNativeTimer(kHoverTimer);
        StartNativeTimer(kHoverTimer, static_cast<uint32_t>(hoverMs_));
    }
}

void NativeWindow::NativePointerLeft() {
    InputState& in = InputState::Instance();
    if (in.pointerWindow == this) in.pointerWindow = nullptr;
    if (hoverMs_ > 0) {
        hoverMs_ = 0;
        StopNativeTimer(kHoverTimer);
    }
    if (trackLeave_) {
        trackLeave_ = false;
        MessageQueue::Instance().Post(this, WM_MOUSELEAVE, 0, 0);
    }
}

void NativeWindow::PostMouse(uint32_t msg, Point client, WPARAM keys) {
    InputState& in = InputState::Instance();
    NativeWindow* target = this;
    if (in.capture && in.capture != this && MessageQueue::Instance().IsLive(in.capture))
        target = in.capture;
    Point screen = ClientToScreen(client);
    Point p = target->ScreenToClient(screen);
    if (!target->IsEnabled()) return;
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) {
        int button = msg == WM_LBUTTONDOWN ? 0 : 1;
        if (in.IsDoubleClick(target, button, screen, Platform::NowMs(),
                             Platform::GetDoubleClickTime()))
            msg = msg == WM_LBUTTONDOWN ? WM_LBUTTONDBLCLK : WM_RBUTTONDBLCLK;
    } else if (msg == WM_MBUTTONDOWN) {
        in.IsDoubleClick(target, 2, screen, Platform::NowMs(), Platform::GetDoubleClickTime());
    }
    if (msg == WM_MOUSEWHEEL)
        MessageQueue::Instance().Post(target, msg, keys, MakeLParam(screen.x, screen.y));
    else
        MessageQueue::Instance().Post(target, msg, keys, MakeLParam(p.x, p.y));
}

cairo_surface_t* NativeWindow::FitSurface(cairo_surface_t* surface, int w, int h) {
    if (surface && cairo_image_surface_get_width(surface) == w &&
        cairo_image_surface_get_height(surface) == h)
        return surface;
    cairo_surface_t* fresh = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (surface) {
        cairo_t* cr = cairo_create(fresh);
        cairo_set_source_surface(cr, surface, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    return fresh;
}

} // namespace Tolva
