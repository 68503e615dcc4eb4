#pragma once

#include <map>

#include "ui/platform/NativeWindow.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkIMContext GtkIMContext;

namespace Tolva {

// A window of the GTK back end: an undecorated GtkWindow whose content is the presented ARGB32
// surface, with a fixed container on top for native edit boxes.
class GtkNativeWindow : public NativeWindow {
public:
    GtkNativeWindow(const WindowParams& params, WindowProc proc, void* self);
    ~GtkNativeWindow() override;

    void Show(int command) override;
    void SetWindowRect(const Rect& screen) override;
    void SetTitle(const std::string& title) override;
    void SetIcon(cairo_surface_t* icon) override;
    void SetFocus() override;
    void BringToTop() override;
    void PlaceBelow(NativeWindow* other) override;
    void Present(cairo_surface_t* image, const Rect& area) override;
    void SetLayered(bool layered) override;
    void SetOpacity(uint8_t alpha) override;
    void SetCursor(CursorShape cursor) override;
    void BeginMoveDrag(Point screen) override;
    void SetTextInput(bool on) override;
    void SetTextInputRect(const Rect& caret) override;
    // The input method context while text input is on (null before); tests may drive it.
    GtkIMContext* ImContext() const { return im_; }
    void OnImCommit(const char* text);
    void OnImPreeditChanged();

    GtkWidget* Widget() const { return widget_; }
    void NativeTimerFired(uint32_t id) { NativeTimer(id); }
    GtkWidget* Container() const { return fixed_; }

    // Signal handlers (plain functions call into these).
    bool OnDraw(void* cairo);
    bool OnEvent(void* event);

protected:
    bool StartNativeTimer(uint32_t id, uint32_t elapseMs) override;
    void StopNativeTimer(uint32_t id) override;
    void DestroyNative() override;
    void CaptureChanged(bool captured) override;

private:
    void ApplyCursor();
    // An input-transparent window's empty input shape (GTK drops it when the window is remade).
    void ApplyInputShape();
    bool EntryHasFocus() const;
    // An activated menu or drop-down holds the pointer and keyboard, as it has no window-manager
    // focus; a press anywhere else deactivates it.
    void GrabForPopup();
    void ReleasePopupGrab();
    void RaiseOwnedWindows();
    void Deactivate();

    GtkWidget* widget_ = nullptr;
    GtkWidget* fixed_ = nullptr;
    cairo_surface_t* backing_ = nullptr;
    std::map<uint32_t, unsigned> sources_; // timer id -> GLib source id
    bool perPixelAlpha_ = false;
    bool overrideRedirect_ = false;
    bool grabbed_ = false;
    bool captureGrab_ = false; // a pointer grab taken for SetCapture without a held button
    bool dragging_ = false;
    Point dragLast_;
    uint32_t lastPressTime_ = 0;
    GtkIMContext* im_ = nullptr;
};

} // namespace Tolva
