#include "ui/controls/MTabCtrl.h"

#include "ui/controls/MTabLayout.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/MPanel.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("MTabCtrl",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MTabCtrl>(parent, id, rect, title, visible, enabled);
               });

constexpr int kMarkThickness = 3;
constexpr int kTextRoom = 18;

} // namespace

MTabCtrl::MTabCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                   bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {}

MTabCtrl::~MTabCtrl() {
    if (manager_) manager_->KillTimer(this);
}

void MTabCtrl::InitControl(PaintManager* manager) {
    MControlFont::InitControl(manager);
    if (!manager) return;
    {
        std::lock_guard guard(tabsLock_);
        for (TabItemInfo& t : tabs_) {
            if (t.picture || t.image.empty()) continue;
            if (const ImgResInfo* info = manager->AddImgResInfo(t.image, t.frames)) {
                t.picture = info->image;
                t.frameWidth = info->frameWidth;
                t.frameHeight = info->height;
            }
        }
    }
    Layout();
}

int MTabCtrl::InsertItem(unsigned id, const std::string& text, const std::string& image,
                         MControl* page, int frames, int width) {
    TabItemInfo t;
    t.id = id;
    t.text = text;
    t.image = image;
    t.page = page;
    t.frames = frames == -1 || frames < 1 ? 3 : frames;
    t.width = std::max(0, width);
    if (manager_ && !image.empty()) {
        if (const ImgResInfo* info = manager_->AddImgResInfo(image, t.frames)) {
            t.picture = info->image;
            t.frameWidth = info->frameWidth;
            t.frameHeight = info->height;
        }
    }
    int index = 0;
    {
        std::lock_guard guard(tabsLock_);
        tabs_.push_back(std::move(t));
        index = static_cast<int>(tabs_.size()) - 1;
    }
    if (page && index != sel_) page->SetVisible(false);
    Layout();
    UpdateControl(true);
    return index;
}

int MTabCtrl::VisibleCount() const {
    std::lock_guard guard(tabsLock_);
    return static_cast<int>(
        std::count_if(tabs_.begin(), tabs_.end(), [](const TabItemInfo& t) { return t.visible; }));
}

void MTabCtrl::Layout() {
    const Rect r = GetRect();
    const int stripW = stripWidth_ > 0 ? stripWidth_ : r.Width();
    const int stripH = stripHeight_ > 0 ? stripHeight_ : r.Height();
    const int availW = std::max(0, stripW - padLeft_ - padRight_);
    const int availH = std::max(0, stripH - padTop_ - padBottom_);
    const int count = std::max(1, VisibleCount());
    const TextStyle style = MakeTextStyle(GetTextColor());
    std::lock_guard guard(tabsLock_);
    int x = r.left + padLeft_, y = r.top + padTop_;
    for (TabItemInfo& t : tabs_) {
        int w = 0, h = 0;
        if (itemWidth_ > 0)
            w = minWidth_ > 0 ? std::min(itemWidth_, std::max(availW / count, minWidth_))
                              : itemWidth_;
        else if (t.width > 0)
            w = t.width;
        else if (t.frameWidth > 0)
            w = t.frameWidth;
        else
            w = MRender::GetTextBounds(style, t.text).cx + 24;
        if (itemHeight_ > 0)
            h = minHeight_ > 0 ? std::min(itemHeight_, std::max(availH / count, minHeight_))
                               : itemHeight_;
        else if (type_ == Vertical && t.frameHeight > 0)
            h = t.frameHeight;
        else
            h = availH;
        if (type_ == Vertical && itemWidth_ <= 0 && t.width <= 0) w = std::max(w, availW);
        if (!t.visible) {
            t.rect = {};
            continue;
        }
        t.rect = {x, y, x + w, y + h};
        if (type_ == Vertical)
            y += h;
        else
            x += w;
    }
}

void MTabCtrl::SetControlRect(const Rect& rect) {
    MControlFont::SetControlRect(rect);
    Layout();
}

void MTabCtrl::SetItemWidth(int width, int minimum, bool refresh) {
    itemWidth_ = std::max(0, width);
    minWidth_ = std::max(0, minimum);
    Layout();
    if (refresh) UpdateControl(true);
}

void MTabCtrl::SetItemHeight(int height, int minimum, bool refresh) {
    itemHeight_ = std::max(0, height);
    minHeight_ = std::max(0, minimum);
    Layout();
    if (refresh) UpdateControl(true);
}

void MTabCtrl::SetTabCtrlWidth(int width) {
    stripWidth_ = std::max(0, width);
    Layout();
    UpdateControl(true);
}

void MTabCtrl::SetTabCtrlHeight(int height) {
    stripHeight_ = std::max(0, height);
    Layout();
    UpdateControl(true);
}

void MTabCtrl::SetLeftRightPading(int left, int right) {
    padLeft_ = std::max(0, left);
    padRight_ = std::max(0, right);
    Layout();
    UpdateControl(true);
}

void MTabCtrl::SetTopBottomPading(int top, int bottom) {
    padTop_ = std::max(0, top);
    padBottom_ = std::max(0, bottom);
    Layout();
    UpdateControl(true);
}

void MTabCtrl::SetTabType(int type) {
    type_ = type == Vertical ? Vertical : Horizontal;
    Layout();
    UpdateControl(true);
}

int MTabCtrl::GetSelectItem() const {
    std::lock_guard guard(tabsLock_);
    return sel_;
}

int MTabCtrl::GetItemCount() const {
    std::lock_guard guard(tabsLock_);
    return static_cast<int>(tabs_.size());
}

unsigned MTabCtrl::GetItemID(int index) const {
    std::lock_guard guard(tabsLock_);
    if (index < 0 || index >= static_cast<int>(tabs_.size())) return 0;
    return tabs_[static_cast<size_t>(index)].id;
}

bool MTabCtrl::GetItemInfo(int index, TabItemInfo& info) const {
    std::lock_guard guard(tabsLock_);
    if (index < 0 || index >= static_cast<int>(tabs_.size())) return false;
    info = tabs_[static_cast<size_t>(index)];
    return true;
}

Rect MTabCtrl::GetItemRect(int index) const {
    std::lock_guard guard(tabsLock_);
    if (index < 0 || index >= static_cast<int>(tabs_.size())) return {};
    return tabs_[static_cast<size_t>(index)].rect;
}

int MTabCtrl::ItemAt(Point pt) const {
    if (!PtInRect(pt)) return -1;
    std::lock_guard guard(tabsLock_);
    for (size_t i = 0; i < tabs_.size(); ++i)
        if (tabs_[i].visible && tabs_[i].rect.Contains(pt)) return static_cast<int>(i);
    return -1;
}

int MTabCtrl::SetItemText(int index, const std::string& text) {
    {
        std::lock_guard guard(tabsLock_);
        if (index < 0 || index >= static_cast<int>(tabs_.size())) return 0;
        tabs_[static_cast<size_t>(index)].text = text;
    }
    Layout();
    UpdateControl(true);
    return 1;
}

int MTabCtrl::SetItemVisible(int index, bool visible) {
    {
        std::lock_guard guard(tabsLock_);
        if (index < 0 || index >= static_cast<int>(tabs_.size())) return 0;
        tabs_[static_cast<size_t>(index)].visible = visible;
    }
    Layout();
    UpdateControl(true);
    return 1;
}

int MTabCtrl::SetTabTooltip(int index, const std::string& text) {
    std::lock_guard guard(tabsLock_);
    if (index < 0 || index >= static_cast<int>(tabs_.size())) return 0;
    tabs_[static_cast<size_t>(index)].tooltip = text;
    return 1;
}

int MTabCtrl::DeleteItem(int index) {
    MControl* page = nullptr;
    {
        std::lock_guard guard(tabsLock_);
        if (index < 0 || index >= static_cast<int>(tabs_.size())) return 0;
        if (index == sel_) page = tabs_[static_cast<size_t>(index)].page;
        tabs_.erase(tabs_.begin() + index);
        auto shift = [index](int& i) {
            if (i == index)
                i = -1;
            else if (i > index)
                --i;
        };
        shift(sel_);
        shift(hover_);
        shift(pressed_);
        tipShown_ = -1;
    }
    if (page) page->SetVisible(false);
    Layout();
    UpdateControl(true);
    return 1;
}

void MTabCtrl::ShowPages() {
    std::vector<MControl*> hide;
    MControl* show = nullptr;
    {
        std::lock_guard guard(tabsLock_);
        for (size_t i = 0; i < tabs_.size(); ++i) {
            if (!tabs_[i].page) continue;
            if (static_cast<int>(i) == sel_)
                show = tabs_[i].page;
            else
                hide.push_back(tabs_[i].page);
        }
    }
    // Two tabs may share a page: the selected one wins.
    for (MControl* p : hide)
        if (p != show) p->SetVisible(false);
    if (show) show->SetVisible(true);
}

int MTabCtrl::SetSelectItem(int index) {
    int previous = -1;
    {
        std::lock_guard guard(tabsLock_);
        if (index < 0 || index >= static_cast<int>(tabs_.size()) || index == sel_) return sel_;
        previous = sel_;
        animFrom_ = previous >= 0 ? tabs_[static_cast<size_t>(previous)].rect : Rect{};
        sel_ = index;
    }
    // Pages first, so that the owner's handler of 2 finds the new page showing.
    ShowPages();
    if (animate_ && previous >= 0 && !animFrom_.IsEmpty() && manager_) {
        animStep_ = 1;
        if (!manager_->SetTimer(this, kAnimateTimer, kAnimateMs) &&
            !manager_->IsControlTimerLive(this, kAnimateTimer))
            animStep_ = 0;
    }
    UpdateControl(true);
    SendMessageW(2, static_cast<WPARAM>(index), 0);
    return previous;
}

int MTabCtrl::OnControlTimer() {
    if (animStep_ <= 0) return 0;
    if (++animStep_ > kAnimateSteps) {
        animStep_ = 0;
        if (manager_) manager_->KillTimer(this, kAnimateTimer);
    }
    UpdateControl(true);
    return 1;
}

MTabLayout* MTabCtrl::CreatePanel(unsigned id, const Rect& rect, bool visible) {
    MControl* made = nullptr;
    if (auto* panel = dynamic_cast<MPanel*>(GetParentControl()))
        made = panel->CreateControl("MTabLayout", id, rect, {}, visible, true);
    else if (manager_)
        made = manager_->CreateControl(1, GetParantObject(), "MTabLayout", id, rect, {}, visible,
                                       true);
    return dynamic_cast<MTabLayout*>(made);
}

int MTabCtrl::OnControlSetCursor(unsigned, Point pt) {
    SetCursorEx(ItemAt(pt) >= 0 ? "hand" : "arrow");
    return 1;
}

int MTabCtrl::OnControlMouseMove(unsigned, Point pt) {
    const int i = ItemAt(pt);
    if (i != hover_) {
        hover_ = i;
        UpdateControl(true);
    }
    if (i != tipShown_ && manager_) {
        TabItemInfo info;
        if (i >= 0 && GetItemInfo(i, info) && !info.tooltip.empty()) {
            manager_->SetTooltip(info.tooltip, info.rect, GetControlID());
            tipShown_ = i;
        } else if (tipShown_ >= 0) {
            manager_->ClearTooltip();
            tipShown_ = -1;
        }
    }
    return i >= 0 ? 1 : 0;
}

int MTabCtrl::OnControlLButtonDown(unsigned, Point pt) {
    const int i = ItemAt(pt);
    if (i < 0) return 0;
    pressed_ = i;
    UpdateControl(true);
    SendMessageW(9, static_cast<WPARAM>(i), 0);
    return 1;
}

int MTabCtrl::OnControlLButtonUp(unsigned, Point pt) {
    const int pressed = pressed_;
    pressed_ = -1;
    if (pressed < 0) return 0;
    UpdateControl(true);
    const int i = ItemAt(pt);
    if (i >= 0) SetSelectItem(i);
    return 1;
}

Rect MTabCtrl::MarkRect(const Rect& tab) const {
    if (type_ == Vertical) return {tab.left, tab.top, tab.left + kMarkThickness, tab.bottom};
    return {tab.left, tab.bottom - kMarkThickness, tab.right, tab.bottom};
}

void MTabCtrl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, clip.left, clip.top, clip.Width(), clip.Height());
    cairo_clip(cr);
    if (GetImage()) DrawImageState(cr, 0, r, 4);
    const uint32_t select = Manager::GetSelectColor();
    std::lock_guard lock(tabsLock_);
    for (size_t i = 0; i < tabs_.size(); ++i) {
        const TabItemInfo& t = tabs_[i];
        if (!t.visible || !t.rect.Intersects(clip)) continue;
        const int index = static_cast<int>(i);
        const bool selected = index == sel_;
        const bool pressed = index == pressed_ && index == hover_;
        const int frame = selected ? 2 : (index == hover_ || pressed) ? 1 : 0;
        const int shift = pressed ? 1 : 0;
        Rect textBox = t.rect.Offset(shift, shift);
        if (!t.picture) {
            if (selected || index == hover_)
                MRender::DrawColor(cr, t.rect, selected ? 0x30FFFFFF : 0x18FFFFFF);
        }
        if (t.picture && t.frameWidth > 0) {
            const int f = std::min(frame, t.frames - 1);
            const int cx = std::min(t.frameWidth, t.rect.Width());
            const int cy = std::min(t.frameHeight, t.rect.Height());
            const bool withText = !t.text.empty() && t.rect.Height() >= cy + kTextRoom;
            const int top = withText ? t.rect.top + (t.rect.Height() - cy - kTextRoom) / 2
                                     : t.rect.top + (t.rect.Height() - cy) / 2;
            const int left = t.rect.left + (t.rect.Width() - cx) / 2;
            MRender::DrawImagePart(
                cr, t.picture->Surface(0),
                Rect{left + shift, top + shift, left + cx + shift, top + cy + shift},
                f * t.frameWidth, 0, t.frameWidth, t.frameHeight);
            textBox =
                withText
                    ? Rect{t.rect.left, top + cy, t.rect.right, t.rect.bottom}.Offset(shift, shift)
                    : Rect{};
        }
        if (!textBox.IsEmpty() && !t.text.empty()) {
            TextStyle style = MakeTextStyle(!IsEnabled() ? 0xFF808080
                                            : selected   ? select
                                                         : GetTextColor());
            style.hAlign = TextStyle::Center;
            style.vAlign = TextStyle::Center;
            style.ellipsis = true;
            if (!style.family.empty()) MRender::DrawTextW(cr, textBox, t.text, style);
        }
    }
    if (sel_ >= 0 && sel_ < static_cast<int>(tabs_.size()) &&
        tabs_[static_cast<size_t>(sel_)].visible) {
        Rect to = tabs_[static_cast<size_t>(sel_)].rect;
        if (animStep_ > 0 && !animFrom_.IsEmpty()) {
            // The mark slides from the old tab to the new one.
            auto lerp = [this](int a, int b) { return a + (b - a) * animStep_ / kAnimateSteps; };
            to = {lerp(animFrom_.left, to.left), lerp(animFrom_.top, to.top),
                  lerp(animFrom_.right, to.right), lerp(animFrom_.bottom, to.bottom)};
        }
        MRender::DrawColor(cr, MarkRect(to), IsEnabled() ? select : 0xFF808080);
    }
}

} // namespace Tolva
