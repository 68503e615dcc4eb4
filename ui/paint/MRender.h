#pragma once

#include "ui/TolvaApi.h"
#include "ui/paint/Image.h"
#include "ui/paint/TextStyle.h"
#include "ui/platform/Geometry.h"

#include <cairo.h>

#include <memory>
#include <string>

namespace Tolva {

// Stateless drawing helpers shared by every control. All take a cairo context in the target's
// coordinates and leave its state as they found it.
class TOLVA_API MRender {
public:
    // Null when the file is missing or cannot be decoded.
    static std::shared_ptr<Image> LoadImageFromFile(const std::string& path);
    static std::shared_ptr<Image> LoadIconFromFile(const std::string& path);

    // Nine-grid: c x c corners copied unscaled, edges stretched in one direction, centre in both.
    static void DrawImageFrame(cairo_t* cr, cairo_surface_t* image, const Rect& dest, int sx,
                               int sy, int sw, int sh, int corner);
    // Nine-grid with four separate insets.
    static void DrawImageFrameMID(cairo_t* cr, cairo_surface_t* image, const Rect& dest, int sx,
                                  int sy, int sw, int sh, int left, int top, int right, int bottom);
    // Stretches the source rectangle over the destination (unscaled when sizes match).
    static void DrawImagePart(cairo_t* cr, cairo_surface_t* image, const Rect& dest, int sx, int sy,
                              int sw, int sh);
    // Shows the first `a` of `b` parts of `src` sliding in from the top or left.
    static void DrawVerticalTransition(cairo_t* cr, cairo_surface_t* src, const Rect& dest,
                                       const Rect& source, int a, int b);
    static void DrawHorizontalTransition(cairo_t* cr, cairo_surface_t* src, const Rect& dest,
                                         const Rect& source, int a, int b);
    static void DrawRightBottomTransition(cairo_t* cr, cairo_surface_t* src, const Rect& dest,
                                          const Rect& source, int a, int b);

    static void SetSourceARGB(cairo_t* cr, uint32_t argb);
    // Fills with an opaque 0x00BBGGRR colour.
    static void FillSolidRect(cairo_t* cr, const Rect& rect, uint32_t colorRef);
    static void DrawColor(cairo_t* cr, const Rect& rect, uint32_t argb);
    // `steps` bands from `from` to `to` (ARGB), top to bottom or left to right.
    static void DrawGradient(cairo_t* cr, const Rect& rect, uint32_t from, uint32_t to,
                             bool vertical, int steps);
    static void DrawRectangle(cairo_t* cr, const Rect& rect, uint32_t argb, int width);
    // The chevron of a drop-down box centred on (cx, cy), pointing up while its list is open.
    static void DrawDropArrow(cairo_t* cr, double cx, double cy, bool up, uint32_t argb);
    static void DrawRoundRectange(cairo_t* cr, int x, int y, int w, int h, int radius,
                                  uint32_t argb, int width, bool fill, uint32_t fillArgb);

    // Text through pango. Nothing is drawn (and a zero size is measured) when the style's
    // family does not exist.
    static void DrawTextW(cairo_t* cr, const Rect& rect, const std::string& text,
                          const TextStyle& style);
    static Size GetTextBounds(const TextStyle& style, const std::string& text, int width = -1);
    // Top-left corner at which something of `size` sits in `rect` under the alignments
    // (TextStyle::Align); half pixels round away from zero. Content larger
    // than the rectangle starts before its origin when centred or far-aligned.
    static Point GetOriginPoint(const Rect& rect, const Size& size, int hAlign, int vAlign);
    // Where DrawTextW starts the text in `rect`; the rectangle's origin when nothing is drawn.
    static Point GetOriginPoint(const TextStyle& style, const std::string& text, const Rect& rect);

    // A cleared ARGB32 surface; null when cx or cy is not positive or memory is short.
    static cairo_surface_t* CreateARGB32Bitmap(int cx, int cy);
    // Copies `src` (at its origin) to `dest` without blending when `over` is false.
    static void BitBlt(cairo_t* cr, const Rect& dest, cairo_surface_t* src, int sx, int sy,
                       bool over = true);
    // A colour whose alpha is 0 but that has some colour gets alpha 255.
    static void CheckAlphaColor(uint32_t& argb);
    // Writes PNG; false on failure.
    static bool SaveBitmapToFile(cairo_surface_t* surface, const std::string& path);
    // ARGB from 0x00BBGGRR and an alpha.
    static uint32_t ColorRefToARGB(uint32_t colorRef, uint8_t alpha = 255);
};

} // namespace Tolva
