#include "app/device/PerformanceCommands.h"

#include "app/device/CommandFrame.h"
#include "app/device/DpiStepTable.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/KeyAssignmentCommands.h"
#include "app/platform/Clock.h"
#include "app/store/SettingsDatabase.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

uint8_t Byte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

} // namespace

PerformanceCommands::PerformanceCommands(HidDeviceManager& manager, SettingsDatabase& store)
    : manager_(manager), store_(store) {}

int PerformanceCommands::ConfigInt(SettingsDatabase& store, int profile, const char* key) {
    std::string text;
    if (!store.GetConfigValue(profile, key, text)) return 0;
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

bool PerformanceCommands::SetActiveProfile(int mode, int profile) {
    // A profile the key commands cannot address is not switched to either.
    if (!CommandFrame::HasFrame(mode) || !KeyAssignmentCommands::FitsDevice(profile)) return false;
    // Args: profile number.
    auto report = CommandFrame::Mouse(mode, CommandFrame::kSetActiveProfile, {Byte(profile)});
    bool sent = manager_.WriteReport(report.data(), true);
    manager_.GetClock().SleepMs(kProfileSwitchPauseMs);
    return sent;
}

bool PerformanceCommands::SetReportRate(int mode, int profile) {
    if (!CommandFrame::HasFrame(mode)) return false;
    // Args: rate code, 0 = 125 Hz, 1 = 250 Hz, 2 = 500 Hz, 3 = 1000 Hz.
    int rate = ConfigInt(store_, profile, "report_rate");
    auto report = CommandFrame::Mouse(mode, CommandFrame::kSetReportRate, {Byte(rate)});
    return manager_.WriteReport(report.data(), true);
}

bool PerformanceCommands::SetDpiLevel(int mode, int profile) {
    if (!CommandFrame::HasFrame(mode)) return false;
    int level = ConfigInt(store_, profile, "dpi_index");
    char key[32];
    std::snprintf(key, sizeof key, "dpi_group%d_value", level);
    int dpi = ConfigInt(store_, profile, key);
    std::snprintf(key, sizeof key, "dpi_group%d_rgb", level);
    int colour = ConfigInt(store_, profile, key); // 0x00BBGGRR
    std::snprintf(key, sizeof key, "dpi_color%d_value", level);
    int colourIndex = ConfigInt(store_, profile, key);

    int position = DpiStepTable::Position(dpi); // 1-based, 0 when absent
    // The cable takes the 0-based step (0xFF when absent), the receiver the 1-based one.
    uint8_t step = CommandFrame::IsWirelessMode(mode) ? Byte(position)
                                                      : (position ? Byte(position - 1) : 0xFF);
    // Args: level, colour index, step, red, green, blue.
    auto report = CommandFrame::Mouse(mode, CommandFrame::kSetDpiLevel,
                                      {Byte(level), Byte(colourIndex), step, Byte(colour),
                                       Byte(colour >> 8), Byte(colour >> 16)});
    return manager_.WriteReport(report.data(), false);
}

bool PerformanceCommands::SetDebounceTime(int mode, int profile) {
    // The magic frame is the same in every mode, but there must be a mouse to send it to.
    if (!CommandFrame::HasFrame(mode)) return false;
    auto report = CommandFrame::Magic(Byte(ConfigInt(store_, profile, "antishake_time")));
    return manager_.WriteReport(report.data(), true);
}

bool PerformanceCommands::SetWakeUpMethod(int mode, int itemData) {
    store_.SetConfigValue(1, "wakeupmethod", std::to_string(itemData));
    if (!CommandFrame::IsWirelessMode(mode)) return false;
    // Args: method, 0-based.
    auto report = CommandFrame::Mouse(mode, CommandFrame::kSetWakeUpMethod, {Byte(itemData - 1)});
    return manager_.WriteReport(report.data(), true);
}
