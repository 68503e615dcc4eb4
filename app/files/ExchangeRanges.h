#pragma once

struct KeyAssignmentRow;
struct MacroItemRow;
struct MacroRow;

// The values an exchange file may bring into the store: what the pages can set and the mouse
// can be sent. A row outside them is skipped by the importers (and counted), so that a crafted
// or damaged file cannot plant, say, a play count the mouse reads as 255 or a button the
// window never shows.
class ExchangeRanges {
public:
    static constexpr int kFirstButton = 208; // the six mouse buttons
    static constexpr int kLastButton = 213;
    static constexpr int kMinPlayTimes = 1; // the macro page keeps play times in 1 to 99
    static constexpr int kMaxPlayTimes = 99;
    static constexpr int kMaxDelay = 99999; // the five digits the delay edits take
    static constexpr int kLastShortcut = 15;
    static constexpr int kAllModifiers = 15; // Ctrl 1, Shift 2, Alt 4, Win 8

    // Play times 1-99, delay type 0-3 (0: the attribute was missing), loop type 0, 16 or 32,
    // fixed delay 0-99999 ms. The name is checked by the importer.
    static bool MacroFits(const MacroRow& macro);
    // Delay 0-99999 ms.
    static bool EventFits(const MacroItemRow& item);
    // Function layer 0 (the only one a file carries); a key code of the six buttons (mouse) or
    // 1-255 (keyboard); a row with both values 0 (the key's default) is taken with any type;
    // otherwise a function type of the key page (2, 3, 5 to 11) with its value: 1-255 for a key,
    // mouse or media function (sent as one byte), 1-15 for a shortcut, an id from 1 for a macro
    // or a software function; modifier flags 0-15.
    static bool AssignmentFits(const KeyAssignmentRow& row, bool mouse);
};
