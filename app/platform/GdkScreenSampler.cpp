#include "app/platform/GdkScreenSampler.h"

#include <gdk/gdk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

GdkScreenSampler::GdkScreenSampler() {
    display_ = gdk_display_open(nullptr);
    if (!display_) return;
#ifdef GDK_WINDOWING_X11
    const bool x11 = GDK_IS_X11_DISPLAY(display_);
#else
    const bool x11 = false;
#endif
    if (!x11) {
        // Only X lets a program read the screen's pixels; elsewhere (a Wayland session without
        // X access) there is nothing to sample and the effect says so instead of sending black.
        gdk_display_close(display_);
        display_ = nullptr;
        return;
    }
    // The primary monitor's size; a display without one reports its first monitor.
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display_);
    if (!monitor && gdk_display_get_n_monitors(display_) > 0)
        monitor = gdk_display_get_monitor(display_, 0);
    if (!monitor) return;
    GdkRectangle area{};
    gdk_monitor_get_geometry(monitor, &area);
    width_ = area.width;
    height_ = area.height;
}

GdkScreenSampler::~GdkScreenSampler() {
    if (display_) gdk_display_close(display_);
}

bool GdkScreenSampler::Pixel(int x, int y, uint32_t& colour) {
    if (!display_ || x < 0 || y < 0) return false;
    GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display_));
    if (!root) return false;
    GdkPixbuf* pixel = gdk_pixbuf_get_from_window(root, x, y, 1, 1);
    if (!pixel) return false;
    const guchar* rgb = gdk_pixbuf_read_pixels(pixel);
    colour = static_cast<uint32_t>(rgb[0]) | static_cast<uint32_t>(rgb[1]) << 8 |
             static_cast<uint32_t>(rgb[2]) << 16;
    g_object_unref(pixel);
    return true;
}
