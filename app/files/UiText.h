#pragma once

#include <string>

// UI texts by number from the language file "<program folder>language/<id>.lan", read the way
// Windows reads an initialisation file: "[section]" lines and "key=value" lines, section and key
// names compared without regard to case and trimmed, the first match winning, surrounding blanks
// and one pair of matching quotes removed from the value. The file is read anew on every call,
// so a changed language or file shows at once.
class UiText {
public:
    // The section every window of the program uses.
    static constexpr const char* kDialogSection = "KB.DIALOG";
    // Longest text returned, in characters.
    static constexpr size_t kMaxLength = 259;

    // Text `id` of `section` in the current language (Language::Current()). Empty when the file,
    // the section or the key is missing, never the key itself.
    static std::string Get(const std::string& section, int id);
    // Get(kDialogSection, id).
    static std::string Dialog(int id);

    // The same lookup in a given file.
    static std::string FromFile(const std::string& path, const std::string& section,
                                const std::string& key);
    // The same lookup in the file's bytes (any encoding TextEncoding knows).
    static std::string FromBytes(const char* data, size_t size, const std::string& section,
                                 const std::string& key);

    // "<program folder>language/<id>.lan".
    static std::string LanguageFile(const std::string& programFolder, int languageId);
};
