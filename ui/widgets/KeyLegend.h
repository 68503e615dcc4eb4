#pragma once

#include "ui/paint/MRender.h"
#include "ui/paint/TextStyle.h"

#include <string>

namespace Tolva {

// Makes a key legend fit its key: words go on separate lines, a single long word gets a smaller
// face (down to 7 pixels) rather than being broken.
inline void FitKeyLegend(TextStyle& style, const std::string& text, int width) {
    if (MRender::GetTextBounds(style, text).cx <= width - 2) return;
    if (text.find(' ') != std::string::npos) {
        style.multiLine = true;
        return;
    }
    while (style.size > 7 && MRender::GetTextBounds(style, text).cx > width - 2)
        style.size -= 1;
}

} // namespace Tolva
