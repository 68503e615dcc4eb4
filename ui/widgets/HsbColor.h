#pragma once

#include "ui/TolvaApi.h"

#include <cstdint>

namespace Tolva {

// Hue, saturation and brightness as the colour pickers use them: hue in degrees 0..359,
// saturation and brightness on 0..kScale.
class TOLVA_API HsbColor {
public:
    static constexpr int kScale = 200;

    int hue = 0;
    int saturation = 0;
    int brightness = 0;

    bool operator==(const HsbColor&) const = default;

    // From 0x00BBGGRR. Greys have hue 0 and saturation 0; black has brightness 0.
    static HsbColor FromColor(uint32_t colorRef);
    // To 0x00BBGGRR. Hue wraps around 360; saturation and brightness are clamped.
    static uint32_t ToColor(const HsbColor& hsb);
};

} // namespace Tolva
