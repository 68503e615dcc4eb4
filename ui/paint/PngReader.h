#pragma once

#include <cairo.h>

#include <string>

namespace Tolva {

// Reads PNG files straight into cairo surfaces, without an intermediate pixbuf.
class PngReader {
public:
    enum class Header { Missing, NotPng, Malformed, Sound };
    // Looks at the signature and the header chunk only; width and height are set when Sound.
    static Header ReadHeader(const std::string& path, int& width, int& height);
    // Every pixel as premultiplied ARGB32, each channel rounded down (c * a / 255) as the
    // pixbuf path does; null when the file cannot be read or its data is broken.
    static cairo_surface_t* Decode(const std::string& path);
};

} // namespace Tolva
