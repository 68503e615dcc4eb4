#pragma once

#include "app/platform/KeptScrollLines.h"
#include "app/platform/PointerSettings.h"

#include <string>

typedef struct _GSettings GSettings;

// Pointer speed, acceleration and double-click time in the desktop's GSettings schema
// org.gnome.desktop.peripherals.mouse ("speed" -1..1, "accel-profile", "double-click"); wheel
// lines are kept by the program. Speed s of 1..20 is stored as (s - 10) / 10, so the desktop's
// default 0 is 10; the acceleration flag is every profile but "flat".
class GSettingsPointerSettings : public PointerSettings {
public:
    static constexpr const char* kMouseSchema = "org.gnome.desktop.peripherals.mouse";

    // Whether the schema is installed with the keys used here.
    static bool SchemaInstalled(const std::string& schemaId = kMouseSchema);

    // Without the schema every desktop setting reports NoDesktopSetting.
    GSettingsPointerSettings(const std::string& schemaId, std::string keptFile);
    ~GSettingsPointerSettings() override;
    GSettingsPointerSettings(const GSettingsPointerSettings&) = delete;
    GSettingsPointerSettings& operator=(const GSettingsPointerSettings&) = delete;

    Reach ReachOf(Setting setting) const override;
    bool GetMouseSpeed(int& speed) override;
    bool SetMouseSpeed(int speed) override;
    bool GetMouse(std::array<int, 3>& values) override;
    bool SetMouse(const std::array<int, 3>& values) override;
    bool GetWheelScrollLines(int& lines) override;
    bool SetWheelScrollLines(int lines) override;
    bool GetDoubleClickTime(int& ms) override;
    bool SetDoubleClickTime(int ms) override;

    static double SpeedToDesktop(int speed);
    static int SpeedFromDesktop(double value);

private:
    GSettings* settings_ = nullptr;
    KeptScrollLines scroll_;
};
