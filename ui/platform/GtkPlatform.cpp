#include "ui/platform/GtkPlatform.h"

#include <gtk/gtk.h>

#include "ui/platform/GtkEdit.h"
#include "ui/platform/GtkNativeWindow.h"
#include "ui/platform/GtkToolTip.h"
#include "ui/platform/Platform.h"

namespace Tolva {

std::unique_ptr<PlatformBackend> GtkPlatform::Start(int* argc, char*** argv) {
    // GL brings nothing to a cairo-drawn program and costs start-up time and memory.
    g_setenv("GDK_GL", "disable", FALSE);
    if (!gtk_init_check(argc, argv)) return nullptr;
    return std::unique_ptr<PlatformBackend>(new GtkPlatform());
}

GtkPlatform::~GtkPlatform() {
    // Let GTK finish destroying what the windows left behind.
    for (int i = 0; i < 100 && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
}

BackendKind GtkPlatform::Kind() const {
    return BackendKind::Gtk;
}

std::shared_ptr<NativeWindow> GtkPlatform::NewWindow(const WindowParams& params, WindowProc proc,
                                                     void* self) {
    return std::make_shared<GtkNativeWindow>(params, proc, self);
}

bool GtkPlatform::PollEvents() {
    return g_main_context_iteration(nullptr, FALSE) != FALSE;
}

void GtkPlatform::WaitForEvents() {
    g_main_context_iteration(nullptr, TRUE);
}

void GtkPlatform::Wakeup() {
    g_main_context_wakeup(nullptr);
}

Point GtkPlatform::CursorPos() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return {};
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    int x = 0, y = 0;
    if (pointer) gdk_device_get_position(pointer, nullptr, &x, &y);
    return {x, y};
}

Rect GtkPlatform::ScreenRect() {
    GdkDisplay* display = gdk_display_get_default();
    Rect all;
    for (int i = 0; display && i < gdk_display_get_n_monitors(display); ++i) {
        GdkRectangle g;
        gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &g);
        all = all.Union(Rect{g.x, g.y, g.x + g.width, g.y + g.height});
    }
    return all;
}

Rect GtkPlatform::WorkArea(Point near) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return {};
    GdkMonitor* monitor = gdk_display_get_monitor_at_point(display, near.x, near.y);
    if (!monitor) return ScreenRect();
    GdkRectangle g;
    gdk_monitor_get_workarea(monitor, &g);
    return Rect{g.x, g.y, g.x + g.width, g.y + g.height};
}

bool GtkPlatform::HasCompositor() {
    GdkScreen* screen = gdk_screen_get_default();
    return screen && gdk_screen_is_composited(screen) && gdk_screen_get_rgba_visual(screen);
}

unsigned GtkPlatform::DoubleClickTime() {
    gint ms = 400;
    if (GtkSettings* s = gtk_settings_get_default())
        g_object_get(s, "gtk-double-click-time", &ms, nullptr);
    return ms > 0 ? static_cast<unsigned>(ms) : 400u;
}

uint64_t GtkPlatform::NowMs() {
    return static_cast<uint64_t>(g_get_monotonic_time() / 1000);
}

std::unique_ptr<ToolTipWindow> GtkPlatform::NewToolTip(NativeWindow*) {
    return std::make_unique<GtkToolTip>();
}

std::unique_ptr<NativeEdit> GtkPlatform::NewEdit(NativeWindow* parent) {
    auto* window = dynamic_cast<GtkNativeWindow*>(parent);
    if (!window || !window->Container()) return nullptr;
    return std::make_unique<GtkEdit>(window);
}

bool GtkPlatform::SetClipboardText(const std::string& text) {
    GtkClipboard* c = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (!c) return false;
    gtk_clipboard_set_text(c, text.c_str(), static_cast<gint>(text.size()));
    return true;
}

bool GtkPlatform::GetClipboardText(std::string& text) {
    GtkClipboard* c = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (!c) return false;
    gchar* got = gtk_clipboard_wait_for_text(c);
    if (!got) return false;
    text = got;
    g_free(got);
    return true;
}

} // namespace Tolva
