#include "ui/paint/MRender.h"

#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/FontRegistry.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

namespace Tolva {
namespace {

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
    // Sizes are points everywhere; pango takes pixels here.
    pango_font_description_set_absolute_size(
        desc, FontRegistry::PointsToPixels(std::max(1.0, style.size)) * PANGO_SCALE);
    if (style.style & TextStyle::Bold)
        pango_font_description_set_weight(desc, PANGO_WEIGHT_BOLD);
    else if (face.weight > 0)
        pango_font_description_set_weight(desc, static_cast<PangoWeight>(face.weight));
    if (style.style & TextStyle::Italic) pango_font_description_set_style(desc, PANGO_STYLE_ITALIC);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    if (style.style & (TextStyle::Underline | TextStyle::Strikeout)) {
        PangoAttrList* attrs = pango_attr_list_new();
        if (style.style & TextStyle::Underline)
            pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (style.style & TextStyle::Strikeout)
            pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    if (style.multiLine && width > 0) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    } else if (style.ellipsis && width > 0) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    const PangoAlignment align = style.hAlign == TextStyle::Center ? PANGO_ALIGN_CENTER
                                 : style.hAlign == TextStyle::Far  ? PANGO_ALIGN_RIGHT
                                                                   : PANGO_ALIGN_LEFT;
    pango_layout_set_alignment(layout, align);
    return layout;
}

void PaintScaled(cairo_t* cr, cairo_surface_t* image, double dx, double dy, double dw, double dh,
                 int sx, int sy, int sw, int sh) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    CairoStateGuard guard(cr);
    // A sub-surface with padded edges keeps stretched parts from sampling their neighbours.
    cairo_surface_t* part = cairo_surface_create_for_rectangle(image, sx, sy, sw, sh);
    cairo_rectangle(cr, dx, dy, dw, dh);
    cairo_clip(cr);
    cairo_translate(cr, dx, dy);
    const bool unscaled = dw == sw && dh == sh;
    if (!unscaled) cairo_scale(cr, dw / sw, dh / sh);
    cairo_set_source_surface(cr, part, 0, 0);
    cairo_pattern_t* pattern = cairo_get_source(cr);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, unscaled ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_surface_destroy(part);
}

} // namespace

std::shared_ptr<Image> MRender::LoadImageFromFile(const std::string& path) {
    return Image::Load(path);
}

std::shared_ptr<Image> MRender::LoadIconFromFile(const std::string& path) {
    return Image::Load(path);
}

void MRender::DrawImagePart(cairo_t* cr, cairo_surface_t* image, const Rect& dest, int sx, int sy,
                            int sw, int sh) {
    if (!cr || !image) return;
    PaintScaled(cr, image, dest.left, dest.top, dest.Width(), dest.Height(), sx, sy, sw, sh);
}

void MRender::DrawImageFrame(cairo_t* cr, cairo_surface_t* image, const Rect& dest, int sx, int sy,
                             int sw, int sh, int corner) {
    DrawImageFrameMID(cr, image, dest, sx, sy, sw, sh, corner, corner, corner, corner);
}

void MRender::DrawImageFrameMID(cairo_t* cr, cairo_surface_t* image, const Rect& dest, int sx,
                                int sy, int sw, int sh, int l, int t, int r, int b) {
    if (!cr || !image || dest.IsEmpty() || sw <= 0 || sh <= 0) return;
    l = std::max(l, 0);
    t = std::max(t, 0);
    r = std::max(r, 0);
    b = std::max(b, 0);
    // Insets that do not fit the source leave nothing to stretch: draw the part plainly.
    if (l + r >= sw || t + b >= sh) {
        DrawImagePart(cr, image, dest, sx, sy, sw, sh);
        return;
    }
    const double x0 = dest.left, y0 = dest.top, x1 = dest.right, y1 = dest.bottom;
    const double mw = dest.Width() - l - r, mh = dest.Height() - t - b;
    const int cw = sw - l - r, ch = sh - t - b;
    PaintScaled(cr, image, x0, y0, l, t, sx, sy, l, t);                           // top-left
    PaintScaled(cr, image, x0, y0 + t, l, mh, sx, sy + t, l, ch);                 // left edge
    PaintScaled(cr, image, x0, y1 - b, l, b, sx, sy + sh - b, l, b);              // bottom-left
    PaintScaled(cr, image, x0 + l, y0, mw, t, sx + l, sy, cw, t);                 // top edge
    PaintScaled(cr, image, x1 - r, y0, r, t, sx + sw - r, sy, r, t);              // top-right
    PaintScaled(cr, image, x1 - r, y0 + t, r, mh, sx + sw - r, sy + t, r, ch);    // right edge
    PaintScaled(cr, image, x1 - r, y1 - b, r, b, sx + sw - r, sy + sh - b, r, b); // bottom-right
    PaintScaled(cr, image, x0 + l, y1 - b, mw, b, sx + l, sy + sh - b, cw, b);    // bottom edge
    PaintScaled(cr, image, x0 + l, y0 + t, mw, mh, sx + l, sy + t, cw, ch);       // centre
}

void MRender::DrawVerticalTransition(cairo_t* cr, cairo_surface_t* src, const Rect& dest,
                                     const Rect& source, int a, int b) {
    if (!cr || !src || b <= 0) return;
    a = std::clamp(a, 0, b);
    const int h = dest.Height() * a / b;
    if (h <= 0) return;
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, dest.left, dest.top, dest.Width(), h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, src, dest.left - source.left,
                             dest.top - source.top - (dest.Height() - h));
    cairo_paint(cr);
}

void MRender::DrawHorizontalTransition(cairo_t* cr, cairo_surface_t* src, const Rect& dest,
                                       const Rect& source, int a, int b) {
    if (!cr || !src || b <= 0) return;
    a = std::clamp(a, 0, b);
    const int w = dest.Width() * a / b;
    if (w <= 0) return;
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, dest.left, dest.top, w, dest.Height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, src, dest.left - source.left - (dest.Width() - w),
                             dest.top - source.top);
    cairo_paint(cr);
}

void MRender::DrawRightBottomTransition(cairo_t* cr, cairo_surface_t* src, const Rect& dest,
                                        const Rect& source, int a, int b) {
    if (!cr || !src || b <= 0) return;
    a = std::clamp(a, 0, b);
    const int w = dest.Width() * a / b, h = dest.Height() * a / b;
    if (w <= 0 || h <= 0) return;
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, dest.right - w, dest.bottom - h, w, h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, src, dest.left - source.left, dest.top - source.top);
    cairo_paint(cr);
}

void MRender::SetSourceARGB(cairo_t* cr, uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

uint32_t MRender::ColorRefToARGB(uint32_t colorRef, uint8_t alpha) {
    const uint32_t r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
    return (static_cast<uint32_t>(alpha) << 24) | (r << 16) | (g << 8) | b;
}

void MRender::FillSolidRect(cairo_t* cr, const Rect& rect, uint32_t colorRef) {
    DrawColor(cr, rect, ColorRefToARGB(colorRef));
}

void MRender::DrawDropArrow(cairo_t* cr, double cx, double cy, bool up, uint32_t argb) {
    if (!cr) return;
    CairoStateGuard guard(cr);
    const double dir = up ? -1 : 1;
    SetSourceARGB(cr, argb);
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, cx - 4.5, cy - 2 * dir);
    cairo_line_to(cr, cx, cy + 2.5 * dir);
    cairo_line_to(cr, cx + 4.5, cy - 2 * dir);
    cairo_stroke(cr);
}

void MRender::DrawColor(cairo_t* cr, const Rect& rect, uint32_t argb) {
    if (!cr || rect.IsEmpty()) return;
    CairoStateGuard guard(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    SetSourceARGB(cr, argb);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(cr);
}

void MRender::DrawGradient(cairo_t* cr, const Rect& rect, uint32_t from, uint32_t to, bool vertical,
                           int steps) {
    if (!cr || rect.IsEmpty()) return;
    const int length = vertical ? rect.Height() : rect.Width();
    steps = std::clamp(steps, 1, std::max(1, length));
    auto channel = [](uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    for (int i = 0; i < steps; ++i) {
        const int a0 = length * i / steps, a1 = length * (i + 1) / steps;
        uint32_t c = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int v = steps == 1
                              ? channel(from, shift)
                              : channel(from, shift) +
                                    (channel(to, shift) - channel(from, shift)) * i / (steps - 1);
            c |= static_cast<uint32_t>(v) << shift;
        }
        const Rect band = vertical ? Rect{rect.left, rect.top + a0, rect.right, rect.top + a1}
                                   : Rect{rect.left + a0, rect.top, rect.left + a1, rect.bottom};
        DrawColor(cr, band, c);
    }
}

void MRender::DrawRectangle(cairo_t* cr, const Rect& rect, uint32_t argb, int width) {
    if (!cr || rect.IsEmpty() || width <= 0) return;
    CairoStateGuard guard(cr);
    SetSourceARGB(cr, argb);
    const double half = width / 2.0;
    cairo_set_line_width(cr, width);
    cairo_rectangle(cr, rect.left + half, rect.top + half, rect.Width() - width,
                    rect.Height() - width);
    cairo_stroke(cr);
}

void MRender::DrawRoundRectange(cairo_t* cr, int x, int y, int w, int h, int radius, uint32_t argb,
                                int width, bool fill, uint32_t fillArgb) {
    if (!cr || w <= 0 || h <= 0) return;
    CairoStateGuard guard(cr);
    const double half = width > 0 ? width / 2.0 : 0;
    const double l = x + half, t = y + half, r = x + w - half, b = y + h - half;
    const double rad = std::clamp<double>(radius, 0, std::min(r - l, b - t) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, r - rad, t + rad, rad, -M_PI / 2, 0);
    cairo_arc(cr, r - rad, b - rad, rad, 0, M_PI / 2);
    cairo_arc(cr, l + rad, b - rad, rad, M_PI / 2, M_PI);
    cairo_arc(cr, l + rad, t + rad, rad, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    if (fill) {
        SetSourceARGB(cr, fillArgb);
        cairo_fill_preserve(cr);
    }
    if (width > 0) {
        SetSourceARGB(cr, argb);
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
}

void MRender::DrawTextW(cairo_t* cr, const Rect& rect, const std::string& text,
                        const TextStyle& style) {
    if (!cr || text.empty() || rect.IsEmpty()) return;
    if (!FontRegistry::Instance().HasFamily(style.family)) return;
    CairoStateGuard guard(cr);
    PangoLayout* layout = MakeLayout(cr, style, text, rect.Width());
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    // One line: alignment is placement of the whole run inside the box; wrapped or shortened
    // text is aligned by pango within the box width.
    const bool oneLine = !style.multiLine && !style.ellipsis;
    const Point origin =
        GetOriginPoint(rect, Size{w, h}, oneLine ? style.hAlign : TextStyle::Near, style.vAlign);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
    SetSourceARGB(cr, style.color);
    cairo_move_to(cr, origin.x, origin.y);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

Point MRender::GetOriginPoint(const Rect& rect, const Size& size, int hAlign, int vAlign) {
    auto place = [](int start, int room, int extent, int align) {
        if (align == TextStyle::Center)
            return static_cast<int>(std::lround(start + (room - extent) / 2.0));
        if (align == TextStyle::Far) return start + room - extent;
        return start;
    };
    return {place(rect.left, rect.Width(), size.cx, hAlign),
            place(rect.top, rect.Height(), size.cy, vAlign)};
}

Point MRender::GetOriginPoint(const TextStyle& style, const std::string& text, const Rect& rect) {
    const bool oneLine = !style.multiLine && !style.ellipsis;
    const Size size = GetTextBounds(style, text, oneLine ? -1 : rect.Width());
    if (size.cx == 0 && size.cy == 0) return {rect.left, rect.top};
    return GetOriginPoint(rect, size, oneLine ? style.hAlign : TextStyle::Near, style.vAlign);
}

Size MRender::GetTextBounds(const TextStyle& style, const std::string& text, int width) {
    if (text.empty() || !FontRegistry::Instance().HasFamily(style.family)) return {};
    PangoLayout* layout = MakeLayout(nullptr, style, text, width);
    Size size;
    pango_layout_get_pixel_size(layout, &size.cx, &size.cy);
    g_object_unref(layout);
    return size;
}

cairo_surface_t* MRender::CreateARGB32Bitmap(int cx, int cy) {
    if (cx <= 0 || cy <= 0) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cx, cy);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

void MRender::BitBlt(cairo_t* cr, const Rect& dest, cairo_surface_t* src, int sx, int sy,
                     bool over) {
    if (!cr || !src || dest.IsEmpty()) return;
    CairoStateGuard guard(cr);
    cairo_set_operator(cr, over ? CAIRO_OPERATOR_OVER : CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, src, dest.left - sx, dest.top - sy);
    cairo_paint(cr);
}

void MRender::CheckAlphaColor(uint32_t& argb) {
    if ((argb >> 24) == 0 && (argb & 0xFFFFFF) != 0) argb |= 0xFF000000;
}

bool MRender::SaveBitmapToFile(cairo_surface_t* surface, const std::string& path) {
    if (!surface || path.empty()) return false;
    return cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace Tolva
