#pragma once

#include <cstdint>
#include <string>

namespace Tolva {
class NativeWindow;
}

typedef struct _AppIndicator AppIndicator;
typedef struct _GtkStatusIcon GtkStatusIcon;
typedef struct _GtkWidget GtkWidget;
typedef union _GdkEvent GdkEvent;
class TrayIndicatorLibrary;

// The program's icon in the desktop's notification area. A StatusNotifierItem (through
// libayatana-appindicator) where the session has a host for one, a GtkStatusIcon (XEmbed tray)
// otherwise. It reports to its owner window as the original tray callback did: message 1690
// with lParam 513 (left press), 515 (double click) or 517 (right release), and its menu's
// choices as WM_COMMAND 200 (the close prompt) and 100 (exit). Needs the GTK back end; on any
// other, Add fails and nothing is shown. Window thread only. The appindicator library is loaded
// when a host is first found; without it the status icon is used.
class TrayIcon {
public:
    static constexpr uint32_t kCallbackMessage = 1690;
    static constexpr intptr_t kLeftDown = 513;
    static constexpr intptr_t kLeftDoubleClick = 515;
    static constexpr intptr_t kRightUp = 517;
    static constexpr uintptr_t kClosePromptCommand = 200;
    static constexpr uintptr_t kExitCommand = 100;
    static constexpr int kClosePromptText = 10;
    static constexpr int kExitText = 11;
    static constexpr const char* kTip = "ORMAN-Q410";
    static constexpr const char* kIconFile = "Pivane.ico";

    enum class Kind { None, StatusNotifier, StatusIcon };

    TrayIcon() = default;
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon (a missing or unreadable icon file leaves it without a picture). False when
    // it is already added, the back end is not GTK, or neither kind can be made.
    bool Add(Tolva::NativeWindow* owner, const std::string& iconPath, const std::string& tip);
    // Removes the icon; at most once, whoever calls it first.
    void Remove();
    bool IsAdded() const { return added_; }
    Kind GetKind() const { return kind_; }
    // Whether the person can reach the program through the icon right now: the notifier's host
    // is connected, or the status icon sits in a tray. False without an icon.
    bool HasTray() const;
    // The menu of texts 10 and 11 at the pointer (the status icon's right click; the notifier's
    // host shows its menu itself).
    void ShowMenu();
    // Relabels the menu in the current language.
    void ApplyTexts();

    // The menu and the status icon (null when not made); for tests.
    GtkWidget* Menu() const { return menu_; }
    GtkStatusIcon* StatusIcon() const { return statusIcon_; }

    // Whether a StatusNotifierItem host is registered on the session bus (asks it, briefly).
    static bool SessionHasNotifierHost();

private:
    bool AddNotifier(const std::string& iconPath, const std::string& tip);
    bool AddStatusIcon(const std::string& iconPath, const std::string& tip);
    GtkWidget* BuildMenu(bool withShowItem);
    void Post(uint32_t msg, uintptr_t wparam, intptr_t lparam) const;

    static int OnButtonPress(GtkStatusIcon* icon, GdkEvent* event, void* self);
    static int OnButtonRelease(GtkStatusIcon* icon, GdkEvent* event, void* self);
    static void OnMenuItem(GtkWidget* item, void* self);
    static void OnConnectionChanged(AppIndicator* indicator, int connected, void* self);

    Tolva::NativeWindow* owner_ = nullptr;
    bool added_ = false;
    Kind kind_ = Kind::None;
    const TrayIndicatorLibrary* indicatorLib_ = nullptr; // set with indicator_
    AppIndicator* indicator_ = nullptr;
    GtkStatusIcon* statusIcon_ = nullptr;
    GtkWidget* menu_ = nullptr;
    GtkWidget* showItem_ = nullptr;
    GtkWidget* promptItem_ = nullptr;
    GtkWidget* exitItem_ = nullptr;
    GdkEvent* lastRelease_ = nullptr; // the right release that asked for the menu
    bool connected_ = false;
    std::string iconCopy_; // the notifier's PNG copy of the icon, removed with it
};
