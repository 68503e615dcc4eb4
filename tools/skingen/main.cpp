// Draws the program's skin: every image the program and Tolva name, into
// <program folder>/skins/theme1/, plus the window icon "Pivane.ico" in the program folder.

#include "tools/skingen/GifWriter.h"
#include "tools/skingen/IcoWriter.h"
#include "tools/skingen/MousePicture.h"
#include "tools/skingen/SkinPainter.h"
#include "ui/widgets/KeyboardLayout104.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using P = SkinPainter;
namespace fs = std::filesystem;

constexpr uint32_t kAccent = 0xFF10A8FD;
constexpr uint32_t kInk = 0xFFD5D9E0;
constexpr uint32_t kWindow = 0xFF14171C;
constexpr uint32_t kPanel = 0xFF1E2228;
constexpr uint32_t kBorder = 0xFF3A3F47;

std::string g_skin;
int g_failures = 0;

// Draws one strip of `frames` frames of w x h and writes it as PNG.
void Strip(const std::string& name, int frames, int w, int h,
           const std::function<void(cairo_t*, int frame, double w, double h)>& draw) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frames * w, h);
    cairo_t* cr = cairo_create(s);
    for (int f = 0; f < frames; ++f) {
        cairo_save(cr);
        cairo_rectangle(cr, f * w, 0, w, h);
        cairo_clip(cr);
        cairo_translate(cr, f * w, 0);
        draw(cr, f, w, h);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    std::string rel = name;
    for (char& c : rel)
        if (c == '\\') c = '/';
    const fs::path path = fs::path(g_skin) / fs::path(rel).lexically_normal();
    fs::create_directories(path.parent_path());
    if (cairo_surface_write_to_png(s, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
        ++g_failures;
    }
    cairo_surface_destroy(s);
}

P::State StateOf(int frame) {
    return static_cast<P::State>(frame % 4);
}

// A push button strip: 4 frames, optional glyph and accent fill.
void ButtonStrip(const std::string& name, int w, int h, const std::string& glyph, bool accent,
                 double radius = 6) {
    Strip(name, 4, w, h, [&](cairo_t* cr, int f, double fw, double fh) {
        P::Button(cr, 0, 0, fw, fh, StateOf(f), radius, accent);
        if (!glyph.empty()) {
            const double g = std::min(fw, fh) * 0.6;
            P::Glyph(cr, glyph, (fw - g) / 2 + (f == 2 ? 1 : 0), (fh - g) / 2 + (f == 2 ? 1 : 0), g,
                     g, P::Ink(StateOf(f)));
        }
    });
}

// A flat icon button (title bar): transparent until hovered.
void FlatButton(const std::string& name, int size, const std::string& glyph, bool danger) {
    Strip(name, 4, size, size, [&](cairo_t* cr, int f, double w, double h) {
        if (f == 1 || f == 2) {
            P::RoundRect(cr, 1, 1, w - 2, h - 2, 5);
            P::Rgba(cr, danger ? (f == 1 ? 0xFFE0443E : 0xFFB8322D)
                               : (f == 1 ? 0xFF343B45 : 0xFF262C34));
            cairo_fill(cr);
        }
        const double g = size * 0.6;
        P::Glyph(cr, glyph, (w - g) / 2, (h - g) / 2, g, g, f == 3 ? 0xFF5A5F68 : kInk);
    });
}

// Check and radio strips: 4 unchecked then 4 checked frames.
void CheckStrip(const std::string& name, int w, int h, bool round) {
    Strip(name, 8, w, h, [&](cairo_t* cr, int f, double fw, double fh) {
        const P::State st = StateOf(f);
        const bool checked = f >= 4;
        const double box = std::min(fw, fh) - 4;
        const double x = 2, y = (fh - box) / 2;
        if (round)
            cairo_arc(cr, x + box / 2, y + box / 2, box / 2, 0, 2 * M_PI);
        else
            P::RoundRect(cr, x, y, box, box, 3);
        P::Rgba(cr, checked ? (st == P::Disabled ? 0xFF24435A : kAccent)
                            : (st == P::Pressed ? 0xFF15191E : 0xFF252A31));
        cairo_fill_preserve(cr);
        P::Rgba(cr, st == P::Hover ? 0xFF7AD3FF : st == P::Disabled ? 0xFF2A2E35 : 0xFF4A515C);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        if (!checked) return;
        P::Rgba(cr, st == P::Disabled ? 0xFF6A6F78 : 0xFFFFFFFF);
        if (round) {
            cairo_arc(cr, x + box / 2, y + box / 2, box / 5, 0, 2 * M_PI);
            cairo_fill(cr);
        } else {
            cairo_set_line_width(cr, 2);
            cairo_move_to(cr, x + box * 0.22, y + box * 0.52);
            cairo_line_to(cr, x + box * 0.43, y + box * 0.72);
            cairo_line_to(cr, x + box * 0.78, y + box * 0.3);
            cairo_stroke(cr);
        }
    });
}

// Direction choices: radio-like 8-frame strips with an arrow.
void DirectionStrip(const std::string& name, const std::string& glyph) {
    Strip(name, 8, 40, 30, [&](cairo_t* cr, int f, double w, double h) {
        const bool checked = f >= 4;
        P::Button(cr, 0, 0, w, h, StateOf(f), 5, checked && f % 4 != 3);
        P::Glyph(cr, glyph, (w - 18) / 2, (h - 18) / 2, 18, 18, P::Ink(StateOf(f)));
    });
}

void Icon(const std::string& name, int size, const std::string& glyph, uint32_t color = kInk) {
    Strip(name, 1, size, size,
          [&](cairo_t* cr, int, double w, double h) { P::Glyph(cr, glyph, 0, 0, w, h, color); });
}

// Tab icons: 3 frames (normal, hover, selected).
void TabStrip(const std::string& name, const std::string& glyph) {
    Strip(name, 3, 48, 48, [&](cairo_t* cr, int f, double w, double h) {
        if (f > 0) {
            P::RoundRect(cr, 2, 2, w - 4, h - 4, 8);
            P::Rgba(cr, f == 1 ? 0xFF2A3039 : 0xFF16324A);
            cairo_fill(cr);
        }
        if (f == 2) {
            P::Rgba(cr, kAccent);
            cairo_rectangle(cr, 8, h - 4, w - 16, 2);
            cairo_fill(cr);
        }
        P::Glyph(cr, glyph, 12, 12, 24, 24, f == 2 ? kAccent : f == 1 ? 0xFFFFFFFF : 0xFFAEB4BE);
    });
}

void Background(const std::string& name, int w, int h, bool logo) {
    Strip(name, 1, w, h, [&](cairo_t* cr, int, double fw, double fh) {
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, fh);
        cairo_pattern_add_color_stop_rgb(g, 0, 0x1B / 255.0, 0x1F / 255.0, 0x26 / 255.0);
        cairo_pattern_add_color_stop_rgb(g, 1, 0x10 / 255.0, 0x12 / 255.0, 0x16 / 255.0);
        P::RoundRect(cr, 0, 0, fw, fh, 8);
        cairo_set_source(cr, g);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(g);
        P::Rgba(cr, kBorder);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        if (logo) {
            P::Rgba(cr, 0x14FFFFFF);
            for (int i = 0; i < 6; ++i) {
                cairo_move_to(cr, fw * 0.55 + i * 40, fh);
                cairo_line_to(cr, fw * 0.85 + i * 40, 0);
            }
            cairo_set_line_width(cr, 14);
            cairo_stroke(cr);
        }
    });
}

void Logo(const std::string& name, int w, int h) {
    Strip(name, 1, w, h, [&](cairo_t* cr, int, double fw, double fh) {
        const double r = fh * 0.35;
        cairo_arc(cr, fh / 2, fh / 2, r, 0, 2 * M_PI);
        P::Rgba(cr, kAccent);
        cairo_fill(cr);
        cairo_arc(cr, fh / 2, fh / 2, r * 0.45, 0, 2 * M_PI);
        P::Rgba(cr, kWindow);
        cairo_fill(cr);
        cairo_select_font_face(cr, "Open Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, fh * 0.45);
        P::Rgba(cr, 0xFFF2F4F7);
        cairo_move_to(cr, fh + 4, fh * 0.66);
        cairo_show_text(cr, "PIVANE");
        (void)fw;
    });
}

void MouseArt(const std::string& name, int w, int h) {
    Strip(name, 1, w, h, [&](cairo_t* cr, int, double fw, double fh) {
        const double mw = fh * 0.42, mh = fh * 0.78;
        const double x = (fw - mw) / 2, y = (fh - mh) / 2;
        P::RoundRect(cr, x, y, mw, mh, mw / 2);
        cairo_pattern_t* g = cairo_pattern_create_linear(x, 0, x + mw, 0);
        cairo_pattern_add_color_stop_rgb(g, 0, 0.16, 0.18, 0.21);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.09, 0.10, 0.12);
        cairo_set_source(cr, g);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(g);
        P::Rgba(cr, 0xFF4A515C);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_move_to(cr, fw / 2, y);
        cairo_line_to(cr, fw / 2, y + mh * 0.38);
        cairo_move_to(cr, x, y + mh * 0.38);
        cairo_line_to(cr, x + mw, y + mh * 0.38);
        cairo_stroke(cr);
        P::RoundRect(cr, fw / 2 - 4, y + mh * 0.12, 8, mh * 0.16, 4);
        P::Rgba(cr, kAccent);
        cairo_fill(cr);
    });
}

void Spinner(const std::string& name) {
    const int size = 48, frames = 12;
    GifWriter gif(size, size, 8);
    for (int f = 0; f < frames; ++f) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
        cairo_t* cr = cairo_create(s);
        for (int i = 0; i < 12; ++i) {
            const double a = i * M_PI / 6;
            const int age = (f - i + 12) % 12;
            cairo_set_source_rgba(cr, 0x10 / 255.0, 0xA8 / 255.0, 0xFD / 255.0,
                                  std::max(0.15, 1.0 - age / 8.0));
            cairo_set_line_width(cr, 4);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_move_to(cr, 24 + 10 * std::cos(a), 24 + 10 * std::sin(a));
            cairo_line_to(cr, 24 + 19 * std::cos(a), 24 + 19 * std::sin(a));
            cairo_stroke(cr);
        }
        cairo_destroy(cr);
        cairo_surface_flush(s);
        gif.AddFrame(reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s)),
                     cairo_image_surface_get_stride(s));
        cairo_surface_destroy(s);
    }
    std::string rel = name;
    for (char& c : rel)
        if (c == '\\') c = '/';
    const fs::path path = fs::path(g_skin) / rel;
    fs::create_directories(path.parent_path());
    if (!gif.Save(path)) ++g_failures;
}

void WindowIcon(const std::string& path) {
    const int size = 32;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(s);
    P::RoundRect(cr, 1, 1, 30, 30, 7);
    P::Rgba(cr, kPanel);
    cairo_fill(cr);
    P::Glyph(cr, "mouse", 4, 4, 24, 24, kAccent);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    if (!IcoWriter::Save(path, reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s)),
                         size, cairo_image_surface_get_stride(s)))
        ++g_failures;
    cairo_surface_destroy(s);
}

// The keyboard picture: a dark body with every key of the full layout where the keyboard widget
// lays its keys over it.
// The library's font resource 106, which start-up adds to the process: the skin carries it as
// "res_106.ttf", copied from the installed Open Sans Semibold.
void LibraryFont(const fs::path& skin) {
    FcInit();
    FcPattern* want = FcNameParse(reinterpret_cast<const FcChar8*>("Open Sans:weight=600"));
    FcConfigSubstitute(nullptr, want, FcMatchPattern);
    FcDefaultSubstitute(want);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, want, &result);
    FcChar8* family = nullptr;
    FcChar8* file = nullptr;
    std::error_code ec;
    if (found && FcPatternGetString(found, FC_FAMILY, 0, &family) == FcResultMatch &&
        std::string(reinterpret_cast<const char*>(family)) == "Open Sans" &&
        FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch)
        fs::copy_file(reinterpret_cast<const char*>(file), skin / "res_106.ttf",
                      fs::copy_options::overwrite_existing, ec);
    else
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
    if (ec) {
        std::fprintf(stderr, "skingen: no Open Sans Semibold for res_106.ttf\n");
        ++g_failures;
    }
    if (found) FcPatternDestroy(found);
    FcPatternDestroy(want);
}

void KeyboardArt() {
    using namespace Tolva;
    Strip(kKeyboardPicture, 1, kKeyboardPictureWidth, kKeyboardPictureHeight,
          [](cairo_t* cr, int, double w, double h) {
              P::RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 10);
              cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
              cairo_pattern_add_color_stop_rgb(g, 0, 0.13, 0.14, 0.16);
              cairo_pattern_add_color_stop_rgb(g, 1, 0.07, 0.08, 0.09);
              cairo_set_source(cr, g);
              cairo_fill_preserve(cr);
              cairo_pattern_destroy(g);
              P::Rgba(cr, kBorder);
              cairo_set_line_width(cr, 1);
              cairo_stroke(cr);
              cairo_select_font_face(cr, "Open Sans", CAIRO_FONT_SLANT_NORMAL,
                                     CAIRO_FONT_WEIGHT_NORMAL);
              for (const KeyboardLayoutKey& k : kKeyboardLayout104) {
                  const double x = k.left + kKeyboardPictureKeyX, y = k.top + kKeyboardPictureKeyY;
                  const double kw = k.right - k.left, kh = k.bottom - k.top;
                  P::RoundRect(cr, x + 1.5, y + 1.5, kw - 3, kh - 3, 4);
                  P::Rgba(cr, 0xFF2B3038);
                  cairo_fill_preserve(cr);
                  P::Rgba(cr, 0xFF0E1013);
                  cairo_stroke(cr);
                  // Legends sit at the top left, as keycaps print them.
                  const std::string legend = k.legend;
                  const double size = legend.size() > 3 ? 8 : 10;
                  cairo_set_font_size(cr, size);
                  P::Rgba(cr, 0xFF9AA1AC);
                  const size_t space = legend.find(' ');
                  cairo_move_to(cr, x + 5, y + 5 + size);
                  cairo_show_text(cr, legend.substr(0, space).c_str());
                  if (space != std::string::npos) {
                      cairo_move_to(cr, x + 5, y + 6 + 2 * size);
                      cairo_show_text(cr, legend.substr(space + 1).c_str());
                  }
              }
          });
}

// Images of the mouse, DPI and upgrade widgets.
void DeviceWidgetImages() {
    Strip("mouse\\mouse_q410.png", 1, 300, 270,
          [](cairo_t* cr, int, double w, double h) { DrawMousePicture(cr, w, h); });
    // DPI level background: inactive, active.
    Strip("img_dpi_level.png", 2, 60, 30, [](cairo_t* cr, int f, double w, double h) {
        P::RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 4);
        P::Rgba(cr, f ? 0xFF16324A : 0xFF1E2228);
        cairo_fill_preserve(cr);
        P::Rgba(cr, f ? kAccent : kBorder);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    });
    ButtonStrip("btn_upgrade.png", 120, 34, "", false);
    // Download: frame 0 is also the empty track and frame 1 the progress fill.
    Strip("btn_download.png", 4, 120, 34, [](cairo_t* cr, int f, double w, double h) {
        static const uint32_t fill[] = {0xFF23282F, 0xFF10A8FD, 0xFF0B78B8, 0xFF1E2126};
        static const uint32_t edge[] = {0xFF3C434E, 0xFF7AD3FF, 0xFF0B78B8, 0xFF2A2E35};
        P::RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 6);
        P::Rgba(cr, fill[f]);
        cairo_fill_preserve(cr);
        P::Rgba(cr, edge[f]);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    });
}

void Draw() {
    // Push buttons (normal, hover, pressed, disabled).
    ButtonStrip("btn_apply.png", 100, 30, "", true);
    ButtonStrip("imgbtn_add.png", 32, 32, "add", false);
    ButtonStrip("imgbtn_del.png", 32, 32, "del", false);
    ButtonStrip("imgbtn_edit.png", 32, 32, "edit", false);
    ButtonStrip("imgbtn_import.png", 32, 32, "import", false);
    ButtonStrip("imgbtn_export.png", 32, 32, "export", false);
    ButtonStrip("btn_openfile.png", 30, 30, "openfile", false);
    ButtonStrip("btn_record_up.png", 28, 28, "up", false);
    ButtonStrip("btn_record_down.png", 28, 28, "down", false);
    ButtonStrip("btn_record_del.png", 28, 28, "del", false);
    ButtonStrip("btn_record_time.png", 28, 28, "time", false);
    ButtonStrip("img_spin_up.png", 16, 12, "export", false, 3);
    ButtonStrip("img_spin_down.png", 16, 12, "import", false, 3);
    ButtonStrip("img_combobox.png", 160, 30, "", false, 5);
    ButtonStrip("img_edit.png", 120, 30, "", false, 5);
    FlatButton("sysbtn_close.png", 24, "close", true);
    FlatButton("img_sys_close.png", 20, "close", true);
    FlatButton("main_sysbtn_close.png", 32, "close", true);
    FlatButton("main_sysbtn_min.png", 32, "min", false);
    FlatButton("main_sysbtn_website.png", 32, "website", false);

    CheckStrip("btn_checkbox.png", 20, 20, false);
    CheckStrip("btn_radiobox.png", 20, 20, true);
    // On/off switch: 4 off frames, then 4 on frames, knob at the matching end.
    Strip("btn_switch.png", 8, 40, 20, [](cairo_t* cr, int f, double w, double h) {
        const P::State st = StateOf(f);
        const bool on = f >= 4;
        P::RoundRect(cr, 1, 1, w - 2, h - 2, (h - 2) / 2);
        P::Rgba(cr, st == P::Disabled ? 0xFF2A2E35 : on ? kAccent : 0xFF3A3F47);
        cairo_fill_preserve(cr);
        P::Rgba(cr, st == P::Hover ? 0xFF7AD3FF : 0xFF4A515C);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        const double r = h / 2 - 3;
        cairo_arc(cr, on ? w - h / 2 : h / 2, h / 2, r, 0, 2 * M_PI);
        P::Rgba(cr, st == P::Disabled ? 0xFF6A6F78 : st == P::Pressed ? 0xFFD0D4DA : 0xFFFFFFFF);
        cairo_fill(cr);
    });
    // Help button: a round "?" in 4 states.
    Strip("btn_help.png", 4, 20, 20, [](cairo_t* cr, int f, double w, double h) {
        const P::State st = StateOf(f);
        cairo_arc(cr, w / 2, h / 2, w / 2 - 1, 0, 2 * M_PI);
        P::Rgba(cr, st == P::Hover ? kAccent : st == P::Pressed ? 0xFF0B78B8
                    : st == P::Disabled ? 0xFF2A2E35 : 0xFF4A515C);
        cairo_fill(cr);
        cairo_select_font_face(cr, "Open Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, h * 0.7);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, "?", &ext);
        P::Rgba(cr, st == P::Disabled ? 0xFF6A6F78 : 0xFFFFFFFF);
        cairo_move_to(cr, (w - ext.width) / 2 - ext.x_bearing, (h - ext.height) / 2 - ext.y_bearing);
        cairo_show_text(cr, "?");
    });
    // Progress bar: track and fill, stretched nine-grid.
    Strip("img_progress_bk.png", 1, 40, 10, [](cairo_t* cr, int, double w, double h) {
        P::RoundRect(cr, 0, 0, w, h, 4);
        P::Rgba(cr, 0xFF2A3038);
        cairo_fill(cr);
    });
    Strip("img_progress_fg.png", 1, 40, 10, [](cairo_t* cr, int, double w, double h) {
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
        cairo_pattern_add_color_stop_rgb(g, 0, 0x3C / 255.0, 0xBC / 255.0, 1);
        cairo_pattern_add_color_stop_rgb(g, 1, 0x0B / 255.0, 0x78 / 255.0, 0xB8 / 255.0);
        P::RoundRect(cr, 0, 0, w, h, 4);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    });
    DirectionStrip("btn_direction_left.png", "direction_left");
    DirectionStrip("btn_direction_right.png", "direction_right");

    // Slider: a track and a 4-frame thumb of 16 x 27.
    Strip("img_slider_back.png", 1, 300, 6, [](cairo_t* cr, int, double w, double h) {
        P::RoundRect(cr, 0, 0, w, h, 3);
        P::Rgba(cr, 0xFF2A3038);
        cairo_fill(cr);
    });
    Strip("img_thumb.png", 4, 16, 27, [](cairo_t* cr, int f, double w, double h) {
        P::RoundRect(cr, 2, 2, w - 4, h - 4, 5);
        P::Rgba(cr, f == 3 ? 0xFF3A3F47 : f == 2 ? 0xFF0B78B8 : f == 1 ? 0xFF3CBCFF : kAccent);
        cairo_fill_preserve(cr);
        P::Rgba(cr, 0xFFE8F6FF);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    });
    // Scroll bars: 5 pixels thick, 4 frames.
    Strip("img_scroll_v.png", 4, 5, 40, [](cairo_t* cr, int f, double w, double h) {
        P::RoundRect(cr, 0, 0, w, h, 2.5);
        P::Rgba(cr, f == 1 || f == 2 ? kAccent : 0xFF4A515C);
        cairo_fill(cr);
    });
    Strip("img_scroll_h.png", 4, 40, 5, [](cairo_t* cr, int f, double w, double h) {
        P::RoundRect(cr, 0, 0, w, h, 2.5);
        P::Rgba(cr, f == 1 || f == 2 ? kAccent : 0xFF4A515C);
        cairo_fill(cr);
    });
    // Call-out labels: normal, highlighted. The highlighted label carries dark text, as the
    // selected row of the button list does, so it is filled with the accent.
    Strip("img_key_bkg.png", 2, 120, 28, [](cairo_t* cr, int f, double w, double h) {
        P::RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 6);
        P::Rgba(cr, f ? kAccent : 0xFF20252C);
        cairo_fill_preserve(cr);
        P::Rgba(cr, f ? 0xFF7AD3FF : kBorder);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    });
    // Device rows: active, available.
    Strip("img_device_state.png", 2, 200, 40, [](cairo_t* cr, int f, double w, double h) {
        P::RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 6);
        P::Rgba(cr, f == 0 ? 0xFF16324A : 0xFF20252C);
        cairo_fill_preserve(cr);
        P::Rgba(cr, f == 0 ? kAccent : kBorder);
        cairo_stroke(cr);
    });
    // Balloon tip.
    Strip("img_tip_bk.png", 1, 40, 40, [](cairo_t* cr, int, double w, double h) {
        P::RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 6);
        P::Rgba(cr, 0xF2262B33);
        cairo_fill_preserve(cr);
        P::Rgba(cr, kAccent);
        cairo_stroke(cr);
    });
    auto arrow = [](double x0, double y0, double x1, double y1, double x2, double y2) {
        return [=](cairo_t* cr, int, double, double) {
            cairo_move_to(cr, x0, y0);
            cairo_line_to(cr, x1, y1);
            cairo_line_to(cr, x2, y2);
            cairo_close_path(cr);
            P::Rgba(cr, kAccent);
            cairo_fill(cr);
        };
    };
    Strip("img_tip_arrow_left.png", 1, 10, 20, arrow(10, 0, 0, 10, 10, 20));
    Strip("img_tip_arrow_right.png", 1, 10, 20, arrow(0, 0, 10, 10, 0, 20));
    Strip("img_tip_arrow_top.png", 1, 20, 10, arrow(0, 10, 10, 0, 20, 10));

    // Colour ring: hue around, paler towards the hole. The thumb of the ring widget moves
    // between 32 and 65 pixels from the centre, so the ring covers 30..68.
    Strip("img_circlepalette.png", 1, 140, 140, [](cairo_t* cr, int, double w, double h) {
        cairo_surface_t* target = cairo_get_target(cr);
        cairo_surface_flush(target);
        unsigned char* data = cairo_image_surface_get_data(target);
        const int stride = cairo_image_surface_get_stride(target);
        const double c = w / 2, outer = 68, inner = 30;
        for (int y = 0; y < static_cast<int>(h); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
            for (int x = 0; x < static_cast<int>(w); ++x) {
                const double dx = x + 0.5 - c, dy = y + 0.5 - c, r = std::hypot(dx, dy);
                if (r > outer + 0.5 || r < inner - 0.5) continue;
                const double hue = std::fmod(std::atan2(dy, dx) / (2 * M_PI) + 1, 1) * 6;
                const double sat = 0.45 + 0.55 * std::clamp((r - inner) / (outer - inner), 0.0, 1.0);
                const int i = static_cast<int>(hue);
                const double fr = hue - i;
                double rgb[3];
                const double q = 1 - fr, t = fr;
                const double table[6][3] = {{1, t, 0}, {q, 1, 0}, {0, 1, t},
                                            {0, q, 1}, {t, 0, 1}, {1, 0, q}};
                for (int k = 0; k < 3; ++k)
                    rgb[k] = 1 - sat * (1 - table[i % 6][k]);
                const double a = std::clamp(std::min(outer + 0.5 - r, r - inner + 0.5), 0.0, 1.0);
                row[x] = (static_cast<uint32_t>(a * 255) << 24) |
                         (static_cast<uint32_t>(rgb[0] * a * 255) << 16) |
                         (static_cast<uint32_t>(rgb[1] * a * 255) << 8) |
                         static_cast<uint32_t>(rgb[2] * a * 255);
            }
        }
        cairo_surface_mark_dirty(target);
    });

    // Backgrounds and logos.
    Background("main_bkg.png", 1200, 720, true);
    Background("bk_prompt.png", 380, 200, false);
    Logo("logo\\logo.png", 160, 40);
    Logo("logo\\logo_loading.png", 200, 50);
    MouseArt("logo\\bg_logo1.png", 400, 260);
    MouseArt("icon\\bg_logo1.png", 400, 260);
    KeyboardArt();
    Spinner("loading\\loading.gif");

    // Tabs (3 frames) and page title icons.
    TabStrip("icon\\tab_home.png", "home");
    TabStrip("icon\\tab_customkey.png", "customkey");
    TabStrip("icon\\tab_macro.png", "macro");
    TabStrip("icon\\tab_light.png", "light");
    TabStrip("icon\\tab_config.png", "config");
    TabStrip("icon\\tab_mousekey.png", "mouse");
    TabStrip("icon\\tab_mousedpi.png", "dpi");
    Icon("icon\\icon_keyboard.png", 32, "keyboard");
    Icon("icon\\icon_macro.png", 32, "macro");
    Icon("icon\\icon_lightmode.png", 32, "light");
    Icon("icon\\icon_config.png", 32, "config");
    Icon("icon\\icon_mousekey.png", 32, "mouse");
    Icon("icon\\icon_pointer.png", 32, "pointer");
    Icon("icon\\mode_usb.png", 24, "usb");
    Icon("icon\\mode_24g.png", 24, "24g");
    Icon("icon\\icon_charge.png", 16, "charge", 0xFFFFD23F);
    Icon("icon//icon_circle.png", 12, "dot", kAccent);
    Strip("icon\\icon_battery_bkg.png", 1, 40, 20, [](cairo_t* cr, int, double w, double h) {
        P::RoundRect(cr, 1, 1, w - 5, h - 2, 3);
        P::Rgba(cr, kInk);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        cairo_rectangle(cr, w - 4, h / 2 - 3, 3, 6);
        cairo_fill(cr);
    });
    Strip("icon\\icon_batteryvalue.png", 1, 32, 14, [](cairo_t* cr, int, double w, double h) {
        P::RoundRect(cr, 0, 0, w, h, 2);
        P::Rgba(cr, 0xFF3DDC84);
        cairo_fill(cr);
    });

    DeviceWidgetImages();

    // Function icons of the key-function keyboard.
    for (const char* n :
         {"icon_pc", "icon_cal", "icon_email", "icon_multimedia", "icon_playpause", "icon_stop",
          "icon_pre", "icon_next", "icon_vol_down", "icon_vol_up", "icon_vol_mute", "icon_home",
          "icon_web_refresh", "icon_web_stop", "icon_favorites", "icon_web_search"})
        Icon(std::string("icon//") + n + ".png", 20, n);
    // Browser back and forward are arrows, so that they do not look like the track buttons.
    for (const bool back : {true, false})
        Strip(back ? "icon//icon_web_backward.png" : "icon//icon_web_foreward.png", 1, 20, 20,
              [back](cairo_t* cr, int, double w, double h) {
                  const double dir = back ? -1 : 1, cx = w / 2, cy = h / 2;
                  P::Rgba(cr, kInk);
                  cairo_set_line_width(cr, 2);
                  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
                  cairo_move_to(cr, cx - dir * 6, cy);
                  cairo_line_to(cr, cx + dir * 6, cy);
                  cairo_move_to(cr, cx + dir * 1, cy - 5);
                  cairo_line_to(cr, cx + dir * 6, cy);
                  cairo_line_to(cr, cx + dir * 1, cy + 5);
                  cairo_stroke(cr);
              });
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pivane_skingen PROGRAM_FOLDER\n");
        return 2;
    }
    const fs::path program(argv[1]);
    g_skin = (program / "skins" / "theme1").string();
    std::error_code ec;
    fs::create_directories(g_skin, ec);
    if (ec) {
        std::fprintf(stderr, "skingen: cannot create %s\n", g_skin.c_str());
        return 1;
    }
    Draw();
    LibraryFont(g_skin);
    WindowIcon((program / "Pivane.ico").string());
    // The main window sets its own icon from the library's resource 107.
    WindowIcon((fs::path(g_skin) / "res_107.ico").string());
    return g_failures == 0 ? 0 : 1;
}
