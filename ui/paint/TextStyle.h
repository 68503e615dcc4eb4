#pragma once

#include <cstdint>
#include <string>

namespace Tolva {

// How a run of text is drawn: font, colour and placement inside its box.
struct TextStyle {
    enum Align { Near = 0, Center = 1, Far = 2 };
    enum Style { Regular = 0, Bold = 1, Italic = 2, Underline = 4, Strikeout = 8 };

    std::string family = "Open Sans Semibold";
    double size = 18;            // points (96 pixels per inch)
    int style = Regular;         // Style bits
    uint32_t color = 0xFFFFFFFF; // ARGB
    int hAlign = Near;
    int vAlign = Near;
    bool multiLine = false; // wrap at the box width; otherwise one line, trailing spaces kept
    bool ellipsis = false;
};

} // namespace Tolva
