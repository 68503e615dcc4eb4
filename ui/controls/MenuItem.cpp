#include "ui/controls/MenuItem.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/Manager.h"
#include "ui/core/MenuWnd.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("MenuItem", TitledCreator<MenuItem>());

} // namespace

MenuItem::MenuItem(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                   bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    SetFontWidth(10);
    if (!enabled) state_ = 3;
}

MenuItem::~MenuItem() = default;

void MenuItem::SetState(int state) {
    if (state_ == state) return;
    state_ = state;
    UpdateControl(true);
}

void MenuItem::SetControlEnabled(bool enabled) {
    MControlFont::SetControlEnabled(enabled);
    state_ = enabled ? 0 : 3;
}

void MenuItem::SetCheck(bool check) {
    checkable_ = true;
    if (check && !group_.empty()) ResetGroupCheck();
    if (check_ == check) return;
    check_ = check;
    UpdateControl(true);
}

void MenuItem::ResetGroupCheck() {
    if (group_.empty()) return;
    std::vector<MControl*> siblings;
    if (MControl* parent = GetParentControl())
        siblings = parent->GetControls();
    else if (manager_)
        siblings = manager_->GetControls();
    for (MControl* c : siblings) {
        auto* item = dynamic_cast<MenuItem*>(c);
        if (!item || item == this || item->group_ != group_ || !item->check_) continue;
        item->check_ = false;
        item->UpdateControl(true);
    }
}

void MenuItem::SetSeparator(bool on) {
    separator_ = on;
    SetRresponse(!on);
    UpdateControl(true);
}

bool MenuItem::ShowPopupMenu() {
    if (!popup_ || !manager_ || !manager_->GetHwnd()) return false;
    const Rect r = GetRect();
    popup_->SetPosition(manager_->GetHwnd()->ClientToScreen(Point{r.right, r.top}));
    return popup_->Show() != nullptr;
}

int MenuItem::OnControlSetCursor(unsigned flags, Point pt) {
    if (PtInRect(pt)) SetCursorEx("hand");
    return 0;
}

int MenuItem::OnControlMouseMove(unsigned flags, Point pt) {
    if (separator_ || state_ == 2) return PtInRect(pt) ? 1 : 0;
    const bool inside = PtInRect(pt);
    SetState(inside ? 1 : 0);
    return inside ? 1 : 0;
}

int MenuItem::OnControlLButtonDown(unsigned flags, Point pt) {
    if (separator_ || !PtInRect(pt)) return 0;
    SetState(2);
    if (!group_.empty()) {
        SetCheck(true);
    } else if (checkable_) {
        check_ = !check_;
        UpdateControl(true);
    }
    SendMessageW(7, check_ ? 1 : 0, 1);
    return 1;
}

int MenuItem::OnControlLButtonUp(unsigned flags, Point pt) {
    if (separator_) return 0;
    const bool wasPressed = state_ == 2;
    const bool inside = PtInRect(pt);
    SetState(inside ? 1 : 0);
    if (!wasPressed || !inside) return 1;
    if (popup_) {
        ShowPopupMenu();
        return 1;
    }
    SendMessageW(2, check_ ? 1 : 0, 0);
    return 1;
}

void MenuItem::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (!UpdateMemDC(r.Width(), r.Height())) {
        BlitCache(cr, clip);
        return;
    }
    cairo_t* mem = cairo_create(MemSurface());
    const Rect local{0, 0, r.Width(), r.Height()};
    if (separator_) {
        MRender::DrawColor(mem, {8, local.Height() / 2, local.right - 8, local.Height() / 2 + 1},
                           0xFF3A4048);
    } else {
        if (state_ == 1 || state_ == 2) {
            const uint32_t sel = Manager::GetSelectColor();
            MRender::DrawColor(mem, local, state_ == 2 ? sel : (sel & 0x00FFFFFF) | 0x60000000);
        }
        // The icon strip's frame for the state, centred in the left margin.
        const Size icon = GetImageSize();
        if (GetImage() && icon.cx > 0) {
            const int x = (kLeftMargin - icon.cx) / 2;
            const int y = (local.Height() - icon.cy) / 2;
            DrawImageState(mem, std::min(state_, GetImageCount() - 1),
                           {x, y, x + icon.cx, y + icon.cy}, 0);
        } else if (check_) {
            // A tick where the icon would be.
            CairoStateGuard guard(mem);
            MRender::SetSourceARGB(mem, GetTextColor());
            cairo_set_line_width(mem, 2);
            const double cy = local.Height() / 2.0;
            cairo_move_to(mem, 12, cy);
            cairo_line_to(mem, 16, cy + 4);
            cairo_line_to(mem, 24, cy - 5);
            cairo_stroke(mem);
        }
        const uint32_t color = IsEnabled() ? GetTextColor() : 0xFF808080;
        TextStyle style = MakeTextStyle(color);
        style.vAlign = TextStyle::Center;
        if (!style.family.empty())
            MRender::DrawTextW(mem, {kLeftMargin, 0, local.right - 4, local.bottom},
                               GetControlTitle(), style);
    }
    cairo_destroy(mem);
    BlitCache(cr, clip);
}

} // namespace Tolva
