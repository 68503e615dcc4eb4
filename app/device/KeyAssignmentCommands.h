#pragma once

#include "app/device/MacroSequenceImage.h"

class HidDeviceManager;
class SettingsDatabase;

// Sends the button assignments of a profile (t_mousekey_macro_data, fn layer 0) to the mouse:
// a one-byte function value with SetKeyFunction, or a key sequence (macro or shortcut) with
// DownloadKeyMacro. Modes: 0 wired, 1 or 2 receiver; any other mode sends nothing.
class KeyAssignmentCommands {
public:
    static constexpr int kMacroType = 3;
    static constexpr int kShortcutType = 7;
    static constexpr int kChunkPauseMs = 20;
    static constexpr int kFirstButton = 208;
    static constexpr int kLastButton = 213;

    KeyAssignmentCommands(HidDeviceManager& manager, SettingsDatabase& store);

    // Sends the stored assignment of one button. False when the button has no row (nothing is
    // sent) or when a report could not be sent.
    bool AssignButton(int mode, int profile, int keyCode);
    // Every button row of the profile, in store order. Returns the number of rows whose
    // reports all went out.
    int AssignAllButtons(int mode, int profile);

    // Every per-profile command refuses (false, nothing sent) a profile number outside
    // 1 to MacroSequenceImage::kMaxProfile: the device could not keep it apart from another.
    static bool FitsDevice(int profile) {
        return profile >= 1 && profile <= MacroSequenceImage::kMaxProfile;
    }

    // 08 F6 profile key value, answered.
    bool SetKeyFunction(int mode, int profile, int keyCode, int value);
    // Builds the key sequence image of a macro (kind 3, value = macro id) or a shortcut (kind 7,
    // value = 1-15) and sends its six chunks 0xF0-0xF5, each answered and followed by a 20 ms
    // pause. A failed chunk is not repeated and the rest still go out; the result is true only
    // when every chunk went out.
    bool DownloadKeyMacro(int mode, int profile, int keyCode, int kind, int value);
    // The image DownloadKeyMacro sends. A macro id without a macro row keeps profile and play
    // count 0 but still carries whatever key events its records give; only key presses (type 2)
    // and releases (type 3) are kept, and at most 67 of them (the count byte then says 67).
    MacroSequenceImage BuildImage(int profile, int keyCode, int kind, int value);

    // After a macro was deleted: every button of every profile that played it falls back to its
    // own key code (its row is removed, which the store reads as the default) and that function
    // value is sent. Returns the number of buttons reset.
    int ResetButtonsPlayingMacro(int mode, int macroId);

private:
    HidDeviceManager& manager_;
    SettingsDatabase& store_;
};
