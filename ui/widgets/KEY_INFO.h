#pragma once

#include "ui/paint/Image.h"
#include "ui/platform/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Tolva {

// One key of KeyboardCtrl. The application reads these records through
// KeyboardCtrl::GetKeyItems, so the order of the fields is part of the library's interface.
struct KEY_INFO {
    int32_t index = 0;           // position in the list at creation
    uint32_t keyValue = 0;       // chosen by the application
    std::string name;            // legend drawn on the key
    std::string description;     // text of the key tip
    std::string tipTitle;        // empty by default
    std::string tipText;         // empty by default
    Rect rect;                   // picture coordinates
    int32_t checked = 0;         // 0 or 1
    uint32_t color = 0x00E1FF;   // 0x00BBGGRR
    std::shared_ptr<Image> icon; // or none
    int32_t iconWidth = 0;
    int32_t iconHeight = 0;
};

} // namespace Tolva
