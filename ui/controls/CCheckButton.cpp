#include "ui/controls/CCheckButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/paint/MRender.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CCheckButton", TitledCreator<CCheckButton>());
} // namespace

CCheckButton::CCheckButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {
    SetAlignment(TextStyle::Near, TextStyle::Center);
}

void CCheckButton::InitControl(PaintManager* manager) {
    if (manager && !GetImage()) SetImage(DefaultImage(), 8);
}

LPARAM CCheckButton::OnClick() {
    SetCheck(!GetCheck());
    return 0;
}

void CCheckButton::DrawBoxAndTitle(cairo_t* cr, int state, const Rect& box) {
    const Size frame = GetImageSize();
    int textLeft = box.left;
    if (frame.cx > 0) {
        const int w = std::min(frame.cx, box.Width()), h = std::min(frame.cy, box.Height());
        const int top = box.top + (box.Height() - h) / 2;
        DrawImageState(cr, FrameFor(state), Rect{box.left, top, box.left + w, top + h}, 0);
        textLeft = box.left + w + 6;
    }
    const Rect text =
        GetTextRect().IsEmpty() ? Rect{textLeft, box.top, box.right, box.bottom} : TitleBox(box);
    DrawTitle(cr, text, TitleColor(state));
}

void CCheckButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    DrawBoxAndTitle(cr, state, box);
}

} // namespace Tolva
