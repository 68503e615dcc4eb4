#include "ui/controls/CHelpButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/Manager.h"
#include "ui/paint/MRender.h"

#include <algorithm>
#include <cmath>

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CHelpButton", TitledCreator<CHelpButton>());
} // namespace

CHelpButton::CHelpButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {}

void CHelpButton::InitControl(PaintManager* manager) {
    if (manager && !GetImage()) SetImage("btn_help.png", 4);
}

void CHelpButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    if (GetImage()) {
        const Size frame = GetImageSize();
        const Point o = MRender::GetOriginPoint(box, frame, TextStyle::Center, TextStyle::Center);
        DrawImageState(cr, state, Rect{o.x, o.y, o.x + frame.cx, o.y + frame.cy}, 0);
        return;
    }
    const double d = std::min(box.Width(), box.Height()) - 2;
    if (d <= 0) return;
    const double cx = box.left + box.Width() / 2.0, cy = box.top + box.Height() / 2.0;
    cairo_arc(cr, cx, cy, d / 2, 0, 2 * M_PI);
    MRender::SetSourceARGB(cr, state == Disabled  ? 0xFF3A3F47
                               : state == Hover   ? 0xFF10A8FD
                               : state == Pressed ? 0xFF0B78B8
                                                  : 0xFF4A515C);
    cairo_fill(cr);
    TextStyle style = MakeTextStyle(state == Disabled ? 0xFF808080 : 0xFFFFFFFF);
    style.size = std::max(6.0, d * 0.5); // points
    style.hAlign = style.vAlign = TextStyle::Center;
    MRender::DrawTextW(cr, box, "?", style);
}

} // namespace Tolva
