#include "app/files/Language.h"

#include "app/files/UiText.h"
#include "app/platform/ProgramRegistry.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>

namespace {

std::atomic<int> gCurrent{Language::kEnglish};

struct LocaleId {
    const char* name;
    int id;
};

// Territory-specific names first; a bare language name stands for its main territory.
constexpr LocaleId kLocales[] = {
    {"zh_cn", 2052}, {"zh_sg", 4100}, {"zh_tw", 1028}, {"zh_hk", 3076}, {"zh_mo", 5124},
    {"zh", 2052},    {"en", 1033},    {"de_at", 3079}, {"de_ch", 2055}, {"de", 1031},
    {"fr_ca", 3084}, {"fr_be", 2060}, {"fr_ch", 4108}, {"fr", 1036},    {"es_mx", 2058},
    {"es", 3082},    {"pt_br", 1046}, {"pt", 2070},    {"it", 1040},    {"nl_be", 2067},
    {"nl", 1043},    {"ja", 1041},    {"ko", 1042},    {"ru", 1049},    {"uk", 1058},
    {"pl", 1045},    {"cs", 1029},    {"sk", 1051},    {"hu", 1038},    {"ro", 1048},
    {"bg", 1026},    {"el", 1032},    {"tr", 1055},    {"ar", 1025},    {"he", 1037},
    {"th", 1054},    {"vi", 1066},    {"id", 1057},    {"ms", 1086},    {"sv", 1053},
    {"da", 1030},    {"nb", 1044},    {"no", 1044},    {"nn", 2068},    {"fi", 1035},
    {"et", 1061},    {"lv", 1062},    {"lt", 1063},    {"sl", 1060},    {"hr", 1050},
    {"sr", 2074},    {"ca", 1027},    {"eu", 1069},    {"gl", 1110},    {"hi", 1081},
    {"fa", 1065},
};

int StoredChoiceFor(int desktop) {
    return desktop == Language::kChinese ? Language::kChinese : Language::kEnglish;
}

int FirstRun(const std::string& programFolder) {
    int desktop = Language::DesktopUiLanguage();
    int stored = StoredChoiceFor(desktop);
    ProgramRegistry::WriteLanguageId(stored);
    std::error_code ec;
    bool haveFile =
        std::filesystem::is_regular_file(UiText::LanguageFile(programFolder, desktop), ec);
    gCurrent = haveFile ? desktop : stored;
    return gCurrent;
}

} // namespace

int Language::Current() {
    return gCurrent;
}

void Language::SetCurrent(int languageId) {
    gCurrent = languageId;
}

int Language::Startup(const std::string& programFolder) {
    int stored = ProgramRegistry::ReadLanguageId();
    if (stored != 0) {
        gCurrent = stored;
        return stored;
    }
    return FirstRun(programFolder);
}

int Language::ResetToDesktop(int boxChoice) {
    // The key may not exist yet; reading creates it so that the value can be written.
    ProgramRegistry::ReadLanguageId();
    int desktop = DesktopUiLanguage();
    ProgramRegistry::WriteLanguageId(StoredChoiceFor(desktop));
    int chosen = boxChoice;
    for (const Choice& choice : kChoices)
        if (choice.languageId == desktop) chosen = desktop;
    Set(chosen);
    return chosen;
}

bool Language::Set(int languageId) {
    gCurrent = languageId;
    return ProgramRegistry::WriteLanguageId(languageId);
}

int Language::FromLocaleName(const std::string& locale) {
    std::string name;
    for (char c : locale) {
        if (c == '.' || c == '@') break;
        if (c == '-') c = '_';
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        name += c;
    }
    std::string language = name.substr(0, name.find('_'));
    for (const auto& entry : kLocales)
        if (name == entry.name) return entry.id;
    for (const auto& entry : kLocales)
        if (language == entry.name) return entry.id;
    return 0;
}

int Language::DesktopUiLanguage() {
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value) continue;
        std::string first(value);
        first = first.substr(0, first.find(':'));
        if (first.empty()) continue;
        // "C" and "POSIX" mean no language was chosen; keep looking, then fall back.
        if (first == "C" || first.rfind("C.", 0) == 0 || first == "POSIX") continue;
        int id = FromLocaleName(first);
        return id != 0 ? id : kEnglish;
    }
    return kEnglish;
}
