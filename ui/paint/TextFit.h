#pragma once

#include "ui/paint/MRender.h"
#include "ui/paint/TextStyle.h"

#include <string>

namespace Tolva {

// Fixed-size labels in a translated interface: text must never be cut off in the middle of a
// word without a sign that something is missing.

// The largest face, from style.size down to `minSize` points in half points, at which `text`
// fits `width` on one line; `minSize` when none does.
inline double FittedSize(TextStyle style, const std::string& text, int width, double minSize) {
    style.multiLine = false;
    style.ellipsis = false;
    for (; style.size > minSize; style.size -= 0.5)
        if (MRender::GetTextBounds(style, text).cx <= width) return style.size;
    return minSize;
}

// One line in `width`: a smaller face first, down to `minSize`, then the end elided.
inline void FitOneLine(TextStyle& style, const std::string& text, int width, double minSize = 7) {
    style.multiLine = false;
    style.ellipsis = false;
    if (width <= 0 || text.empty()) return;
    style.size = FittedSize(style, text, width, minSize);
    if (MRender::GetTextBounds(style, text).cx > width) style.ellipsis = true;
}

// A label box: one line down to `minSize`; then words on two lines when they fit the box at
// `minWrapSize` or more; else one elided line.
inline void FitLabel(TextStyle& style, const std::string& text, int width, int height,
                     double minSize, double minWrapSize) {
    TextStyle one = style;
    FitOneLine(one, text, width, minSize);
    if (!one.ellipsis || text.find(' ') == std::string::npos) {
        style = one;
        return;
    }
    TextStyle wrapped = style;
    wrapped.multiLine = true;
    wrapped.ellipsis = false;
    for (; wrapped.size >= minWrapSize; wrapped.size -= 0.5) {
        const Size s = MRender::GetTextBounds(wrapped, text, width);
        if (s.cx <= width && s.cy <= height) {
            style = wrapped;
            return;
        }
    }
    style = one;
}

} // namespace Tolva
