#include "ui/core/PanelScrollBar.h"

#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {

PanelScrollBar::PanelScrollBar(MObject* parent, unsigned id, const Rect& rect, bool vertical)
    : MControl(parent, id, rect, false, true), vertical_(vertical) {}

void PanelScrollBar::SetRange(int range, int page) {
    range_ = std::max(range, 0);
    page_ = std::max(page, 0);
    pos_ = std::clamp(pos_.load(), 0, range_.load());
}

bool PanelScrollBar::SetPos(int pos, bool notify) {
    pos = std::clamp(pos, 0, range_.load());
    if (pos == pos_) return false;
    pos_ = pos;
    UpdateControl(true);
    if (notify) SendMessageW(8, static_cast<WPARAM>(pos_), 0);
    return true;
}

Rect PanelScrollBar::ThumbRect() const {
    const Rect r = GetRect();
    const int length = vertical_ ? r.Height() : r.Width();
    if (range_ <= 0 || length <= 0) return r;
    const int thumb = std::clamp(length * page_ / std::max(range_.load(), 1), 10, length);
    const int travel = length - thumb;
    const int at = travel * pos_ / range_;
    return vertical_ ? Rect{r.left, r.top + at, r.right, r.top + at + thumb}
                     : Rect{r.left + at, r.top, r.left + at + thumb, r.bottom};
}

void PanelScrollBar::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    MRender::DrawColor(cr, r.Intersect(clip), 0x30FFFFFF);
    const Rect t = ThumbRect();
    const int radius = std::min(t.Width(), t.Height()) / 2;
    MRender::DrawRoundRectange(cr, t.left, t.top, t.Width(), t.Height(), radius, 0, 0, true,
                               dragging_ ? 0xFF10A8FD : 0xC0A0A0A0);
}

int PanelScrollBar::OnControlLButtonDown(unsigned flags, Point pt) {
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

int PanelScrollBar::OnControlMouseMove(unsigned flags, Point pt) {
    if (!dragging_) return 0;
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

int PanelScrollBar::OnControlLButtonUp(unsigned flags, Point pt) {
    if (!dragging_) return 0;
    dragging_ = false;
    UpdateControl(true);
    return 1;
}

} // namespace Tolva
