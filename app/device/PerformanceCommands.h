#pragma once

class HidDeviceManager;
class SettingsDatabase;

// The pointer settings of a profile as device commands: active profile, report rate, DPI level,
// debounce time and wake-up method. Each reads its value from the store when it is sent (the
// page stores first), frames it for the connection mode (0 wired; 1 or 2 receiver) and hands it
// to the manager. Nothing is read back: a reply only paces the exchange.
//
// Every call returns true when its report was written (and, where one is awaited, answered);
// false when nothing could be sent (no frame for the mode, no device, a failed write).
class PerformanceCommands {
public:
    static constexpr int kProfileSwitchPauseMs = 1000;

    PerformanceCommands(HidDeviceManager& manager, SettingsDatabase& store);

    // 08 F7 profile, answered, then a 1000 ms pause so nothing else reaches the mouse while it
    // switches. Without a connection (mode -1) nothing is sent and there is no pause.
    bool SetActiveProfile(int mode, int profile);
    // 08 F8 rate, answered; the rate code is the profile's "report_rate" as stored.
    bool SetReportRate(int mode, int profile);
    // 08 F9 level colour-index step R G B, a plain write. The level is "dpi_index"; the step is
    // 0-based on the cable (0xFF for a resolution that is no step) and 1-based through the
    // receiver (0 for none).
    bool SetDpiLevel(int mode, int profile);
    // 2B AA 55 CC 33 03 value in every mode, answered; value = "antishake_time".
    bool SetDebounceTime(int mode, int profile);
    // Stores the method's item data (1-based) as "wakeupmethod" of profile 1, then, through the
    // receiver only, sends BB AA 99 88 09 FE (itemData - 1), answered. Over the cable the mouse
    // has no wake-up setting and nothing is sent (false).
    bool SetWakeUpMethod(int mode, int itemData);

    // A profile configuration value as an integer; a missing or non-numeric value reads as 0.
    static int ConfigInt(SettingsDatabase& store, int profile, const char* key);

private:
    HidDeviceManager& manager_;
    SettingsDatabase& store_;
};
