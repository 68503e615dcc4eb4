#pragma once

#include <string>

// Numbers in the program's files are text: decimal for most attributes, hexadecimal (without a
// prefix) for USB ids. Both read the way the C library's converters do: leading blanks, an
// optional sign, then digits up to the first other character; no digits give 0, and values
// beyond the 32-bit range stop at its ends.
class TextNumber {
public:
    static int Decimal(const std::string& text);
    // An optional "0x" after the sign is accepted, as strtol with base 16 does.
    static int Hex(const std::string& text);
    // True when text is a non-empty run of decimal digits and nothing else.
    static bool IsDigits(const std::string& text);
};
