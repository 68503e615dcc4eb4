#include "app/shell/TrayIcon.h"

#include "app/files/UiText.h"
#include "app/shell/TrayIndicatorLibrary.h"
#include "ui/paint/MRender.h"
#include "ui/platform/Platform.h"

#include <gtk/gtk.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

using namespace Tolva;

// GtkStatusIcon is deprecated in GTK 3, but it is the only way into an XEmbed tray, which
// desktops without a StatusNotifierItem host (and Xvfb) still have.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";
constexpr int kBusTimeoutMs = 500;
constexpr const char* kCommandKey = "pivane-command";
constexpr const char* kShowKey = "pivane-show";

GdkPixbuf* LoadPixbuf(const std::string& path) {
    auto icon = MRender::LoadIconFromFile(path);
    if (!icon || !icon->Surface(0)) return nullptr;
    return gdk_pixbuf_get_from_surface(icon->Surface(0), 0, 0, icon->Width(), icon->Height());
}

// A folder of the user's own where the notifier's host (another process) can read the icon.
std::string IconCopyPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && *runtime == '/' ? runtime : g_get_user_cache_dir();
    if (folder.empty()) return {};
    if (folder.back() != '/') folder += '/';
    return folder + "pivane-tray-" + std::to_string(getpid()) + ".png";
}

bool BoolReply(GVariant* reply, bool fallback) {
    if (!reply) return fallback;
    bool value = fallback;
    GVariant* inner = g_variant_get_child_value(reply, 0);
    if (g_variant_is_of_type(inner, G_VARIANT_TYPE_VARIANT)) {
        GVariant* boxed = g_variant_get_variant(inner);
        if (g_variant_is_of_type(boxed, G_VARIANT_TYPE_BOOLEAN))
            value = g_variant_get_boolean(boxed);
        g_variant_unref(boxed);
    } else if (g_variant_is_of_type(inner, G_VARIANT_TYPE_BOOLEAN)) {
        value = g_variant_get_boolean(inner);
    }
    g_variant_unref(inner);
    g_variant_unref(reply);
    return value;
}

} // namespace

TrayIcon::~TrayIcon() {
    Remove();
}

bool TrayIcon::SessionHasNotifierHost() {
    // Without an address GLib would try to launch a bus through X11; a session without one has
    // no notifier host anyway.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) return false;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    GVariant* owned = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", kWatcherName), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, kBusTimeoutMs, nullptr, &error);
    g_clear_error(&error);
    bool host = BoolReply(owned, false);
    if (host) {
        // A watcher without a registered host shows nothing.
        GVariant* registered = g_dbus_connection_call_sync(
            bus, kWatcherName, "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties", "Get",
            g_variant_new("(ss)", kWatcherName, "IsStatusNotifierHostRegistered"),
            G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, kBusTimeoutMs, nullptr, &error);
        g_clear_error(&error);
        host = BoolReply(registered, true);
    }
    g_object_unref(bus);
    return host;
}

bool TrayIcon::Add(NativeWindow* owner, const std::string& iconPath, const std::string& tip) {
    if (added_ || !Platform::IsInitialized() || Platform::Kind() != BackendKind::Gtk) return false;
    owner_ = owner;
    bool ok = false;
    if (SessionHasNotifierHost()) ok = AddNotifier(iconPath, tip);
    if (!ok) ok = AddStatusIcon(iconPath, tip);
    added_ = ok;
    return ok;
}

GtkWidget* TrayIcon::BuildMenu(bool withShowItem) {
    GtkWidget* menu = gtk_menu_new();
    g_object_ref_sink(menu);
    auto add = [&](const std::string& label, uintptr_t command, bool show) {
        GtkWidget* item = gtk_menu_item_new_with_label(label.c_str());
        g_object_set_data(G_OBJECT(item), kCommandKey, reinterpret_cast<gpointer>(command));
        g_object_set_data(G_OBJECT(item), kShowKey, GINT_TO_POINTER(show ? 1 : 0));
        g_signal_connect(item, "activate", G_CALLBACK(&TrayIcon::OnMenuItem), this);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
        gtk_widget_show(item);
        return item;
    };
    // The notifier's host opens the menu on every click, so the menu also carries the way back
    // to the window that a left click gives the status icon.
    if (withShowItem) {
        showItem_ = add(kTip, 0, true);
        GtkWidget* separator = gtk_separator_menu_item_new();
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), separator);
        gtk_widget_show(separator);
    }
    promptItem_ = add(UiText::Dialog(kClosePromptText), kClosePromptCommand, false);
    exitItem_ = add(UiText::Dialog(kExitText), kExitCommand, false);
    return menu;
}

bool TrayIcon::AddNotifier(const std::string& iconPath, const std::string& tip) {
    // Without the library the status icon stands in, as where no host runs.
    const TrayIndicatorLibrary* lib = TrayIndicatorLibrary::Get();
    if (!lib) return false;
    indicatorLib_ = lib;
    std::string icon;
    if (GdkPixbuf* pixbuf = LoadPixbuf(iconPath)) {
        // Hosts take a name or a path and read PNG everywhere; ICO not always.
        std::string copy = IconCopyPath();
        if (!copy.empty() && gdk_pixbuf_save(pixbuf, copy.c_str(), "png", nullptr, nullptr)) {
            icon = copy;
            iconCopy_ = copy;
        }
        g_object_unref(pixbuf);
    }
    indicator_ = lib->indicatorNew(kTip, icon.c_str(), APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    if (!indicator_) return false;
    lib->setTitle(indicator_, tip.c_str());
    menu_ = BuildMenu(true);
    lib->setMenu(indicator_, GTK_MENU(menu_));
    lib->setSecondaryActivateTarget(indicator_, showItem_);
    g_signal_connect(indicator_, APP_INDICATOR_SIGNAL_CONNECTION_CHANGED,
                     G_CALLBACK(&TrayIcon::OnConnectionChanged), this);
    connected_ = true; // the host answered just now; the signal tells when it goes
    lib->setStatus(indicator_, APP_INDICATOR_STATUS_ACTIVE);
    kind_ = Kind::StatusNotifier;
    return true;
}

bool TrayIcon::AddStatusIcon(const std::string& iconPath, const std::string& tip) {
    GdkPixbuf* pixbuf = LoadPixbuf(iconPath);
    statusIcon_ = pixbuf ? gtk_status_icon_new_from_pixbuf(pixbuf) : gtk_status_icon_new();
    if (pixbuf) g_object_unref(pixbuf);
    if (!statusIcon_) return false;
    gtk_status_icon_set_tooltip_text(statusIcon_, tip.c_str());
    gtk_status_icon_set_title(statusIcon_, tip.c_str());
    g_signal_connect(statusIcon_, "button-press-event", G_CALLBACK(&TrayIcon::OnButtonPress), this);
    g_signal_connect(statusIcon_, "button-release-event", G_CALLBACK(&TrayIcon::OnButtonRelease),
                     this);
    gtk_status_icon_set_visible(statusIcon_, TRUE);
    menu_ = BuildMenu(false);
    kind_ = Kind::StatusIcon;
    return true;
}

void TrayIcon::Remove() {
    // The flag goes first: a second caller (the exit paths and the teardown both remove) finds
    // nothing to do.
    if (!added_) return;
    added_ = false;
    if (indicator_) {
        g_signal_handlers_disconnect_by_data(indicator_, this);
        indicatorLib_->setStatus(indicator_, APP_INDICATOR_STATUS_PASSIVE);
        g_object_unref(indicator_);
        indicator_ = nullptr;
    }
    if (statusIcon_) {
        g_signal_handlers_disconnect_by_data(statusIcon_, this);
        gtk_status_icon_set_visible(statusIcon_, FALSE);
        g_object_unref(statusIcon_);
        statusIcon_ = nullptr;
    }
    if (menu_) {
        gtk_widget_destroy(menu_);
        g_object_unref(menu_);
        menu_ = nullptr;
    }
    showItem_ = promptItem_ = exitItem_ = nullptr;
    if (lastRelease_) {
        gdk_event_free(lastRelease_);
        lastRelease_ = nullptr;
    }
    if (!iconCopy_.empty()) {
        ::unlink(iconCopy_.c_str());
        iconCopy_.clear();
    }
    connected_ = false;
    kind_ = Kind::None;
}

bool TrayIcon::HasTray() const {
    if (!added_) return false;
    if (kind_ == Kind::StatusNotifier) return connected_;
    return statusIcon_ && gtk_status_icon_is_embedded(statusIcon_);
}

void TrayIcon::ShowMenu() {
    if (!added_ || kind_ != Kind::StatusIcon || !menu_) return;
    // Placed by the icon rather than at an event: the release that asked for the menu belongs
    // to the tray's window, which the menu's own placement cannot use.
    const guint button = lastRelease_ ? lastRelease_->button.button : 3;
    const guint32 time = lastRelease_ ? lastRelease_->button.time : gtk_get_current_event_time();
    gtk_menu_popup(GTK_MENU(menu_), nullptr, nullptr, gtk_status_icon_position_menu, statusIcon_,
                   button, time);
}

void TrayIcon::ApplyTexts() {
    if (promptItem_)
        gtk_menu_item_set_label(GTK_MENU_ITEM(promptItem_),
                                UiText::Dialog(kClosePromptText).c_str());
    if (exitItem_)
        gtk_menu_item_set_label(GTK_MENU_ITEM(exitItem_), UiText::Dialog(kExitText).c_str());
}

void TrayIcon::Post(uint32_t msg, uintptr_t wparam, intptr_t lparam) const {
    if (owner_) Platform::PostMessage(owner_, msg, wparam, lparam);
}

int TrayIcon::OnButtonPress(GtkStatusIcon*, GdkEvent* event, void* self) {
    auto* me = static_cast<TrayIcon*>(self);
    const GdkEventButton& button = event->button;
    if (button.button != 1) return FALSE;
    // GTK reports a double click as a press, a press and a double-press; only the last is 515.
    if (button.type == GDK_BUTTON_PRESS) me->Post(kCallbackMessage, 0, kLeftDown);
    if (button.type == GDK_2BUTTON_PRESS) me->Post(kCallbackMessage, 0, kLeftDoubleClick);
    return TRUE;
}

int TrayIcon::OnButtonRelease(GtkStatusIcon*, GdkEvent* event, void* self) {
    auto* me = static_cast<TrayIcon*>(self);
    if (event->button.button != 3) return FALSE;
    if (me->lastRelease_) gdk_event_free(me->lastRelease_);
    me->lastRelease_ = gdk_event_copy(event);
    me->Post(kCallbackMessage, 0, kRightUp);
    return TRUE;
}

void TrayIcon::OnMenuItem(GtkWidget* item, void* self) {
    auto* me = static_cast<TrayIcon*>(self);
    if (GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), kShowKey))) {
        me->Post(kCallbackMessage, 0, kLeftDown);
        return;
    }
    const auto command =
        reinterpret_cast<uintptr_t>(g_object_get_data(G_OBJECT(item), kCommandKey));
    me->Post(WM_COMMAND, command, 0);
}

void TrayIcon::OnConnectionChanged(AppIndicator*, int connected, void* self) {
    static_cast<TrayIcon*>(self)->connected_ = connected != 0;
}

#pragma GCC diagnostic pop
