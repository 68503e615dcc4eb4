#include "app/files/UiText.h"

#include "app/files/Language.h"
#include "app/platform/AppFolders.h"
#include "app/xml/TextEncoding.h"

#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

} // namespace

std::string UiText::LanguageFile(const std::string& programFolder, int languageId) {
    return programFolder + "language/" + std::to_string(languageId) + ".lan";
}

std::string UiText::Get(const std::string& section, int id) {
    return FromFile(LanguageFile(AppFolders::ProgramFolder(), Language::Current()), section,
                    std::to_string(id));
}

std::string UiText::Dialog(int id) {
    return Get(kDialogSection, id);
}

std::string UiText::FromFile(const std::string& path, const std::string& section,
                             const std::string& key) {
    // A language file is a few kilobytes; anything huge is not one.
    constexpr std::uintmax_t kMaxFileSize = 16u << 20;
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileSize) return std::string();
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    // One read of the known size: the window asks for hundreds of texts while it is built.
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return FromBytes(bytes.data(), bytes.size(), section, key);
}

std::string UiText::FromBytes(const char* data, size_t size, const std::string& section,
                              const std::string& key) {
    if (!data || size == 0) return std::string();
    const std::string text = TextEncoding::ToUtf8(data, size);
    const std::string_view wantedSection = Trim(section);
    const std::string_view wantedKey = Trim(key);
    bool inSection = false;
    bool sectionSeen = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line = Trim(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
        if (!line.empty() && line.front() == '[') {
            // Only the first section of that name is searched.
            if (sectionSeen) return std::string();
            size_t close = line.find(']');
            std::string_view name = Trim(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            inSection = SameName(name, wantedSection);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection) continue;
        size_t eq = line.find('=');
        std::string_view name = Trim(line.substr(0, eq));
        if (!SameName(name, wantedKey)) continue;
        if (eq == std::string_view::npos) return std::string();
        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        // A NUL ends the text, as it would in the wide-character buffer.
        size_t nul = value.find('\0');
        if (nul != std::string_view::npos) value = value.substr(0, nul);
        return TextEncoding::CutCodePoints(std::string(value), kMaxLength);
    }
    return std::string();
}
