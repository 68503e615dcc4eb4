#include "ui/core/MAirBladder.h"

#include "ui/core/Manager.h"
#include "ui/paint/MRender.h"

namespace Tolva {

MAirBladder::~MAirBladder() {
    DestroyWindow();
    if (surface_) cairo_surface_destroy(surface_);
}

NativeWindow* MAirBladder::CreateBalloon(NativeWindow* owner) {
    return Create(owner, "AirBladder Window", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                  Rect{0, 0, kWidth, kHeight});
}

bool MAirBladder::LoadBKImage(const std::string& path) {
    return (back_ = Image::Load(path)) != nullptr;
}
bool MAirBladder::LoadArrowLImage(const std::string& path) {
    return (arrowL_ = Image::Load(path)) != nullptr;
}
bool MAirBladder::LoadArrowRImage(const std::string& path) {
    return (arrowR_ = Image::Load(path)) != nullptr;
}
bool MAirBladder::LoadArrowTImage(const std::string& path) {
    return (arrowT_ = Image::Load(path)) != nullptr;
}

Rect MAirBladder::Placement(Point anchor, int type) {
    switch (type) {
    case 1: // arrow on the right: the balloon sits left of the anchor
        return {anchor.x - kWidth, anchor.y - kHeight / 2, anchor.x, anchor.y + kHeight / 2};
    case 2: // arrow on top: the balloon hangs below the anchor
        return {anchor.x - kWidth / 2, anchor.y, anchor.x + kWidth / 2, anchor.y + kHeight};
    default: // arrow on the left
        return {anchor.x, anchor.y - kHeight / 2, anchor.x + kWidth, anchor.y + kHeight / 2};
    }
}

void MAirBladder::SetAirBladderMsg(const std::string& text, Point anchor, int type, int mode) {
    text_ = text;
    type_ = type;
    mode_ = mode;
    if (!hwnd_) return;
    hwnd_->SetWindowRect(Placement(anchor, type));
    Platform::InvalidateRect(hwnd_, nullptr);
}

void MAirBladder::CloseWindow() {
    DestroyWindow();
}

void MAirBladder::Paint() {
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
    Rect body = client;
    const std::shared_ptr<Image>& arrow = type_ == 1 ? arrowR_ : type_ == 2 ? arrowT_ : arrowL_;
    if (type_ == 1)
        body.right -= kArrow;
    else if (type_ == 2)
        body.top += kArrow;
    else
        body.left += kArrow;
    if (back_)
        MRender::DrawImageFrame(cr, back_->Surface(0), body, 0, 0, back_->Width(), back_->Height(),
                                6);
    else
        MRender::DrawRoundRectange(cr, body.left, body.top, body.Width(), body.Height(), 6,
                                   0xFF3A3F47, 1, true, 0xF01E2228);
    if (arrow) {
        const int w = arrow->Width(), h = arrow->Height();
        const Rect a = type_ == 1   ? Rect{body.right, client.Height() / 2 - h / 2, body.right + w,
                                         client.Height() / 2 + h - h / 2}
                       : type_ == 2 ? Rect{client.Width() / 2 - w / 2, body.top - h,
                                           client.Width() / 2 + w - w / 2, body.top}
                                    : Rect{body.left - w, client.Height() / 2 - h / 2, body.left,
                                           client.Height() / 2 + h - h / 2};
        MRender::DrawImagePart(cr, arrow->Surface(0), a, 0, 0, w, h);
    }
    TextStyle style;
    style.family = Manager::GetFontName();
    style.size = 13;
    style.color = 0xFFF0F0F0;
    style.multiLine = true;
    style.vAlign = TextStyle::Center;
    MRender::DrawTextW(cr, body.Inflate(-8, -4), text_, style);
    cairo_destroy(cr);
    hwnd_->Present(surface_, client);
}

LRESULT MAirBladder::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_PAINT) {
        Paint();
        return 0;
    }
    return DefaultProc(msg, wparam, lparam);
}

} // namespace Tolva
