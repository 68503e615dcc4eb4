#include "ui/controls/MScroll.h"

#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {

MScroll::MScroll(MObject* parent, unsigned id, const Rect& rect, bool vertical,
                 const std::string& title, bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled), vertical_(vertical) {}

void MScroll::InitControl(PaintManager* manager) {
    if (!manager) return;
    const int res = vertical_ ? manager->GetScrollResIDV() : manager->GetScrollResIDH();
    if (!SetScrollResID(res)) SetImage(DefaultImage(), 4);
}

std::string MScroll::ImageForResID(int resourceId) const {
    if (resourceId == (vertical_ ? kVerticalResID : kHorizontalResID)) return DefaultImage();
    return "res_" + std::to_string(resourceId) + ".png";
}

int MScroll::SetScrollResID(int resourceId) {
    return SetImage(ImageForResID(resourceId), 4);
}

void MScroll::SetControlEnabled(bool enabled) {
    if (!enabled) dragging_ = false;
    MControlFont::SetControlEnabled(enabled);
}

void MScroll::SetScrollMaxRange(int range) {
    range_ = std::max(range, 0);
    pos_ = std::clamp(pos_.load(), 0, range_.load());
    UpdateControl(true);
}

bool MScroll::SetScrollCurrentPos(int pos) {
    return SetPos(pos, false);
}

bool MScroll::SetScrollFinalPos() {
    return SetPos(range_, true);
}

void MScroll::SetScrollSize(int page) {
    page_ = std::max(page, 0);
    UpdateControl(true);
}

void MScroll::SetScrollInfo(int range, int page, int pos) {
    range_ = std::max(range, 0);
    page_ = std::max(page, 0);
    pos_ = std::clamp(pos, 0, range_.load());
    UpdateControl(true);
}

int MScroll::ScrollRow(int rows) {
    SetPos(pos_ + rows * lineStep_, true);
    return pos_;
}

void MScroll::SetRange(int range, int page) {
    range_ = std::max(range, 0);
    page_ = std::max(page, 0);
    pos_ = std::clamp(pos_.load(), 0, range_.load());
}

bool MScroll::SetPos(int pos, bool notify) {
    pos = std::clamp(pos, 0, range_.load());
    if (pos == pos_) return false;
    pos_ = pos;
    UpdateControl(true);
    if (notify) SendMessageW(8, static_cast<WPARAM>(pos), 0);
    return true;
}

Rect MScroll::ThumbRect() const {
    const Rect r = GetRect();
    const int length = vertical_ ? r.Height() : r.Width();
    const int range = range_, page = page_, pos = pos_;
    if (range <= 0 || length <= 0) return r;
    const int thumb = std::clamp(static_cast<int>(static_cast<long long>(length) * page / range),
                                 std::min(10, length), length);
    const int travel = length - thumb;
    const int at = static_cast<int>(static_cast<long long>(travel) * pos / range);
    return vertical_ ? Rect{r.left, r.top + at, r.right, r.top + at + thumb}
                     : Rect{r.left + at, r.top, r.left + at + thumb, r.bottom};
}

int MScroll::GetThumbState() const {
    if (!IsEnabled()) return 3;
    if (dragging_) return 2;
    return hover_ ? 1 : 0;
}

void MScroll::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (r.Intersect(clip).IsEmpty()) return;
    MRender::DrawColor(cr, r.Intersect(clip), 0x30FFFFFF);
    const Rect t = ThumbRect();
    const int state = GetThumbState();
    if (GetImage() && GetImageCount() >= 4) {
        const int corner = std::max(0, std::min(t.Width(), t.Height()) / 2);
        DrawImageState(cr, state, t, corner);
        return;
    }
    const int radius = std::min(t.Width(), t.Height()) / 2;
    MRender::DrawRoundRectange(cr, t.left, t.top, t.Width(), t.Height(), radius, 0, 0, true,
                               state == 2   ? 0xFF10A8FD
                               : state == 1 ? 0xFF3CBCFF
                               : state == 3 ? 0x80808080
                                            : 0xC0A0A0A0);
}

int MScroll::OnControlLButtonDown(unsigned flags, Point pt) {
    if (!PtInRect(pt)) return 0;
    const Rect t = ThumbRect();
    if (!t.Contains(pt)) {
        // A press beside the thumb pages towards the press.
        const bool before = vertical_ ? pt.y < t.top : pt.x < t.left;
        SetPos(pos_ + (before ? -page_.load() : page_.load()));
        return 1;
    }
    dragging_ = true;
    dragOffset_ = vertical_ ? pt.y - t.top : pt.x - t.left;
    UpdateControl(true);
    return 1;
}

int MScroll::OnControlMouseMove(unsigned flags, Point pt) {
    if (!dragging_) {
        const bool inside = PtInRect(pt);
        if (inside != hover_) {
            hover_ = inside;
            UpdateControl(true);
        }
        return inside ? 1 : 0;
    }
    const Rect r = GetRect();
    const Rect t = ThumbRect();
    const int length = vertical_ ? r.Height() : r.Width();
    const int thumb = vertical_ ? t.Height() : t.Width();
    const int travel = length - thumb;
    if (travel <= 0) return 1;
    const int at = (vertical_ ? pt.y - r.top : pt.x - r.left) - dragOffset_;
    SetPos(static_cast<int>(static_cast<long long>(std::clamp(at, 0, travel)) * range_ / travel));
    return 1;
}

int MScroll::OnControlLButtonUp(unsigned flags, Point pt) {
    if (!dragging_) return 0;
    dragging_ = false;
    hover_ = PtInRect(pt);
    UpdateControl(true);
    return 1;
}

int MScroll::OnControlScroll(int delta, unsigned flags, Point pt) {
    if (delta == 0 || range_ <= 0) return 0;
    // Turning the wheel away from the user moves towards the start.
    ScrollRow(delta > 0 ? -1 : 1);
    return 1;
}

} // namespace Tolva
