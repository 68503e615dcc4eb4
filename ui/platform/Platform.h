#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"
#include "ui/platform/Messages.h"
#include "ui/platform/NativeEdit.h"
#include "ui/platform/NativeWindow.h"
#include "ui/platform/ToolTipWindow.h"

namespace Tolva {

class HeadlessBackend;

enum class BackendKind { Gtk, Headless };

struct Message {
    NativeWindow* window = nullptr; // null for thread messages such as WM_QUIT
    uint32_t message = WM_NULL;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Tolva's native window layer: the process-wide entry to the chosen back end. The thread that
// calls Init is the window thread.
class TOLVA_API Platform {
public:
    // Starts a back end. Returns false when it cannot start (no display for Gtk) or when another
    // back end already runs; true when the same one already runs.
    static bool Init(BackendKind kind, int* argc = nullptr, char*** argv = nullptr);
    // Headless when TOLVA_BACKEND=headless, else Gtk.
    static bool InitFromEnvironment(int* argc = nullptr, char*** argv = nullptr);
    // Destroys every window and stops every timer; Init may be called again afterwards.
    static void Shutdown();
    static bool IsInitialized();
    static BackendKind Kind();
    // The headless back end's test hooks; null when another back end runs.
    static HeadlessBackend* Headless();

    // Creates a hidden window. WM_NCCREATE and WM_CREATE reach `proc` before this returns; null
    // when the platform is not running or the procedure refused (0 / -1).
    static NativeWindow* CreateNativeWindow(const WindowParams& params, WindowProc proc,
                                            void* self);

    // Any thread. Each returns false for a window that no longer exists.
    static bool IsWindow(NativeWindow* window);
    static bool PostMessage(NativeWindow* window, uint32_t msg, WPARAM wParam = 0,
                            LPARAM lParam = 0);
    static bool InvalidateRect(NativeWindow* window, const Rect* rect = nullptr);
    static bool EnableWindow(NativeWindow* window, bool enabled);
    // Ends the outermost GetMessage loop: GetMessage returns false with wParam = code.
    static void PostQuitMessage(int code);

    // Window thread. GetMessage waits for the next message (posted ones first, then WM_PAINT of
    // windows with a pending update) and returns false for WM_QUIT. Loops may nest, which is how
    // modal dialogs run.
    static bool GetMessage(Message& msg);
    // Takes the next message without waiting; false when none is ready.
    static bool PeekMessage(Message& msg);
    // Hands a message to its window procedure; 0 for a window that no longer exists.
    static LRESULT DispatchMessage(const Message& msg);
    static LRESULT SendMessage(NativeWindow* window, uint32_t msg, WPARAM wParam = 0,
                               LPARAM lParam = 0);
    // Dispatches everything that is ready without waiting; returns how many messages ran.
    static int ProcessPending();
    // Waits for native events (when `wait`), then dispatches what is ready; returns how many
    // messages ran. For loops that wait on something other than a message.
    static int PumpOnce(bool wait);

    static NativeWindow* GetCapture();
    static NativeWindow* GetFocusWindow();
    // VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON and keys seen by our
    // windows.
    static bool IsKeyDown(int virtualKey);
    // MK_SHIFT | MK_CONTROL | mouse buttons, as mouse messages carry them.
    static WPARAM GetMouseKeys();
    static Point GetCursorPos();
    static Rect GetScreenRect();
    // Work area (screen minus panels) of the monitor nearest to `near`.
    static Rect GetWorkArea(Point near);
    // Whether layered windows get per-pixel alpha.
    static bool HasCompositor();
    static unsigned GetDoubleClickTime();
    // Milliseconds on the platform's clock (the test clock on the headless back end).
    static uint64_t NowMs();

    // A periodic timer on a thread of its own: `tick` runs there every `periodMs`. Returns its id
    // (never 0), or 0 when it cannot start. Stop ends the ticks; with `wait` it also waits for a
    // running tick to finish (unless called from the tick itself). False for an unknown id.
    // A tick that returns false puts its timer to sleep (no wake-ups at all) until
    // WakePeriodicTimer.
    static uint32_t StartPeriodicTimer(uint32_t periodMs, std::function<bool(uint32_t id)> tick);
    static bool StopPeriodicTimer(uint32_t id, bool wait = true);
    static bool WakePeriodicTimer(uint32_t id);

    // Null when the platform is not running or the window does not exist.
    static std::unique_ptr<ToolTipWindow> CreateToolTip(NativeWindow* owner);
    static std::unique_ptr<NativeEdit> CreateEdit(NativeWindow* parent);

    // The desktop clipboard's text (UTF-8), window thread. Set returns false when the platform is
    // not running; Get returns false when the clipboard holds no text.
    static bool SetClipboardText(const std::string& text);
    static bool GetClipboardText(std::string& text);
};

} // namespace Tolva
