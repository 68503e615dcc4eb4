#pragma once

#include "sim/EmulatedKeyboard.h"

#include <string>
#include <vector>

// The emulated keyboard's state file: a header line, then one line per fact.
//   pivane-simulated-keyboard 1
//   family feature|prefixed
//   plugged 0|1 / elapsed MS / counts KEY_TABLES LIGHT_TABLES DOWNLOADS DROPPED RESETS PAUSE
//   UNKNOWN lighting EFFECT BRIGHTNESS SPEED COLOUR_INDEX DIRECTION key KEY VALUE / lit KEY 0|1 /
//   record KEY HEX(64 bytes) report TIME_MS FEATURE COMMAND HEX(65 bytes)
//   remap KEY... (one line per remap table the filter driver was given, oldest first)
// A malformed line inside a state file is skipped.
class EmulatedKeyboardStateFile {
public:
    static constexpr const char* kHeader = "pivane-simulated-keyboard 1";
    static constexpr long kMaxSize = 16L << 20;

    struct Contents {
        EmulatedKeyboard::Family family = EmulatedKeyboard::Family::Feature;
        bool plugged = true;
        int64_t elapsedMs = 0;
        EmulatedKeyboard::State state;
        std::vector<EmulatedKeyboard::LoggedReport> log;
        std::vector<std::vector<int>> remapTables;
    };

    static std::string Format(const Contents& contents);
    // False for a text without the header or of another family.
    static bool Parse(const std::string& text, EmulatedKeyboard::Family family, Contents& contents);

    // Writes beside the target under a name of its own and renames, so a failed write never
    // leaves half a state; refuses a target that exists but is not a regular file, or a link
    // that leads nowhere.
    static bool Write(const std::string& path, const std::string& text);
    // Only a regular file of at most kMaxSize bytes (a device or a pipe would never end).
    static bool Read(const std::string& path, std::string& text);
};
