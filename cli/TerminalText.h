#pragma once

#include <string>

// Text from files and the store as it may reach a terminal: a name that holds escape sequences
// must not retitle, clear or recolour the terminal of the person who lists it.
class TerminalText {
public:
    // C0 controls, DEL and C1 controls become \xHH (C1 as \u00HH); bytes that are not valid
    // UTF-8 become \xHH. With keepLayout, line feeds and tabs stay (whole messages); without it
    // they are escaped too, so that one stored name stays on one line.
    static std::string Printable(const std::string& text, bool keepLayout = false);
};
