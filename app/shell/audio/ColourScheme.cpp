#include "app/shell/audio/ColourScheme.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(std::clamp(r, 0, 255)) |
           static_cast<uint32_t>(std::clamp(g, 0, 255)) << 8 |
           static_cast<uint32_t>(std::clamp(b, 0, 255)) << 16;
}

uint32_t Scaled(uint32_t c, int brightness) {
    return Rgb(static_cast<int>((c & 0xFF) * brightness / 100),
               static_cast<int>(((c >> 8) & 0xFF) * brightness / 100),
               static_cast<int>(((c >> 16) & 0xFF) * brightness / 100));
}

// The colour at t (0..1) along the stops, linearly between neighbours.
uint32_t Along(const std::vector<uint32_t>& stops, double t) {
    if (stops.size() == 1) return stops[0];
    const double pos = std::clamp(t, 0.0, 1.0) * static_cast<double>(stops.size() - 1);
    const size_t i = std::min(stops.size() - 2, static_cast<size_t>(pos));
    const double f = pos - static_cast<double>(i);
    auto mix = [&](int shift) {
        const double a = (stops[i] >> shift) & 0xFF, b = (stops[i + 1] >> shift) & 0xFF;
        return static_cast<int>(std::lround(a + (b - a) * f));
    };
    return Rgb(mix(0), mix(8), mix(16));
}

// Rows 1..63 run from the first stop at the bottom to the last at the top; row 0 spreads the
// stops from left to right.
void Gradient(const std::vector<uint32_t>& stops, int brightness, std::vector<uint32_t>& out) {
    constexpr int w = ColourScheme::kWidth, h = ColourScheme::kHeight;
    for (int x = 0; x < w; ++x)
        out[x] = Scaled(Along(stops, x / double(w - 1)), brightness);
    for (int y = 1; y < h; ++y) {
        const uint32_t c = Scaled(Along(stops, (h - 1 - y) / double(h - 2)), brightness);
        std::fill(out.begin() + y * w, out.begin() + (y + 1) * w, c);
    }
}

void Solid(uint32_t c, int brightness, std::vector<uint32_t>& out) {
    std::fill(out.begin(), out.end(), Scaled(c, brightness));
}

double Wrap(double hue) {
    double h = std::fmod(hue, 360.0);
    return h < 0 ? h + 360.0 : h;
}

} // namespace

uint32_t ColourScheme::HueColour(double hue, double value) {
    const double h = Wrap(hue) / 60.0;
    const double v = std::clamp(value, 0.0, 1.0) * 255.0;
    const int sector = static_cast<int>(h) % 6;
    const double f = h - std::floor(h);
    const int full = static_cast<int>(std::lround(v)), up = static_cast<int>(std::lround(v * f)),
              down = static_cast<int>(std::lround(v * (1 - f)));
    switch (sector) {
    case 0:
        return Rgb(full, up, 0);
    case 1:
        return Rgb(down, full, 0);
    case 2:
        return Rgb(0, full, up);
    case 3:
        return Rgb(0, down, full);
    case 4:
        return Rgb(up, 0, full);
    default:
        return Rgb(full, 0, down);
    }
}

bool ColourScheme::UsesHue(int scheme) {
    return scheme >= 15 && scheme <= kLast;
}

void ColourScheme::Fill(int scheme, int brightness, float hue, std::vector<uint32_t>& out) {
    out.assign(kWidth * kHeight, 0);
    brightness = std::clamp(brightness, 0, 100);
    static const std::vector<uint32_t> kSix = {0x0000FF, 0x00FFFF, 0x00FF00,
                                               0xFFFF00, 0xFF0000, 0xFF00FF};
    switch (scheme) {
    case 1:
        Solid(0xFFFFFF, brightness, out);
        return;
    case 2:
        Solid(0x0000FF, brightness, out);
        return;
    case 3:
        Solid(0x0040FF, brightness, out);
        return;
    case 4:
        Solid(0x00FFFF, brightness, out);
        return;
    case 5:
        Solid(0x00FF00, brightness, out);
        return;
    case 6:
        Solid(0xFFFF00, brightness, out);
        return;
    case 7:
        Solid(0xFF0000, brightness, out);
        return;
    case 8:
        Solid(0xFF0040, brightness, out);
        return;
    case 9:
        Gradient({0x00FF00, 0x00FFFF, 0x0000FF}, brightness, out);
        return;
    case 10:
        Gradient({0x00FF00, 0xFFFFFF, 0x0000FF}, brightness, out);
        return;
    case 11:
        Gradient({0xFF0000, 0xFFFF00, 0xFFFFFF}, brightness, out);
        return;
    case 12:
        Gradient({0x0000FF, 0xFFFFFF, 0xFF0000}, brightness, out);
        return;
    case 13:
        Gradient(kSix, brightness, out);
        return;
    case 14:
        Gradient(std::vector<uint32_t>(kSix.rbegin(), kSix.rend()), brightness, out);
        return;
    case 15: {
        const double scale = brightness * 2.55 / 256.0;
        for (int x = 0; x < kWidth; ++x) {
            const long step = static_cast<long>(std::floor(x * 1.4117647 - hue));
            const double angle = (((step % 360) + 360) % 360) / 360.0 * 2 * 3.14;
            const uint32_t c =
                Rgb(static_cast<int>((std::sin(angle) + 1) * 127 * scale),
                    static_cast<int>((std::sin(angle - 2.0933335) + 1) * 127 * scale),
                    static_cast<int>((std::sin(angle + 2.0933335) + 1) * 127 * scale));
            for (int y = 0; y < kHeight; ++y)
                out[y * kWidth + x] = c;
        }
        return;
    }
    case 16: // a rainbow up the rows, turning with the hue
        for (int y = 0; y < kHeight; ++y) {
            const uint32_t c =
                HueColour(hue + (kHeight - 1 - y) * 360.0 / kHeight, brightness / 100.0);
            std::fill(out.begin() + y * kWidth, out.begin() + (y + 1) * kWidth, c);
        }
        return;
    case 17: // the hue, dimming towards the top
        for (int y = 0; y < kHeight; ++y) {
            const double v = brightness / 100.0 * (0.25 + 0.75 * y / (kHeight - 1.0));
            std::fill(out.begin() + y * kWidth, out.begin() + (y + 1) * kWidth, HueColour(hue, v));
        }
        return;
    case 18: // the hue at the bottom to its opposite at the top
        Gradient({HueColour(hue, 1), HueColour(hue + 180, 1)}, brightness, out);
        return;
    case 19:
        Solid(HueColour(hue, 1), brightness, out);
        return;
    case 20: // a diagonal rainbow drifting with the hue
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                out[y * kWidth + x] =
                    HueColour(hue + x * 1.4117647 + y * 5.625, brightness / 100.0);
        return;
    default:
        return; // 0 and unknown schemes: black
    }
}
