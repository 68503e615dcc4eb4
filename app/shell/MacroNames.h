#pragma once

#include <string>
#include <vector>

// Names of macros: the default name of a new macro, the name of a copy, and the name shown in
// the current language. No state; any thread.
class MacroNames {
public:
    static constexpr int kLastNumber = 1000;

    // "<word> <n>" with the smallest n from 1 to 1000 that no name in `taken` uses yet; 1000
    // when every number is taken.
    static std::string Unique(const std::string& word, const std::vector<std::string>& taken);
    // The copy of `source`: "<source> -" numbered as Unique numbers.
    static std::string Copy(const std::string& source, const std::vector<std::string>& taken);
    // A stored default name shown in the interface's language: in the Chinese interface a
    // leading "Macro", in the English one a leading "宏", is replaced by `word` (the language's
    // word for a macro). Other names are shown as stored.
    static std::string Display(const std::string& name, int languageId, const std::string& word);
};
