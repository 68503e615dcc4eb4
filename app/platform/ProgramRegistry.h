#pragma once

#include <cstdint>
#include <string>

// The program's small key-value store (the language id and the exit mode): an INI-style file
// "$XDG_CONFIG_HOME/ORMAN-QV7/registry.ini" (XDG_CONFIG_HOME defaults to $HOME/.config). The key
// exists exactly when the file exists. Values are text; writes replace the file atomically.
class ProgramRegistry {
public:
    static constexpr const char* kLanguageValue = "LCID";
    static constexpr int kDefaultLanguageId = 2052;
    // A key file larger than this is treated as a key that cannot be opened: reads give 0 (the
    // language id 2052) and writes are refused, leaving the file as it is. The same cap as the
    // language files, the program's other INI-style text.
    static constexpr uintmax_t kMaxKeyFileSize = 16u << 20;

    // The value as a decimal integer; missing or non-numeric values give 0. A missing key is
    // created (empty) and gives 0; a key that cannot be opened gives 0.
    static int ReadProgramRegistryValue(const std::string& name);
    // Sets the value only when the key exists and is readable and writable; a missing key is not
    // created. False when nothing was written (also for names or values that hold line breaks,
    // NUL, or, in names, '=').
    static bool WriteProgramRegistryValue(const std::string& name, const std::string& text);
    // "LCID" as ReadProgramRegistryValue, except that a key that cannot be opened or created gives
    // 2052; a key created just now gives 0.
    static int ReadLanguageId();
    static bool WriteLanguageId(int id);

    // "<config home>/ORMAN-QV7/" and the key file in it (empty when no home is known).
    static std::string KeyFolder();
    static std::string KeyFile();
};
