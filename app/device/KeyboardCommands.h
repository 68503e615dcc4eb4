#pragma once

#include "app/device/CommandFrame.h"
#include "app/store/KeyAssignmentRow.h"
#include "app/store/KeyLightRow.h"
#include "app/store/LightRow.h"

#include <vector>

class HidDeviceManager;
class SettingsDatabase;

// The commands of the two keyboard families: device types below 200 take 65-byte feature
// reports with report id 7, types 200-600 take output reports whose payload opens with
// BB AA 99 88 and no marker. The caller selects the keyboard's device type on the manager.
class KeyboardCommands {
public:
    static constexpr int kPrefixedFamilyFirstType = 200;
    static constexpr int kLastKeyboardType = 600;
    static constexpr int kKeyTablePauseMs = 50;
    static constexpr int kPrefixedResetPauseMs = 1600;
    static constexpr int kFeatureResetPauseMs = 100;
    static constexpr int kKeyTableKeys = 12;
    static constexpr int kPerKeyLightId = 128;
    static constexpr int kColourListFlag = 0x100; // config_func bit 8: the colour list applies
    static constexpr size_t kMacroRecordBytes = 64;
    static constexpr size_t kMaxMacroRecordBytes = 1200; // 18 records
    static constexpr int kMacroRecordEvents = 30;

    KeyboardCommands(HidDeviceManager& manager, SettingsDatabase& store);

    static bool IsFeatureFamily(int deviceType) { return deviceType < kPrefixedFamilyFirstType; }
    // Keys that play a sequence (macro, shortcut, a key with modifiers) and so travel as a
    // record of the macro download rather than in the key table, which has no room for the
    // modifiers.
    static bool IsSequenceKey(const KeyAssignmentRow& row);

    // Feature family: the macro and shortcut keys of the profile and fn layer, opened by
    // 07 01 23 45 67, then one report 07 + a 64-byte record per key (in store order, at most
    // 1200 bytes of records): byte 0 the type (3 macro, 7 shortcut), byte 1 the number of
    // events, byte 2 the key code, byte 3 the play count (1-255; 1 for a shortcut), from byte 4
    // at most 30 events of two bytes (usage, event byte) as a mouse button's sequence. The
    // opening goes out also without such keys, so that the keyboard forgets old ones. False
    // when a report could not be sent (the rest still go out).
    bool SendMacroKeys(int profile, int fnLayer);
    std::vector<CommandFrame::Report> BuildMacroKeys(int profile,
                                                     const std::vector<KeyAssignmentRow>& rows);

    // Feature family: after a 50 ms pause, the plain key assignments of the profile and fn layer
    // as three feature reports. False when a report could not be sent (the rest still go out).
    bool SendKeyTable(int profile, int fnLayer);
    // Opening 07 76 54 32 10; the table (eight groups 07 99 + six data bytes: 12 key codes,
    // their 12 function values, 24 zeros) of the first 12 rows whose type is not 0, 3 or 7;
    // closing 07 FE DC BA.
    static std::vector<CommandFrame::Report>
    BuildKeyTable(const std::vector<KeyAssignmentRow>& rows);

    // The active light mode of the profile in the family's frame: feature family
    // 07 FF FF effect brightness speed S direction (S = colourListIndex when config_func has
    // bit 8, else 0); prefixed family BB AA 99 88 AA effect brightness speed 00 00 00 direction.
    // Effect is the stored mode minus 1. False when the profile has no active light row or the
    // report could not be sent.
    bool SendLighting(int deviceType, int profile, int colourListIndex);
    static CommandFrame::Report BuildFeatureLighting(const LightRow& row, int colourListIndex);

    // Feature family: 07 12 34 56 78, then 07 12 34 56 78 K S for each key light row of light
    // id 128 (S = 1 when its colour is above 0), then 07 12 34 56 78 FE; no pauses.
    bool SendPerKeyLightTable();
    static std::vector<CommandFrame::Report>
    BuildPerKeyLightTable(const std::vector<KeyLightRow>& rows);

    // Factory reset. Prefixed family: BB AA 99 88 AA AA AA AA AA AA, 1600 ms, BB AA 99 88 and
    // zeros. Feature family: 07 EF AA and zeros, then 100 ms. False when a report could not be
    // sent (the second prefixed report is still sent after the pause).
    bool RestoreFactoryDefaults(int deviceType);

private:
    HidDeviceManager& manager_;
    SettingsDatabase& store_;
};
