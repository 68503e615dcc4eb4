#include "ui/controls/LoadingWnd.h"

#include "ui/controls/CGifPicture.h"
#include "ui/controls/CImageButton.h"
#include "ui/controls/CSliderPicture.h"
#include "ui/controls/MPicture.h"
#include "ui/platform/VirtualKeys.h"

namespace Tolva {

NativeWindow* LoadingWnd::CreateDlg(NativeWindow* parent, const Rect& screen, MObject* notify) {
    return CreatePopup(parent, screen, notify);
}

void LoadingWnd::InitUI(const Rect& rect) {
    const int cx = rect.Width() / 2, cy = rect.Height() / 2;
    logo_ = static_cast<MPicture*>(manager_.AddControl(
        std::make_unique<MPicture>(this, kLogoId, Rect{cx - 100, cy - 70, cx + 100, cy - 20}), 1));
    logo_->SetImage("logo\\logo_loading.png");
    logo_->SetShowMode(PictureDrawer::Center);
    gif_ = static_cast<CGifPicture*>(manager_.AddControl(
        std::make_unique<CGifPicture>(this, kGifId, Rect{cx - 24, cy - 10, cx + 24, cy + 38}), 1));
    gif_->SetShowMode(PictureDrawer::Center);
    close_ = static_cast<CImageButton*>(
        manager_.AddControl(std::make_unique<CImageButton>(
                                this, kCloseId, Rect{rect.right - 28, 8, rect.right - 8, 28}),
                            1));
    close_->SetImage("img_sys_close.png", 4);
    manager_.SetMTimer(10);
    LoadGifImage("loading\\loading.gif");
}

int LoadingWnd::LoadGifImage(const std::string& file) {
    if (!gif_ || !gif_->SetImage(file)) return 0;
    if (animate_) animate_->SetVisible(false);
    gif_->SetVisible(true);
    gif_->SetRunState(true, 0);
    return 1;
}

int LoadingWnd::LoadAnimateImage(const std::string& file, int frames) {
    if (!gif_) return 0;
    if (!animate_)
        animate_ = static_cast<CSliderPicture*>(manager_.AddControl(
            std::make_unique<CSliderPicture>(this, kAnimateId, gif_->GetRect()), 1));
    if (!animate_->SetImage(file, frames)) return 0;
    animate_->SetShowMode(PictureDrawer::Center);
    gif_->SetRunState(false, 0);
    gif_->SetVisible(false);
    animate_->SetVisible(true);
    animate_->SetRun(true);
    return 1;
}

LRESULT LoadingWnd::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id == kCloseId && code == 2) {
        CloseWindow();
        return 1;
    }
    return MPopupWnd::OnBaseMessage(id, code, wparam, lparam);
}

LRESULT LoadingWnd::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    // Unlike other popups it stays when another window becomes active.
    if (msg == WM_ACTIVATE && wparam == WA_INACTIVE) {
        if (LRESULT r = manager_.OnWindowMessage(msg, wparam, lparam)) return r;
        return DefaultProc(msg, wparam, lparam);
    }
    return MPopupWnd::OnWindowMessage(msg, wparam, lparam);
}

} // namespace Tolva
