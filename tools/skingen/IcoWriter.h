#pragma once

#include <cstdint>
#include <string>

// Writes a single-image .ico holding a 32-bit BGRA bitmap with its AND mask.
class IcoWriter {
public:
    // `argb` is premultiplied (cairo's layout); false when the file cannot be written.
    static bool Save(const std::string& path, const uint32_t* argb, int size, int stride);
};
