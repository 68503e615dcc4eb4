#include "app/shell/TrayIndicatorLibrary.h"

const TrayIndicatorLibrary* TrayIndicatorLibrary::Get() {
    static const TrayIndicatorLibrary* const loaded =
        Load({std::begin(kNames), std::end(kNames)}).release();
    return loaded;
}

std::unique_ptr<TrayIndicatorLibrary>
TrayIndicatorLibrary::Load(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        auto tray = std::make_unique<TrayIndicatorLibrary>();
        const SharedLibrary& lib = tray->library_;
        if (!tray->library_.Open({name})) continue;
        if (lib.Resolve("app_indicator_new", tray->indicatorNew) &&
            lib.Resolve("app_indicator_set_status", tray->setStatus) &&
            lib.Resolve("app_indicator_set_menu", tray->setMenu) &&
            lib.Resolve("app_indicator_set_title", tray->setTitle) &&
            lib.Resolve("app_indicator_set_secondary_activate_target",
                        tray->setSecondaryActivateTarget))
            return tray;
    }
    return nullptr;
}
