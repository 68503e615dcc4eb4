#include "app/device/KeyboardCommands.h"

#include "app/device/HidDeviceManager.h"
#include "app/device/KeyAssignmentCommands.h"
#include "app/platform/Clock.h"
#include "app/store/SettingsDatabase.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

constexpr int kNoFunctionType = 0;
constexpr int kMacroType = 3;
constexpr int kShortcutType = 7;
constexpr uint8_t kPerKeyLightCommand = 0x78; // after the 12 34 56 signature
constexpr uint8_t kPerKeyLightEnd = 0xFE;
constexpr int kKeyType = 2;
// Modifier flags of a key function and the usages they press: Ctrl, Shift, Alt, Win.
constexpr std::pair<int, uint8_t> kModifierUsages[] = {{1, 0xE0}, {2, 0xE1}, {4, 0xE2}, {8, 0xE3}};

uint8_t Byte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

} // namespace

KeyboardCommands::KeyboardCommands(HidDeviceManager& manager, SettingsDatabase& store)
    : manager_(manager), store_(store) {}

std::vector<CommandFrame::Report>
KeyboardCommands::BuildKeyTable(const std::vector<KeyAssignmentRow>& rows) {
    std::vector<CommandFrame::Report> reports;
    // Opening: 07 76 54 32 10.
    reports.push_back(CommandFrame::KeyboardFeature(
        {CommandFrame::kKeyboardSecondSignature[0], CommandFrame::kKeyboardSecondSignature[1],
         CommandFrame::kKeyboardSecondSignature[2], 0x10}));

    // Data: key codes 0-11, function values 12-23, zeros 24-47.
    std::array<uint8_t, 48> data{};
    int count = 0;
    for (const KeyAssignmentRow& row : rows) {
        if (row.macroType == kNoFunctionType || IsSequenceKey(row)) continue;
        if (count == kKeyTableKeys) break;
        data[count] = Byte(row.keyCode);
        data[kKeyTableKeys + count] = Byte(row.macroValue);
        ++count;
    }
    // Table: eight groups of 8 bytes, each 07 99 and six data bytes.
    std::array<uint8_t, 64> table{};
    for (int group = 0; group < 8; ++group) {
        table[8 * group] = 0x07;
        table[8 * group + 1] = 0x99;
        for (int i = 0; i < 6; ++i)
            table[8 * group + 2 + i] = data[6 * group + i];
    }
    reports.push_back(CommandFrame::KeyboardFeature(table));

    // Closing: 07 FE DC BA.
    reports.push_back(CommandFrame::KeyboardFeature({0xFE, 0xDC, 0xBA}));
    return reports;
}

bool KeyboardCommands::IsSequenceKey(const KeyAssignmentRow& row) {
    return row.macroType == kMacroType || row.macroType == kShortcutType ||
           (row.macroType == kKeyType && (row.macroValue2 & 0x0F) != 0);
}

std::vector<CommandFrame::Report>
KeyboardCommands::BuildMacroKeys(int profile, const std::vector<KeyAssignmentRow>& rows) {
    std::vector<CommandFrame::Report> reports;
    reports.push_back(CommandFrame::KeyboardFeature({0x01, 0x23, 0x45, 0x67}));
    size_t recordBytes = 0;
    for (const KeyAssignmentRow& row : rows) {
        if (!IsSequenceKey(row)) continue;
        if (recordBytes + kMacroRecordBytes > kMaxMacroRecordBytes) break;
        std::array<uint8_t, kMacroRecordBytes> record{};
        record[0] = Byte(row.macroType);
        record[2] = Byte(row.keyCode);
        if (row.macroType == kKeyType) {
            // A key with modifiers: the modifiers go down, the key is tapped, they come up.
            std::vector<uint8_t> held;
            for (const auto& [flag, usage] : kModifierUsages)
                if (row.macroValue2 & flag) held.push_back(usage);
            size_t at = 4;
            auto event = [&](uint8_t usage, bool release) {
                record[at++] = usage;
                record[at++] = MacroSequenceImage::EncodeEvent(release, 0);
            };
            for (uint8_t usage : held)
                event(usage, false);
            event(Byte(row.macroValue), false);
            event(Byte(row.macroValue), true);
            for (auto it = held.rbegin(); it != held.rend(); ++it)
                event(*it, true);
            record[1] = Byte(static_cast<int>((at - 4) / 2));
            record[3] = 1;
        } else {
            // The events as a mouse button would get them; the record keeps what fits.
            const MacroSequenceImage image =
                KeyAssignmentCommands(manager_, store_)
                    .BuildImage(profile, row.keyCode, row.macroType, row.macroValue);
            const int events = std::min<int>(image.EventCount(), kMacroRecordEvents);
            record[1] = Byte(events);
            const int plays = image.Bytes()[2];
            record[3] = row.macroType == kShortcutType ? 1 : Byte(std::clamp(plays, 1, 255));
            for (int i = 0; i < 2 * events; ++i)
                record[4 + static_cast<size_t>(i)] = image.Bytes()[4 + i];
        }
        reports.push_back(CommandFrame::KeyboardFeature(record));
        recordBytes += kMacroRecordBytes;
    }
    return reports;
}

bool KeyboardCommands::SendMacroKeys(int profile, int fnLayer) {
    std::vector<std::unique_ptr<KeyAssignmentRow>> stored;
    store_.LoadKeyAssignments(profile, fnLayer, stored);
    std::vector<KeyAssignmentRow> rows;
    for (const auto& row : stored)
        if (row) rows.push_back(*row);
    bool ok = true;
    for (const CommandFrame::Report& report : BuildMacroKeys(profile, rows))
        ok = manager_.SendFeature(report.data()) && ok;
    return ok;
}

bool KeyboardCommands::SendKeyTable(int profile, int fnLayer) {
    std::vector<std::unique_ptr<KeyAssignmentRow>> stored;
    store_.LoadKeyAssignments(profile, fnLayer, stored);
    std::vector<KeyAssignmentRow> rows;
    for (const auto& row : stored)
        if (row) rows.push_back(*row);
    manager_.GetClock().SleepMs(kKeyTablePauseMs);
    bool ok = true;
    for (const CommandFrame::Report& report : BuildKeyTable(rows))
        ok = manager_.SendFeature(report.data()) && ok;
    return ok;
}

CommandFrame::Report KeyboardCommands::BuildFeatureLighting(const LightRow& row,
                                                            int colourListIndex) {
    int selection = (row.configFunc & kColourListFlag) ? colourListIndex : 0;
    return CommandFrame::KeyboardLighting(Byte(row.mode - 1), Byte(row.brightness), Byte(row.speed),
                                          Byte(selection), Byte(row.direction));
}

bool KeyboardCommands::SendLighting(int deviceType, int profile, int colourListIndex) {
    int mode = store_.GetActiveLightMode(profile);
    LightRow row;
    if (mode == 0 || !store_.GetLightRow(profile, mode, row)) return false;
    if (IsFeatureFamily(deviceType)) {
        CommandFrame::Report report = BuildFeatureLighting(row, colourListIndex);
        return manager_.SendFeature(report.data());
    }
    CommandFrame::Payload payload = CommandFrame::PrefixedKeyboardLighting(
        row.mode, Byte(row.brightness), Byte(row.speed), Byte(row.direction));
    return manager_.WriteCommand(payload.data());
}

std::vector<CommandFrame::Report>
KeyboardCommands::BuildPerKeyLightTable(const std::vector<KeyLightRow>& rows) {
    std::vector<CommandFrame::Report> reports;
    reports.push_back(CommandFrame::KeyboardSettings(kPerKeyLightCommand)); // 07 12 34 56 78
    for (const KeyLightRow& row : rows) // 07 12 34 56 78 key lit
        reports.push_back(CommandFrame::KeyboardSettings(
            kPerKeyLightCommand, {Byte(row.keyCode), static_cast<uint8_t>(row.keyRgb > 0)}));
    reports.push_back(CommandFrame::KeyboardSettings(kPerKeyLightCommand, {kPerKeyLightEnd}));
    return reports;
}

bool KeyboardCommands::SendPerKeyLightTable() {
    std::vector<std::unique_ptr<KeyLightRow>> stored;
    store_.LoadKeyColours(kPerKeyLightId, stored);
    std::vector<KeyLightRow> rows;
    for (const auto& row : stored)
        if (row) rows.push_back(*row);
    bool ok = true;
    for (const CommandFrame::Report& report : BuildPerKeyLightTable(rows))
        ok = manager_.SendFeature(report.data()) && ok;
    return ok;
}

bool KeyboardCommands::RestoreFactoryDefaults(int deviceType) {
    Clock& clock = manager_.GetClock();
    if (IsFeatureFamily(deviceType)) {
        CommandFrame::Report report = CommandFrame::KeyboardFeature({0xEF, 0xAA}); // 07 EF AA
        bool ok = manager_.SendFeature(report.data());
        clock.SleepMs(kFeatureResetPauseMs);
        return ok;
    }
    CommandFrame::Payload first = CommandFrame::PrefixedKeyboardResetFirst();
    bool ok = manager_.WriteCommand(first.data());
    clock.SleepMs(kPrefixedResetPauseMs);
    CommandFrame::Payload second = CommandFrame::PrefixedKeyboardResetSecond();
    return manager_.WriteCommand(second.data()) && ok;
}
