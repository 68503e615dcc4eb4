#pragma once

#include "app/platform/SharedLibrary.h"

#include <libayatana-appindicator/app-indicator.h>

#include <memory>
#include <string>
#include <vector>

// The appindicator calls of the tray's notifier icon, taken from the installed library only when
// the session has a notifier host to show it: elsewhere (an XEmbed tray) the library and its
// menu-over-D-Bus dependencies are never mapped.
class TrayIndicatorLibrary {
public:
    static constexpr const char* kNames[] = {"libayatana-appindicator3.so.1"};

    decltype(&app_indicator_new) indicatorNew = nullptr;
    decltype(&app_indicator_set_status) setStatus = nullptr;
    decltype(&app_indicator_set_menu) setMenu = nullptr;
    decltype(&app_indicator_set_title) setTitle = nullptr;
    decltype(&app_indicator_set_secondary_activate_target) setSecondaryActivateTarget = nullptr;

    // The installed library, loaded by the first caller; null when it is missing or lacks a
    // call. Never unloaded: it registers GObject types, which cannot be taken back.
    static const TrayIndicatorLibrary* Get();

    // The first of names that opens and has every call; null when none has.
    static std::unique_ptr<TrayIndicatorLibrary> Load(const std::vector<std::string>& names);

private:
    SharedLibrary library_;
};
