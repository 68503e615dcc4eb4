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
    // A map built before this font arrived would not see it.
    if (fontMap_ && PANGO_IS_FC_FONT_MAP(fontMap_))
        pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(fontMap_));
    return family;
}

bool FontRegistry::HasFamily(const std::string& family) {
    if (family.empty()) return false;
    std::lock_guard guard(lock_);
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
