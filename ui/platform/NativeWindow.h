#pragma once

#include <cairo.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"
#include "ui/platform/Messages.h"

typedef struct _cairo_surface cairo_surface_t;

namespace Tolva {

class NativeWindow;

// The window procedure: every message of a window goes through it, with the back-pointer given
// at creation. The first call is WM_NCCREATE, the last WM_NCDESTROY.
using WindowProc = LRESULT (*)(void* self, NativeWindow* window, uint32_t msg, WPARAM wParam,
                               LPARAM lParam);

enum class CursorShape { Arrow, Hand, IBeam, Wait, Cross, SizeAll, SizeWE, SizeNS, No };

struct WindowParams {
    std::string title;
    Rect rect; // screen coordinates; windows have no frame, so this is also the client area
    NativeWindow* owner = nullptr; // owned windows stay above their owner
    bool popup = false; // menu, drop-down or tip: no task-bar entry, shown without taking focus
    bool toolWindow = false; // no task-bar entry
    bool topMost = false;
    bool layered = false; // per-pixel alpha where a compositor exists, opaque otherwise
    // Never takes the pointer (an empty input shape): input goes to what lies below.
    bool inputTransparent = false;
};

// One native top-level window. Created by Platform::CreateNativeWindow, owned by the platform
// and freed after Destroy (or Platform::Shutdown). Every member is for the window thread only;
// Platform::PostMessage, Platform::InvalidateRect and Platform::EnableWindow are the calls that
// other threads may make.
class TOLVA_API NativeWindow {
public:
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;
    virtual ~NativeWindow();

    // Calls the window procedure at once. Returns 0 for a destroyed window.
    LRESULT Send(uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
    void* GetUserData() const { return self_; }

    // Show commands are the SW_* values. WM_SHOWWINDOW and WM_SIZE follow.
    virtual void Show(int command);
    bool IsVisible() const { return visible_; }
    bool IsIconic() const { return iconic_; }

    // Screen rectangle of the window; the client rectangle starts at (0, 0).
    Rect GetWindowRect() const { return rect_; }
    Rect GetClientRect() const { return {0, 0, rect_.Width(), rect_.Height()}; }
    // Moves and sizes the window; WM_MOVE and WM_SIZE follow when they changed.
    virtual void SetWindowRect(const Rect& screen);
    void Move(int x, int y) { SetWindowRect(rect_.Offset(x - rect_.left, y - rect_.top)); }
    Point ClientToScreen(Point p) const { return {p.x + rect_.left, p.y + rect_.top}; }
    Point ScreenToClient(Point p) const { return {p.x - rect_.left, p.y - rect_.top}; }
    Rect ClientToScreen(const Rect& r) const { return r.Offset(rect_.left, rect_.top); }
    Rect ScreenToClient(const Rect& r) const { return r.Offset(-rect_.left, -rect_.top); }

    virtual void SetTitle(const std::string& title);
    const std::string& GetTitle() const { return title_; }
    // The icon the desktop shows for the window (taskbar, switcher); null clears it.
    virtual void SetIcon(cairo_surface_t* icon);
    cairo_surface_t* GetIcon() const { return icon_; }
    NativeWindow* GetOwnerWindow() const { return owner_; }

    // A disabled window receives no mouse or key input. WM_ENABLE follows a change. Disabling
    // is counted: each Enable(false) needs its own Enable(true), so that a task's disable and
    // enable cannot re-enable a window a modal dialog holds disabled. Enabling a window that is
    // not disabled does nothing.
    void Enable(bool enabled);
    bool IsEnabled() const;
    int GetDisableCount() const { return disableCount_; }

    virtual void SetFocus();
    bool HasFocus() const;
    virtual void BringToTop();
    // Puts this window directly below `other` in the stacking order (a drop shadow below its
    // dialog).
    virtual void PlaceBelow(NativeWindow* other) { below_ = other; }
    NativeWindow* GetPlacedBelow() const { return below_; }
    bool IsInputTransparent() const { return inputTransparent_; }

    // Repaint bookkeeping: Invalidate adds to the update rectangle (the whole client area for
    // null); a WM_PAINT is generated when no other message waits. BeginPaint hands out and clears
    // the update rectangle; it returns false when it is empty.
    void Invalidate(const Rect* rect = nullptr);
    bool BeginPaint(Rect& update);
    Rect GetUpdateRect() const;

    // Shows `area` (client coordinates) of `image`, an ARGB32 surface of the client size. A
    // layered window keeps per-pixel alpha when the screen has a compositor.
    virtual void Present(cairo_surface_t* image, const Rect& area) = 0;
    // How many frames reached the screen so far.
    uint64_t GetFramesShown() const { return framesShown_; }
    virtual void SetLayered(bool layered);
    bool IsLayered() const { return layered_; }
    // Constant alpha of the whole window (255 = opaque).
    virtual void SetOpacity(uint8_t alpha);
    uint8_t GetOpacity() const { return opacity_; }

    // Window timers post WM_TIMER with the id every `elapseMs` until killed. Setting a running id
    // restarts it with the new period. SetTimer returns false when the timer cannot start;
    // KillTimer returns false for an unknown id.
    bool SetTimer(uint32_t id, uint32_t elapseMs);
    bool KillTimer(uint32_t id);
    bool IsTimerRunning(uint32_t id) const { return timers_.count(id) != 0; }

    // Mouse input goes to this window until released, wherever the pointer is.
    void SetCapture();
    void ReleaseCapture();
    // One WM_MOUSELEAVE when the pointer leaves (if `leave`), one WM_MOUSEHOVER after it rested
    // `hoverMs` (if above 0). Both requests end when their message was sent.
    void TrackMouse(bool leave, int hoverMs);
    bool IsTrackingLeave() const { return trackLeave_; }

    virtual void SetCursor(CursorShape cursor);
    CursorShape GetCursor() const { return cursor_; }

    // Starts moving the window with the pointer, as a press on a caption would, until the button
    // held at `screen` is released.
    virtual void BeginMoveDrag(Point screen) = 0;

    // Text input from input methods, for a windowless control that edits text. While on, the
    // back end's input method sees the keys first; committed text and pre-edit changes arrive as
    // WM_IME_COMPOSITION. `caret` (client coordinates) places the method's candidate window.
    virtual void SetTextInput(bool on);
    bool IsTextInput() const { return textInput_; }
    virtual void SetTextInputRect(const Rect& caret);
    Rect GetTextInputRect() const { return textInputRect_; }
    // What an input method (or a test) delivers: committed text queues until taken; the pre-edit
    // string replaces the previous one (empty ends the composition). `cursor` counts code points.
    void ImeCommit(const std::string& text);
    void ImePreedit(const std::string& text, int cursor);
    // The oldest committed text not yet taken; false when none waits.
    bool TakeImeResult(std::string& text);
    std::string GetImePreedit(int* cursor = nullptr) const;

    // Sends WM_DESTROY and WM_NCDESTROY, then the platform forgets the window.
    void Destroy();
    bool IsDestroyed() const { return destroyed_; }

protected:
    // The surface itself when it is w x h already; otherwise a new ARGB32 one holding the old
    // content, which is released. Windows keep their last frame across a resize this way.
    static cairo_surface_t* FitSurface(cairo_surface_t* surface, int w, int h);

    NativeWindow(const WindowParams& params, WindowProc proc, void* self);

    // Back-end hooks.
    virtual bool StartNativeTimer(uint32_t id, uint32_t elapseMs) = 0;
    virtual void StopNativeTimer(uint32_t id) = 0;
    virtual void DestroyNative() = 0;
    // The window took (true) or lost (false) the mouse capture.
    virtual void CaptureChanged(bool captured) {}

    // Called by back ends when things happened natively. They post or send the matching messages.
    void NativeMoved(const Rect& screen);
    void NativeIconic(bool iconic);
    void NativeTimer(uint32_t id);
    void NativePointerMoved();
    void NativePointerLeft();
    // Posts a mouse message after the enabled check, tracking and double-click rules.
    void PostMouse(uint32_t msg, Point client, WPARAM keys);
    void SetVisibleFlag(bool visible) { visible_ = visible; }

    friend class Platform;

    Rect rect_;
    std::string title_;
    cairo_surface_t* icon_ = nullptr; // a reference of our own
    NativeWindow* owner_ = nullptr;
    bool popup_ = false;
    bool toolWindow_ = false;
    bool topMost_ = false;
    bool layered_ = false;
    uint8_t opacity_ = 255;
    bool visible_ = false;
    bool iconic_ = false;
    bool destroyed_ = false;
    int disableCount_ = 0;
    bool inputTransparent_ = false;
    NativeWindow* below_ = nullptr;
    uint64_t framesShown_ = 0;
    bool paintBegun_ = false; // set by BeginPaint during a WM_PAINT
    CursorShape cursor_ = CursorShape::Arrow;
    bool trackLeave_ = false;
    int hoverMs_ = 0;
    std::map<uint32_t, uint32_t> timers_; // id -> period
    bool textInput_ = false;
    Rect textInputRect_;
    std::deque<std::string> imeResults_;
    std::string imePreedit_;
    int imeCursor_ = 0;

private:
    WindowProc proc_ = nullptr;
    void* self_ = nullptr;
    uint64_t serial_ = 0;
};

} // namespace Tolva
