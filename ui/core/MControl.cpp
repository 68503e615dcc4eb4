#include "ui/core/MControl.h"

#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"

namespace Tolva {

MControl::MControl(MObject* parent, unsigned id, const Rect& rect, bool visible, bool enabled)
    : parent_(parent), id_(id), visible_(visible), enabled_(enabled), rect_(rect) {}

MControl::~MControl() {
    // Children first, while this object is still whole.
    auto controls = controls_.DetachAll();
    auto areas = areas_.DetachAll();
    hoverChild_ = nullptr;
    controls.clear();
    areas.clear();
    if (memSurface_) cairo_surface_destroy(memSurface_);
}

LRESULT MControl::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    return parent_ ? parent_->OnBaseMessage(id, code, wparam, lparam) : 0;
}

int MControl::OnControlUpdate(const Rect& rect, bool erase, MControl* control) {
    if (!parent_) return 0;
    return parent_->OnControlUpdate(rect, erase, control);
}

bool MControl::PtInRect(Point pt) const {
    return GetRect().Contains(pt);
}

void MControl::DrawSubControls(cairo_t* cr, const Rect& clip) {
    controls_.ForEach([&](MControl* c) {
        c->Draw(cr, clip);
        return false;
    });
}

void MControl::SetUpdate(bool update, bool children) {
    update_ = update;
    if (!children) return;
    auto mark = [&](MControl* c) {
        c->SetUpdate(update, true);
        return false;
    };
    areas_.ForEach(mark);
    controls_.ForEach(mark);
}

void MControl::SetControlFocus(bool focus) {
    focused_ = focus;
}

void MControl::SetControlRect(const Rect& rect) {
    {
        std::lock_guard guard(stateLock_);
        rect_ = rect;
    }
    OnPositionChange();
}

void MControl::SetControlVisible(bool visible) {
    visible_ = visible;
}

void MControl::SetControlEnabled(bool enabled) {
    enabled_ = enabled;
}

cairo_surface_t* MControl::GetControlDropBitmap() {
    const Rect r = GetRect();
    if (r.IsEmpty()) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, r.Width(), r.Height());
    cairo_t* cr = cairo_create(s);
    cairo_translate(cr, -r.left, -r.top);
    Draw(cr, r);
    cairo_destroy(cr);
    return s;
}

void MControl::InvalidateRect(const Rect& rect, bool erase) {
    if (manager_) manager_->InvalidateRect(rect, erase);
}

Point MControl::ChildPoint(const MControl* child, Point raw, Point translated) {
    const unsigned id = child->GetControlID();
    return id == 1 || id == 2 ? raw : translated;
}

int MControl::RouteInput(Input kind, unsigned flags, Point pt, int delta) {
    // Bookkeeping happens here once; the hooks below never see input for a hidden, unresponsive
    // or disabled control.
    if (!visible_ || !response_) return 0;
    if (!enabled_) {
        hoverChild_ = nullptr;
        capturedByChild_ = false;
        return 0;
    }
    Point inner = pt;
    OnMousePointChange(inner);
    MControl* hover = hoverChild_;
    const Point hoverPt = hover ? ChildPoint(hover, pt, inner) : Point{};
    const bool inHover =
        hover && hover->PtInRect(hoverPt) && hover->OnCheckMouseResponse(flags, hoverPt);

    switch (kind) {
    case Input::MouseMove: {
        if (hover && (inHover || capturedByChild_)) return hover->RouteInput(kind, flags, hoverPt);
        hoverChild_ = nullptr;
        std::string tip = GetTooltip();
        if (!tip.empty() && PtInRect(pt) && OnCheckMouseResponse(flags, pt) && manager_ &&
            manager_->GetTooltipCtrlID() != id_)
            manager_->SetTooltip(tip, GetRect(), id_);
        OnControlSetCursor(flags, pt);
        int reacted = OnControlMouseMove(flags, pt);
        controls_.ForEach([&](MControl* c) {
            const Point cp = ChildPoint(c, pt, inner);
            if (c->RouteInput(kind, flags, cp)) {
                reacted = 1;
                if (c->PtInRect(cp)) hoverChild_ = c;
            }
            return false;
        });
        return hoverChild_ || hover || reacted ? 1 : 0;
    }
    case Input::LButtonDown:
    case Input::RButtonDown:
        if (inHover) {
            capturedByChild_ = true;
            if (int r = hover->RouteInput(kind, flags, hoverPt)) return r;
        }
        return kind == Input::LButtonDown ? OnControlLButtonDown(flags, pt)
                                          : OnControlRButtonDown(flags, pt);
    case Input::LButtonUp:
    case Input::RButtonUp: {
        const bool toChild = hover && (capturedByChild_ || hover->PtInRect(hoverPt));
        capturedByChild_ = false;
        if (toChild) {
            if (int r = hover->RouteInput(kind, flags, hoverPt)) return r;
        }
        return kind == Input::LButtonUp ? OnControlLButtonUp(flags, pt)
                                        : OnControlRButtonUp(flags, pt);
    }
    case Input::LButtonDblClk:
    case Input::RButtonDblClk: {
        if (inHover) {
            capturedByChild_ = true;
            if (int r = hover->RouteInput(kind, flags, hoverPt)) return r;
        }
        const bool left = kind == Input::LButtonDblClk;
        // Without double clicks enabled the second click is just another press.
        if (!dblClk_)
            return left ? OnControlLButtonDown(flags, pt) : OnControlRButtonDown(flags, pt);
        if (left && PtInRect(pt)) SendMessageW(3, flags, MakeLParam(pt.x, pt.y));
        return left ? OnControlLButtonDblClk(flags, pt) : OnControlRButtonDblClk(flags, pt);
    }
    case Input::Wheel:
        if (inHover) {
            if (int r = hover->RouteInput(kind, flags, hoverPt, delta)) return r;
        }
        return OnControlScroll(delta, flags, pt);
    }
    return 0;
}

int MControl::OnKeyDown(unsigned key, unsigned repeat, unsigned modifiers) {
    if (!visible_ || !enabled_) return 0;
    if (int r = OnControlKeyDown(key, repeat, modifiers)) return r;
    int taken = 0;
    controls_.ForEach([&](MControl* c) {
        taken = c->OnKeyDown(key, repeat, modifiers);
        return taken != 0;
    });
    return taken;
}

namespace {
thread_local uint32_t t_timerKey = MControl::kAnimationTick;
} // namespace

uint32_t MControl::CurrentTimerKey() {
    return t_timerKey;
}

bool MControl::OnTimer(uint32_t key) {
    const uint32_t outer = t_timerKey;
    t_timerKey = key;
    bool active = OnControlTimerKey(key) != 0;
    controls_.ForEach([key, &active](MControl* c) {
        if (c->IsRunTimer() && c->IsVisible() && c->OnTimer(key)) active = true;
        return false;
    });
    t_timerKey = outer;
    return active;
}

void MControl::Draw(cairo_t* cr, const Rect& clip) {
    if (!visible_) return;
    if (!GetRect().Intersects(clip)) return;
    areas_.ForEach([&](MControl* a) {
        if (a->IsVisible() && a->GetRect().Intersects(clip)) a->Draw(cr, clip);
        return false;
    });
    {
        CairoStateGuard guard(cr);
        DrawControl(cr, clip);
    }
    CairoStateGuard guard(cr);
    DrawSubControls(cr, clip);
}

void MControl::SetRect(const Rect& rect) {
    const Rect old = GetRect();
    SetControlRect(rect);
    if (visible_ && parent_) parent_->OnControlUpdate(old.Union(rect), true, this);
}

Rect MControl::GetRect() const {
    std::lock_guard guard(stateLock_);
    return rect_;
}

void MControl::SetRunTimer(bool on) {
    runTimer_ = on;
    if (on && manager_) manager_->WakeAnimation();
}

void MControl::SetVisible(bool visible, bool redraw) {
    if (visible_ == visible) return;
    SetControlVisible(visible);
    // A control that animates stands still while hidden; the animation may have gone to sleep.
    if (visible && manager_) manager_->WakeAnimation();
    if (redraw && parent_) parent_->OnControlUpdate(GetRect(), true, this);
}

bool MControl::IsParentVisible() const {
    for (const MControl* c = this; c; c = c->GetParentControl())
        if (!c->IsVisible()) return false;
    return true;
}

void MControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    SetControlEnabled(enabled);
    if (visible_) UpdateControl(true);
}

void MControl::SetTooltip(const std::string& text) {
    std::lock_guard guard(stateLock_);
    tooltip_ = text;
}

void MControl::SetTooltip(const std::string& text, const Rect& rect) {
    SetTooltip(text);
    if (manager_) manager_->SetTooltip(text, rect, id_);
}

void MControl::ClearTooltip() {
    SetTooltip(std::string());
    if (manager_ && manager_->GetTooltipCtrlID() == id_) manager_->ClearTooltip();
}

std::string MControl::GetTooltip() const {
    std::lock_guard guard(stateLock_);
    return tooltip_;
}

void MControl::SetCursorEx(const char* cursorName) {
    if (manager_) manager_->SetCursor(cursorName);
}

void MControl::ShareTreeLock(const ControlList::Lock& lock) {
    // Children first: a list changes its lock only after its own walk has ended.
    auto share = [&](MControl* c) {
        c->ShareTreeLock(lock);
        return false;
    };
    areas_.ForEach(share);
    controls_.ForEach(share);
    areas_.ShareLock(lock);
    controls_.ShareLock(lock);
}

void MControl::SetManager(PaintManager* manager) {
    // Before InitControl: from there on the timer thread may walk the subtree.
    if (manager && areas_.GetLock() != manager->GetTreeLock())
        ShareTreeLock(manager->GetTreeLock());
    manager_ = manager;
    InitControl(manager);
    auto set = [&](MControl* c) {
        if (c->GetManager() != manager) c->SetManager(manager);
        return false;
    };
    areas_.ForEach(set);
    controls_.ForEach(set);
}

MControl* MControl::GetParentControl() const {
    return dynamic_cast<MControl*>(parent_);
}

MControl* MControl::GetControl(unsigned id) const {
    MControl* found = nullptr;
    auto search = [&](MControl* c) {
        if (c->GetControlID() == id)
            found = c;
        else
            found = c->GetControl(id);
        return found != nullptr;
    };
    if (!controls_.ForEach(search)) areas_.ForEach(search);
    return found;
}

MControl* MControl::AddChild(std::unique_ptr<MControl> child, int kind) {
    if (!child) return nullptr;
    if (!child->GetParantObject()) child->SetParent(this);
    child->SetManager(manager_);
    return (kind == 0 ? areas_ : controls_).Append(std::move(child));
}

bool MControl::RemoveControl(MControl* control) {
    if (!control || control->IsKeptChild()) return false;
    std::unique_ptr<MControl> owned = controls_.Detach(control);
    if (!owned) owned = areas_.Detach(control);
    if (!owned) return false;
    ForgetDescendant(control);
    if (manager_) {
        manager_->ForgetControl(control);
        manager_->Bury(std::move(owned));
    }
    return true;
}

void MControl::RemoveAllControl() {
    auto controls = controls_.DetachAll();
    hoverChild_ = nullptr;
    capturedByChild_ = false;
    for (auto& c : controls) {
        if (c->IsKeptChild()) {
            controls_.Append(std::move(c));
            continue;
        }
        if (!manager_) continue;
        manager_->ForgetControl(c.get());
        manager_->Bury(std::move(c));
    }
    controls.clear();
}

void MControl::ForgetDescendant(const MControl* control) {
    for (const MControl* c = hoverChild_; c; c = c->GetParentControl()) {
        if (c == control) {
            hoverChild_ = nullptr;
            capturedByChild_ = false;
            return;
        }
        if (c == this) return;
    }
}

void MControl::UpdateControl(bool erase, bool now) {
    UpdateControl(GetRect(), erase, now);
}

void MControl::UpdateControl(const Rect& rect, bool erase, bool now) {
    if (erase) update_ = false;
    if (!parent_ || !visible_) return;
    // A top-level control goes straight to its manager: animation ticks must not call into a
    // window object whose destruction has begun on the window thread.
    if (manager_ && parent_ == manager_->GetHost())
        manager_->OnControlUpdate(rect, erase, this);
    else
        parent_->OnControlUpdate(rect, erase, this);
    if (now && manager_) manager_->UpdateNow();
}

LRESULT MControl::SendMessageW(int code, WPARAM wparam, LPARAM lparam) {
    return parent_ ? parent_->OnBaseMessage(id_, code, wparam, lparam) : 0;
}

void MControl::AddMTimer() {
    if (manager_) manager_->AddMTimer(this);
}

bool MControl::IsFocusControl() const {
    return manager_ && manager_->GetFocusControl() == this;
}

bool MControl::UpdateMemDC(int cx, int cy) {
    if (cx <= 0 || cy <= 0) return false;
    if (!memSurface_ || cairo_image_surface_get_width(memSurface_) != cx ||
        cairo_image_surface_get_height(memSurface_) != cy) {
        if (memSurface_) cairo_surface_destroy(memSurface_);
        memSurface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cx, cy);
        update_ = false;
    }
    const bool redraw = !update_.exchange(true);
    if (redraw) {
        cairo_t* cr = cairo_create(memSurface_);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    return redraw;
}

void MControl::DropMemDC() {
    if (!memSurface_) return;
    cairo_surface_destroy(memSurface_);
    memSurface_ = nullptr;
    update_ = false;
}

void MControl::BlitCache(cairo_t* cr, const Rect& clip) {
    if (!memSurface_) return;
    const Rect r = GetRect();
    const Rect part = r.Intersect(clip);
    if (part.IsEmpty()) return;
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, part.left, part.top, part.Width(), part.Height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, memSurface_, r.left, r.top);
    cairo_paint(cr);
}

void MControl::DrawThroughCache(cairo_t* cr, const Rect& clip, const std::string& key,
                                const std::function<void(cairo_t*)>& paint) {
    const Rect r = GetRect();
    if (r.IsEmpty() || !r.Intersects(clip)) return;
    bool redraw = UpdateMemDC(r.Width(), r.Height());
    if (!memSurface_) return;
    if (!redraw && key != cacheKey_) {
        cairo_t* clear = cairo_create(memSurface_);
        cairo_set_operator(clear, CAIRO_OPERATOR_CLEAR);
        cairo_paint(clear);
        cairo_destroy(clear);
        redraw = true;
    }
    if (redraw) {
        cacheKey_ = key;
        cairo_t* mem = cairo_create(memSurface_);
        cairo_translate(mem, -r.left, -r.top);
        paint(mem);
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
