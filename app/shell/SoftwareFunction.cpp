#include "app/shell/SoftwareFunction.h"

#include "app/store/SettingsDatabase.h"

#include <gio/gio.h>
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>
#endif

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

SoftwareFunction::Outcome SoftwareFunction::Perform(SettingsDatabase& store, int id) {
    Outcome outcome;
    if (id < 1) return outcome;
    std::string description, parameter;
    int type = 0;
    store.GetKeyExtraData(id, description, parameter, type);
    outcome.type = type;
    switch (type) {
    case kRunProgram:
        outcome.target = parameter;
        outcome.done = !parameter.empty() && RunProgram(parameter);
        break;
    case kOpenWebPage:
        if (description.empty()) break;
        outcome.target = WebAddress(description);
        outcome.done = OpenUri(UriFor(outcome.target));
        break;
    case kTypeText:
        outcome.target = description;
        outcome.done = !description.empty() && TypeText(description);
        break;
    case kSwitchProfile:
        outcome.target = parameter;
        outcome.profile = ProfileNumber(parameter);
        outcome.done = outcome.profile > 0;
        break;
    default:
        break;
    }
    return outcome;
}

std::string SoftwareFunction::WebAddress(const std::string& stored) {
    if (stored.find("www.") != std::string::npos) return stored;
    // "www.https://host" would name no page at all.
    const size_t scheme = stored.find("://");
    if (scheme != std::string::npos)
        return stored.substr(0, scheme + 3) + "www." + stored.substr(scheme + 3);
    return "www." + stored;
}

std::string SoftwareFunction::UriFor(const std::string& address) {
    if (address.find("://") != std::string::npos) return address;
    return "http://" + address;
}

int SoftwareFunction::ProfileNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return 0;
    for (char c : text)
        if (c < '0' || c > '9') return 0;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    return n > 0 && n <= INT_MAX ? static_cast<int>(n) : 0;
}

bool SoftwareFunction::RunProgram(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(path.c_str(), X_OK) != 0)
        return false;
    std::string program = path;
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    // Reaped aside so that no zombie stays behind; the program runs on its own.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

bool SoftwareFunction::OpenUri(const std::string& uri) {
    if (uri.empty()) return false;
    // The asynchronous form: activating a browser over D-Bus can take a while.
    g_app_info_launch_default_for_uri_async(uri.c_str(), nullptr, nullptr, nullptr, nullptr);
    return true;
}

#ifdef GDK_WINDOWING_X11
namespace {

struct PendingPaste {
    Display* display = nullptr;
    KeyCode control = 0;
    KeyCode v = 0;
};

gboolean ReleasePaste(gpointer data) {
    auto* paste = static_cast<PendingPaste*>(data);
    XTestFakeKeyEvent(paste->display, paste->v, False, 0);
    XTestFakeKeyEvent(paste->display, paste->control, False, 0);
    XFlush(paste->display);
    // The text does not stay on the clipboard.
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), "", 0);
    delete paste;
    return G_SOURCE_REMOVE;
}

} // namespace
#endif

bool SoftwareFunction::TypeText(const std::string& text) {
#ifdef GDK_WINDOWING_X11
    GdkDisplay* gdk = gdk_display_get_default();
    if (!gdk || !GDK_IS_X11_DISPLAY(gdk)) return false;
    Display* display = gdk_x11_display_get_xdisplay(gdk);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) return false;
    auto* paste = new PendingPaste;
    paste->display = display;
    paste->control = XKeysymToKeycode(display, XK_Control_L);
    paste->v = XKeysymToKeycode(display, XK_v);
    if (!paste->control || !paste->v) {
        delete paste;
        return false;
    }
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), text.c_str(),
                           static_cast<gint>(text.size()));
    XTestFakeKeyEvent(display, paste->control, True, 0);
    XTestFakeKeyEvent(display, paste->v, True, 0);
    XFlush(display);
    g_timeout_add(kPasteHoldMs, ReleasePaste, paste);
    return true;
#else
    (void)text;
    return false;
#endif
}
