#include "ui/widgets/CColorButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("CColorButton", TitledCreator<CColorButton>());

} // namespace

CColorButton::CColorButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {}

void CColorButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    MRender::FillSolidRect(cr, box, color_);
    const int frame = GetCheck() ? 2 : (state == Hover || state == Pressed ? 1 : 0);
    uint32_t border = 0;
    if (state == Disabled)
        border = kBorderDisabled;
    else if (frame == 2)
        border = kBorderChecked;
    else if (frame == 1 || visibleBorder_)
        border = kBorderNormal;
    if (border) MRender::DrawRectangle(cr, box, border, 2);
    if (!GetControlTitle().empty()) DrawTitle(cr, box, TitleColor(state));
}

int CColorButton::OnControlLButtonDown(unsigned flags, Point pt) {
    if (!PtInRect(pt)) return 0;
    // Checked before notification 1, so that the owner reading the group sees this one.
    SetCheck(true);
    return CButtonBase::OnControlLButtonDown(flags, pt);
}

void CColorButton::SetColor(uint32_t colorRef) {
    colorRef &= 0xFFFFFF;
    if (color_ == colorRef) return;
    color_ = colorRef;
    UpdateControl(true);
}

void CColorButton::SetCheck(bool on) {
    if (!IsEnabled()) return;
    if (on) ResetGroupCheck();
    SetControlCheck(on);
}

void CColorButton::SetControlCheck(bool on) {
    CButtonBase::SetCheck(on);
}

void CColorButton::ResetGroupCheck() {
    std::vector<MControl*> siblings;
    if (MControl* parent = GetParentControl())
        siblings = parent->GetControls();
    else if (manager_)
        siblings = manager_->GetControls();
    const std::string group = GetGroupName();
    for (MControl* c : siblings) {
        auto* other = dynamic_cast<CColorButton*>(c);
        if (!other || other == this || !other->IsVisible() || !other->IsEnabled()) continue;
        if (other->GetGroupName() != group) continue;
        other->SetControlCheck(false);
    }
}

void CColorButton::SetVisibleBorder(bool on) {
    if (visibleBorder_ == on) return;
    visibleBorder_ = on;
    UpdateControl(true);
}

} // namespace Tolva
