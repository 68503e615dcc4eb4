#include "tools/skingen/SkinPainter.h"

#include <algorithm>
#include <cmath>

void SkinPainter::Rgba(cairo_t* cr, uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

void SkinPainter::RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

uint32_t SkinPainter::Ink(State state) {
    switch (state) {
    case Hover:
        return 0xFFFFFFFF;
    case Pressed:
        return 0xFFE8F6FF;
    case Disabled:
        return 0xFF6A6F78;
    default:
        return 0xFFD5D9E0;
    }
}

void SkinPainter::Button(cairo_t* cr, double x, double y, double w, double h, State state,
                         double radius, bool accent) {
    // Fill top and bottom colours, border colour per state.
    struct Look {
        uint32_t top, bottom, border;
    };
    static const Look plain[] = {{0xFF2C323B, 0xFF232830, 0xFF3C434E},
                                 {0xFF353D48, 0xFF2B323C, 0xFF10A8FD},
                                 {0xFF1A1E24, 0xFF20252C, 0xFF0B7FC2},
                                 {0xFF1E2126, 0xFF1C1F24, 0xFF2A2E35}};
    static const Look strong[] = {{0xFF16A9F5, 0xFF0E8FD6, 0xFF2BB8FF},
                                  {0xFF3CBCFF, 0xFF18A0EA, 0xFF7AD3FF},
                                  {0xFF0B78B8, 0xFF0A6BA5, 0xFF0B78B8},
                                  {0xFF263440, 0xFF222D37, 0xFF2A3A48}};
    const Look& look = (accent ? strong : plain)[state];
    cairo_save(cr);
    RoundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, radius);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
    auto stop = [g](double at, uint32_t c) {
        cairo_pattern_add_color_stop_rgba(g, at, ((c >> 16) & 0xFF) / 255.0,
                                          ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0,
                                          ((c >> 24) & 0xFF) / 255.0);
    };
    stop(0, look.top);
    stop(1, look.bottom);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    Rgba(cr, look.border);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void SkinPainter::Glyph(cairo_t* cr, const std::string& name, double x, double y, double w,
                        double h, uint32_t color) {
    cairo_save(cr);
    const double s = std::min(w, h);
    cairo_translate(cr, x + (w - s) / 2, y + (h - s) / 2);
    cairo_scale(cr, s / 24.0, s / 24.0); // glyphs are drawn on a 24 x 24 grid
    Rgba(cr, color);
    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    auto has = [&name](const char* part) { return name.find(part) != std::string::npos; };
    auto tri = [cr](double x0, double y0, double x1, double y1, double x2, double y2) {
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_line_to(cr, x2, y2);
        cairo_close_path(cr);
        cairo_fill(cr);
    };
    auto speaker = [&] {
        cairo_move_to(cr, 4, 9);
        cairo_line_to(cr, 8, 9);
        cairo_line_to(cr, 13, 5);
        cairo_line_to(cr, 13, 19);
        cairo_line_to(cr, 8, 15);
        cairo_line_to(cr, 4, 15);
        cairo_close_path(cr);
        cairo_fill(cr);
    };
    if (has("playpause")) {
        tri(4, 5, 12, 12, 4, 19);
        cairo_rectangle(cr, 14, 5, 2.5, 14);
        cairo_rectangle(cr, 18.5, 5, 2.5, 14);
        cairo_fill(cr);
    } else if (has("stop")) {
        if (has("web")) {
            cairo_arc(cr, 12, 12, 8, 0, 2 * M_PI);
            cairo_stroke(cr);
            cairo_move_to(cr, 9, 9);
            cairo_line_to(cr, 15, 15);
            cairo_move_to(cr, 15, 9);
            cairo_line_to(cr, 9, 15);
            cairo_stroke(cr);
        } else {
            cairo_rectangle(cr, 6, 6, 12, 12);
            cairo_fill(cr);
        }
    } else if (has("pre") || has("backward") || has("direction_left")) {
        tri(12, 6, 4, 12, 12, 18);
        tri(20, 6, 12, 12, 20, 18);
    } else if (has("next") || has("foreward") || has("direction_right")) {
        tri(4, 6, 12, 12, 4, 18);
        tri(12, 6, 20, 12, 12, 18);
    } else if (has("vol_mute")) {
        speaker();
        cairo_move_to(cr, 16, 9);
        cairo_line_to(cr, 21, 15);
        cairo_move_to(cr, 21, 9);
        cairo_line_to(cr, 16, 15);
        cairo_stroke(cr);
    } else if (has("vol_up") || has("vol_down")) {
        speaker();
        cairo_move_to(cr, 16, 12);
        cairo_line_to(cr, 21, 12);
        if (has("up")) {
            cairo_move_to(cr, 18.5, 9.5);
            cairo_line_to(cr, 18.5, 14.5);
        }
        cairo_stroke(cr);
    } else if (has("home")) {
        cairo_move_to(cr, 3, 12);
        cairo_line_to(cr, 12, 4);
        cairo_line_to(cr, 21, 12);
        cairo_move_to(cr, 6, 10);
        cairo_line_to(cr, 6, 20);
        cairo_line_to(cr, 18, 20);
        cairo_line_to(cr, 18, 10);
        cairo_stroke(cr);
    } else if (has("refresh")) {
        cairo_arc(cr, 12, 12, 7, 0.3, 2 * M_PI - 0.6);
        cairo_stroke(cr);
        tri(19, 3, 20, 10, 14, 8);
    } else if (has("search")) {
        cairo_arc(cr, 10, 10, 6, 0, 2 * M_PI);
        cairo_move_to(cr, 14.5, 14.5);
        cairo_line_to(cr, 20, 20);
        cairo_stroke(cr);
    } else if (has("email")) {
        cairo_rectangle(cr, 3, 6, 18, 12);
        cairo_move_to(cr, 3, 6);
        cairo_line_to(cr, 12, 13);
        cairo_line_to(cr, 21, 6);
        cairo_stroke(cr);
    } else if (has("cal")) {
        cairo_rectangle(cr, 5, 3, 14, 18);
        cairo_stroke(cr);
        cairo_rectangle(cr, 7.5, 5.5, 9, 4);
        cairo_fill(cr);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                cairo_rectangle(cr, 7.5 + c * 3.3, 11.5 + r * 3, 2, 2);
        cairo_fill(cr);
    } else if (has("icon_pc") || has("keyboard") || has("config")) {
        if (has("config")) {
            cairo_arc(cr, 12, 12, 4, 0, 2 * M_PI);
            cairo_stroke(cr);
            for (int i = 0; i < 8; ++i) {
                const double a = i * M_PI / 4;
                cairo_move_to(cr, 12 + 6 * std::cos(a), 12 + 6 * std::sin(a));
                cairo_line_to(cr, 12 + 9 * std::cos(a), 12 + 9 * std::sin(a));
            }
            cairo_stroke(cr);
        } else if (has("keyboard")) {
            cairo_rectangle(cr, 2, 7, 20, 11);
            cairo_stroke(cr);
            for (int i = 0; i < 5; ++i)
                cairo_rectangle(cr, 4.5 + i * 3.2, 10, 2, 2);
            cairo_rectangle(cr, 7, 14, 10, 1.8);
            cairo_fill(cr);
        } else {
            cairo_rectangle(cr, 3, 4, 18, 12);
            cairo_move_to(cr, 9, 20);
            cairo_line_to(cr, 15, 20);
            cairo_move_to(cr, 12, 16);
            cairo_line_to(cr, 12, 20);
            cairo_stroke(cr);
        }
    } else if (has("favorites")) {
        cairo_move_to(cr, 12, 3);
        for (int i = 1; i <= 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5;
            const double r = i % 2 ? 4 : 9;
            cairo_line_to(cr, 12 + r * std::cos(a), 12.5 + r * std::sin(a));
        }
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (has("multimedia") || has("macro")) {
        cairo_arc(cr, 8, 17, 3, 0, 2 * M_PI);
        cairo_arc(cr, 17, 15, 3, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_move_to(cr, 11, 17);
        cairo_line_to(cr, 11, 5);
        cairo_line_to(cr, 20, 3);
        cairo_line_to(cr, 20, 15);
        cairo_stroke(cr);
    } else if (has("light")) {
        cairo_arc(cr, 12, 10, 5, 0, 2 * M_PI);
        cairo_stroke(cr);
        cairo_move_to(cr, 9.5, 17);
        cairo_line_to(cr, 14.5, 17);
        cairo_move_to(cr, 10, 20);
        cairo_line_to(cr, 14, 20);
        cairo_stroke(cr);
    } else if (has("mouse") || has("pointer") || has("dpi")) {
        RoundRect(cr, 6, 2, 12, 20, 6);
        cairo_move_to(cr, 12, 2);
        cairo_line_to(cr, 12, 9);
        cairo_move_to(cr, 6, 9);
        cairo_line_to(cr, 18, 9);
        cairo_stroke(cr);
    } else if (has("customkey") || has("edit")) {
        cairo_move_to(cr, 5, 19);
        cairo_line_to(cr, 6, 15);
        cairo_line_to(cr, 16, 5);
        cairo_line_to(cr, 19, 8);
        cairo_line_to(cr, 9, 18);
        cairo_close_path(cr);
        cairo_stroke(cr);
    } else if (has("add")) {
        cairo_move_to(cr, 12, 5);
        cairo_line_to(cr, 12, 19);
        cairo_move_to(cr, 5, 12);
        cairo_line_to(cr, 19, 12);
        cairo_stroke(cr);
    } else if (has("del") || has("close")) {
        cairo_move_to(cr, 7, 7);
        cairo_line_to(cr, 17, 17);
        cairo_move_to(cr, 17, 7);
        cairo_line_to(cr, 7, 17);
        cairo_stroke(cr);
    } else if (has("min")) {
        cairo_move_to(cr, 6, 15);
        cairo_line_to(cr, 18, 15);
        cairo_stroke(cr);
    } else if (has("website")) {
        cairo_arc(cr, 12, 12, 8, 0, 2 * M_PI);
        cairo_move_to(cr, 4, 12);
        cairo_line_to(cr, 20, 12);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_scale(cr, 0.45, 1);
        cairo_arc(cr, 12 / 0.45, 12, 8, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_stroke(cr);
    } else if (has("import") || has("down") || has("openfile")) {
        cairo_move_to(cr, 12, 4);
        cairo_line_to(cr, 12, 15);
        cairo_stroke(cr);
        tri(7, 12, 12, 18, 17, 12);
        cairo_move_to(cr, 5, 20);
        cairo_line_to(cr, 19, 20);
        cairo_stroke(cr);
    } else if (has("export") || has("up")) {
        cairo_move_to(cr, 12, 20);
        cairo_line_to(cr, 12, 9);
        cairo_stroke(cr);
        tri(7, 11, 12, 5, 17, 11);
    } else if (has("time")) {
        cairo_arc(cr, 12, 12, 8, 0, 2 * M_PI);
        cairo_move_to(cr, 12, 7);
        cairo_line_to(cr, 12, 12);
        cairo_line_to(cr, 16, 14);
        cairo_stroke(cr);
    } else if (has("charge")) {
        cairo_move_to(cr, 14, 2);
        cairo_line_to(cr, 6, 13);
        cairo_line_to(cr, 11, 13);
        cairo_line_to(cr, 9, 22);
        cairo_line_to(cr, 18, 10);
        cairo_line_to(cr, 13, 10);
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (has("usb")) {
        cairo_move_to(cr, 12, 3);
        cairo_line_to(cr, 12, 21);
        cairo_move_to(cr, 12, 15);
        cairo_line_to(cr, 6, 10);
        cairo_move_to(cr, 12, 12);
        cairo_line_to(cr, 18, 8);
        cairo_stroke(cr);
        cairo_arc(cr, 12, 20, 2.5, 0, 2 * M_PI);
        cairo_fill(cr);
    } else if (has("24g")) {
        for (int i = 1; i <= 3; ++i) {
            cairo_arc(cr, 12, 18, i * 4.5, -M_PI * 0.8, -M_PI * 0.2);
            cairo_stroke(cr);
        }
        cairo_arc(cr, 12, 18, 1.8, 0, 2 * M_PI);
        cairo_fill(cr);
    } else {
        cairo_arc(cr, 12, 12, 6, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}
