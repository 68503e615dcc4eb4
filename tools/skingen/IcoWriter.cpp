#include "tools/skingen/IcoWriter.h"

#include <cstdio>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

bool IcoWriter::Save(const std::string& path, const uint32_t* argb, int size, int stride) {
    const uint32_t maskRow = static_cast<uint32_t>(((size + 31) / 32) * 4);
    const uint32_t bytes = 40 + static_cast<uint32_t>(size * size * 4) + maskRow * size;
    std::vector<uint8_t> out;
    Put16(out, 0); // reserved
    Put16(out, 1); // icon
    Put16(out, 1); // one image
    out.push_back(static_cast<uint8_t>(size));
    out.push_back(static_cast<uint8_t>(size));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);  // planes
    Put16(out, 32); // bits per pixel
    Put32(out, bytes);
    Put32(out, 22); // offset of the bitmap
    Put32(out, 40); // header size
    Put32(out, static_cast<uint32_t>(size));
    Put32(out, static_cast<uint32_t>(size * 2)); // colour and mask rows
    Put16(out, 1);
    Put16(out, 32);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    // Rows bottom-up, straight (not premultiplied) BGRA.
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const uint32_t p = argb[static_cast<size_t>(y) * (stride / 4) + x];
            const uint32_t a = p >> 24;
            auto un = [a](uint32_t c) { return a ? (c * 255 + a / 2) / a : 0; };
            out.push_back(static_cast<uint8_t>(un(p & 0xFF)));
            out.push_back(static_cast<uint8_t>(un((p >> 8) & 0xFF)));
            out.push_back(static_cast<uint8_t>(un((p >> 16) & 0xFF)));
            out.push_back(static_cast<uint8_t>(a));
        }
    }
    out.insert(out.end(), maskRow * size, 0);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}
