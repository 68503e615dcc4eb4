#include "ui/core/CArea.h"

#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {

CArea::CArea(MObject* parent, unsigned id, const Rect& rect, bool visible, bool enabled)
    : MControl(parent, id, rect, visible, enabled) {
    SetRresponse(false);
}

void CArea::SetTransparent(int start, int end, uint32_t color, bool vertical) {
    start_ = std::clamp(start, 0, 100);
    end_ = std::clamp(end, 0, 100);
    color_ = color;
    vertical_ = vertical;
    UpdateControl(true);
}

void CArea::SetFrame(bool on, uint32_t color) {
    frame_ = on;
    frameColor_ = color;
    UpdateControl(true);
}

int CArea::LineAlpha(int index, int count) const {
    const int first = 255 - std::min(start_, end_) * 255 / 100;
    const int last = (100 - std::max(start_, end_)) * 255 / 100;
    const int from = start_ < end_ ? first : last;
    const int to = start_ < end_ ? last : first;
    if (count <= 1) return from;
    return from + (to - from) * index / (count - 1);
}

void CArea::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (start_ == 0 && end_ == 0) {
        MRender::DrawColor(cr, r.Intersect(clip), color_);
        if (frame_) MRender::DrawRectangle(cr, r, frameColor_, 1);
        return;
    }
    // A layer of the colour blended over what lies below, one alpha per line.
    const int count = vertical_ ? r.Height() : r.Width();
    const uint32_t rgb = color_ & 0xFFFFFF;
    for (int i = 0; i < count; ++i) {
        const Rect line = vertical_ ? Rect{r.left, r.top + i, r.right, r.top + i + 1}
                                    : Rect{r.left + i, r.top, r.left + i + 1, r.bottom};
        if (!line.Intersects(clip)) continue;
        const auto a = static_cast<uint32_t>(std::clamp(LineAlpha(i, count), 0, 255));
        MRender::DrawColor(cr, line.Intersect(clip), (a << 24) | rgb);
    }
}

} // namespace Tolva
