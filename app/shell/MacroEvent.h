#pragma once

#include <string>

// One event of a macro as the macro page lists and stores it.
struct MacroEvent {
    // Event types of the stored records. Only key events reach the mouse; the mouse-button
    // events the entry area composes are kept and shown but the device drops them.
    static constexpr int kKeyDown = 2;
    static constexpr int kKeyUp = 3;
    static constexpr int kButtonDown = 4;
    static constexpr int kButtonUp = 5;

    std::string name; // the key's display name
    int type = 0;
    int code = 0;  // virtual key, or the mouse-button code
    int delay = 0; // milliseconds after the event

    bool operator==(const MacroEvent&) const = default;
};
