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
    // A face as text is drawn with it: the family and the weight (100..900; 0 when the name
    // fixes none).
    struct Face {
        std::string family;
        int weight = 0;
    };
    // What a font name stands for. Fontconfig gives a file's first family name and a weight, so
    // a name that is a family plus a style ("Open Sans Semibold") resolves to that family at the
    // style's weight (600), through the file's other family names or the style word. An empty
    // family when no font answers to the name. Results are cached.
    Face Resolve(const std::string& name);
    // True when text can be drawn with the name (private or system family, or an alias).
    bool HasFamily(const std::string& family);
    // Pixels of a size in points, as text is laid out (96 pixels per inch).
    static double PointsToPixels(double points) { return points * 96.0 / 72.0; }
    // The shared pango font map; never null.
    PangoFontMap* FontMap();
    // A pango context on the shared map for measuring and layout (owned by the registry).
    PangoContext* MeasureContext();

private:
    FontRegistry() = default;

    std::recursive_mutex lock_;
    bool IsListed(const std::string& family);

    std::map<std::string, bool> families_;
    std::map<std::string, Face> faces_;
    PangoFontMap* fontMap_ = nullptr;
    PangoContext* measure_ = nullptr;
};

} // namespace Tolva
