#pragma once

#include "ui/platform/NativeWindow.h"

namespace Tolva {

class HeadlessPlatform;

// A window of the headless back end: its screen is an ARGB32 surface in memory.
class HeadlessWindow : public NativeWindow {
public:
    HeadlessWindow(HeadlessPlatform& platform, const WindowParams& params, WindowProc proc,
                   void* self);
    ~HeadlessWindow() override;

    void Show(int command) override;
    void Present(cairo_surface_t* image, const Rect& area) override;
    void BeginMoveDrag(Point screen) override;
    cairo_surface_t* Frame() const { return frame_; }
    // Menus and drop-downs (owned tool popups) are active from an activating show until a press
    // lands anywhere else, as on the GTK back end.
    bool IsActivePopup() const { return activePopup_; }
    void Deactivate();

    // Entry points for the headless platform's injected input and clock.
    using NativeWindow::NativeMoved;
    using NativeWindow::NativePointerLeft;
    using NativeWindow::NativePointerMoved;
    using NativeWindow::NativeTimer;
    using NativeWindow::PostMouse;

protected:
    bool StartNativeTimer(uint32_t id, uint32_t elapseMs) override;
    void StopNativeTimer(uint32_t id) override;
    void DestroyNative() override;

private:
    HeadlessPlatform& platform_;
    cairo_surface_t* frame_ = nullptr;
    bool activePopup_ = false;
};

} // namespace Tolva
