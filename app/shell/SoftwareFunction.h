#pragma once

#include <string>

class SettingsDatabase;

// The functions the program performs itself when a mouse button asks for them (message 1092):
// start a program, open a web page, type a text, switch the profile. Each reads its text from
// the store's key extra data row whose id the button's assignment holds. Window thread only;
// nothing here waits: programs and web pages are started asynchronously, and the typed text's
// key releases and clipboard clean-up run from a 100 ms main-loop timeout so that the window can
// hand the clipboard to the program that pastes meanwhile.
class SoftwareFunction {
public:
    static constexpr int kRunProgram = 8;
    static constexpr int kOpenWebPage = 9;
    static constexpr int kTypeText = 10;
    static constexpr int kSwitchProfile = 11;
    static constexpr int kPasteHoldMs = 100;

    // What Perform did.
    struct Outcome {
        int type = 0;       // the row's type; 0 when there is no such row
        bool done = false;  // the program, page or text was handed on (type 11: a profile read)
        int profile = 0;    // type 11: the profile to switch to (the caller switches)
        std::string target; // the path, the address or the text that was used
    };

    virtual ~SoftwareFunction() = default;

    // Reads key extra data row `id` and performs it. Other types, a missing row, an empty
    // text or a profile text that is not a positive number do nothing.
    Outcome Perform(SettingsDatabase& store, int id);

    // The address opened for a stored one: "www." is put in front unless the address contains
    // it anywhere; behind a scheme ("https://") it goes after the scheme.
    static std::string WebAddress(const std::string& stored);
    // What the desktop's handler is given: the address with "http://" when it names no scheme.
    static std::string UriFor(const std::string& address);
    // A decimal profile number, 0 when the text is not a positive number.
    static int ProfileNumber(const std::string& text);

protected:
    // Starts the program at `path` with no arguments and no shell; false when it cannot start.
    virtual bool RunProgram(const std::string& path);
    // Opens the URI with the desktop's default handler.
    virtual bool OpenUri(const std::string& uri);
    // Puts the text on the clipboard and presses Ctrl+V for the focused window (X11 only);
    // false without an X display.
    virtual bool TypeText(const std::string& text);
};
