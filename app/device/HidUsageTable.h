#pragma once

#include <cstdint>

// Converts the Windows virtual-key codes that recorded macros store into the USB HID keyboard
// usages (usage page 0x07) that the mouse plays back.
class HidUsageTable {
public:
    // The usage of a virtual key, or 0 for a key the mouse cannot play.
    static uint8_t FromVirtualKey(int virtualKey);
};
