#pragma once

#include <functional>
#include <string>

// What the main window's close button (42) does, from the stored "exit_mode": 1 hides the
// window to the tray, 2 exits, 0 or missing asks first (the close prompt) and decides by what is
// stored afterwards, so a dismissed prompt exits. Without a tray to come back from, a hide
// becomes a minimise, and the person is told so once. The window carries the action out.
class CloseDecision {
public:
    static constexpr const char* kExitModeValue = "exit_mode";
    static constexpr int kAskMode = 0;
    static constexpr int kHideMode = 1;
    static constexpr int kExitMode = 2;
    // Tooltip texts of the close button, and the notice when no tray exists.
    static constexpr int kHideText = 171;
    static constexpr int kExitText = 172;
    static constexpr int kNoTrayText = 173;
    static constexpr int kNoTrayCaption = 10;

    enum class Action {
        Hide,     // hide the window; the tray icon brings it back
        Minimise, // no tray: minimise instead of leaving a window nobody can reach
        Exit,     // remove the tray icon and end the program at once
    };

    // `prompt` shows the close prompt modally (it stores "exit_mode" when confirmed); `notice`
    // tells the person, once, that the window is minimised for want of a tray (text, caption).
    CloseDecision(std::function<void()> prompt,
                  std::function<void(const std::string&, const std::string&)> notice);

    // The close button was clicked; `hasTray` says whether a tray icon is shown right now.
    Action OnCloseButton(bool hasTray);

    // "exit_mode" as stored (0 when missing or unreadable).
    static int ExitMode();
    // The close button's tooltip for the stored mode: text 172 when it exits, else 171.
    static std::string CloseTooltip();

private:
    std::function<void()> prompt_;
    std::function<void(const std::string&, const std::string&)> notice_;
    bool toldNoTray_ = false;
};
