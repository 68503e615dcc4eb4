#include "app/device/MacroSequenceImage.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr uint8_t kPress = 0x01;   // press, 10 ms
constexpr uint8_t kRelease = 0x81; // release, 10 ms

struct ShortcutKeys {
    // Keys held in order; they are released in reverse order.
    std::initializer_list<uint8_t> held;
};

// Usages: E0 left Ctrl, E2 left Alt, E3 left Windows.
const ShortcutKeys kShortcuts[MacroSequenceImage::kShortcutCount] = {
    {{0xE0, 0x04}},       // 1 Ctrl+A
    {{0xE0, 0x06}},       // 2 Ctrl+C
    {{0xE0, 0x1B}},       // 3 Ctrl+X
    {{0xE0, 0x19}},       // 4 Ctrl+V
    {{0xE0, 0x1D}},       // 5 Ctrl+Z
    {{0xE0, 0x16}},       // 6 Ctrl+S
    {{0xE3, 0x08}},       // 7 Windows+E
    {{0xE3, 0x0F}},       // 8 Windows+L
    {{0xE3, 0x07}},       // 9 Windows+D
    {{0xE2, 0x2B}},       // 10 Alt+Tab
    {{0xE3, 0x10}},       // 11 Windows+M
    {{0xE0, 0x1A}},       // 12 Ctrl+W
    {{0xE2, 0x2C, 0x1B}}, // 13 Alt+Space, X (window menu: maximise)
    {{0xE2, 0x2C, 0x11}}, // 14 Alt+Space, N (window menu: minimise)
    {{0xE2, 0x3D}},       // 15 Alt+F4
};

} // namespace

MacroSequenceImage::MacroSequenceImage(int profile, int keyCode) {
    bytes_[0] = static_cast<uint8_t>(profile);
    bytes_[1] = static_cast<uint8_t>(keyCode);
}

void MacroSequenceImage::SetPlayback(int profile, int loopType, int playTimes) {
    bytes_[0] = static_cast<uint8_t>(profile | loopType);
    bytes_[2] = static_cast<uint8_t>(playTimes);
}

bool MacroSequenceImage::AppendEvent(uint8_t usage, bool release, int delayMs) {
    int count = bytes_[3];
    if (count >= kMaxEvents) return false;
    bytes_[4 + 2 * count] = usage;
    bytes_[5 + 2 * count] = EncodeEvent(release, delayMs);
    bytes_[3] = static_cast<uint8_t>(count + 1);
    return true;
}

bool MacroSequenceImage::SetShortcut(int number) {
    bytes_[2] = 1;
    bytes_[3] = 0;
    if (number < 1 || number > kShortcutCount) return false;
    const auto& keys = kShortcuts[number - 1].held;
    int at = 4;
    for (uint8_t usage : keys) {
        bytes_[at++] = usage;
        bytes_[at++] = kPress;
    }
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        bytes_[at++] = *it;
        bytes_[at++] = kRelease;
    }
    bytes_[3] = static_cast<uint8_t>(2 * keys.size());
    return true;
}

uint8_t MacroSequenceImage::EncodeEvent(bool release, int delayMs) {
    int d = std::min(delayMs, 31000);
    int count = 0;
    int unit = 0; // bits 6-5
    if (d < 0) {
        count = 0;
    } else if (d <= 10) {
        count = 1;
    } else if (d <= 310) {
        count = d / 10;
    } else if (d <= 1550) {
        count = d / 50;
        unit = 1;
    } else if (d <= 3100) {
        // 100 ms units get their own unit bits; sharing the 50 ms bits would halve the delay.
        count = d / 100;
        unit = 2;
    } else {
        count = d / 1000;
        unit = 3;
    }
    uint8_t byte = static_cast<uint8_t>((release ? 0x80 : 0) | (unit << 5) | count);
    if (byte == 0) byte = 1; // a press with no delay plays as a press with 10 ms
    return byte;
}
