#include "tools/skingen/GifWriter.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kTransparent = 255;

void Put16(std::vector<uint8_t>& out, int v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

// LZW with 8-bit symbols; a clear code every so often keeps codes at 9 bits, which every decoder
// reads and which needs no dictionary.
class BitPacker {
public:
    explicit BitPacker(std::vector<uint8_t>& out) : out_(out) {}
    void Code(int code) {
        acc_ |= static_cast<uint32_t>(code) << bits_;
        bits_ += 9;
        while (bits_ >= 8) {
            block_.push_back(static_cast<uint8_t>(acc_ & 0xFF));
            acc_ >>= 8;
            bits_ -= 8;
            if (block_.size() == 255) Flush();
        }
    }
    void Finish() {
        if (bits_ > 0) block_.push_back(static_cast<uint8_t>(acc_ & 0xFF));
        acc_ = 0;
        bits_ = 0;
        Flush();
        out_.push_back(0);
    }

private:
    void Flush() {
        if (block_.empty()) return;
        out_.push_back(static_cast<uint8_t>(block_.size()));
        out_.insert(out_.end(), block_.begin(), block_.end());
        block_.clear();
    }
    std::vector<uint8_t>& out_;
    std::vector<uint8_t> block_;
    uint32_t acc_ = 0;
    int bits_ = 0;
};

} // namespace

uint8_t GifWriter::Index(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a < 128) return kTransparent;
    auto un = [a](uint32_t c) { return a ? std::min<uint32_t>(255, c * 255 / a) : 0; };
    const uint32_t r = un((argb >> 16) & 0xFF), g = un((argb >> 8) & 0xFF), b = un(argb & 0xFF);
    return static_cast<uint8_t>((r * 5 / 255) * 42 + (g * 6 / 255) * 6 + (b * 5 / 255));
}

void GifWriter::AddFrame(const uint32_t* argb, int stride) {
    std::vector<uint8_t> indices(static_cast<size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            indices[static_cast<size_t>(y) * width_ + x] =
                Index(argb[static_cast<size_t>(y) * (stride / 4) + x]);
    frames_.push_back(std::move(indices));
}

void GifWriter::AppendImage(std::vector<uint8_t>& out, const std::vector<uint8_t>& indices) const {
    // Graphic control: dispose to background, transparent index, delay.
    const uint8_t gce[] = {0x21, 0xF9, 4, 0x09, 0, 0, kTransparent, 0};
    out.insert(out.end(), gce, gce + sizeof(gce));
    out[out.size() - 4] = static_cast<uint8_t>(delay_ & 0xFF);
    out[out.size() - 3] = static_cast<uint8_t>((delay_ >> 8) & 0xFF);
    out.push_back(0x2C);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, width_);
    Put16(out, height_);
    out.push_back(0);
    out.push_back(8); // minimum code size
    BitPacker packer(out);
    int sinceClear = 0;
    packer.Code(256);
    for (uint8_t v : indices) {
        packer.Code(v);
        if (++sinceClear == 250) {
            packer.Code(256);
            sinceClear = 0;
        }
    }
    packer.Code(257);
    packer.Finish();
}

bool GifWriter::Save(const std::string& path) const {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, width_);
    Put16(out, height_);
    out.push_back(0xF7); // global table of 256 colours
    out.push_back(0);
    out.push_back(0);
    for (int i = 0; i < 256; ++i) {
        const int r = i / 42, g = (i / 6) % 7, b = i % 6;
        out.push_back(static_cast<uint8_t>(i < 252 ? r * 255 / 5 : 0));
        out.push_back(static_cast<uint8_t>(i < 252 ? g * 255 / 6 : 0));
        out.push_back(static_cast<uint8_t>(i < 252 ? b * 255 / 5 : 0));
    }
    const uint8_t loop[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                            'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
    out.insert(out.end(), loop, loop + sizeof(loop));
    for (const auto& f : frames_)
        AppendImage(out, f);
    out.push_back(0x3B);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}
