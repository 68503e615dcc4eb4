// Draws the application icon for the desktop at the hicolor theme's sizes:
//   pivane_appicons OUTPUT_FOLDER   writes OUTPUT_FOLDER/<n>x<n>/apps/org.pivane.Pivane.png
// It is the window icon's picture (a mouse on a dark tile), drawn at each size rather than
// scaled from one bitmap, so that small sizes stay sharp.
#include "tools/skingen/SkinPainter.h"

#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr uint32_t kAccent = 0xFF10A8FD;
constexpr uint32_t kPanel = 0xFF1E2228;
constexpr uint32_t kBorder = 0xFF3A3F47;
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool DrawIcon(const std::filesystem::path& file, int size) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(s);
    const double unit = size / 32.0;
    cairo_scale(cr, unit, unit);
    SkinPainter::RoundRect(cr, 1, 1, 30, 30, 7);
    SkinPainter::Rgba(cr, kPanel);
    cairo_fill_preserve(cr);
    // A rim keeps the tile apart from dark panels; below 24 px it would only blur.
    if (size >= 24) {
        cairo_set_line_width(cr, 1.0);
        SkinPainter::Rgba(cr, kBorder);
        cairo_stroke(cr);
    } else {
        cairo_new_path(cr);
    }
    SkinPainter::Glyph(cr, "mouse", 4, 4, 24, 24, kAccent);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(s, file.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pivane_appicons OUTPUT_FOLDER\n");
        return 2;
    }
    int failures = 0;
    for (int size : kSizes) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const auto folder = std::filesystem::path(argv[1]) / dim / "apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec || !DrawIcon(folder / "org.pivane.Pivane.png", size)) {
            std::fprintf(stderr, "pivane_appicons: cannot write the %s icon\n", dim.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
