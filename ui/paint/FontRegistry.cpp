#include "ui/paint/FontRegistry.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <cstring>

namespace Tolva {

FontRegistry& FontRegistry::Instance() {
    static FontRegistry registry;
    return registry;
}

std::string FontRegistry::AddFontFile(const std::string& path) {
    std::lock_guard guard(lock_);
    FcInit();
    const auto* file = reinterpret_cast<const FcChar8*>(path.c_str());
    int count = 0;
    FcBlanks* blanks = nullptr;
    FcPattern* pattern = FcFreeTypeQuery(file, 0, blanks, &count);
    if (!pattern) return {};
    std::string family;
    FcChar8* name = nullptr;
    if (FcPatternGetString(pattern, FC_FAMILY, 0, &name) == FcResultMatch && name)
        family = reinterpret_cast<const char*>(name);
    FcPatternDestroy(pattern);
    if (family.empty() || !FcConfigAppFontAddFile(FcConfigGetCurrent(), file)) return {};
    families_[family] = true;
    // Names resolved before this font arrived may resolve differently now.
    faces_.clear();
    // A map built before this font arrived would not see it.
    if (fontMap_ && PANGO_IS_FC_FONT_MAP(fontMap_))
        pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(fontMap_));
    return family;
}

bool FontRegistry::IsListed(const std::string& family) {
    auto it = families_.find(family);
    if (it != families_.end()) return it->second;
    bool found = false;
    PangoFontFamily** list = nullptr;
    int n = 0;
    pango_font_map_list_families(FontMap(), &list, &n);
    for (int i = 0; i < n && !found; ++i)
        found = g_ascii_strcasecmp(pango_font_family_get_name(list[i]), family.c_str()) == 0;
    g_free(list);
    families_[family] = found;
    return found;
}

namespace {

// Weights of the style words a family name may end with.
int StyleWeight(const std::string& word) {
    static const std::pair<const char*, int> kWords[] = {
        {"Thin", 100},      {"Hairline", 100},  {"ExtraLight", 200}, {"UltraLight", 200},
        {"Light", 300},     {"Regular", 400},   {"Book", 400},       {"Normal", 400},
        {"Medium", 500},    {"SemiBold", 600},  {"DemiBold", 600},   {"Bold", 700},
        {"ExtraBold", 800}, {"UltraBold", 800}, {"Black", 900},      {"Heavy", 900}};
    for (const auto& [w, weight] : kWords)
        if (g_ascii_strcasecmp(w, word.c_str()) == 0) return weight;
    return 0;
}

} // namespace

FontRegistry::Face FontRegistry::Resolve(const std::string& name) {
    if (name.empty()) return {};
    std::lock_guard guard(lock_);
    if (auto it = faces_.find(name); it != faces_.end()) return it->second;
    Face face;
    if (IsListed(name)) {
        face.family = name;
    } else {
        // A file that carries the name among its family names: its first family and weight.
        FcInit();
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_WEIGHT, FC_SLANT, nullptr);
        FcFontSet* set = FcFontList(FcConfigGetCurrent(), pattern, objects);
        int bestSlant = INT32_MAX;
        for (int i = 0; set && i < set->nfont; ++i) {
            FcChar8* first = nullptr;
            int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
            if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &first) != FcResultMatch) continue;
            FcPatternGetInteger(set->fonts[i], FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(set->fonts[i], FC_SLANT, 0, &slant);
            // The upright face, when there is one.
            if (slant >= bestSlant) continue;
            bestSlant = slant;
            face.family = reinterpret_cast<const char*>(first);
            face.weight = FcWeightToOpenType(weight);
        }
        if (set) FcFontSetDestroy(set);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        if (!face.family.empty() && !IsListed(face.family)) face = {};
        // Or the style word at the end of the name.
        if (face.family.empty()) {
            const size_t space = name.find_last_of(' ');
            if (space != std::string::npos && space > 0) {
                const int weight = StyleWeight(name.substr(space + 1));
                const std::string base = name.substr(0, space);
                if (weight && IsListed(base)) face = {base, weight};
            }
        }
    }
    faces_[name] = face;
    return face;
}

bool FontRegistry::HasFamily(const std::string& family) {
    return !Resolve(family).family.empty();
}

PangoFontMap* FontRegistry::FontMap() {
    std::lock_guard guard(lock_);
    if (!fontMap_) fontMap_ = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (!fontMap_) fontMap_ = pango_cairo_font_map_new();
    return fontMap_;
}

PangoContext* FontRegistry::MeasureContext() {
    std::lock_guard guard(lock_);
    if (!measure_) measure_ = pango_font_map_create_context(FontMap());
    return measure_;
}

} // namespace Tolva
