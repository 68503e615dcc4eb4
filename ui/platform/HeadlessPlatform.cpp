#include "ui/platform/HeadlessPlatform.h"

#include <cairo.h>

#include "ui/platform/HeadlessEdit.h"
#include "ui/platform/HeadlessToolTip.h"
#include "ui/platform/HeadlessWindow.h"
#include "ui/platform/InputState.h"
#include "ui/platform/MessageQueue.h"
#include "ui/platform/PeriodicTimers.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

namespace Tolva {

namespace {

int DecodeOne(const std::string& s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + len > s.size()) len = 1;
    int cp = len == 1 ? c : c & (0xFF >> (len + 1));
    for (int k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    return cp;
}

} // namespace

HeadlessPlatform::~HeadlessPlatform() = default;

BackendKind HeadlessPlatform::Kind() const {
    return BackendKind::Headless;
}

std::shared_ptr<NativeWindow> HeadlessPlatform::NewWindow(const WindowParams& params,
                                                          WindowProc proc, void* self) {
    return std::make_shared<HeadlessWindow>(*this, params, proc, self);
}

void HeadlessPlatform::WaitForEvents() {
    if (idle_) {
        idle_();
        if (!MessageQueue::Instance().HasWork()) MessageQueue::Instance().Wait(20);
        return;
    }
    MessageQueue::Instance().Wait(0);
}

void HeadlessPlatform::Wakeup() {
    MessageQueue::Instance().Notify();
}

Point HeadlessPlatform::CursorPos() {
    return InputState::Instance().GetCursorPos();
}

Rect HeadlessPlatform::ScreenRect() {
    return screen_;
}

Rect HeadlessPlatform::WorkArea(Point) {
    return work_;
}

std::unique_ptr<ToolTipWindow> HeadlessPlatform::NewToolTip(NativeWindow*) {
    return std::make_unique<HeadlessToolTip>();
}

std::unique_ptr<NativeEdit> HeadlessPlatform::NewEdit(NativeWindow* parent) {
    return std::make_unique<HeadlessEdit>(parent);
}

HeadlessWindow* HeadlessPlatform::Live(NativeWindow* window) {
    if (!MessageQueue::Instance().IsLive(window)) return nullptr;
    return dynamic_cast<HeadlessWindow*>(window);
}

int HeadlessPlatform::ButtonKey(MouseButton button) {
    return button == MouseButton::Left    ? VK_LBUTTON
           : button == MouseButton::Right ? VK_RBUTTON
                                          : VK_MBUTTON;
}

void HeadlessPlatform::Pointer(HeadlessWindow* window, Point client) {
    InputState& in = InputState::Instance();
    if (in.pointerWindow && in.pointerWindow != window) {
        if (auto* old = Live(in.pointerWindow)) old->NativePointerLeft();
    }
    in.pointerWindow = window;
    in.SetCursorPos(window->ClientToScreen(client));
}

void HeadlessPlatform::MouseMove(NativeWindow* w, Point p) {
    HeadlessWindow* window = Live(w);
    if (!window) return;
    Point screen = window->ClientToScreen(p);
    if (dragWindow_) {
        // The window follows the pointer; the application sees no moves meanwhile.
        if (HeadlessWindow* dragged = Live(dragWindow_)) {
            Rect r = dragged->GetWindowRect();
            dragged->NativeMoved(r.Offset(screen.x - dragLast_.x, screen.y - dragLast_.y));
        }
        dragLast_ = screen;
        InputState::Instance().SetCursorPos(screen);
        Platform::ProcessPending();
        return;
    }
    Pointer(window, p);
    window->NativePointerMoved();
    window->PostMouse(WM_MOUSEMOVE, p, InputState::Instance().MouseKeys());
    Platform::ProcessPending();
}

void HeadlessPlatform::MouseDown(NativeWindow* w, MouseButton button, Point p) {
    HeadlessWindow* window = Live(w);
    if (!window) return;
    // A press elsewhere ends an active menu or drop-down; one outside it is only that.
    if (activePopup_ && activePopup_ != window) activePopup_->Deactivate();
    if (activePopup_ == window && !window->GetClientRect().Contains(p)) {
        window->Deactivate();
        Platform::ProcessPending();
        return;
    }
    Pointer(window, p);
    InputState::Instance().SetKey(ButtonKey(button), true);
    uint32_t msg = button == MouseButton::Left    ? WM_LBUTTONDOWN
                   : button == MouseButton::Right ? WM_RBUTTONDOWN
                                                  : WM_MBUTTONDOWN;
    window->PostMouse(msg, p, InputState::Instance().MouseKeys());
    Platform::ProcessPending();
}

void HeadlessPlatform::MouseUp(NativeWindow* w, MouseButton button, Point p) {
    HeadlessWindow* window = Live(w);
    if (!window) return;
    InputState::Instance().SetKey(ButtonKey(button), false);
    if (dragWindow_ && button == MouseButton::Left) {
        dragWindow_ = nullptr; // the move loop takes the release
        Platform::ProcessPending();
        return;
    }
    Pointer(window, p);
    uint32_t msg = button == MouseButton::Left    ? WM_LBUTTONUP
                   : button == MouseButton::Right ? WM_RBUTTONUP
                                                  : WM_MBUTTONUP;
    window->PostMouse(msg, p, InputState::Instance().MouseKeys());
    Platform::ProcessPending();
}

void HeadlessPlatform::Click(NativeWindow* window, Point p, MouseButton button) {
    MouseDown(window, button, p);
    MouseUp(window, button, p);
}

void HeadlessPlatform::Wheel(NativeWindow* w, int delta, Point p) {
    HeadlessWindow* window = Live(w);
    if (!window) return;
    Pointer(window, p);
    window->PostMouse(WM_MOUSEWHEEL, p,
                      MakeWParam(static_cast<int>(InputState::Instance().MouseKeys()), delta));
    Platform::ProcessPending();
}

void HeadlessPlatform::PressOutside() {
    if (activePopup_) activePopup_->Deactivate();
    Platform::ProcessPending();
}

void HeadlessPlatform::Leave(NativeWindow* w) {
    HeadlessWindow* window = Live(w);
    if (!window) return;
    window->NativePointerLeft();
    Platform::ProcessPending();
}

void HeadlessPlatform::KeyDown(NativeWindow* w, int virtualKey) {
    HeadlessWindow* window = Live(w);
    if (activePopup_) window = activePopup_; // an active menu takes the keyboard
    InputState& in = InputState::Instance();
    bool wasDown = in.IsKeyDown(virtualKey);
    in.SetKey(virtualKey, true);
    if (!window || !window->IsEnabled()) return;
    uint32_t msg = in.IsKeyDown(VK_MENU) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    MessageQueue::Instance().Post(window, msg, static_cast<WPARAM>(virtualKey),
                                  KeyLParam(1, 0, false, wasDown, false));
    Platform::ProcessPending();
}

void HeadlessPlatform::KeyUp(NativeWindow* w, int virtualKey) {
    HeadlessWindow* window = Live(w);
    if (activePopup_) window = activePopup_; // an active menu takes the keyboard
    InputState& in = InputState::Instance();
    in.SetKey(virtualKey, false);
    if (!window || !window->IsEnabled()) return;
    uint32_t msg = in.IsKeyDown(VK_MENU) || virtualKey == VK_MENU ? WM_SYSKEYUP : WM_KEYUP;
    MessageQueue::Instance().Post(window, msg, static_cast<WPARAM>(virtualKey),
                                  KeyLParam(1, 0, false, true, true));
    Platform::ProcessPending();
}

void HeadlessPlatform::Type(NativeWindow* w, const std::string& text) {
    HeadlessWindow* window = Live(w);
    if (!window || !window->IsEnabled()) return;
    for (size_t i = 0; i < text.size();)
        MessageQueue::Instance().Post(window, WM_CHAR, static_cast<WPARAM>(DecodeOne(text, i)),
                                      KeyLParam(1, 0, false, false, false));
    Platform::ProcessPending();
}

void HeadlessPlatform::SetModifiers(bool shift, bool control, bool alt) {
    InputState& in = InputState::Instance();
    in.SetKey(VK_LSHIFT, shift);
    in.SetKey(VK_LCONTROL, control);
    in.SetKey(VK_LMENU, alt);
    in.SetKey(VK_RSHIFT, false);
    in.SetKey(VK_RCONTROL, false);
    in.SetKey(VK_RMENU, false);
}

void HeadlessPlatform::EditType(NativeEdit* edit, const std::string& text) {
    if (auto* e = dynamic_cast<HeadlessEdit*>(edit)) e->Type(text);
    Platform::ProcessPending();
}

void HeadlessPlatform::EditKey(NativeEdit* edit, int virtualKey) {
    if (auto* e = dynamic_cast<HeadlessEdit*>(edit)) e->Key(virtualKey);
    Platform::ProcessPending();
}

void HeadlessPlatform::ImeCommit(NativeWindow* w, const std::string& text) {
    if (HeadlessWindow* window = Live(w)) window->ImeCommit(text);
    Platform::ProcessPending();
}

void HeadlessPlatform::ImePreedit(NativeWindow* w, const std::string& text, int cursor) {
    if (HeadlessWindow* window = Live(w)) window->ImePreedit(text, cursor);
    Platform::ProcessPending();
}

void HeadlessPlatform::EditLoseFocus(NativeEdit* edit) {
    if (auto* e = dynamic_cast<HeadlessEdit*>(edit)) e->LoseFocus();
    Platform::ProcessPending();
}

int HeadlessPlatform::AdvanceTime(uint32_t ms) {
    uint64_t target = now_ + ms;
    int fired = 0;
    for (;;) {
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it)
            if (it->second.due <= target &&
                (next == timers_.end() || it->second.due < next->second.due))
                next = it;
        if (next == timers_.end()) break;
        HeadlessWindow* window = next->first.first;
        uint32_t id = next->first.second;
        now_ = std::max<uint64_t>(now_, next->second.due);
        next->second.due += next->second.periodMs;
        bool app = window->IsTimerRunning(id);
        window->NativeTimer(id);
        if (app) ++fired;
        Platform::ProcessPending();
    }
    now_ = target;
    Platform::ProcessPending();
    return fired;
}

bool HeadlessPlatform::FireTimer(NativeWindow* w, uint32_t id) {
    HeadlessWindow* window = Live(w);
    if (!window || !window->IsTimerRunning(id)) return false;
    window->NativeTimer(id);
    Platform::ProcessPending();
    return true;
}

int HeadlessPlatform::TickPeriodicTimers() {
    return PeriodicTimers::Instance().TickManual();
}

cairo_surface_t* HeadlessPlatform::Frame(NativeWindow* w) {
    HeadlessWindow* window = Live(w);
    return window ? window->Frame() : nullptr;
}

uint32_t HeadlessPlatform::Pixel(NativeWindow* w, Point p) {
    cairo_surface_t* frame = Frame(w);
    if (!frame) return 0;
    int width = cairo_image_surface_get_width(frame),
        height = cairo_image_surface_get_height(frame);
    if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return 0;
    cairo_surface_flush(frame);
    const unsigned char* row =
        cairo_image_surface_get_data(frame) + p.y * cairo_image_surface_get_stride(frame);
    uint32_t px = reinterpret_cast<const uint32_t*>(row)[p.x];
    uint32_t a = px >> 24;
    if (a == 0) return 0;
    if (a == 255) return px;
    auto un = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
    return (a << 24) | (un((px >> 16) & 0xFF) << 16) | (un((px >> 8) & 0xFF) << 8) | un(px & 0xFF);
}

bool HeadlessPlatform::SaveFrame(NativeWindow* w, const std::string& pngPath) {
    cairo_surface_t* frame = Frame(w);
    return frame && cairo_surface_write_to_png(frame, pngPath.c_str()) == CAIRO_STATUS_SUCCESS;
}

void HeadlessPlatform::SetScreen(const Rect& screen, const Rect& workArea) {
    screen_ = screen;
    work_ = workArea;
}

void HeadlessPlatform::AddTimer(HeadlessWindow* window, uint32_t id, uint32_t periodMs) {
    timers_[{window, id}] = Timer{periodMs, now_ + periodMs};
}

void HeadlessPlatform::RemoveTimer(HeadlessWindow* window, uint32_t id) {
    timers_.erase({window, id});
}

void HeadlessPlatform::ForgetWindow(HeadlessWindow* window) {
    for (auto it = timers_.begin(); it != timers_.end();)
        it = it->first.first == window ? timers_.erase(it) : std::next(it);
    if (dragWindow_ == window) dragWindow_ = nullptr;
    if (activePopup_ == window) activePopup_ = nullptr;
}

void HeadlessPlatform::SetActivePopup(HeadlessWindow* window) {
    if (window && activePopup_ && activePopup_ != window) activePopup_->Deactivate();
    activePopup_ = window;
}

void HeadlessPlatform::StartMoveDrag(HeadlessWindow* window, Point screen) {
    dragWindow_ = window;
    dragLast_ = screen;
}

} // namespace Tolva
