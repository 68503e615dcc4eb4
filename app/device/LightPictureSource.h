#pragma once

#include <cstdint>

// The music visualizer's colour image as the live lighting reads it: 256 columns by 64 rows of
// 0x00RRGGBB values (red in bits 16-23).
class LightPictureSource {
public:
    static constexpr int kWidth = 256;
    static constexpr int kHeight = 64;

    virtual ~LightPictureSource() = default;

    // The value of one cell; false when there is no picture yet or the cell is outside it.
    virtual bool ValueAt(int column, int row, uint32_t& value) const = 0;
};
