#include "app/device/KeyAssignmentCommands.h"

#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/HidUsageTable.h"
#include "app/platform/Clock.h"
#include "app/store/SettingsDatabase.h"

#include <memory>
#include <span>
#include <vector>

namespace {

constexpr int kRecordKeyPress = 2;
constexpr int kRecordKeyRelease = 3;

uint8_t Byte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

} // namespace

KeyAssignmentCommands::KeyAssignmentCommands(HidDeviceManager& manager, SettingsDatabase& store)
    : manager_(manager), store_(store) {}

bool KeyAssignmentCommands::AssignButton(int mode, int profile, int keyCode) {
    KeyAssignmentRow row;
    if (!store_.GetButtonAssignment(profile, keyCode, row)) return false;
    if (row.macroType == kMacroType || row.macroType == kShortcutType)
        return DownloadKeyMacro(mode, profile, keyCode, row.macroType, row.macroValue);
    return SetKeyFunction(mode, profile, keyCode, row.macroValue);
}

int KeyAssignmentCommands::AssignAllButtons(int mode, int profile) {
    std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
    store_.LoadButtonAssignments(profile, rows);
    int sent = 0;
    for (const auto& row : rows) {
        bool ok =
            (row->macroType == kMacroType || row->macroType == kShortcutType)
                ? DownloadKeyMacro(mode, profile, row->keyCode, row->macroType, row->macroValue)
                : SetKeyFunction(mode, profile, row->keyCode, row->macroValue);
        if (ok) ++sent;
    }
    return sent;
}

bool KeyAssignmentCommands::SetKeyFunction(int mode, int profile, int keyCode, int value) {
    if (!CommandFrame::HasFrame(mode) || !FitsDevice(profile)) return false;
    // Args: profile, button key code, function value (the function type is not sent).
    auto report = CommandFrame::Mouse(mode, CommandFrame::kSetKeyFunction,
                                      {Byte(profile), Byte(keyCode), Byte(value)});
    return manager_.WriteReport(report.data(), true);
}

MacroSequenceImage KeyAssignmentCommands::BuildImage(int profile, int keyCode, int kind,
                                                     int value) {
    MacroSequenceImage image(profile, keyCode);
    if (kind == kShortcutType) {
        image.SetShortcut(value);
        return image;
    }
    MacroRow macro;
    if (store_.GetMacro(value, macro)) image.SetPlayback(profile, macro.loopType, macro.playTimes);
    std::vector<std::unique_ptr<MacroItemRow>> items;
    store_.LoadMacroItems(value, items);
    for (const auto& item : items) {
        if (item->type != kRecordKeyPress && item->type != kRecordKeyRelease) continue;
        if (!image.AppendEvent(HidUsageTable::FromVirtualKey(item->value),
                               item->type == kRecordKeyRelease, item->delayTime))
            break; // the image is full: the first 67 events are what the mouse can hold
    }
    return image;
}

bool KeyAssignmentCommands::DownloadKeyMacro(int mode, int profile, int keyCode, int kind,
                                             int value) {
    if (!CommandFrame::HasFrame(mode) || !FitsDevice(profile)) return false;
    MacroSequenceImage image = BuildImage(profile, keyCode, kind, value);
    bool all = true;
    for (size_t k = 0; k < MacroSequenceImage::kChunkCount; ++k) {
        // Args: 23 bytes of the image, bytes 23k to 23k + 22.
        auto report = CommandFrame::Mouse(
            mode, static_cast<uint8_t>(CommandFrame::kDownloadKeyMacroFirst + k),
            std::span<const uint8_t>(image.Chunk(k), MacroSequenceImage::kChunkBytes));
        if (!manager_.WriteReport(report.data(), true)) all = false;
        manager_.GetClock().SleepMs(kChunkPauseMs);
    }
    return all;
}

int KeyAssignmentCommands::ResetButtonsPlayingMacro(int mode, int macroId) {
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    store_.LoadProfileList(profiles);
    int reset = 0;
    for (const auto& profile : profiles) {
        std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
        store_.LoadButtonAssignments(profile->profile, rows);
        for (const auto& row : rows) {
            if (row->macroType != kMacroType || row->macroValue != macroId) continue;
            // Saving both values as 0 removes the row: the button is back on its default.
            KeyAssignmentRow fallback = *row;
            fallback.macroType = 0;
            fallback.macroValue = 0;
            fallback.macroValue2 = 0;
            fallback.macroValue3 = 0;
            fallback.macroDesc.clear();
            store_.SaveButtonAssignment(fallback);
            SetKeyFunction(mode, profile->profile, row->keyCode, row->keyCode);
            ++reset;
        }
    }
    return reset;
}
