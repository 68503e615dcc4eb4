#pragma once

#include "ui/paint/Image.h"
#include "ui/platform/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Tolva {

// One assignable function of KeyFuncControl.
struct KeyFuncItem {
    std::string text;            // legend (empty for icon buttons)
    int32_t data = 0;            // function code: a keyboard usage, or 232..249
    int32_t second = 0;          // 0 for the built-in items
    int32_t third = 0;           // 0 for the built-in items
    std::shared_ptr<Image> icon; // or none
    Rect rect;                   // widget coordinates
};

} // namespace Tolva
