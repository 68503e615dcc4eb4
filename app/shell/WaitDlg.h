#pragma once

#include "ui/core/MDialog.h"

namespace Tolva {
class CGifPicture;
class MText;
} // namespace Tolva

// The waiting dialog: a small window over the main window with the loading animation and text
// 60, shown while a device task that a page started runs. It takes no input and does not block
// its owner: the worker closes it (through the main window) when the task has finished.
class WaitDlg : public Tolva::MDialog {
public:
    static constexpr int kWidth = 220;
    static constexpr int kHeight = 140;
    static constexpr unsigned kGifId = 1;
    static constexpr unsigned kTextId = 2;
    static constexpr uint32_t kAnimationMs = 10;

    WaitDlg() = default;
    ~WaitDlg() override;

    // Creates the dialog centred on `owner` and shows it; false when it cannot be created.
    bool Open(Tolva::MWindow& owner);
    void Close();
    bool IsOpen() const;

    const char* GetWindowClassName() const override { return "WaitDlg"; }
    void InitUI(const Tolva::Rect& rect) override;

    Tolva::CGifPicture* Animation() const { return gif_; }

private:
    Tolva::CGifPicture* gif_ = nullptr;
    Tolva::MText* text_ = nullptr;
    uint32_t timer_ = 0;
};
