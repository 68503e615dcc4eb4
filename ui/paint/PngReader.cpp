#include "ui/paint/PngReader.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Tolva {
namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
// Cairo refuses larger image surfaces.
constexpr uint32_t kMaxSide = 32767;

uint32_t BigEndian(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Straight RGBA bytes become premultiplied native-endian ARGB words in place.
void Premultiply(unsigned char* row, int width) {
    auto* out = reinterpret_cast<uint32_t*>(row);
    for (int x = 0; x < width; ++x) {
        const unsigned char* p = row + static_cast<size_t>(x) * 4;
        const uint32_t a = p[3];
        uint32_t word = 0;
        if (a == 255) {
            word = 0xFF000000u | (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        } else if (a != 0) {
            word =
                (a << 24) | ((p[0] * a / 255) << 16) | ((p[1] * a / 255) << 8) | (p[2] * a / 255);
        }
        out[x] = word;
    }
}

// Only plain locals live here: a libpng error jumps back to the setjmp below.
cairo_surface_t* DecodeStream(FILE* file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    cairo_surface_t* volatile surface = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (surface) cairo_surface_destroy(surface);
        std::free(rows);
        return nullptr;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide) png_error(png, "size");
    // Whatever the colour type and depth, the rows come out as 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) png_error(png, "layout");
    surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(w), static_cast<int>(h));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) png_error(png, "surface");
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * h));
    if (!rows) png_error(png, "memory");
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = data + static_cast<size_t>(y) * stride;
    png_read_image(png, rows);
    // Whatever follows the pixels (text, the end marker) does not change them: not read.
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(rows);
    for (png_uint_32 y = 0; y < h; ++y)
        Premultiply(data + static_cast<size_t>(y) * stride, static_cast<int>(w));
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace

PngReader::Header PngReader::ReadHeader(const std::string& path, int& width, int& height) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return Header::Missing;
    // Signature, then the header chunk: length 13, "IHDR", width, height, depth, colour type...
    unsigned char head[8 + 8 + 13];
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (got < sizeof kSignature || std::memcmp(head, kSignature, sizeof kSignature) != 0)
        return Header::NotPng;
    if (got < sizeof head || BigEndian(head + 8) != 13 || std::memcmp(head + 12, "IHDR", 4) != 0)
        return Header::Malformed;
    const uint32_t w = BigEndian(head + 16);
    const uint32_t h = BigEndian(head + 20);
    const unsigned depth = head[24];
    const unsigned colour = head[25];
    const bool depthFits =
        (colour == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
        (colour == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
        ((colour == 2 || colour == 4 || colour == 6) && (depth == 8 || depth == 16));
    if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide || !depthFits || head[26] != 0 ||
        head[27] != 0 || head[28] > 1)
        return Header::Malformed;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return Header::Sound;
}

cairo_surface_t* PngReader::Decode(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return nullptr;
    cairo_surface_t* surface = DecodeStream(file);
    std::fclose(file);
    return surface;
}

} // namespace Tolva
