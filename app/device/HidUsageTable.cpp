#include "app/device/HidUsageTable.h"

uint8_t HidUsageTable::FromVirtualKey(int vk) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<uint8_t>(0x04 + (vk - 'A'));
    if (vk >= '1' && vk <= '9') return static_cast<uint8_t>(0x1E + (vk - '1'));
    if (vk >= 0x70 && vk <= 0x7B) return static_cast<uint8_t>(0x3A + (vk - 0x70)); // F1-F12
    if (vk >= 0x7C && vk <= 0x87) return static_cast<uint8_t>(0x68 + (vk - 0x7C)); // F13-F24
    if (vk >= 0x61 && vk <= 0x69) return static_cast<uint8_t>(0x59 + (vk - 0x61)); // keypad 1-9
    switch (vk) {
    case '0':
        return 0x27;
    case 0x0D:
        return 0x28; // Enter
    case 0x1B:
        return 0x29; // Escape
    case 0x08:
        return 0x2A; // Backspace
    case 0x09:
        return 0x2B; // Tab
    case 0x20:
        return 0x2C; // Space
    case 0xBD:
        return 0x2D; // minus
    case 0xBB:
        return 0x2E; // equals
    case 0xDB:
        return 0x2F; // left bracket
    case 0xDD:
        return 0x30; // right bracket
    case 0xDC:
        return 0x31; // backslash
    case 0xBA:
        return 0x33; // semicolon
    case 0xDE:
        return 0x34; // quote
    case 0xC0:
        return 0x35; // grave
    case 0xBC:
        return 0x36; // comma
    case 0xBE:
        return 0x37; // period
    case 0xBF:
        return 0x38; // slash
    case 0x14:
        return 0x39; // Caps Lock
    case 0x2C:
        return 0x46; // Print Screen
    case 0x91:
        return 0x47; // Scroll Lock
    case 0x13:
        return 0x48; // Pause
    case 0x2D:
        return 0x49; // Insert
    case 0x24:
        return 0x4A; // Home
    case 0x21:
        return 0x4B; // Page Up
    case 0x2E:
        return 0x4C; // Delete
    case 0x23:
        return 0x4D; // End
    case 0x22:
        return 0x4E; // Page Down
    case 0x27:
        return 0x4F; // Right
    case 0x25:
        return 0x50; // Left
    case 0x28:
        return 0x51; // Down
    case 0x26:
        return 0x52; // Up
    case 0x90:
        return 0x53; // Num Lock
    case 0x6F:
        return 0x54; // keypad divide
    case 0x6A:
        return 0x55; // keypad multiply
    case 0x6D:
        return 0x56; // keypad subtract
    case 0x6B:
        return 0x57; // keypad add
    case 0x6C:
        return 0x58; // keypad separator, which the recorder uses for keypad Enter
    case 0x60:
        return 0x62; // keypad 0
    case 0x6E:
        return 0x63; // keypad decimal
    case 0x5D:
        return 0x65; // Applications
    case 0xE2:
        return 0x64; // the extra key beside left Shift on international keyboards
    case 0xA2:
        return 0xE0; // left Ctrl
    case 0xA0:
        return 0xE1; // left Shift
    case 0xA4:
        return 0xE2; // left Alt
    case 0x5B:
        return 0xE3; // left Windows
    case 0xA3:
        return 0xE4; // right Ctrl
    case 0xA1:
        return 0xE5; // right Shift
    case 0xA5:
        return 0xE6; // right Alt
    case 0x5C:
        return 0xE7; // right Windows
    // The program's own codes.
    case 666:
        return 0x32;
    case 254:
        return 0xAF;
    case 301:
        return 0xEC;
    case 302:
        return 0xEB;
    default:
        return 0;
    }
}
