// The tray icon on the real GTK back end under Xvfb: a GtkStatusIcon (Xvfb has no notifier host
// and no XEmbed tray), its pointer events as the tray callback's messages, and its menu.
#include <gtest/gtest.h>

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/TrayIcon.h"
#include "ui/core/MWindow.h"
#include "ui/platform/Platform.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <string>
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
    gchar* tip = gtk_status_icon_get_tooltip_text(icon); // a copy the caller frees
    EXPECT_STREQ(tip, TrayIcon::kTip);
    g_free(tip);
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

} // namespace
