#pragma once

#include "ui/TolvaApi.h"

#include <pango/pango.h>

#include <map>
#include <mutex>
#include <string>

namespace Tolva {

// The process's private fonts and the text font map. Font files are added to fontconfig as
// application fonts before pango builds its font map (or the map is told to reload), so a family
// shipped in the program's "font" folder wins over the system's.
class TOLVA_API FontRegistry {
public:
    static FontRegistry& Instance();

    // Adds a font file; returns its first family name, or "" when the file cannot be read.
    std::string AddFontFile(const std::string& path);
    // True when text can be drawn with the family (private or system); results are cached.
    bool HasFamily(const std::string& family);
    // The shared pango font map; never null.
    PangoFontMap* FontMap();
    // A pango context on the shared map for measuring and layout (owned by the registry).
    PangoContext* MeasureContext();

private:
    FontRegistry() = default;

    std::recursive_mutex lock_;
    std::map<std::string, bool> families_;
    PangoFontMap* fontMap_ = nullptr;
    PangoContext* measure_ = nullptr;
};

} // namespace Tolva
