#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Platform.h"

#include <cstdint>
#include <string>

namespace Tolva {

// Window style bits understood by Create (the Win32 values the application passes).
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr uint32_t WS_EX_LAYERED = 0x00080000;

// A native window and its window procedure. Messages reach OnWindowMessage; the object outlives
// its window (the window can be destroyed and created again).
class TOLVA_API MWindow {
public:
    MWindow();
    virtual ~MWindow();
    MWindow(const MWindow&) = delete;
    MWindow& operator=(const MWindow&) = delete;

    // Each returns the window, the existing one when it already exists, or null on failure.
    NativeWindow* Create(NativeWindow* parent);
    NativeWindow* Create(NativeWindow* parent, const Rect& rect);
    NativeWindow* Create(NativeWindow* parent, const std::string& title, uint32_t style,
                         uint32_t exStyle, const Rect& rect);
    // The same with a menu handle; for a child window (WS_CHILD) it is the window's id.
    NativeWindow* Create(NativeWindow* parent, const std::string& title, uint32_t style,
                         uint32_t exStyle, const Rect& rect, uintptr_t menu);
    uintptr_t GetMenu() const { return menu_; }
    // Icon built into the library: "res_<id>.ico" (or ".png") in the skin folder. False when
    // neither exists or decodes, or the window does not exist; the icon is then left as it was.
    bool SetIcon(int resourceId);

    NativeWindow* GetSafeHwnd() const { return hwnd_; }
    NativeWindow* GetParentHwnd() const;
    bool RegisterWindowClass() { return true; }
    bool RegisterSuperClass() { return true; }
    uint32_t GetStyle() const { return style_; }
    uint32_t GetExStyle() const { return exStyle_; }
    void ModifyStyle(uint32_t remove, uint32_t add) { style_ = (style_ & ~remove) | add; }
    void ModifyExStyle(uint32_t remove, uint32_t add);
    // Empty rectangles when the window does not exist.
    Rect GetClientRect() const;
    Rect GetWindowRect() const;
    void SetWindowTextW(const std::string& text);
    std::string GetWindowTextW() const;
    int GetWindowTextLengthW() const;
    bool EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    bool IsWindowVisible() const;
    bool IsIconic() const;
    void InvalidateRect(const Rect* rect, bool erase);
    void SetCapture();
    void ReleaseCapture();
    void SetFocus();
    // Window timers post WM_TIMER; false when the window does not exist or the timer fails.
    bool SetTimer(uint32_t id, uint32_t elapseMs);
    bool KillTimer(uint32_t id);
    Point ClientToScreen(Point p) const;
    Point ScreenToClient(Point p) const;
    Rect ClientToScreen(const Rect& r) const;
    Rect ScreenToClient(const Rect& r) const;
    void SetWindowPos(const Rect& screen);
    void MoveWindow(int x, int y, int cx, int cy);
    // Runs a nested loop until the window is gone. Returns the wparam of the WM_CLOSE that
    // ended it (0 if none came), or 0xFFFFFFFF when the window does not exist.
    uint32_t ShowModal(int show = SW_SHOWNORMAL);
    void DestroyWindow();
    // Centres on `other` (or the owner); stays inside the work area.
    void CenterWindow(NativeWindow* other = nullptr);
    void BringToTop();
    LRESULT SendMessageW(uint32_t msg, WPARAM wparam = 0, LPARAM lparam = 0);
    bool PostMessageW(uint32_t msg, WPARAM wparam = 0, LPARAM lparam = 0);

    // Virtual operations.
    virtual const char* GetWindowClassName() const { return "MWindow"; }
    virtual const char* GetSuperClassName() const { return nullptr; }
    virtual void ShowWindow(int command);
    virtual LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam);
    // True when the message was consumed before dispatch.
    virtual bool PreTranslateMessage(Message* msg) { return false; }
    virtual void OnInitDialog() {}
    virtual void OnDestroyMessage(NativeWindow* hwnd) {}

    // What the system does with a message nobody handled (WM_CLOSE destroys the window).
    LRESULT DefaultProc(uint32_t msg, WPARAM wparam, LPARAM lparam);
    // Position a centred window takes; exposed for its rules to be checked.
    static Rect CenteredRect(const Rect& window, const Rect& reference, bool referenceUsable,
                             const Rect& workArea);

protected:
    static LRESULT WindowProcedure(void* self, NativeWindow* window, uint32_t msg, WPARAM wparam,
                                   LPARAM lparam);

    // Gives a modal loop's owner its input back, once (before this window goes, so that focus
    // lands on it).
    void RestoreModalOwner();

    NativeWindow* hwnd_ = nullptr;
    NativeWindow* parentHwnd_ = nullptr;
    NativeWindow* modalOwner_ = nullptr; // disabled by ShowModal until restored
    uint32_t style_ = WS_POPUP;
    uint32_t exStyle_ = 0;
    uintptr_t menu_ = 0;
};

} // namespace Tolva
