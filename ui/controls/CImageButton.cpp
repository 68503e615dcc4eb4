#include "ui/controls/CImageButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/MDialog.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CImageButton", TitledCreator<CImageButton>());
} // namespace

CImageButton::CImageButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : MButton(parent, id, rect, title, visible, enabled) {}

CImageButton::~CImageButton() {
    if (balloonShown_ && manager_) manager_->ShowAirBladder(false, this);
}

void CImageButton::SetAlrBladderMode(bool on, const std::string& text, int type) {
    if (!on) ShowBalloon(false);
    bladder_ = on;
    bladderType_ = type;
    if (!on) return;
    bladderText_ = text.empty() ? GetTooltip() : text;
    // One tip at a time: the balloon replaces the plain tool tip.
    SetTooltip(std::string());
}

void CImageButton::ShowBalloon(bool show) {
    if (!manager_ || show == balloonShown_) return;
    if (show) {
        if (bladderText_.empty()) return;
        const Rect r = GetRect();
        Point anchor{r.left + r.Width() / 2, r.bottom};
        if (auto* dlg = dynamic_cast<MDialog*>(manager_->GetWindow()))
            anchor = dlg->GetAirBladderPoint(this, bladderType_);
        else if (MWindow* w = manager_->GetWindow())
            anchor = w->ClientToScreen(anchor);
        manager_->SetAirBladderMsg(bladderText_, anchor, bladderType_, 0);
    }
    if (manager_->ShowAirBladder(show, this)) balloonShown_ = show;
}

int CImageButton::OnControlMouseMove(unsigned flags, Point pt) {
    const int r = MButton::OnControlMouseMove(flags, pt);
    if (bladder_) ShowBalloon(PtInRect(pt));
    return r;
}

void CImageButton::SetControlVisible(bool visible) {
    if (!visible) ShowBalloon(false);
    MButton::SetControlVisible(visible);
}

void CImageButton::SetControlEnabled(bool enabled) {
    if (!enabled) ShowBalloon(false);
    MButton::SetControlEnabled(enabled);
}

void CImageButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    // The image's own size when it fits, stretched nine-grid otherwise; no title.
    const Size frame = GetImageSize();
    if (frame.cx > 0 && frame.cx <= box.Width() && frame.cy <= box.Height()) {
        const Point o = MRender::GetOriginPoint(box, frame, TextStyle::Center, TextStyle::Center);
        DrawImageState(cr, FrameFor(state), Rect{o.x, o.y, o.x + frame.cx, o.y + frame.cy}, 0);
    } else {
        DrawImageState(cr, FrameFor(state), box, GetFrameSize());
    }
}

} // namespace Tolva
