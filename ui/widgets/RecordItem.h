#pragma once

#include "ui/platform/Geometry.h"

#include <cstdint>
#include <string>

namespace Tolva {

// One step of a recorded macro. The application reads these records through
// CRecordList::GetRecordItems, so the order of the fields is part of the library's interface.
struct RecordItem {
    std::string text;   // caption of the step, usually the key name
    int32_t action = 0; // 2 key down, 3 key up; anything else shows no action
    int32_t value = 0;  // kept for the application (the key code)
    int32_t delay = 0;  // milliseconds after the step
    Rect rect;          // row in widget coordinates before scrolling, filled in while drawing
};

} // namespace Tolva
