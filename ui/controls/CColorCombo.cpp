#include "ui/controls/CColorCombo.h"

#include "ui/core/ControlFactory.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {

// Not in the dialog's or panel's list of names: made by its owner, or by name where a host
// accepts it.
const ControlFactory::Registrar
    kRegistrar("CColorCombo",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<CColorCombo>(parent, id, rect, title, visible, enabled);
               });

constexpr int kArrowWidth = 24;

} // namespace

CColorCombo::CColorCombo(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    if (!enabled) state_ = 3;
}

void CColorCombo::SetAreaColor(uint32_t argb) {
    if (color_ == argb) return;
    color_ = argb;
    UpdateControl(true);
}

void CColorCombo::SetIsOpen(bool open) {
    if (open_ == open) return;
    open_ = open;
    UpdateControl(true);
}

Rect CColorCombo::AreaRect() const {
    const Rect r = GetRect();
    const int inset = std::clamp(r.Height() / 5, 2, 6);
    return {r.left + inset, r.top + inset, std::max(r.left + inset, r.right - kArrowWidth),
            r.bottom - inset};
}

void CColorCombo::SetState(int state) {
    if (state_ == state) return;
    state_ = state;
    UpdateControl(true);
}

void CColorCombo::SetControlEnabled(bool enabled) {
    MControlFont::SetControlEnabled(enabled);
    pressed_ = false;
    state_ = enabled ? 0 : 3;
}

int CColorCombo::OnControlSetCursor(unsigned, Point pt) {
    SetCursorEx(PtInRect(pt) ? "hand" : "arrow");
    return 1;
}

int CColorCombo::OnControlMouseMove(unsigned, Point pt) {
    const bool inside = PtInRect(pt);
    if (!pressed_) SetState(inside ? 1 : 0);
    return inside ? 1 : 0;
}

int CColorCombo::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    pressed_ = true;
    SetState(2);
    SendMessageW(1, 0, 0);
    return 1;
}

int CColorCombo::OnControlLButtonUp(unsigned, Point pt) {
    const bool was = pressed_;
    pressed_ = false;
    const bool inside = PtInRect(pt);
    SetState(inside ? 1 : 0);
    if (was && inside) SendMessageW(2, 0, 0);
    return was ? 1 : 0;
}

void CColorCombo::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr);
    const int state = IsEnabled() ? state_.load() : 3;
    if (GetImage()) {
        DrawImageState(cr, std::min(state, GetImageCount() - 1), r, 6);
    } else {
        const uint32_t fill = state == 2 ? 0xFF15191E : state == 1 ? 0xFF2B3038 : 0xFF252A31;
        const uint32_t border = state == 1 || state == 2 ? 0xFF10A8FD : 0xFF3A3F47;
        MRender::DrawRoundRectange(cr, r.left, r.top, r.Width() - 1, r.Height() - 1, 5, border, 1,
                                   true, fill);
    }
    const Rect area = AreaRect();
    uint32_t c = color_;
    if (!IsEnabled()) c = (c & 0x00FFFFFF) | 0x60000000;
    MRender::DrawRoundRectange(cr, area.left, area.top, area.Width(), area.Height(), 3, 0xFF14171C,
                               1, true, c);
    const uint32_t ink = IsEnabled() ? GetTextColor() : 0xFF808080;
    MRender::DrawDropArrow(cr, r.right - kArrowWidth / 2.0, r.top + r.Height() / 2.0, open_, ink);
}

} // namespace Tolva
