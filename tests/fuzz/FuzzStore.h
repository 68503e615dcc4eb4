#pragma once

#include "app/store/SettingsDatabase.h"

#include <string>

// A real settings database in a temporary folder for the import fuzz targets, removed at exit,
// and a fingerprint of everything an import may touch.
class FuzzStore {
public:
    static SettingsDatabase& Database();
    // Counts, sums and names of the profiles, macros, macro items and assignments. Empties the
    // macros and assignments first when they have piled up (between inputs only).
    static std::string Fingerprint();
};
