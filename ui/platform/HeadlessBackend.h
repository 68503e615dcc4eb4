#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"
#include "ui/platform/Messages.h"

typedef struct _cairo_surface cairo_surface_t;

namespace Tolva {

class NativeWindow;
class NativeEdit;

enum class MouseButton { Left, Right, Middle };

// Test hooks of the headless back end (Platform::Headless()). Windows are in-memory surfaces,
// input is injected, time moves only when the test advances it, and frames can be saved as PNG.
// Input calls post the messages a real window would get and then run everything that is ready
// (as Platform::ProcessPending does). Points are client coordinates of the window.
class TOLVA_API HeadlessBackend {
public:
    virtual ~HeadlessBackend();

    virtual void MouseMove(NativeWindow* window, Point p) = 0;
    virtual void MouseDown(NativeWindow* window, MouseButton button, Point p) = 0;
    virtual void MouseUp(NativeWindow* window, MouseButton button, Point p) = 0;
    // Down and up at the same point. Two clicks within the double-click time make a double click.
    virtual void Click(NativeWindow* window, Point p, MouseButton button = MouseButton::Left) = 0;
    // Positive deltas turn the wheel away from the user (multiples of WHEEL_DELTA).
    virtual void Wheel(NativeWindow* window, int delta, Point p) = 0;
    // The pointer leaves the window.
    virtual void Leave(NativeWindow* window) = 0;
    // A press outside every window of the program (it only deactivates an active menu).
    virtual void PressOutside() = 0;
    virtual void KeyDown(NativeWindow* window, int virtualKey) = 0;
    virtual void KeyUp(NativeWindow* window, int virtualKey) = 0;
    // WM_CHAR for each code point of `text`.
    virtual void Type(NativeWindow* window, const std::string& text) = 0;
    // Shift, Control and Alt as Platform::IsKeyDown reports them (KeyDown changes them too).
    virtual void SetModifiers(bool shift, bool control, bool alt) = 0;

    // Types into an edit box as a person would (limit and number rules, OnEditChanged), presses a
    // key in it (OnEditKey) or takes its focus away (OnEditFocusLost).
    virtual void EditType(NativeEdit* edit, const std::string& text) = 0;
    virtual void EditKey(NativeEdit* edit, int virtualKey) = 0;
    virtual void EditLoseFocus(NativeEdit* edit) = 0;

    // What an input method delivers to the window's text input (NativeWindow::ImeCommit and
    // ImePreedit), then runs what is ready. `cursor` counts code points of the pre-edit string.
    virtual void ImeCommit(NativeWindow* window, const std::string& text) = 0;
    virtual void ImePreedit(NativeWindow* window, const std::string& text, int cursor) = 0;

    // Moves the test clock: window timers and hover fire in time order, each followed by running
    // what is ready. Returns the number of WM_TIMER messages posted.
    virtual int AdvanceTime(uint32_t ms) = 0;
    // Posts WM_TIMER for a running timer at once; false when it does not run.
    virtual bool FireTimer(NativeWindow* window, uint32_t id) = 0;
    // Periodic timers tick on their threads unless manual; manual ones tick in TickPeriodicTimers.
    virtual void SetManualPeriodicTimers(bool manual) = 0;
    virtual int TickPeriodicTimers() = 0;
    // Called by a waiting GetMessage when nothing is queued (a nested loop in a test); it may post
    // or inject. Without it, GetMessage waits for another thread to post.
    virtual void SetIdleHandler(std::function<void()> handler) = 0;

    // The last presented image of the window (ARGB32, client size), owned by the window; null for
    // an unknown window.
    virtual cairo_surface_t* Frame(NativeWindow* window) = 0;
    // 0xAARRGGBB of one pixel of the frame (not premultiplied); 0 outside it.
    virtual uint32_t Pixel(NativeWindow* window, Point p) = 0;
    virtual bool SaveFrame(NativeWindow* window, const std::string& pngPath) = 0;
    // Whether a move drag is running (started by NativeWindow::BeginMoveDrag and not yet released).
    virtual bool IsMoveDragging() const = 0;

    virtual void SetScreen(const Rect& screen, const Rect& workArea) = 0;
    virtual void SetCompositor(bool present) = 0;

protected:
    HeadlessBackend() = default;
};

} // namespace Tolva
