#include "ui/widgets/CKeyboardTips.h"

#include "ui/core/Manager.h"
#include "ui/paint/MRender.h"

namespace Tolva {
namespace {

// Sizes in points: the tip's 14- and 18-pixel faces.
TextStyle TipText(double size, uint32_t color) {
    TextStyle style;
    style.family = Manager::GetFontName();
    style.size = size;
    style.color = color;
    style.hAlign = TextStyle::Center;
    style.vAlign = TextStyle::Center;
    return style;
}

} // namespace

CKeyboardTips::~CKeyboardTips() {
    DestroyWindow();
    if (surface_) cairo_surface_destroy(surface_);
}

NativeWindow* CKeyboardTips::CreateTips(NativeWindow* owner) {
    return Create(owner, "KeyboardTip Window", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                  Rect{0, 0, kWidth, kHeight});
}

void CKeyboardTips::SetAirBladderMsg(const std::string& title, const std::string& subtitle,
                                     const std::string& description, Point anchor) {
    if (placed_ && title == title_ && subtitle == subtitle_ && description == description_ &&
        anchor == anchor_)
        return;
    title_ = title;
    subtitle_ = subtitle;
    description_ = description;
    anchor_ = anchor;
    placed_ = true;
    if (!hwnd_) return;
    hwnd_->SetWindowRect(
        {anchor.x - kWidth / 2, anchor.y - kHeight, anchor.x + kWidth / 2, anchor.y});
    Platform::InvalidateRect(hwnd_, nullptr);
}

bool CKeyboardTips::LoadBKImage(const std::string& path) {
    std::shared_ptr<Image> image = Image::Open(path);
    if (!image) return false;
    back_ = std::move(image);
    if (hwnd_) Platform::InvalidateRect(hwnd_, nullptr);
    return true;
}

bool CKeyboardTips::LoadBKImage(int resourceId, const std::string& type) {
    return LoadBKImage(Manager::GetSkinFolder() + "res_" + std::to_string(resourceId) + "." +
                       (type.empty() ? "png" : type));
}

void CKeyboardTips::SetBackMode(int mode, int value) {
    backMode_ = mode;
    backValue_ = value;
    if (hwnd_) Platform::InvalidateRect(hwnd_, nullptr);
}

void CKeyboardTips::ShowWindow(int command) {
    lastShow_ = command;
    // A tip never takes the activation (nor, as a popup, the pointer grab): it would close an
    // open menu or drop-down and, leaving the picture, hide itself at once.
    MWindow::ShowWindow(command == SW_HIDE ? SW_HIDE : SW_SHOWNOACTIVATE);
    if (command != SW_HIDE) SetTimer(kHideTimer, 10000);
}

void CKeyboardTips::Paint() {
    if (!hwnd_) return;
    Rect update;
    if (!hwnd_->BeginPaint(update)) return;
    const Rect client = hwnd_->GetClientRect();
    if (!surface_ || cairo_image_surface_get_width(surface_) != client.Width() ||
        cairo_image_surface_get_height(surface_) != client.Height()) {
        if (surface_) cairo_surface_destroy(surface_);
        surface_ = MRender::CreateARGB32Bitmap(client.Width(), client.Height());
    }
    if (!surface_) return;
    cairo_t* cr = cairo_create(surface_);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    // The background framed with a 1-pixel inset.
    const Rect body = client.Inflate(-1, -1);
    MRender::DrawRoundRectange(cr, client.left, client.top, client.Width(), client.Height(), 6,
                               0xFF3A3F47, 1, true, 0xF01E2228);
    if (back_) {
        if (backMode_ == 0)
            MRender::DrawImagePart(
                cr, back_->Surface(0),
                {body.left, body.top, body.left + back_->Width(), body.top + back_->Height()}, 0, 0,
                back_->Width(), back_->Height());
        else
            MRender::DrawImageFrame(cr, back_->Surface(0), body, 0, 0, back_->Width(),
                                    back_->Height(), backValue_);
    }
    const int w = client.Width();
    TextStyle title = TipText(10.5, 0xFFE6E6E6);
    title.ellipsis = true;
    MRender::DrawTextW(cr, {10, 10, w - 10, 10 + 23}, title_, title);
    MRender::DrawTextW(cr, {10, 39, w - 10, 59}, subtitle_, TipText(10.5, 0xFFFFFFFF));
    TextStyle desc = TipText(13.5, 0xFFFFFFFF);
    desc.multiLine = true;
    MRender::DrawTextW(cr, {10, 62, w - 10, client.Height() - 6}, description_, desc);
    cairo_destroy(cr);
    hwnd_->Present(surface_, client);
}

LRESULT CKeyboardTips::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_TIMER:
        if (wparam == kHideTimer) {
            KillTimer(kHideTimer);
            MWindow::ShowWindow(SW_HIDE);
            lastShow_ = SW_HIDE;
        }
        return 0;
    case WM_KILLFOCUS:
        if (lastShow_ != SW_SHOW) {
            MWindow::ShowWindow(SW_HIDE);
            lastShow_ = SW_HIDE;
        }
        return 0;
    default:
        return DefaultProc(msg, wparam, lparam);
    }
}

} // namespace Tolva
