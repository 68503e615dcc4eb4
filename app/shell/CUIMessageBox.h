#pragma once

#include "ui/core/MDialog.h"

#include <string>

// The program's message box: a caption, a message and one or two buttons on "bk_prompt.png",
// centred on its owner and modal. Style 4 asks a question (first button "OK", second "Cancel"),
// style 0 is a notice with one button.
class CUIMessageBox : public Tolva::MDialog {
public:
    static constexpr int kWidth = 380;
    static constexpr int kHeight = 200;
    static constexpr int kQuestion = 4;
    static constexpr int kNotice = 0;
    static constexpr unsigned kCaptionId = 1;
    static constexpr unsigned kTextId = 2;
    static constexpr unsigned kFirstButtonId = 3;
    static constexpr unsigned kSecondButtonId = 4;

    // Shows the box modally over `owner` (the screen's centre without one) and returns the
    // button pressed: 1 or 2. A question dismissed without a button (Escape, the window
    // manager, a box that could not be shown) answers 2, so nothing is done that was not
    // confirmed; a notice always answers 1.
    static int Show(Tolva::MWindow* owner, const std::string& text, const std::string& caption,
                    int style);

    CUIMessageBox(std::string text, std::string caption, int style);

    // Creates the window centred on `owner` (the dialog is then run with ShowModal); null on
    // failure.
    Tolva::NativeWindow* Open(Tolva::NativeWindow* owner);
    // The answer so far: the button pressed, else what a dismissal answers.
    int Result() const;

    const char* GetWindowClassName() const override { return "MessageBox"; }
    void InitUI(const Tolva::Rect& rect) override;
    Tolva::LRESULT OnMessage(unsigned id, int code, Tolva::WPARAM wparam,
                             Tolva::LPARAM lparam) override;
    Tolva::LRESULT OnKeyDown(Tolva::WPARAM key, Tolva::LPARAM lparam) override;

private:
    std::string text_;
    std::string caption_;
    int style_ = kQuestion;
    int pressed_ = 0; // the button pressed, 0 before one is
};
