#include "ui/core/MAirBladder.h"

#include "ui/core/Manager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

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
    return (back_ = Image::Open(path)) != nullptr;
}
bool MAirBladder::LoadArrowLImage(const std::string& path) {
    return (arrowL_ = Image::Open(path)) != nullptr;
}
bool MAirBladder::LoadArrowRImage(const std::string& path) {
    return (arrowR_ = Image::Open(path)) != nullptr;
}
bool MAirBladder::LoadArrowTImage(const std::string& path) {
    return (arrowT_ = Image::Open(path)) != nullptr;
}

namespace {

constexpr int kPadX = 8;
constexpr int kPadY = 4;

TextStyle BalloonText() {
    TextStyle style;
    style.family = Manager::GetFontName();
    style.size = 10; // points
    style.color = 0xFFF0F0F0;
    style.multiLine = true;
    style.vAlign = TextStyle::Center;
    return style;
}

// Keeps [start, start + length) inside [low, high) when it fits, else at `low`.
int Slide(int start, int length, int low, int high) {
    if (start + length > high) start = high - length;
    return std::max(start, low);
}

} // namespace

Rect MAirBladder::Placement(Point anchor, int type) {
    return Arrange(anchor, type, Size{kWidth, kHeight}, Rect{}).window;
}

Size MAirBladder::FitSize(const std::string& text, int type) {
    const int arrowX = type == 2 ? 0 : kArrow;
    const int arrowY = type == 2 ? kArrow : 0;
    const Size text1 = MRender::GetTextBounds(BalloonText(), text, kMaxWidth - arrowX - 2 * kPadX);
    return {std::clamp(text1.cx + 2 * kPadX + arrowX, kWidth, kMaxWidth),
            std::max(text1.cy + 2 * kPadY + arrowY, kHeight)};
}

MAirBladder::Layout MAirBladder::Arrange(Point anchor, int type, Size size, const Rect& workArea) {
    const bool bounded = !workArea.IsEmpty();
    Layout out;
    out.type = type == 1 || type == 2 ? type : 0;
    if (bounded && out.type == 0 && anchor.x + size.cx > workArea.right &&
        anchor.x - size.cx >= workArea.left)
        out.type = 1;
    else if (bounded && out.type == 1 && anchor.x - size.cx < workArea.left &&
             anchor.x + size.cx <= workArea.right)
        out.type = 0;
    if (out.type == 2) {
        // Hangs below the anchor; slides sideways.
        int left = anchor.x - size.cx / 2;
        if (bounded) left = Slide(left, size.cx, workArea.left, workArea.right);
        out.window = {left, anchor.y, left + size.cx, anchor.y + size.cy};
        out.arrowAt = std::clamp(anchor.x - left, kArrow, std::max(kArrow, size.cx - kArrow));
        return out;
    }
    // Beside the anchor (left or right of it); slides up or down.
    const int left = out.type == 1 ? anchor.x - size.cx : anchor.x;
    int top = anchor.y - size.cy / 2;
    if (bounded) top = Slide(top, size.cy, workArea.top, workArea.bottom);
    out.window = {left, top, left + size.cx, top + size.cy};
    out.arrowAt = std::clamp(anchor.y - top, kArrow, std::max(kArrow, size.cy - kArrow));
    return out;
}

void MAirBladder::SetAirBladderMsg(const std::string& text, Point anchor, int type, int mode) {
    text_ = text;
    mode_ = mode;
    layout_ = Arrange(anchor, type, FitSize(text, type), Platform::GetWorkArea(anchor));
    type_ = layout_.type;
    if (!hwnd_) return;
    hwnd_->SetWindowRect(layout_.window);
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
        // Centred on the anchor along its edge (the middle before any placement).
        const int at = layout_.arrowAt > 0 ? layout_.arrowAt
                                           : (type_ == 2 ? client.Width() : client.Height()) / 2;
        const Rect a = type_ == 1   ? Rect{body.right, at - h / 2, body.right + w, at + h - h / 2}
                       : type_ == 2 ? Rect{at - w / 2, body.top - h, at + w - w / 2, body.top}
                                    : Rect{body.left - w, at - h / 2, body.left, at + h - h / 2};
        MRender::DrawImagePart(cr, arrow->Surface(0), a, 0, 0, w, h);
    }
    MRender::DrawTextW(cr, body.Inflate(-kPadX, -kPadY), text_, BalloonText());
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
