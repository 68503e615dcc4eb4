#pragma once

#include "ui/paint/MRender.h"
#include "ui/paint/TextStyle.h"

#include <string>

namespace Tolva {

// Makes a key legend fit its key: a smaller face first, words on two lines when that is what
// fits (a single word is never broken). The face goes no smaller than 6 points.
inline void FitKeyLegend(TextStyle& style, const std::string& text, int width, int height) {
    const bool words = text.find(' ') != std::string::npos;
    for (; style.size > 6; style.size -= 1) {
        style.multiLine = false;
        if (MRender::GetTextBounds(style, text).cx <= width - 2) return;
        if (!words) continue;
        style.multiLine = true;
        const Size wrapped = MRender::GetTextBounds(style, text, width - 2);
        if (wrapped.cx <= width - 2 && wrapped.cy <= height) return;
    }
    style.multiLine = words;
}

} // namespace Tolva
