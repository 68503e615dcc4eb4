#include "app/platform/GSettingsPointerSettings.h"

#include <gio/gio.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* kSpeed = "speed";
constexpr const char* kAccelProfile = "accel-profile";
constexpr const char* kDoubleClick = "double-click";
// Windows' default thresholds; the desktop has none, so they only fill the triple.
constexpr int kThreshold1 = 6;
constexpr int kThreshold2 = 10;

GSettingsSchema* LookUp(const std::string& schemaId) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source || schemaId.empty()) return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, schemaId.c_str(), TRUE);
    if (!schema) return nullptr;
    for (const char* key : {kSpeed, kAccelProfile, kDoubleClick}) {
        if (!g_settings_schema_has_key(schema, key)) {
            g_settings_schema_unref(schema);
            return nullptr;
        }
    }
    return schema;
}

} // namespace

bool GSettingsPointerSettings::SchemaInstalled(const std::string& schemaId) {
    GSettingsSchema* schema = LookUp(schemaId);
    if (!schema) return false;
    g_settings_schema_unref(schema);
    return true;
}

GSettingsPointerSettings::GSettingsPointerSettings(const std::string& schemaId,
                                                   std::string keptFile)
    : scroll_(std::move(keptFile)) {
    // g_settings_new aborts the process on a missing schema; the full form with a looked-up
    // schema does not.
    if (GSettingsSchema* schema = LookUp(schemaId)) {
        settings_ = g_settings_new_full(schema, nullptr, nullptr);
        g_settings_schema_unref(schema);
    }
}

GSettingsPointerSettings::~GSettingsPointerSettings() {
    if (settings_) g_object_unref(settings_);
}

double GSettingsPointerSettings::SpeedToDesktop(int speed) {
    return std::clamp((speed - 10) / 10.0, -1.0, 1.0);
}

int GSettingsPointerSettings::SpeedFromDesktop(double value) {
    if (!std::isfinite(value)) return 10;
    return std::clamp(static_cast<int>(std::lround(value * 10.0 + 10.0)), kMinSpeed, kMaxSpeed);
}

PointerSettings::Reach GSettingsPointerSettings::ReachOf(Setting setting) const {
    if (setting == Setting::ScrollLines) return Reach::Kept;
    return settings_ ? Reach::Desktop : Reach::NoDesktopSetting;
}

bool GSettingsPointerSettings::GetMouseSpeed(int& speed) {
    if (!settings_) return false;
    speed = SpeedFromDesktop(g_settings_get_double(settings_, kSpeed));
    return true;
}

bool GSettingsPointerSettings::SetMouseSpeed(int speed) {
    if (!settings_ || speed < kMinSpeed || speed > kMaxSpeed) return false;
    return g_settings_set_double(settings_, kSpeed, SpeedToDesktop(speed));
}

bool GSettingsPointerSettings::GetMouse(std::array<int, 3>& values) {
    if (!settings_) return false;
    gchar* profile = g_settings_get_string(settings_, kAccelProfile);
    const bool flat = profile && std::strcmp(profile, "flat") == 0;
    g_free(profile);
    values = {kThreshold1, kThreshold2, flat ? 0 : 1};
    return true;
}

bool GSettingsPointerSettings::SetMouse(const std::array<int, 3>& values) {
    if (!settings_) return false;
    std::array<int, 3> now{};
    GetMouse(now);
    const bool accelerate = values[kAccelerationValue] != 0;
    // An unchanged flag leaves the profile alone: "default" stays "default".
    if ((now[kAccelerationValue] != 0) == accelerate) return true;
    return g_settings_set_string(settings_, kAccelProfile, accelerate ? "adaptive" : "flat");
}

bool GSettingsPointerSettings::GetWheelScrollLines(int& lines) {
    lines = scroll_.Lines();
    return true;
}

bool GSettingsPointerSettings::SetWheelScrollLines(int lines) {
    if (lines != kPageScroll && (lines < 0 || lines > kMaxScrollLines)) return false;
    return scroll_.SetLines(lines);
}

bool GSettingsPointerSettings::GetDoubleClickTime(int& ms) {
    if (!settings_) return false;
    ms = g_settings_get_int(settings_, kDoubleClick);
    return true;
}

bool GSettingsPointerSettings::SetDoubleClickTime(int ms) {
    if (!settings_ || ms < kMinDoubleClickMs || ms > kMaxDoubleClickMs) return false;
    return g_settings_set_int(settings_, kDoubleClick, ms);
}
