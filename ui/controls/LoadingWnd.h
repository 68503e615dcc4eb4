#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPopupWnd.h"

#include <string>

namespace Tolva {

class CGifPicture;
class CImageButton;
class CSliderPicture;
class MPicture;

// The loading window: the logo ("logo\\logo_loading.png") above an animated GIF
// ("loading\\loading.gif") and a close button ("img_sys_close.png") in the top-right corner. It
// stays up when it loses activation; the close button or CloseWindow ends it.
class TOLVA_API LoadingWnd : public MPopupWnd {
public:
    static constexpr unsigned kGifId = 1;
    static constexpr unsigned kLogoId = 2;
    static constexpr unsigned kCloseId = 3;
    static constexpr unsigned kAnimateId = 4;

    LoadingWnd() = default;

    // Creates the window at `screen` (screen coordinates) owned by `parent`; null on failure.
    NativeWindow* CreateDlg(NativeWindow* parent, const Rect& screen, MObject* notify = nullptr);
    // The animated picture: a GIF, or an image strip of `frames` frames stepped in turn.
    // Return 1, or 0 when it cannot load.
    int LoadGifImage(const std::string& file);
    int LoadAnimateImage(const std::string& file, int frames);

    const char* GetWindowClassName() const override { return "LoadingWnd"; }
    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override;
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;
    void InitUI(const Rect& rect) override;

    CGifPicture* GetGif() const { return gif_; }
    MPicture* GetLogo() const { return logo_; }
    CImageButton* GetCloseButton() const { return close_; }

private:
    CGifPicture* gif_ = nullptr;
    CSliderPicture* animate_ = nullptr;
    MPicture* logo_ = nullptr;
    CImageButton* close_ = nullptr;
};

} // namespace Tolva
