#pragma once

#include <string>

// The current UI language: a Windows language id (1033 English, 2052 Simplified Chinese) chosen
// at start-up from the stored "LCID" value or, on the first run, from the desktop's language.
class Language {
public:
    static constexpr int kEnglish = 1033;
    static constexpr int kChinese = 2052;

    // The language of this run; 1033 until Startup or Set runs.
    static int Current();
    static void SetCurrent(int languageId);

    // Start-up decision. A stored non-zero value is used whatever it is. Without one the
    // desktop's language is this run's language and 2052 (for Chinese) or 1033 (for everything
    // else) is stored for the next runs; when the program has no file for the desktop's
    // language, this run uses the stored one too, so the first run is not without texts.
    // Returns the current id.
    static int Startup(const std::string& programFolder);
    // One entry of the main window's language box.
    struct Choice {
        const char* label;
        int languageId;
    };
    static constexpr Choice kChoices[] = {
        {"Chinese(\xE7\xAE\x80\xE4\xBD\x93\xE4\xB8\xAD\xE6\x96\x87)", kChinese},
        {"English", kEnglish}};

    // Restore factory settings: the desktop's language decides again (2052 or 1033 is stored as
    // on a first run); the box then shows it when it is one of its choices, else keeps
    // `boxChoice`, and the box's choice becomes the current language and is stored. Returns it.
    static int ResetToDesktop(int boxChoice);
    // Makes id current and stores it. False when it could not be stored.
    static bool Set(int languageId);

    // The desktop user's UI language as a Windows language id, from the locale variables
    // (LANGUAGE, LC_ALL, LC_MESSAGES, LANG); English, "C" and unknown locales give 1033.
    static int DesktopUiLanguage();
    // A locale name such as "zh_CN.UTF-8" or "de" as a Windows language id; 0 when unknown.
    static int FromLocaleName(const std::string& locale);
};
