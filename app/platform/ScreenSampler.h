#pragma once

#include <cstdint>

// Reads single pixels of the primary screen for the screen-colour lighting effect.
class ScreenSampler {
public:
    virtual ~ScreenSampler() = default;

    // Size of the primary screen in pixels; 0 when no screen can be read.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The pixel's colour as 0x00BBGGRR; false when it cannot be read.
    virtual bool Pixel(int x, int y, uint32_t& colour) = 0;
};
