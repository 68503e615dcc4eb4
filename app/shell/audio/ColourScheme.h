#pragma once

#include <cstdint>
#include <vector>

// The visualizer's colour-scheme generator: fills a 256 x 64 picture (row 0 at the top, row-major,
// 0x00BBGGRR cells) with one of the schemes 0 to 20 at a brightness in per cent. Schemes 15 to 20
// follow the current hue (degrees); the others ignore it.
class ColourScheme {
public:
    static constexpr int kWidth = 256;
    static constexpr int kHeight = 64;
    static constexpr int kLast = 20;

    // Unknown schemes give black. The picture is resized to 256 x 64.
    static void Fill(int scheme, int brightness, float hue, std::vector<uint32_t>& picture);
    // Whether the scheme's picture changes with the hue.
    static bool UsesHue(int scheme);
    // A fully saturated colour of the hue (degrees) at value 0..1, as 0x00BBGGRR.
    static uint32_t HueColour(double hue, double value);
};
