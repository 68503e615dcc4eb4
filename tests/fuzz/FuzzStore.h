#pragma once

#include "app/store/SettingsDatabase.h"

#include <string>

// A real settings database in a temporary folder for the import fuzz targets, removed at exit,
// and a fingerprint of everything an import may touch.
class FuzzStore {
public:
    static SettingsDatabase& Database();
    // Counts and id sums of profiles, macros, macro items and assignments of profile 1.
    static std::string Fingerprint();
};
