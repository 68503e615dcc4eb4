#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

// Drawing helpers of the skin generator: one dark theme, state palettes and simple glyphs.
class SkinPainter {
public:
    // Button states in strip order.
    enum State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

    static void Rgba(cairo_t* cr, uint32_t argb);
    static void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
    // A framed panel of the given state (fill, border, accent).
    static void Button(cairo_t* cr, double x, double y, double w, double h, State state,
                       double radius, bool accent = false);
    // A named glyph centred in a box, in `color`.
    static void Glyph(cairo_t* cr, const std::string& name, double x, double y, double w, double h,
                      uint32_t color);
    // Text colour of a state.
    static uint32_t Ink(State state);
};
