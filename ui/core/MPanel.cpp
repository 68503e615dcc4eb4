#include "ui/core/MPanel.h"

#include "ui/controls/CScrollHorizontal.h"
#include "ui/controls/CScrollVertical.h"
#include "ui/core/ControlFactory.h"
#include "ui/paint/CairoStateGuard.h"

#include <algorithm>

namespace Tolva {

MPanel::MPanel(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
               bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    constexpr int t = MScroll::kThickness;
    vbar_ = static_cast<MScroll*>(AddChild(
        std::make_unique<CScrollVertical>(
            this, 1, Rect{rect.right - t, rect.top, rect.right, rect.bottom}, std::string(), false),
        1));
    hbar_ = static_cast<MScroll*>(
        AddChild(std::make_unique<CScrollHorizontal>(
                     this, 2, Rect{rect.left, rect.bottom - t, rect.right, rect.bottom},
                     std::string(), false),
                 1));
    vbar_->SetKeptChild(true);
    hbar_->SetKeptChild(true);
}

MControl* MPanel::CreateArea(const std::string& className, unsigned id, const Rect& rect,
                             const std::string& title, bool visible, bool enabled) {
    return CreateControl(0, this, className, id, rect, title, visible, enabled);
}

MControl* MPanel::CreateControl(int kind, MObject* parent, const std::string& className,
                                unsigned id, const Rect& rect, const std::string& title,
                                bool visible, bool enabled) {
    std::unique_ptr<MControl> c =
        ControlFactory::Create(ControlFactory::Host::Panel, className, parent ? parent : this, id,
                               rect, title, visible, enabled);
    if (!c) return nullptr;
    MControl* added = AddChild(std::move(c), kind);
    UpdateScrollBars();
    return added;
}

MControl* MPanel::CreateControl(const std::string& className, unsigned id, const Rect& rect,
                                const std::string& title, bool visible, bool enabled) {
    return CreateControl(1, this, className, id, rect, title, visible, enabled);
}

void MPanel::DrawControl(cairo_t* cr, const Rect& clip) {
    if (!GetImage()) return;
    CairoStateGuard guard(cr);
    const Rect r = GetRect();
    cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr);
    DrawImageState(cr, IsEnabled() ? 0 : std::min(3, GetImageCount() - 1), r, 4);
}

void MPanel::DrawSubControls(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    const Point off = ScrollOffset();
    {
        // The content moves under the panel; the bars stay where they are.
        CairoStateGuard guard(cr);
        const Rect visible = r.Intersect(clip);
        if (!visible.IsEmpty()) {
            cairo_rectangle(cr, visible.left, visible.top, visible.Width(), visible.Height());
            cairo_clip(cr);
            cairo_translate(cr, -off.x, -off.y);
            const Rect inner = visible.Offset(off.x, off.y);
            ControlsList().ForEach([&](MControl* c) {
                if (c != vbar_ && c != hbar_) c->Draw(cr, inner);
                return false;
            });
        }
    }
    if (vbar_) vbar_->Draw(cr, clip);
    if (hbar_) hbar_->Draw(cr, clip);
}

void MPanel::SetControlRect(const Rect& rect) {
    MControlFont::SetControlRect(rect);
    UpdateScrollBars();
}

void MPanel::UpdateScrollBars() {
    const Rect r = GetRect();
    int height = 0, width = 0;
    auto extent = [&](MControl* c) {
        if (c == vbar_ || c == hbar_) return false;
        const Rect cr = c->GetRect();
        height = std::max(height, cr.bottom - r.top);
        width = std::max(width, cr.right - r.left);
        return false;
    };
    ControlsList().ForEach(extent);
    AreasList().ForEach(extent);
    virtualHeight_ = height;
    virtualWidth_ = width;
    if (vbar_) {
        const Rect place{r.right - MScroll::kThickness, r.top, r.right, r.bottom};
        if (!(vbar_->GetRect() == place)) vbar_->SetRect(place);
        vbar_->SetRange(virtualHeight_, r.Height());
        vbar_->SetVisible(virtualHeight_ > r.Height());
    }
    if (hbar_) {
        const Rect place{r.left, r.bottom - MScroll::kThickness, r.right, r.bottom};
        if (!(hbar_->GetRect() == place)) hbar_->SetRect(place);
        hbar_->SetRange(virtualWidth_, r.Width());
        hbar_->SetVisible(virtualWidth_ > r.Width());
    }
}

void MPanel::SetVirtualHeight(int height) {
    virtualHeight_ = std::max(height, 0);
    if (vbar_) {
        vbar_->SetRange(virtualHeight_, GetRect().Height());
        vbar_->SetVisible(virtualHeight_ > GetRect().Height());
    }
}

void MPanel::SetVirtualWidth(int width) {
    virtualWidth_ = std::max(width, 0);
    if (hbar_) {
        hbar_->SetRange(virtualWidth_, GetRect().Width());
        hbar_->SetVisible(virtualWidth_ > GetRect().Width());
    }
}

Point MPanel::ScrollOffset() const {
    if (!scrollEnabled_) return {};
    const Rect r = GetRect();
    Point off;
    if (vbar_ && vbar_->GetRange() > 0 && virtualHeight_ > r.Height())
        off.y = (virtualHeight_ - r.Height()) * vbar_->GetPos() / vbar_->GetRange();
    if (hbar_ && hbar_->GetRange() > 0 && virtualWidth_ > r.Width())
        off.x = (virtualWidth_ - r.Width()) * hbar_->GetPos() / hbar_->GetRange();
    return off;
}

int MPanel::OnMousePointChange(Point& pt) {
    const Point off = ScrollOffset();
    pt.x += off.x;
    pt.y += off.y;
    return 0;
}

int MPanel::OnControlScroll(int delta, unsigned flags, Point pt) {
    if (!scrollEnabled_ || !vbar_ || virtualHeight_ <= GetRect().Height()) return 0;
    // Turning the wheel away from the user brings the top of the content into view.
    const int step = vbar_->GetLineStep();
    if (!vbar_->SetPos(vbar_->GetPos() + (delta > 0 ? -step : step), false)) return 1;
    UpdateControl(true);
    return 1;
}

int MPanel::OnControlUpdate(const Rect& rect, bool erase, MControl* control) {
    if (control == vbar_ || control == hbar_ || !GetParantObject())
        return MControlFont::OnControlUpdate(rect, erase, control);
    // A child's rectangle is in content coordinates; the window sees it shifted and clipped.
    const Point off = ScrollOffset();
    const Rect shown = rect.Offset(-off.x, -off.y).Intersect(GetRect());
    if (shown.IsEmpty()) return 0;
    return MControlFont::OnControlUpdate(shown, erase, control);
}

LRESULT MPanel::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    // The bars move the content; everything else goes on to the parent unchanged.
    if ((id == 1 || id == 2) && code == 8) {
        UpdateControl(true);
        return 1;
    }
    return MControlFont::OnBaseMessage(id, code, wparam, lparam);
}

} // namespace Tolva
