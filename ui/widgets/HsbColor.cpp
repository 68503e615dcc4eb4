#include "ui/widgets/HsbColor.h"

#include <algorithm>
#include <cmath>

namespace Tolva {

HsbColor HsbColor::FromColor(uint32_t colorRef) {
    const double r = (colorRef & 0xFF) / 255.0;
    const double g = ((colorRef >> 8) & 0xFF) / 255.0;
    const double b = ((colorRef >> 16) & 0xFF) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double delta = mx - mn;
    HsbColor out;
    out.brightness = static_cast<int>(std::lround(mx * kScale));
    out.saturation = mx > 0 ? static_cast<int>(std::lround(delta / mx * kScale)) : 0;
    if (delta > 0) {
        double h = 0;
        if (mx == r)
            h = std::fmod((g - b) / delta, 6.0);
        else if (mx == g)
            h = (b - r) / delta + 2;
        else
            h = (r - g) / delta + 4;
        h *= 60;
        if (h < 0) h += 360;
        out.hue = static_cast<int>(std::lround(h)) % 360;
    }
    return out;
}

uint32_t HsbColor::ToColor(const HsbColor& hsb) {
    const int hue = ((hsb.hue % 360) + 360) % 360;
    const double s = std::clamp(hsb.saturation, 0, kScale) / static_cast<double>(kScale);
    const double v = std::clamp(hsb.brightness, 0, kScale) / static_cast<double>(kScale);
    const double c = v * s;
    const double hp = hue / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(hp, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(hp)) {
    case 0:
        r = c, g = x;
        break;
    case 1:
        r = x, g = c;
        break;
    case 2:
        g = c, b = x;
        break;
    case 3:
        g = x, b = c;
        break;
    case 4:
        r = x, b = c;
        break;
    default:
        r = c, b = x;
        break;
    }
    const double m = v - c;
    auto byte = [m](double ch) {
        return static_cast<uint32_t>(std::clamp(std::lround((ch + m) * 255), 0L, 255L));
    };
    return (byte(b) << 16) | (byte(g) << 8) | byte(r);
}

} // namespace Tolva
