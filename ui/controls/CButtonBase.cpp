#include "ui/controls/CButtonBase.h"

#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {

CButtonBase::CButtonBase(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled), state_(enabled ? Normal : Disabled) {
    SetAlignment(TextStyle::Center, TextStyle::Center);
}

void CButtonBase::ShowState(int state) {
    if (state < Normal || state > Disabled) return;
    SetState(state);
}

void CButtonBase::SetState(int state) {
    if (state_.exchange(state) == state) return;
    // The cache holds every state: copying another part is enough.
    UpdateControl(false);
}

void CButtonBase::SetControlEnabled(bool enabled) {
    MControlFont::SetControlEnabled(enabled);
    tracking_ = false;
    state_ = enabled ? Normal : Disabled;
}

void CButtonBase::SetControlVisible(bool visible) {
    MControlFont::SetControlVisible(visible);
    tracking_ = false;
    if (IsEnabled()) state_ = Normal;
}

void CButtonBase::SetHotKey(unsigned key, unsigned modifiers) {
    hotKey_ = key;
    hotModifiers_ = modifiers;
}

void CButtonBase::SetCheck(bool check) {
    if (checked_.exchange(check) == check) return;
    UpdateControl(true);
}

void CButtonBase::SetGroupName(const std::string& group) {
    group_ = group;
}

std::string CButtonBase::GetGroupName() const {
    return group_;
}

void CButtonBase::ResetGroupCheck() {
    const char* cls = GetObjectClass();
    std::vector<MControl*> siblings;
    if (MControl* parent = GetParentControl())
        siblings = parent->GetControls();
    else if (manager_)
        siblings = manager_->GetControls();
    for (MControl* c : siblings) {
        auto* b = dynamic_cast<CButtonBase*>(c);
        if (!b || b == this || b->GetGroupName() != group_) continue;
        const char* other = b->GetObjectClass();
        if ((cls == nullptr) != (other == nullptr)) continue;
        if (cls && std::string(cls) != other) continue;
        b->SetCheck(false);
    }
}

void CButtonBase::SetFrameSize(int size) {
    frameSize_ = std::max(size, 0);
    UpdateControl(true);
}

void CButtonBase::SetTextRect(const Rect& rect) {
    textRect_ = rect;
    UpdateControl(true);
}

int CButtonBase::SetIconStrip(const std::string& file, int frames) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, frames);
    if (!info) return 0;
    icon_ = info->image;
    iconFrames_ = std::max(info->frameCount, 1);
    UpdateControl(true);
    return 1;
}

int CButtonBase::OnControlMouseMove(unsigned, Point pt) {
    const bool inside = PtInRect(pt);
    if (tracking_) return inside ? 1 : 0;
    SetCursorEx(inside ? "hand" : "arrow");
    SetState(inside ? Hover : Normal);
    return inside ? 1 : 0;
}

int CButtonBase::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    SetCursorEx("hand");
    tracking_ = true;
    SetState(Pressed);
    if (SendsPress()) SendMessageW(1, 0, 0);
    return 1;
}

int CButtonBase::OnControlLButtonUp(unsigned, Point pt) {
    const bool wasPressed = tracking_ && state_ == Pressed;
    tracking_ = false;
    if (!PtInRect(pt)) {
        SetState(Normal);
        return 1;
    }
    SetState(Hover);
    if (!wasPressed) return 1;
    const LPARAM lparam = OnClick();
    SendMessageW(2, 0, lparam);
    return 1;
}

int CButtonBase::OnHotKey() {
    if (!IsCheckType()) {
        SendMessageW(2, 0, OnClick());
        return 1;
    }
    if (!IsFocused()) return 0;
    OnClick();
    SendMessageW(7, 0, GetCheck() ? 1 : 0);
    return 1;
}

int CButtonBase::OnControlKeyDown(unsigned key, unsigned, unsigned modifiers) {
    if (hotKey_ == 0 || key != hotKey_ || modifiers != hotModifiers_) return 0;
    return OnHotKey();
}

int CButtonBase::FrameFor(int state) const {
    const int count = GetImageCount();
    if (GetCheck() && count >= 8) return state + 4;
    return std::clamp(state, 0, std::max(count - 1, 0));
}

Rect CButtonBase::TitleBox(const Rect& box) const {
    if (textRect_.IsEmpty()) return box;
    return textRect_.Offset(box.left, box.top);
}

uint32_t CButtonBase::TitleColor(int state) const {
    return state == Disabled ? 0xFF808080 : GetTextColor();
}

void CButtonBase::DrawFace(cairo_t* cr, int state, const Rect& box) {
    DrawImageState(cr, FrameFor(state), box, frameSize_);
    const std::string title = GetControlTitle();
    const int shift = state == Pressed ? 1 : 0;
    Rect text = TitleBox(box).Offset(shift, shift);
    if (icon_) {
        const int fw = icon_->Width() / iconFrames_, fh = icon_->Height();
        const int frame = iconFrames_ >= 4 ? state : 0;
        Rect dest;
        if (title.empty()) {
            const Point o =
                MRender::GetOriginPoint(box, Size{fw, fh}, TextStyle::Center, TextStyle::Center);
            dest = {o.x, o.y, o.x + fw, o.y + fh};
        } else {
            // Icon at the left, the title in the room beside it.
            const int top = box.top + (box.Height() - fh) / 2;
            dest = {box.left + frameSize_, top, box.left + frameSize_ + fw, top + fh};
            if (textRect_.IsEmpty()) text.left = dest.right + 4 + shift;
        }
        dest = dest.Offset(shift, shift);
        MRender::DrawImagePart(cr, icon_->Surface(0), dest, frame * fw, 0, fw, fh);
    }
    if (!title.empty()) DrawTitle(cr, text, TitleColor(state));
}

void CButtonBase::DrawState(cairo_t* cr, int state, const Rect& box) {
    DrawFace(cr, state, box);
}

void CButtonBase::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    const int w = r.Width(), h = r.Height();
    if (w <= 0 || h <= 0) return;
    if (UpdateMemDC(4 * w, h)) {
        cairo_t* mem = cairo_create(MemSurface());
        for (int s = Normal; s <= Disabled; ++s) {
            CairoStateGuard guard(mem);
            cairo_rectangle(mem, s * w, 0, w, h);
            cairo_clip(mem);
            DrawState(mem, s, Rect{s * w, 0, s * w + w, h});
        }
        cairo_destroy(mem);
    }
    const Rect part = r.Intersect(clip);
    if (part.IsEmpty() || !MemSurface()) return;
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, part.left, part.top, part.Width(), part.Height());
    cairo_clip(cr);
    cairo_set_source_surface(cr, MemSurface(), r.left - state_ * w, r.top);
    cairo_paint(cr);
}

} // namespace Tolva
