#include "ui/platform/GtkPlatform.h"

#include <gtk/gtk.h>

#include "ui/platform/Platform.h"

namespace Tolva {

std::unique_ptr<PlatformBackend> GtkPlatform::Start(int* argc, char*** argv) {
    return nullptr;
}
GtkPlatform::~GtkPlatform() = default;
BackendKind GtkPlatform::Kind() const {
    return BackendKind::Gtk;
}
std::shared_ptr<NativeWindow> GtkPlatform::NewWindow(const WindowParams&, WindowProc, void*) {
    return nullptr;
}
bool GtkPlatform::PollEvents() {
    return false;
}
void GtkPlatform::WaitForEvents() {}
void GtkPlatform::Wakeup() {}
Point GtkPlatform::CursorPos() {
    return {};
}
Rect GtkPlatform::ScreenRect() {
    return {};
}
Rect GtkPlatform::WorkArea(Point) {
    return {};
}
bool GtkPlatform::HasCompositor() {
    return false;
}
unsigned GtkPlatform::DoubleClickTime() {
    return 500;
}
uint64_t GtkPlatform::NowMs() {
    return static_cast<uint64_t>(g_get_monotonic_time() / 1000);
}
std::unique_ptr<ToolTipWindow> GtkPlatform::NewToolTip(NativeWindow*) {
    return nullptr;
}
std::unique_ptr<NativeEdit> GtkPlatform::NewEdit(NativeWindow*) {
    return nullptr;
}

} // namespace Tolva
