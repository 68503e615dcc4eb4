#include "app/files/NameLimits.h"

#include "app/xml/TextEncoding.h"

bool NameLimits::NameFits(const std::string& name) {
    return TextEncoding::CodePointCount(name) <= kMaxName;
}

bool NameLimits::ValueFits(const std::string& value) {
    return TextEncoding::CodePointCount(value) <= kMaxValue;
}

std::string NameLimits::CutName(const std::string& name) {
    return TextEncoding::CutCodePoints(name, kMaxName);
}

bool NameLimits::HasControl(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}
