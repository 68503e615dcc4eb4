#include "ui/controls/MSlider.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"
#include "ui/paint/PictureKey.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("MSlider",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MSlider>(parent, id, rect, title, visible, enabled);
               });

constexpr int kTrackHeight = 6;

} // namespace

MSlider::MSlider(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                 bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    if (!enabled) state_ = 3;
}

Size MSlider::GetThumbSize() const {
    return {thumbCx_ > 0 ? thumbCx_ : thumbFrameCx_, thumbCy_ > 0 ? thumbCy_ : thumbFrameCy_};
}

void MSlider::SetThumbSize(int cx, int cy) {
    thumbCx_ = std::max(0, cx);
    thumbCy_ = std::max(0, cy);
    UpdateControl(true);
}

int MSlider::SetThumbImage(const std::string& file, int frames) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, frames < 1 ? 4 : frames);
    if (!info) return 0;
    thumbImage_ = info->image;
    thumbFrames_ = std::max(1, info->frameCount);
    thumbFrameCx_ = info->frameWidth;
    thumbFrameCy_ = info->height;
    UpdateControl(true);
    return 1;
}

int MSlider::ThumbOffset() const {
    const int room = GetRect().Width() - GetThumbSize().cx;
    const int span = max_ - min_;
    if (room <= 0 || span <= 0) return 0;
    const long long off = static_cast<long long>(room) * (value_ - min_) / span;
    return static_cast<int>(std::clamp<long long>(off, 0, room));
}

Rect MSlider::ThumbRect() const {
    const Rect r = GetRect();
    const Size t = GetThumbSize();
    const int x = r.left + ThumbOffset();
    const int y = r.top + (r.Height() - t.cy) / 2;
    return {x, y, x + t.cx, y + t.cy};
}

int MSlider::ValueAtPoint(int x) const {
    const Rect r = GetRect();
    const int room = r.Width() - GetThumbSize().cx;
    const int lo = min_, hi = max_;
    if (room <= 0 || hi <= lo) return lo;
    const long long v = lo + static_cast<long long>(x - r.left) * (hi - lo + 1) / room;
    return static_cast<int>(std::clamp<long long>(v, lo, hi));
}

int MSlider::SetProgress(int value) {
    // Negative values mean "no value" to callers of a non-negative range.
    if (value < 0 && min_ >= 0) return value_;
    value = std::clamp<int>(value, min_, max_);
    if (value == value_) return value_;
    value_ = value;
    UpdateControl(true);
    return value_;
}

int MSlider::SetMaxProgress(int maximum) {
    if (maximum < min_) return 0;
    max_ = maximum;
    if (value_ > max_) value_ = max_.load();
    UpdateControl(true);
    return 1;
}

int MSlider::SetMinProgress(int minimum) {
    if (minimum > max_) return 0;
    min_ = minimum;
    if (value_ < min_) value_ = min_.load();
    UpdateControl(true);
    return 1;
}

int MSlider::MoveThumbPos(int x, bool notify) {
    const int v = ValueAtPoint(x);
    if (v == value_) return value_;
    value_ = v;
    UpdateControl(true);
    if (notify) SendMessageW(8, static_cast<WPARAM>(v), 0);
    return value_;
}

void MSlider::SetShowText(bool on) {
    showText_ = on;
    UpdateControl(true);
}

void MSlider::SetScale(int count) {
    scale_ = std::max(0, count);
    UpdateControl(true);
}

void MSlider::SetState(int state) {
    if (state_ == state) return;
    state_ = state;
    UpdateControl(false);
}

void MSlider::SetControlEnabled(bool enabled) {
    MControlFont::SetControlEnabled(enabled);
    dragging_ = false;
    state_ = enabled ? 0 : 3;
}

int MSlider::OnControlSetCursor(unsigned, Point pt) {
    SetCursorEx(ThumbRect().Contains(pt) || dragging_ ? "hand" : "arrow");
    return 1;
}

int MSlider::OnControlMouseMove(unsigned, Point pt) {
    if (dragging_) {
        MoveThumbPos(pt.x, true);
        return 1;
    }
    const bool over = ThumbRect().Contains(pt);
    SetState(over ? 1 : 0);
    return PtInRect(pt) ? 1 : 0;
}

int MSlider::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    if (ThumbRect().Contains(pt)) {
        dragging_ = true;
    } else {
        MoveThumbPos(pt.x, true);
        dragging_ = ThumbRect().Contains(pt);
    }
    SetState(dragging_ ? 2 : 1);
    return 1;
}

int MSlider::OnControlLButtonUp(unsigned, Point pt) {
    dragging_ = false;
    SetState(ThumbRect().Contains(pt) ? 1 : 0);
    SendMessageW(2, 0, 0);
    return 1;
}

void MSlider::DrawControl(cairo_t* target, const Rect& clip) {
    const Rect r = GetRect();
    const Size t = GetThumbSize();
    const Rect thumb = ThumbRect();
    const Size trackImage = GetImageSize();
    PictureKey key;
    key.Add(r).Add(t.cx).Add(t.cy).Add(thumb).Add(trackImage.cx).Add(trackImage.cy);
    key.Add(GetImage().get()).Add(IsEnabled()).Add(state_).Add(scale_).Add(thumbImage_.get());
    key.Add(thumbFrameCx_).Add(thumbFrameCy_).Add(thumbFrames_).Add(showText_).Add(value_.load());
    key.Add(static_cast<int64_t>(Manager::GetSelectColor())).Add(MakeTextStyle(GetTextColor()));
    DrawThroughCache(target, clip, key.Str(), [&](cairo_t* cr) {
        // The track runs between the thumb's centres at both ends.
        const int th = trackImage.cy > 0 ? std::min(trackImage.cy, r.Height()) : kTrackHeight;
        const int ty = r.top + (r.Height() - th) / 2;
        const Rect track{r.left + t.cx / 2, ty, r.right - (t.cx - t.cx / 2), ty + th};
        if (GetImage())
            DrawImageState(cr, 0, track, std::min(3, th / 2));
        else
            MRender::DrawRoundRectange(cr, track.left, track.top, track.Width(), track.Height(),
                                       th / 2, 0xFF3A3F47, 0, true, 0xFF3A3F47);
        const int fill = thumb.left + t.cx / 2 - track.left;
        if (fill > 0 && IsEnabled())
            MRender::DrawRoundRectange(cr, track.left, track.top, fill, track.Height(), th / 2,
                                       Manager::GetSelectColor(), 0, true,
                                       Manager::GetSelectColor());

        if (scale_ > 1) {
            const int y = std::min(r.bottom - 1, thumb.bottom + 2);
            for (int i = 0; i < scale_; ++i) {
                const int x = track.left + (track.Width() - 1) * i / (scale_ - 1);
                MRender::DrawColor(cr, Rect{x, y - 4, x + 1, y}, 0xFF6A6F78);
            }
        }

        const int frame = std::min(IsEnabled() ? state_ : 3, thumbFrames_ - 1);
        if (thumbImage_ && thumbFrameCx_ > 0) {
            MRender::DrawImagePart(cr, thumbImage_->Surface(0), thumb, frame * thumbFrameCx_, 0,
                                   thumbFrameCx_, thumbFrameCy_);
        } else {
            const uint32_t c = !IsEnabled() ? 0xFF5A5F68 : frame == 2 ? 0xFFB0B8C4 : 0xFFE6E9EE;
            MRender::DrawRoundRectange(cr, thumb.left, thumb.top, thumb.Width(), thumb.Height(), 4,
                                       0xFF14171C, 1, true, c);
        }

        if (showText_) {
            // The value sits above the thumb when there is room, else beside the track's end.
            const Rect box{thumb.left - 20, r.top, thumb.right + 20, thumb.top};
            const uint32_t color = IsEnabled() ? GetTextColor() : 0xFF808080;
            TextStyle style = MakeTextStyle(color);
            style.hAlign = TextStyle::Center;
            style.vAlign = TextStyle::Far;
            if (!style.family.empty() && box.Height() > 0)
                MRender::DrawTextW(cr, box, std::to_string(value_), style);
        }
    });
}

} // namespace Tolva
