#include "ui/controls/CSliderPicture.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CSliderPicture", TitledCreator<CSliderPicture>());
} // namespace

CSliderPicture::CSliderPicture(MObject* parent, unsigned id, const Rect& rect,
                               const std::string& title, bool visible, bool enabled)
    : MPicture(parent, id, rect, title, visible, enabled) {}

CSliderPicture::~CSliderPicture() {
    running_ = false;
    if (manager_) manager_->RemoveMTimer(this);
}

int CSliderPicture::SetRun(bool run) {
    if (!manager_) return 0;
    running_ = run;
    if (run) {
        SetRunTimer(true);
        AddMTimer();
    }
    return 1;
}

int CSliderPicture::OnControlTimerKey(uint32_t key) {
    if (!running_ || key != kAnimationTick) return 0;
    const int count = GetImageCount();
    if (count > 1) {
        if (++ticks_ % kTicksPerFrame != 0) return 1;
        frame_ = (frame_ + 1) % count;
    } else {
        const int width = GetRect().Width();
        offset_ = width > 0 ? (offset_ + 1) % width : 0;
    }
    UpdateControl(true);
    return 1;
}

void CSliderPicture::DrawPicture(cairo_t* cr, const Rect& box) {
    const int dx = offset_;
    if (GetImageCount() > 1 || dx == 0) {
        MPicture::DrawPicture(cr, box);
        return;
    }
    // The picture and its wrapped copy, side by side.
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, box.left, box.top, box.Width(), box.Height());
    cairo_clip(cr);
    MPicture::DrawPicture(cr, box.Offset(-dx, 0));
    MPicture::DrawPicture(cr, box.Offset(box.Width() - dx, 0));
}

} // namespace Tolva
