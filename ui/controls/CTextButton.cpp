#include "ui/controls/CTextButton.h"

#include "ui/controls/ControlCreator.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CTextButton", TitledCreator<CTextButton>());
} // namespace

CTextButton::CTextButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {}

void CTextButton::SetTextButtonColor(uint32_t normal, uint32_t hover, uint32_t pressed,
                                     uint32_t disabled) {
    colors_[0] = normal;
    colors_[1] = hover;
    colors_[2] = pressed;
    colors_[3] = disabled;
    UpdateControl(true);
}

uint32_t CTextButton::GetTextButtonColor(int state) const {
    return state >= 0 && state < 4 ? colors_[state] : 0;
}

void CTextButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    DrawImageState(cr, FrameFor(state), box, GetFrameSize());
    DrawTitle(cr, TitleBox(box), colors_[state]);
}

} // namespace Tolva
