#include "app/shell/MacroNames.h"

#include "app/files/Language.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view kEnglishWord = "Macro";
constexpr std::string_view kChineseWord = "\xE5\xAE\x8F"; // 宏

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::string MacroNames::Unique(const std::string& word, const std::vector<std::string>& taken) {
    for (int n = 1; n <= kLastNumber; ++n) {
        std::string name = word + " " + std::to_string(n);
        if (std::find(taken.begin(), taken.end(), name) == taken.end()) return name;
    }
    return word + " " + std::to_string(kLastNumber);
}

std::string MacroNames::Copy(const std::string& source, const std::vector<std::string>& taken) {
    return Unique(source + " -", taken);
}

std::string MacroNames::Display(const std::string& name, int languageId, const std::string& word) {
    std::string_view prefix;
    if (languageId == Language::kChinese)
        prefix = kEnglishWord;
    else if (languageId == Language::kEnglish)
        prefix = kChineseWord;
    if (prefix.empty() || word.empty() || !StartsWith(name, prefix)) return name;
    return word + name.substr(prefix.size());
}
