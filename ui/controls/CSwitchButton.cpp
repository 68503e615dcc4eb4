#include "ui/controls/CSwitchButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/paint/MRender.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CSwitchButton", TitledCreator<CSwitchButton>());
} // namespace

CSwitchButton::CSwitchButton(MObject* parent, unsigned id, const Rect& rect,
                             const std::string& title, bool visible, bool enabled)
    : CCheckButton(parent, id, rect, title, visible, enabled) {}

LPARAM CSwitchButton::OnClick() {
    SetCheck(!GetCheck());
    return GetCheck() ? 1 : 0;
}

void CSwitchButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    if (GetImage()) {
        DrawBoxAndTitle(cr, state, box);
        return;
    }
    // No skin image: a drawn track and knob.
    const int h = std::min(box.Height(), 20), w = h * 2;
    const int top = box.top + (box.Height() - h) / 2;
    const bool on = GetCheck();
    const uint32_t track = state == Disabled ? 0xFF2A2E35 : on ? 0xFF10A8FD : 0xFF3A3F47;
    MRender::DrawRoundRectange(cr, box.left, top, w, h, h / 2, track, 1, true, track);
    const int knob = h - 4;
    const int kx = on ? box.left + w - knob - 2 : box.left + 2;
    MRender::DrawRoundRectange(cr, kx, top + 2, knob, knob, knob / 2, 0xFFFFFFFF, 1, true,
                               state == Disabled ? 0xFF6A6F78 : 0xFFFFFFFF);
    DrawTitle(cr, Rect{box.left + w + 6, box.top, box.right, box.bottom}, TitleColor(state));
}

} // namespace Tolva
