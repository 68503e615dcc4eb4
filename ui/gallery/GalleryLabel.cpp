#include "ui/gallery/GalleryLabel.h"

#include <pango/pangocairo.h>

namespace Tolva {

namespace {
void SetSource(cairo_t* cr, uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, (argb >> 24) / 255.0);
}
} // namespace

GalleryLabel::GalleryLabel(MObject* parent, unsigned id, const Rect& rect, std::string text,
                           int pixelSize, uint32_t argb, bool tab)
    : MControl(parent, id, rect), text_(std::move(text)), pixelSize_(pixelSize), argb_(argb),
      tab_(tab) {
    SetRresponse(tab);
}

void GalleryLabel::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    UpdateControl(true);
}

void GalleryLabel::SetSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    UpdateControl(true);
}

void GalleryLabel::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        cairo_set_operator(mem, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(mem, 0, 0, 0, 0);
        cairo_paint(mem);
        cairo_set_operator(mem, CAIRO_OPERATOR_OVER);
        if (tab_) {
            SetSource(mem, selected_ ? 0xFF10A8FD : 0xFF2A2D33);
            cairo_rectangle(mem, 0, 0, r.Width(), r.Height());
            cairo_fill(mem);
        }
        PangoLayout* layout = pango_cairo_create_layout(mem);
        PangoFontDescription* font = pango_font_description_from_string("Open Sans");
        pango_font_description_set_absolute_size(font, pixelSize_ * PANGO_SCALE);
        if (tab_) pango_font_description_set_weight(font, PANGO_WEIGHT_SEMIBOLD);
        pango_layout_set_font_description(layout, font);
        pango_layout_set_text(layout, text_.c_str(), -1);
        pango_layout_set_width(layout, r.Width() * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        if (tab_) pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
        int w = 0, h = 0;
        pango_layout_get_pixel_size(layout, &w, &h);
        SetSource(mem, tab_ && selected_ ? 0xFF050505 : argb_);
        cairo_move_to(mem, 0, (r.Height() - h) / 2.0);
        pango_cairo_show_layout(mem, layout);
        pango_font_description_free(font);
        g_object_unref(layout);
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

int GalleryLabel::OnControlLButtonDown(unsigned, Point pt) {
    if (!tab_ || !PtInRect(pt)) return 0;
    pressed_ = true;
    SendMessageW(1, 0, 0);
    return 1;
}

int GalleryLabel::OnControlLButtonUp(unsigned, Point pt) {
    if (!tab_) return 0;
    const bool was = pressed_;
    pressed_ = false;
    if (was && PtInRect(pt)) SendMessageW(2, 0, 0);
    return 1;
}

} // namespace Tolva
