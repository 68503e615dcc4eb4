#include "ui/controls/MText.h"

#include "ui/controls/ControlCreator.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/FontRegistry.h"
#include "ui/paint/MRender.h"

#include <pango/pangocairo.h>

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("MText", TitledCreator<MText>());

// The layout of MRender's text drawing, plus colour runs for the marks (pango has them as
// attributes; MRender draws one colour).
PangoLayout* MakeLayout(cairo_t* cr, const TextStyle& style, const std::string& text, int width) {
    PangoLayout* layout = nullptr;
    if (cr) {
        PangoContext* ctx = pango_font_map_create_context(FontRegistry::Instance().FontMap());
        pango_cairo_update_context(cr, ctx);
        layout = pango_layout_new(ctx);
        g_object_unref(ctx);
    } else {
        layout = pango_layout_new(FontRegistry::Instance().MeasureContext());
    }
    PangoFontDescription* desc = pango_font_description_new();
    const FontRegistry::Face face = FontRegistry::Instance().Resolve(style.family);
    pango_font_description_set_family(desc, face.family.c_str());
    pango_font_description_set_absolute_size(
        desc, FontRegistry::PointsToPixels(std::max(1.0, style.size)) * PANGO_SCALE);
    if (style.style & TextStyle::Bold)
        pango_font_description_set_weight(desc, PANGO_WEIGHT_BOLD);
    else if (face.weight > 0)
        pango_font_description_set_weight(desc, static_cast<PangoWeight>(face.weight));
    if (style.style & TextStyle::Italic) pango_font_description_set_style(desc, PANGO_STYLE_ITALIC);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    if (style.multiLine && width > 0) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_alignment(layout, style.hAlign == TextStyle::Center ? PANGO_ALIGN_CENTER
                                       : style.hAlign == TextStyle::Far  ? PANGO_ALIGN_RIGHT
                                                                         : PANGO_ALIGN_LEFT);
    return layout;
}

void AddMarks(PangoLayout* layout, const std::vector<std::pair<size_t, size_t>>& marks,
              uint32_t color, int style) {
    PangoAttrList* attrs = pango_attr_list_new();
    if (style & TextStyle::Underline)
        pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    auto channel = [&](int shift) { return static_cast<guint16>(((color >> shift) & 0xFF) * 257); };
    for (const auto& [start, end] : marks) {
        PangoAttribute* fg = pango_attr_foreground_new(channel(16), channel(8), channel(0));
        fg->start_index = static_cast<guint>(start);
        fg->end_index = static_cast<guint>(end);
        pango_attr_list_insert(attrs, fg);
        PangoAttribute* alpha = pango_attr_foreground_alpha_new(channel(24));
        alpha->start_index = static_cast<guint>(start);
        alpha->end_index = static_cast<guint>(end);
        pango_attr_list_insert(attrs, alpha);
    }
    pango_layout_set_attributes(layout, attrs);
    pango_attr_list_unref(attrs);
}

} // namespace

MText::MText(MObject* parent, unsigned id, const Rect& rect, const std::string& title, bool visible,
             bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    SetRresponse(false);
}

std::vector<std::pair<size_t, size_t>> MText::FindMarks(const std::string& text,
                                                        const std::string& mark) {
    std::vector<std::pair<size_t, size_t>> out;
    if (mark.empty()) return out;
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
        out.emplace_back(at, at + mark.size()), at += mark.size();
    return out;
}

void MText::SetMarkText(const std::string& mark, uint32_t color) {
    mark_ = mark;
    markColor_ = color;
    UpdateControl(true);
}

void MText::SetTitleMarkText(const std::string& title, const std::string& mark, uint32_t color) {
    mark_ = mark;
    markColor_ = color;
    SetTitle(title);
    UpdateControl(true);
}

void MText::EnableVCenter(bool on) {
    SetVAlignment(on ? TextStyle::Center : TextStyle::Near);
}

void MText::EnableShadow(bool on, uint32_t color) {
    shadow_ = on;
    shadowColor_ = color;
    UpdateControl(true);
}

void MText::EnableTextBack(bool on, uint32_t color) {
    back_ = on;
    backColor_ = color;
    UpdateControl(true);
}

int MText::GetVirtualHeight() const {
    const TextStyle style = MakeTextStyle(GetTextColor());
    const std::string title = GetControlTitle();
    if (style.family.empty() || title.empty()) return 0;
    PangoLayout* layout = MakeLayout(nullptr, style, title, GetRect().Width());
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    return h;
}

void MText::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        const Rect box{0, 0, r.Width(), r.Height()};
        if (back_) MRender::DrawColor(mem, box, backColor_);
        const TextStyle style = MakeTextStyle(IsEnabled() ? GetTextColor() : 0xFF808080);
        const std::string title = GetControlTitle();
        if (!style.family.empty() && !title.empty()) {
            PangoLayout* layout = MakeLayout(mem, style, title, box.Width());
            int w = 0, h = 0;
            pango_layout_get_pixel_size(layout, &w, &h);
            const Point o = MRender::GetOriginPoint(
                box, Size{w, h}, style.multiLine ? TextStyle::Near : style.hAlign, style.vAlign);
            AddMarks(layout, {}, 0, style.style);
            if (shadow_) {
                MRender::SetSourceARGB(mem, shadowColor_);
                cairo_move_to(mem, o.x + 1, o.y + 1);
                pango_cairo_show_layout(mem, layout);
            }
            if (IsEnabled()) AddMarks(layout, FindMarks(title, mark_), markColor_, style.style);
            MRender::SetSourceARGB(mem, style.color);
            cairo_move_to(mem, o.x, o.y);
            pango_cairo_show_layout(mem, layout);
            g_object_unref(layout);
        }
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
