#include "ui/controls/MLevelCtrl.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/Manager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("MLevelCtrl", TitledCreator<MLevelCtrl>());
constexpr int kGap = 3;
} // namespace

MLevelCtrl::MLevelCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                       bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    SetImageCount(2);
}

int MLevelCtrl::SetLevelValue(int level) {
    if (level < min_ || level > max_) return 0;
    if (level_ != level) {
        level_ = level;
        UpdateControl(true);
    }
    return 1;
}

int MLevelCtrl::SetRangeValue(int minimum, int maximum) {
    if (minimum > maximum || static_cast<int64_t>(maximum) - minimum >= 100) return 0;
    min_ = minimum;
    max_ = maximum;
    level_ = std::clamp(level_, min_, max_);
    UpdateControl(true);
    return 1;
}

int MLevelCtrl::LevelAt(Point pt) const {
    const Rect r = GetRect();
    if (!r.Contains(pt)) return min_ - 1;
    const int count = max_ - min_ + 1;
    const int index = static_cast<int>(static_cast<int64_t>(pt.x - r.left) * count / r.Width());
    return min_ + std::clamp(index, 0, count - 1);
}

int MLevelCtrl::OnControlMouseMove(unsigned, Point pt) {
    const bool inside = PtInRect(pt);
    SetCursorEx(inside ? "hand" : "arrow");
    return inside ? 1 : 0;
}

int MLevelCtrl::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    pressed_ = true;
    return 1;
}

int MLevelCtrl::OnControlLButtonUp(unsigned, Point pt) {
    const bool was = pressed_;
    pressed_ = false;
    const int level = LevelAt(pt);
    if (!was || level < min_) return 1;
    SetLevelValue(level);
    SendMessageW(2, static_cast<WPARAM>(level), 0);
    return 1;
}

void MLevelCtrl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        const int count = max_ - min_ + 1;
        const std::shared_ptr<Image> image = GetImage();
        for (int i = 0; i < count; ++i) {
            const int x0 = r.Width() * i / count, x1 = r.Width() * (i + 1) / count;
            // Bars grow in height towards the higher levels.
            const int h = r.Height() * (i + 1 + count) / (2 * count);
            const Rect bar{x0, r.Height() - h, std::max(x0 + 1, x1 - kGap), r.Height()};
            const bool lit = min_ + i <= level_;
            if (image) {
                const Rect src = FrameSource(lit ? 1 : 0);
                MRender::DrawImageFrame(mem, image->Surface(0), bar, src.left, src.top, src.Width(),
                                        src.Height(), 2);
            } else {
                const uint32_t color = !IsEnabled() ? (lit ? 0xFF3A5A70 : 0xFF2A2E35)
                                       : lit        ? Manager::GetSelectColor()
                                                    : 0xFF3A3F47;
                MRender::DrawColor(mem, bar, color);
            }
        }
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
