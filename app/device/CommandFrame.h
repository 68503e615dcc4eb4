#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

// Builds every report the program sends and reads the status reply. This is the only place that
// writes frame markers: the wired marker 08, the receiver prefix BB AA 99 88 with marker 09, the
// status signature AA 55 CC 33, and the keyboard families' report ids and signatures.
//
// A report is 65 bytes: report id in byte 0, payload in bytes 1-64. "Payload offset" below is
// report offset minus 1.
class CommandFrame {
public:
    static constexpr size_t kReportSize = 65;
    static constexpr size_t kPayloadSize = 64;
    using Report = std::array<uint8_t, kReportSize>;
    using Payload = std::array<uint8_t, kPayloadSize>;

    // Connection modes (the main window also uses 1 for the receiver).
    static constexpr int kModeWired = 0;
    static constexpr int kModeReceiver = 1;
    static constexpr int kModeWireless = 2;
    static constexpr int kModeNone = -1;

    // Command codes of the mouse family (payload offset 1 wired, 5 wireless).
    static constexpr uint8_t kDownloadKeyMacroFirst = 0xF0; // chunks 0xF0..0xF5
    static constexpr uint8_t kDownloadKeyMacroLast = 0xF5;
    static constexpr uint8_t kSetKeyFunction = 0xF6;
    static constexpr uint8_t kSetActiveProfile = 0xF7;
    static constexpr uint8_t kSetReportRate = 0xF8;
    static constexpr uint8_t kSetDpiLevel = 0xF9;
    static constexpr uint8_t kRestoreFactoryDefaults = 0xFB;
    static constexpr uint8_t kSetLighting = 0xFC; // also SendLightFrame with effect 11
    static constexpr uint8_t kHandshake = 0xFD;   // also QueryStatus
    static constexpr uint8_t kQueryStatus = 0xFD;
    static constexpr uint8_t kSetWakeUpMethod = 0xFE; // receiver frame only
    static constexpr uint8_t kSetDebounceTime = 0x2B; // magic frame only
    static constexpr uint8_t kLiveFrameEffect = 0x0B;

    static constexpr uint8_t kWiredMarker = 0x08;
    static constexpr uint8_t kWirelessMarker = 0x09;
    static constexpr std::array<uint8_t, 4> kReceiverPrefix = {0xBB, 0xAA, 0x99, 0x88};
    static constexpr std::array<uint8_t, 4> kStatusSignature = {0xAA, 0x55, 0xCC, 0x33};

    // Keyboard families.
    static constexpr uint8_t kKeyboardFeatureReportId = 0x07;
    static constexpr std::array<uint8_t, 3> kKeyboardSettingsSignature = {0x12, 0x34, 0x56};
    static constexpr std::array<uint8_t, 3> kKeyboardSecondSignature = {0x76, 0x54, 0x32};
    static constexpr std::array<uint8_t, 2> kKeyboardLightingSignature = {0xFF, 0xFF};
    static constexpr uint8_t kPrefixedKeyboardLighting = 0xAA;

    // True for the modes that carry the receiver frame (1 and 2).
    static bool IsWirelessMode(int mode) { return mode == kModeReceiver || mode == kModeWireless; }
    // True for the modes in which a mouse command can be framed at all (0, 1, 2).
    static bool HasFrame(int mode) { return mode == kModeWired || IsWirelessMode(mode); }
    // Payload offset of the first argument: 2 wired, 6 wireless.
    static size_t ArgumentOffset(int mode) { return IsWirelessMode(mode) ? 6 : 2; }

    // A mouse command in the frame of the mode:
    //   wired (0):        08 code args...
    //   wireless (1, 2):  BB AA 99 88 09 code args...
    // Report id 0. Arguments that do not fit are cut off. Any other mode gives an all-zero report.
    static Report Mouse(int mode, uint8_t code, std::span<const uint8_t> args = {});
    static Report Mouse(int mode, uint8_t code, std::initializer_list<uint8_t> args);

    // The handshake: 08 FD for mode 0, BB AA 99 88 09 FD for mode 2, all zero for any other mode.
    static Report Handshake(int mode);

    // The debounce command, the same in every mode: 2B AA 55 CC 33 03 value.
    static Report Magic(uint8_t value);

    // Keyboard family (device types below 200): feature report id 7, then the given bytes
    // (signature and arguments as the keyboard pages build them).
    static Report KeyboardFeature(std::span<const uint8_t> bytes);
    static Report KeyboardFeature(std::initializer_list<uint8_t> bytes);
    // Keyboard family with the 12 34 56 signature and a sub-command: 07 12 34 56 sub args...
    static Report KeyboardSettings(uint8_t subCommand, std::initializer_list<uint8_t> args = {});
    // Keyboard family lighting: 07 FF FF effect brightness speed colourIndex direction.
    static Report KeyboardLighting(uint8_t effect, uint8_t brightness, uint8_t speed,
                                   uint8_t colourIndex, uint8_t direction);

    // Prefixed keyboard family (device types 200-600): payload BB AA 99 88 then the bytes, no
    // 09 marker. Returned as a 64-byte payload for WriteCommand.
    static Payload PrefixedKeyboard(std::span<const uint8_t> bytes);
    static Payload PrefixedKeyboard(std::initializer_list<uint8_t> bytes);
    // Prefixed keyboard lighting: BB AA 99 88 AA effect brightness speed 00 00 00 direction,
    // effect being the stored effect number minus 1.
    static Payload PrefixedKeyboardLighting(int storedEffect, uint8_t brightness, uint8_t speed,
                                            uint8_t direction);
    // Prefixed keyboard factory reset: first BB AA 99 88 AA AA AA AA AA AA, then 1600 ms later
    // BB AA 99 88 and zeros.
    static Payload PrefixedKeyboardResetFirst();
    static Payload PrefixedKeyboardResetSecond();

    // The 64 payload bytes of a report (for WriteCommand / QueryCommand).
    static Payload PayloadOf(const Report& report);

    // The status reply (payload offsets; report id already removed):
    //   0-3 AA 55 CC 33, 4 unused, 5 battery percent, 6 link state (0 none, 1 receiver, 3 cable).
    struct Status {
        bool signature = false; // bytes 0-3 are AA 55 CC 33
        int battery = -1;       // byte 5 when 0-100, else -1 (a larger value is ignored)
        int linkState = -1;     // byte 6, -1 when the reply is too short
    };
    static constexpr uint8_t kLinkNone = 0;
    static constexpr uint8_t kLinkReceiver = 1;
    static constexpr uint8_t kLinkCable = 3;

    // Reads a reply of size bytes. A short or null buffer yields no signature and -1 fields.
    static Status ParseStatus(const uint8_t* data, size_t size);
    static bool HasStatusSignature(const uint8_t* data, size_t size);
    // A status reply as the device sends it (64 bytes, no report id).
    static Payload StatusReply(uint8_t battery, uint8_t linkState);

    // A report the mouse sends by itself when a button whose function the program performs
    // (start a program, open a page, type a text, switch profile) is pressed:
    //   0-3 AA 55 CC 44, 4 active profile number, 5 key code of the button (208-213).
    static constexpr std::array<uint8_t, 4> kButtonSignature = {0xAA, 0x55, 0xCC, 0x44};
    static Payload ButtonReport(uint8_t profile, uint8_t keyCode);
    // The key code a button report carries; 0 for any other report.
    static int ButtonReportKey(const uint8_t* data, size_t size);

    // Connection mode that a link state selects: 3 -> 0 (wired), 1 -> 2 (wireless), else -1.
    static int ModeForLinkState(int linkState);

    // Upper-case hex pairs without separators ("08F803...").
    static std::string ToHex(const uint8_t* data, size_t size);
};
