#pragma once

#include "ui/core/MDialog.h"

// The close prompt: what the main window's close button shall do from now on, hide to the tray
// or exit. Its apply button stores the choice as "exit_mode" ("1" hide, "2" exit) and closes the
// prompt; closing it any other way stores nothing.
class CloseWindowTipDlg : public Tolva::MDialog {
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 200;
    static constexpr unsigned kQuestionId = 30;
    static constexpr unsigned kHideId = 31;
    static constexpr unsigned kExitId = 32;
    static constexpr unsigned kApplyId = 33;

    // Shows the prompt modally over `owner` (the screen's centre without one). True when the
    // choice was applied; false when the prompt was dismissed or could not be shown.
    static bool Show(Tolva::MWindow* owner);

    // Creates the window centred on `owner`, topmost; null on failure.
    Tolva::NativeWindow* Open(Tolva::NativeWindow* owner);

    const char* GetWindowClassName() const override { return "CloseWindowTipDlg"; }
    void InitUI(const Tolva::Rect& rect) override;
    Tolva::LRESULT OnMessage(unsigned id, int code, Tolva::WPARAM wparam,
                             Tolva::LPARAM lparam) override;
    Tolva::LRESULT OnKeyDown(Tolva::WPARAM key, Tolva::LPARAM lparam) override;
    // Whether the apply button stored a choice.
    bool WasApplied() const { return applied_; }

private:
    bool applied_ = false;
};
