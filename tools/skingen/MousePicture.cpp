#include "tools/skingen/MousePicture.h"

#include "tools/skingen/SkinPainter.h"

#include <cmath>

namespace {

using P = SkinPainter;

void Stop(cairo_pattern_t* g, double at, uint32_t c) {
    cairo_pattern_add_color_stop_rgba(g, at, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                                      (c & 0xFF) / 255.0, ((c >> 24) & 0xFF) / 255.0);
}

// The shell outline: narrow at the front, widest at the palm, round at the back.
void Shell(cairo_t* cr) {
    cairo_move_to(cr, 150, 38);
    cairo_curve_to(cr, 186, 38, 206, 62, 208, 110);
    cairo_curve_to(cr, 210, 150, 214, 190, 206, 222);
    cairo_curve_to(cr, 198, 252, 176, 262, 150, 262);
    cairo_curve_to(cr, 124, 262, 102, 252, 94, 222);
    cairo_curve_to(cr, 86, 190, 90, 150, 92, 110);
    cairo_curve_to(cr, 94, 62, 114, 38, 150, 38);
    cairo_close_path(cr);
}

// One main button: the front part of the shell on one side of the centre line, down to y 124.
void MainButton(cairo_t* cr, bool left) {
    cairo_save(cr);
    if (!left) {
        cairo_translate(cr, 300, 0);
        cairo_scale(cr, -1, 1);
    }
    cairo_move_to(cr, 146, 41);
    cairo_curve_to(cr, 118, 43, 99, 64, 96, 110);
    cairo_line_to(cr, 95.5, 124);
    cairo_curve_to(cr, 112, 128, 128, 129, 139, 128);
    cairo_line_to(cr, 139, 108);
    cairo_curve_to(cr, 139, 100, 141, 98, 146, 98);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void FillButton(cairo_t* cr, double x0, double x1, uint32_t a, uint32_t b) {
    cairo_pattern_t* g = cairo_pattern_create_linear(x0, 40, x1, 130);
    Stop(g, 0, a);
    Stop(g, 1, b);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
}

} // namespace

void DrawMousePicture(cairo_t* cr, double w, double h) {
    cairo_save(cr);
    // The art is laid out on 300 x 270; other sizes scale it.
    cairo_scale(cr, w / 300.0, h / 270.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

    // Soft shadow under the mouse.
    cairo_save(cr);
    cairo_translate(cr, 152, 160);
    cairo_scale(cr, 70, 112);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_pattern_t* shadow = cairo_pattern_create_radial(152, 160, 40, 152, 160, 112);
    Stop(shadow, 0, 0x60000000);
    Stop(shadow, 1, 0x00000000);
    cairo_set_source(cr, shadow);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);

    // Body with the light strip round its back.
    Shell(cr);
    cairo_pattern_t* body = cairo_pattern_create_linear(90, 0, 212, 0);
    Stop(body, 0, 0xFF1A1D22);
    Stop(body, 0.45, 0xFF2E333B);
    Stop(body, 1, 0xFF15181C);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    P::Rgba(cr, 0xFF5A626E);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);

    cairo_save(cr);
    Shell(cr);
    cairo_clip(cr);
    cairo_pattern_t* strip = cairo_pattern_create_linear(96, 0, 204, 0);
    Stop(strip, 0, 0xFF10A8FD);
    Stop(strip, 0.5, 0xFFB05CFF);
    Stop(strip, 1, 0xFF10A8FD);
    cairo_set_source(cr, strip);
    cairo_set_line_width(cr, 5);
    cairo_move_to(cr, 100, 222);
    cairo_curve_to(cr, 110, 248, 130, 255, 150, 255);
    cairo_curve_to(cr, 170, 255, 190, 248, 200, 222);
    cairo_stroke(cr);
    cairo_restore(cr);

    // Palm: a slightly raised area with the logo dot.
    cairo_save(cr);
    cairo_translate(cr, 150, 190);
    cairo_scale(cr, 36, 44);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    P::Rgba(cr, 0x18FFFFFF);
    cairo_fill(cr);
    cairo_arc(cr, 150, 200, 5, 0, 2 * M_PI);
    P::Rgba(cr, 0xFF10A8FD);
    cairo_fill(cr);

    // Left and right buttons, separate parts with a seam between them.
    MainButton(cr, true);
    FillButton(cr, 96, 140, 0xFF3A414B, 0xFF262A31);
    P::Rgba(cr, 0xFF8A94A3);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    MainButton(cr, false);
    FillButton(cr, 204, 160, 0xFF3A414B, 0xFF262A31);
    P::Rgba(cr, 0xFF8A94A3);
    cairo_stroke(cr);

    // Wheel in its slot, with ridges.
    P::RoundRect(cr, 140, 56, 20, 54, 9);
    P::Rgba(cr, 0xFF0C0E11);
    cairo_fill(cr);
    P::RoundRect(cr, 143.5, 60, 13, 46, 6.5);
    cairo_pattern_t* wheel = cairo_pattern_create_linear(0, 60, 0, 106);
    Stop(wheel, 0, 0xFF5C6570);
    Stop(wheel, 0.5, 0xFFB8C0CC);
    Stop(wheel, 1, 0xFF5C6570);
    cairo_set_source(cr, wheel);
    cairo_fill(cr);
    P::Rgba(cr, 0xFF3A414B);
    cairo_set_line_width(cr, 1);
    for (double y = 64; y < 104; y += 4.5) {
        cairo_move_to(cr, 144.5, y);
        cairo_line_to(cr, 155.5, y);
    }
    cairo_stroke(cr);

    // DPI button behind the wheel, with its accent light.
    P::RoundRect(cr, 141, 119, 18, 23, 5);
    P::Rgba(cr, 0xFF3A414B);
    cairo_fill_preserve(cr);
    P::Rgba(cr, 0xFF8A94A3);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_rectangle(cr, 145, 129.5, 10, 2.5);
    P::Rgba(cr, 0xFF10A8FD);
    cairo_fill(cr);

    // Two side buttons on the left flank: forward in front, backward behind it.
    for (double cy : {160.0, 196.0}) {
        P::RoundRect(cr, 88, cy - 14, 17, 28, 6);
        cairo_pattern_t* side = cairo_pattern_create_linear(88, 0, 105, 0);
        Stop(side, 0, 0xFF4A525E);
        Stop(side, 1, 0xFF2A2F37);
        cairo_set_source(cr, side);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(side);
        P::Rgba(cr, 0xFF9AA4B3);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }

    cairo_pattern_destroy(wheel);
    cairo_restore(cr);
}
