#include "app/shell/CloseDecision.h"

#include "app/files/UiText.h"
#include "app/platform/ProgramRegistry.h"

#include <utility>

CloseDecision::CloseDecision(std::function<void()> prompt,
                             std::function<void(const std::string&, const std::string&)> notice)
    : prompt_(std::move(prompt)), notice_(std::move(notice)) {}

int CloseDecision::ExitMode() {
    return ProgramRegistry::ReadProgramRegistryValue(kExitModeValue);
}

std::string CloseDecision::CloseTooltip() {
    return UiText::Dialog(ExitMode() == kExitMode ? kExitText : kHideText);
}

CloseDecision::Action CloseDecision::OnCloseButton(bool hasTray) {
    int mode = ExitMode();
    if (mode == kAskMode) {
        if (prompt_) prompt_();
        mode = ExitMode();
    }
    if (mode != kHideMode) return Action::Exit;
    if (hasTray) return Action::Hide;
    // A hidden window with no tray icon could only be reached by starting the program again.
    if (!toldNoTray_) {
        toldNoTray_ = true;
        if (notice_) notice_(UiText::Dialog(kNoTrayText), UiText::Dialog(kNoTrayCaption));
    }
    return Action::Minimise;
}
