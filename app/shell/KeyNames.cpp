#include "app/shell/KeyNames.h"

#include "app/device/HidUsageTable.h"

#include <array>

namespace {

// Virtual keys (Win32 numbering) the rules below name.
constexpr int kShift = 16, kControl = 17, kMenu = 18;
constexpr int kLeftShift = 160, kRightShift = 161, kLeftControl = 162, kRightControl = 163;
constexpr int kLeftAlt = 164, kRightAlt = 165;
constexpr int kKeypadEnter = 108;

// Set-1 scan codes of the keypad block and the virtual keys they give with Num Lock on.
struct KeypadKey {
    int scanCode;
    int virtualKey;
};
constexpr std::array<KeypadKey, 11> kKeypad = {{
    {71, 103}, // 7 / Home
    {72, 104}, // 8 / Up
    {73, 105}, // 9 / Page Up
    {75, 100}, // 4 / Left
    {76, 101}, // 5 / Clear
    {77, 102}, // 6 / Right
    {79, 97},  // 1 / End
    {80, 98},  // 2 / Down
    {81, 99},  // 3 / Page Down
    {82, 96},  // 0 / Insert
    {83, 110}, // decimal / Delete
}};

constexpr int kRightShiftScan = 0x36;
constexpr int kEnterScan = 28;

// The names the keyboard layout gives (US English, which is what the key names of the key page
// were written for); letters and digits are their own names.
const char* LayoutName(int vk) {
    switch (vk) {
    case 8:
        return "Backspace";
    case 9:
        return "Tab";
    case 12:
        return "Num 5"; // Clear: keypad 5 without Num Lock
    case 13:
        return "Enter";
    case kShift:
        return "Shift";
    case kControl:
        return "Ctrl";
    case kMenu:
        return "Alt";
    case 20:
        return "Caps Lock";
    case 27:
        return "Esc";
    case 32:
        return "Space";
    case 33:
        return "Page Up";
    case 34:
        return "Page Down";
    case 35:
        return "End";
    case 36:
        return "Home";
    case 37:
        return "Left";
    case 38:
        return "Up";
    case 39:
        return "Right";
    case 40:
        return "Down";
    case 45:
        return "Insert";
    case 46:
        return "Delete";
    case 106:
        return "Num *";
    case 107:
        return "Num +";
    case 109:
        return "Num -";
    case 110:
        return "Num Del";
    case 111:
        return "Num /";
    case 145:
        return "Scroll Lock";
    case 186:
        return ";";
    case 187:
        return "=";
    case 188:
        return ",";
    case 189:
        return "-";
    case 190:
        return ".";
    case 191:
        return "/";
    case 192:
        return "`";
    case 219:
        return "[";
    case 220:
        return "\\";
    case 221:
        return "]";
    case 222:
        return "'";
    case 226:
        return "\\";
    default:
        return nullptr;
    }
}

const char* FixedName(int vk) {
    switch (vk) {
    case 19:
        return "Pause";
    case 44:
        return "Print Screen";
    case 91:
        return "Windows";
    case 92:
        return "RWindows";
    case 93:
        return "Application";
    case kKeypadEnter:
        return "Num Enter";
    case 144:
        return "Num Lock";
    case kLeftShift:
        return "Shift";
    case kRightShift:
        return "RShift";
    case kLeftControl:
        return "Ctrl";
    case kRightControl:
        return "RCtrl";
    case kLeftAlt:
        return "Alt";
    case kRightAlt:
        return "RAlt";
    default:
        return nullptr;
    }
}

} // namespace

KeyNames::KeyEvent KeyNames::Decode(uintptr_t wparam, intptr_t lparam) {
    KeyEvent event;
    const auto bits = static_cast<uint32_t>(lparam);
    event.scanCode = static_cast<int>((bits >> 16) & 0xFF);
    event.extended = (bits & (1u << 24)) != 0;
    event.release = (bits & (1u << 31)) != 0;
    // Only real virtual keys (1-254) and the program's own codes below 1024 are taken; anything
    // else in wparam is not a key.
    const int vk = wparam < 1024 ? static_cast<int>(wparam) : 0;
    event.virtualKey = Normalise(vk, event.scanCode, event.extended);
    return event;
}

int KeyNames::Normalise(int vk, int scanCode, bool extended) {
    if (!extended) {
        for (const KeypadKey& key : kKeypad)
            if (key.scanCode == scanCode) return key.virtualKey;
    } else if (scanCode == kEnterScan) {
        return kKeypadEnter;
    }
    switch (vk) {
    case kShift:
        return scanCode == kRightShiftScan ? kRightShift : kLeftShift;
    case kControl:
        return extended ? kRightControl : kLeftControl;
    case kMenu:
        return extended ? kRightAlt : kLeftAlt;
    default:
        return vk;
    }
}

std::string KeyNames::VirtualKeyName(int vk) {
    if (const char* fixed = FixedName(vk)) return fixed;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, char(vk));
    if (vk >= 96 && vk <= 105) return "Num " + std::to_string(vk - 96);
    if (vk >= 112 && vk <= 135) return "F" + std::to_string(vk - 111);
    if (const char* name = LayoutName(vk)) return name;
    return {};
}

int KeyNames::KeyCodeFromVirtualKey(int vk) {
    // These stand for themselves in stored assignments (the device table has no usage for them).
    if (vk >= 136 && vk <= 139) return vk;
    // Generic modifiers (should the window send them unresolved) count as the left keys.
    if (vk == kShift) vk = kLeftShift;
    if (vk == kControl) vk = kLeftControl;
    if (vk == kMenu) vk = kLeftAlt;
    return HidUsageTable::FromVirtualKey(vk);
}

std::string KeyNames::KeyCodeName(int code) {
    static const char* const kPunctuation1[] = {"-", "=", "[", "]", "\\"};       // 45-49
    static const char* const kPunctuation2[] = {";", "'", "`", ",", ".", "/"};   // 51-56
    static const char* const kControl1[] = {"Esc", "Backspace", "Tab", "Space"}; // 41-44
    static const char* const kNavigation[] = {
        "Print Screen", "Scrlk",  "Pause", "Insert",   "Home",
        "Page Up",      "Delete", "End",   "Page Down"};                              // 70-78
    static const char* const kArrows[] = {"Right", "Left", "Down", "Up"};             // 79-82
    static const char* const kKeypadOps[] = {"Num", "//", "Num *", "Num -", "Num +"}; // 83-87
    static const char* const kMouse[] = {"Left button", "Right button", "Middle button*",
                                         "Backward",    "Forward",      "DPI+",
                                         "DPI-"}; // 208-214
    static const char* const kModifiers[] = {"Ctrl",  "Shift",  "Alt", "Windows",
                                             "RCtrl", "RShift", "RAlt"}; // 224-230
    static const char* const kMedia[] = {"Palyer", "Volume -", "Volume +",   "Mute",
                                         "Stop",   "Previous", "Play/Pause", "Next"}; // 232-239

    if (code >= 4 && code <= 29) return std::string(1, char('A' + code - 4));
    if (code >= 30 && code <= 38) return std::string(1, char('1' + code - 30));
    if (code == 39) return "0";
    if (code == 40 || code == 88) return "Enter";
    if (code >= 41 && code <= 44) return kControl1[code - 41];
    if (code >= 45 && code <= 49) return kPunctuation1[code - 45];
    if (code >= 51 && code <= 56) return kPunctuation2[code - 51];
    if (code == 57) return "Caps Lock";
    if (code >= 58 && code <= 69) return "F" + std::to_string(code - 57);
    if (code >= 70 && code <= 78) return kNavigation[code - 70];
    if (code >= 79 && code <= 82) return kArrows[code - 79];
    if (code >= 83 && code <= 87) return kKeypadOps[code - 83];
    if (code >= 89 && code <= 97) return "Num " + std::to_string(code - 88);
    if (code == 98) return "Num 0";
    if (code == 99) return "Num Del";
    if (code == 101) return "Application";
    if (code == kFnKey) return "Fn";
    if (code >= 208 && code <= 214) return kMouse[code - 208];
    if (code >= 224 && code <= 230) return kModifiers[code - 224];
    if (code >= 232 && code <= 239) return kMedia[code - 232];
    if (code >= 240 && code <= 249) return "DPI";
    return {};
}
