#include "ui/platform/HeadlessWindow.h"

#include <cairo.h>

#include "ui/platform/HeadlessPlatform.h"
#include "ui/platform/InputState.h"
#include "ui/platform/MessageQueue.h"
#include "ui/platform/VirtualKeys.h"

namespace Tolva {

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, const WindowParams& params,
                               WindowProc proc, void* self)
    : NativeWindow(params, proc, self), platform_(platform) {}

HeadlessWindow::~HeadlessWindow() {
    if (frame_) cairo_surface_destroy(frame_);
}

void HeadlessWindow::Show(int command) {
    const bool activating = command != SW_HIDE && command != SW_SHOWNA &&
                            command != SW_SHOWNOACTIVATE && command != SW_MINIMIZE &&
                            command != SW_SHOWMINIMIZED;
    if (command == SW_HIDE) Deactivate();
    NativeWindow::Show(command);
    if (activating && popup_ && toolWindow_ && !activePopup_) {
        platform_.SetActivePopup(this);
        activePopup_ = true;
        MessageQueue::Instance().Post(this, WM_ACTIVATE, WA_ACTIVE, 0);
    }
}

void HeadlessWindow::Deactivate() {
    if (!activePopup_) return;
    activePopup_ = false;
    platform_.SetActivePopup(nullptr);
    MessageQueue::Instance().Post(this, WM_ACTIVATE, WA_INACTIVE, 0);
}

void HeadlessWindow::Present(cairo_surface_t* image, const Rect& area) {
    int w = rect_.Width(), h = rect_.Height();
    if (w <= 0 || h <= 0 || !image) return;
    frame_ = FitSurface(frame_, w, h);
    Rect r = area.Intersect(GetClientRect());
    if (r.IsEmpty()) return;
    cairo_surface_flush(image);
    ++framesShown_;
    // Without per-pixel alpha the screen shows every pixel opaque: the picture read as RGB24 is
    // copied with its alpha set in the same pass.
    const cairo_format_t format = cairo_image_surface_get_format(image);
    const bool keepAlpha = (layered_ && platform_.HasCompositor()) ||
                           (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24);
    cairo_surface_t* source =
        keepAlpha ? cairo_surface_reference(image)
                  : cairo_image_surface_create_for_data(
                        cairo_image_surface_get_data(image), CAIRO_FORMAT_RGB24,
                        cairo_image_surface_get_width(image), cairo_image_surface_get_height(image),
                        cairo_image_surface_get_stride(image));
    cairo_t* cr = cairo_create(frame_);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(source);
}

void HeadlessWindow::BeginMoveDrag(Point screen) {
    if (InputState::Instance().IsKeyDown(VK_LBUTTON)) platform_.StartMoveDrag(this, screen);
}

bool HeadlessWindow::StartNativeTimer(uint32_t id, uint32_t elapseMs) {
    platform_.AddTimer(this, id, elapseMs);
    return true;
}

void HeadlessWindow::StopNativeTimer(uint32_t id) {
    platform_.RemoveTimer(this, id);
}

void HeadlessWindow::DestroyNative() {
    platform_.ForgetWindow(this);
}

} // namespace Tolva
