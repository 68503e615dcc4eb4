#pragma once

namespace Tolva {

// Translation of X11/GDK key identities into Win32 virtual-key and scan codes.
class KeyMap {
public:
    // Virtual key of a GDK keyval; 0 when it has none.
    static int VirtualKey(unsigned keyval);
    // Set-1 scan code of a Linux input (evdev) key code; 0 when unknown. `extended` tells
    // whether the key carries the E0 prefix.
    static int ScanCode(unsigned evdevCode, bool& extended);
};

} // namespace Tolva
