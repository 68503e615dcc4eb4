// The tray icon on the real GTK back end under Xvfb: a GtkStatusIcon (Xvfb has no notifier host
// and no XEmbed tray), its pointer events as the tray callback's messages, and its menu.
#include <gtest/gtest.h>

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/TrayIcon.h"
#include "ui/core/MWindow.h"
#include "ui/platform/Platform.h"

#include <gtk/gtk.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace Tolva;

namespace {

class Recorder : public MWindow {
public:
    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == TrayIcon::kCallbackMessage || msg == WM_COMMAND)
            seen.push_back({msg, msg == WM_COMMAND ? static_cast<intptr_t>(wparam) : lparam});
        return MWindow::OnWindowMessage(msg, wparam, lparam);
    }
    std::vector<std::pair<uint32_t, intptr_t>> seen;
};

std::string ProgramFolder() {
    const char* home = std::getenv("PIVANE_HOME");
    std::string folder = home ? home : "";
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// What GTK hands the status icon for a pointer button.
bool Button(GtkStatusIcon* icon, GdkEventType type, unsigned button) {
    GdkEvent* event = gdk_event_new(type);
    event->button.button = button;
    event->button.time = GDK_CURRENT_TIME;
    gboolean handled = FALSE;
    g_signal_emit_by_name(
        icon, type == GDK_BUTTON_RELEASE ? "button-release-event" : "button-press-event", event,
        &handled);
    gdk_event_free(event);
    Platform::ProcessPending();
    return handled;
}

// A private session bus with a StatusNotifierWatcher on it that has a host, as KDE or GNOME's
// extension provide. The watcher answers on a thread of its own, so that the program's
// synchronous questions on the window thread get their answers.
class FakeNotifierSession {
public:
    FakeNotifierSession() {
        gchar* argv[] = {const_cast<gchar*>("dbus-daemon"), const_cast<gchar*>("--session"),
                         const_cast<gchar*>("--nofork"), const_cast<gchar*>("--print-address=1"),
                         nullptr};
        gint out = -1;
        if (!g_spawn_async_with_pipes(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                                      &pid_, nullptr, &out, nullptr, nullptr))
            return;
        std::string address;
        char c = 0;
        while (read(out, &c, 1) == 1 && c != '\n')
            address += c;
        close(out);
        if (address.empty()) return;
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        thread_ = std::thread([this, address] { Serve(address); });
        std::unique_lock lock(mutex_);
        ready_.wait_for(lock, std::chrono::seconds(5), [this] { return served_; });
    }
    ~FakeNotifierSession() {
        if (loop_) g_main_loop_quit(loop_);
        if (thread_.joinable()) thread_.join();
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    bool Ready() const { return owned_; }
    std::vector<std::string> Items() {
        std::lock_guard lock(mutex_);
        return items_;
    }

private:
    void Serve(const std::string& address) {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        loop_ = g_main_loop_new(context, FALSE);
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            address.c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        static const char* xml =
            "<node><interface name='org.kde.StatusNotifierWatcher'>"
            "<method name='RegisterStatusNotifierItem'><arg type='s' direction='in'/></method>"
            "<method name='RegisterStatusNotifierHost'><arg type='s' direction='in'/></method>"
            "<property name='RegisteredStatusNotifierItems' type='as' access='read'/>"
            "<property name='IsStatusNotifierHostRegistered' type='b' access='read'/>"
            "<property name='ProtocolVersion' type='i' access='read'/>"
            "</interface></node>";
        GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(xml, nullptr);
        static const GDBusInterfaceVTable vtable = {
            &FakeNotifierSession::Call, &FakeNotifierSession::Property, nullptr, {}};
        if (bus && info)
            g_dbus_connection_register_object(bus, "/StatusNotifierWatcher", info->interfaces[0],
                                              &vtable, this, nullptr, nullptr);
        GVariant* reply =
            bus ? g_dbus_connection_call_sync(
                      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                      "RequestName", g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 4u),
                      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr)
                : nullptr;
        if (reply) {
            guint32 result = 0;
            g_variant_get(reply, "(u)", &result);
            owned_ = result == 1;
            g_variant_unref(reply);
        }
        {
            std::lock_guard lock(mutex_);
            served_ = true;
        }
        ready_.notify_all();
        g_main_loop_run(loop_);
        if (bus) g_object_unref(bus);
        if (info) g_dbus_node_info_unref(info);
        g_main_loop_unref(loop_);
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }
    static void Call(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                     const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                     gpointer self) {
        auto* me = static_cast<FakeNotifierSession*>(self);
        if (g_strcmp0(method, "RegisterStatusNotifierItem") == 0) {
            const gchar* item = nullptr;
            g_variant_get(parameters, "(&s)", &item);
            std::lock_guard lock(me->mutex_);
            me->items_.push_back(std::string(sender) + item);
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
    static GVariant* Property(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                              const gchar* name, GError**, gpointer) {
        if (g_strcmp0(name, "IsStatusNotifierHostRegistered") == 0)
            return g_variant_new_boolean(TRUE);
        if (g_strcmp0(name, "ProtocolVersion") == 0) return g_variant_new_int32(0);
        return g_variant_new_strv(nullptr, 0);
    }

    GPid pid_ = 0;
    std::thread thread_;
    GMainLoop* loop_ = nullptr;
    std::mutex mutex_;
    std::condition_variable ready_;
    bool served_ = false;
    bool owned_ = false;
    std::vector<std::string> items_;
};

class TrayGui : public ::testing::Test {
protected:
    void SetUp() override {
        // No session bus: the status icon is the one to come.
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        ASSERT_TRUE(Platform::Init(BackendKind::Gtk));
        Language::SetCurrent(Language::kEnglish);
        ASSERT_NE(owner.Create(nullptr, "owner", WS_POPUP, 0, {0, 0, 100, 100}), nullptr);
    }
    void TearDown() override {
        tray.Remove();
        owner.DestroyWindow();
        Platform::Shutdown();
    }

    Recorder owner;
    TrayIcon tray;
};

TEST_F(TrayGui, WithoutAHostTheStatusIconIsUsedAndNoTrayIsReported) {
    EXPECT_FALSE(TrayIcon::SessionHasNotifierHost());
    ASSERT_TRUE(
        tray.Add(owner.GetSafeHwnd(), ProgramFolder() + TrayIcon::kIconFile, TrayIcon::kTip));
    EXPECT_TRUE(tray.IsAdded());
    EXPECT_EQ(tray.GetKind(), TrayIcon::Kind::StatusIcon);
    // Xvfb runs no tray manager: nothing embeds the icon, so closing must not hide the window.
    for (int i = 0; i < 20; ++i)
        Platform::PumpOnce(false);
    EXPECT_FALSE(tray.HasTray());
    EXPECT_FALSE(tray.Add(owner.GetSafeHwnd(), ProgramFolder() + TrayIcon::kIconFile, "again"));
    tray.Remove();
    EXPECT_FALSE(tray.IsAdded());
    EXPECT_FALSE(tray.HasTray());
    tray.Remove(); // a second removal finds nothing to do
    EXPECT_EQ(tray.GetKind(), TrayIcon::Kind::None);
}

TEST_F(TrayGui, PointerButtonsReachTheOwnerAsTheTrayCallbackAndTheMenuAsCommands) {
    ASSERT_TRUE(
        tray.Add(owner.GetSafeHwnd(), ProgramFolder() + TrayIcon::kIconFile, TrayIcon::kTip));
    GtkWidget* menu = tray.Menu();
    ASSERT_NE(menu, nullptr);
    GtkStatusIcon* icon = tray.StatusIcon();
    ASSERT_NE(icon, nullptr);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    EXPECT_STREQ(gtk_status_icon_get_tooltip_text(icon), TrayIcon::kTip);
    GdkPixbuf* picture = gtk_status_icon_get_pixbuf(icon);
    G_GNUC_END_IGNORE_DEPRECATIONS
    EXPECT_NE(picture, nullptr) << "no picture from " << ProgramFolder() << TrayIcon::kIconFile;

    // A left click, a double click (GTK: press, press, double press), a right click.
    EXPECT_TRUE(Button(icon, GDK_BUTTON_PRESS, 1));
    EXPECT_TRUE(Button(icon, GDK_BUTTON_PRESS, 1));
    EXPECT_TRUE(Button(icon, GDK_2BUTTON_PRESS, 1));
    EXPECT_FALSE(Button(icon, GDK_BUTTON_RELEASE, 1));
    EXPECT_FALSE(Button(icon, GDK_BUTTON_PRESS, 3));
    EXPECT_TRUE(Button(icon, GDK_BUTTON_RELEASE, 3));
    using Seen = std::vector<std::pair<uint32_t, intptr_t>>;
    EXPECT_EQ(owner.seen, (Seen{{1690, 513}, {1690, 513}, {1690, 515}, {1690, 517}}));
    owner.seen.clear();
    tray.ShowMenu(); // what the window does on 517
    Platform::ProcessPending();
    EXPECT_TRUE(gtk_widget_get_visible(tray.Menu()));
    gtk_menu_popdown(GTK_MENU(tray.Menu()));

    GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
    std::vector<std::string> labels;
    for (GList* it = items; it; it = it->next)
        labels.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(it->data)));
    ASSERT_EQ(labels, (std::vector<std::string>{UiText::Dialog(10), UiText::Dialog(11)}));
    for (GList* it = items; it; it = it->next)
        gtk_menu_item_activate(GTK_MENU_ITEM(it->data));
    g_list_free(items);
    Platform::ProcessPending();
    EXPECT_EQ(owner.seen, (Seen{{WM_COMMAND, 200}, {WM_COMMAND, 100}}));
    // Relabelled with the language.
    Language::SetCurrent(Language::kChinese);
    tray.ApplyTexts();
    items = gtk_container_get_children(GTK_CONTAINER(menu));
    EXPECT_EQ(std::string(gtk_menu_item_get_label(GTK_MENU_ITEM(items->data))), UiText::Dialog(10));
    EXPECT_NE(UiText::Dialog(10), labels[0]);
    g_list_free(items);
}

TEST_F(TrayGui, WithANotifierHostTheIconIsAStatusNotifierItemWhoseMenuLeadsBack) {
    FakeNotifierSession session;
    if (!session.Ready()) GTEST_SKIP() << "no private session bus could be started";
    EXPECT_TRUE(TrayIcon::SessionHasNotifierHost());
    ASSERT_TRUE(
        tray.Add(owner.GetSafeHwnd(), ProgramFolder() + TrayIcon::kIconFile, TrayIcon::kTip));
    EXPECT_EQ(tray.GetKind(), TrayIcon::Kind::StatusNotifier);
    EXPECT_EQ(tray.StatusIcon(), nullptr);
    // The item registers with the watcher once the bus round trips have run.
    for (int i = 0; i < 200 && session.Items().empty(); ++i) {
        Platform::PumpOnce(false);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(session.Items().size(), 1u);
    EXPECT_TRUE(tray.HasTray());

    // The host opens the menu on every click, so its first item shows the window.
    GList* items = gtk_container_get_children(GTK_CONTAINER(tray.Menu()));
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(std::string(gtk_menu_item_get_label(GTK_MENU_ITEM(items->data))), TrayIcon::kTip);
    for (GList* it = items; it; it = it->next)
        if (!GTK_IS_SEPARATOR_MENU_ITEM(it->data)) gtk_menu_item_activate(GTK_MENU_ITEM(it->data));
    g_list_free(items);
    Platform::ProcessPending();
    using Seen = std::vector<std::pair<uint32_t, intptr_t>>;
    EXPECT_EQ(owner.seen, (Seen{{1690, 513}, {WM_COMMAND, 200}, {WM_COMMAND, 100}}));
    tray.Remove();
    EXPECT_FALSE(tray.HasTray());
}

} // namespace
