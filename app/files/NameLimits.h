#pragma once

#include <string>

// How long the texts a person gives the store may be: profile and macro names, and the values
// of configuration keys. The window's edits stop at the same lengths; pivanectl refuses longer
// ones, and the importers shorten names from files to them.
class NameLimits {
public:
    // In code points. A name fills a row of the profile or macro list and a button's label.
    static constexpr size_t kMaxName = 64;
    // Configuration values are short decimal texts ("16711935", "1.0.1").
    static constexpr size_t kMaxValue = 64;

    static bool NameFits(const std::string& name);
    static bool ValueFits(const std::string& value);
    // The first kMaxName code points of a UTF-8 name.
    static std::string CutName(const std::string& name);
    // True when text holds a C0 control or DEL, which no typed name or value carries.
    static bool HasControl(const std::string& text);
};
