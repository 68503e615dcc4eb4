#include "app/shell/WaitDlg.h"

#include "app/files/UiText.h"
#include "ui/controls/CGifPicture.h"
#include "ui/controls/MText.h"
#include "ui/platform/Platform.h"

using namespace Tolva;

WaitDlg::~WaitDlg() {
    Close();
}

bool WaitDlg::Open(MWindow& owner) {
    if (IsOpen()) return true;
    NativeWindow* parent = owner.GetSafeHwnd();
    if (!parent) return false;
    const Rect around = owner.GetWindowRect();
    const int x = around.left + (around.Width() - kWidth) / 2;
    const int y = around.top + (around.Height() - kHeight) / 2;
    if (!Create(parent, "", WS_POPUP, WS_EX_TOOLWINDOW, Rect{x, y, x + kWidth, y + kHeight}))
        return false;
    GetPaintManager().EnableWndDrag(false);
    timer_ = SetMTimer(kAnimationMs);
    ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

void WaitDlg::Close() {
    if (timer_) {
        KillMTimer(timer_);
        timer_ = 0;
    }
    DestroyWindow();
}

bool WaitDlg::IsOpen() const {
    NativeWindow* w = GetSafeHwnd();
    return w && Platform::IsWindow(w);
}

void WaitDlg::InitUI(const Rect& rect) {
    SetBackColor(0x2A2622, 0x5A5A5A);
    const int gif = 48;
    const int left = (rect.Width() - gif) / 2;
    gif_ = dynamic_cast<CGifPicture*>(
        CreateControl("CGifPicture", kGifId, Rect{left, 24, left + gif, 24 + gif}));
    if (gif_ && gif_->SetImage("loading\\loading.gif", 1)) gif_->SetRunState(true);
    text_ = dynamic_cast<MText*>(
        CreateControl("MText", kTextId, Rect{10, 84, rect.Width() - 10, 116}, UiText::Dialog(60)));
    if (text_) {
        text_->SetFontWidth(10);
        text_->SetTextColor(0xFFE0E0E0);
        text_->SetAlignment(TextStyle::Center, TextStyle::Center);
    }
}
