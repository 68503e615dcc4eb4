#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes an animated GIF89a from ARGB frames (premultiplied, as cairo keeps them). Pixels with
// alpha below 128 become the transparent index; the rest map to a 6x7x6 colour cube.
class GifWriter {
public:
    GifWriter(int width, int height, int delayCs)
        : width_(width), height_(height), delay_(delayCs) {}
    void AddFrame(const uint32_t* argb, int stride);
    // False when the file cannot be written.
    bool Save(const std::string& path) const;

private:
    static uint8_t Index(uint32_t argb);
    void AppendImage(std::vector<uint8_t>& out, const std::vector<uint8_t>& indices) const;

    int width_ = 0;
    int height_ = 0;
    int delay_ = 10;
    std::vector<std::vector<uint8_t>> frames_;
};
