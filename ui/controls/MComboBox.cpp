#include "ui/controls/MComboBox.h"

#include "ui/controls/ComboWnd.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/MPanel.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"
#include "ui/paint/PictureKey.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("MComboBox",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MComboBox>(parent, id, rect, title, visible, enabled);
               });

constexpr int kArrowWidth = 28;

// Where a control appears in its window: panels above it may be scrolled.
Rect ShownRect(const MControl* control) {
    Rect r = control->GetRect();
    for (const MControl* p = control->GetParentControl(); p; p = p->GetParentControl()) {
        if (const auto* panel = dynamic_cast<const MPanel*>(p)) {
            const Point off = panel->ScrollOffset();
            r = r.Offset(-off.x, -off.y);
        }
    }
    return r;
}

} // namespace

MComboBox::MComboBox(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                     bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    if (!enabled) state_ = 3;
}

MComboBox::~MComboBox() {
    if (!popup_) return;
    popup_->DetachCombo();
    if (popup_->GetSafeHwnd()) {
        // This may run inside the popup's own message handling (a choice whose handler removes
        // the combo): the popup goes away by itself once its window is gone.
        popup_->SetAutoDelete(true);
        popup_->CloseWindow();
        (void)popup_.release();
    }
}

int MComboBox::AddItem(const std::string& text, intptr_t data, const std::string& icon,
                       uint32_t color) {
    std::lock_guard guard(itemsLock_);
    items_.push_back(Item{text, icon, color, data});
    return static_cast<int>(items_.size()) - 1;
}

int MComboBox::InsertItem(int index, const std::string& text, intptr_t data,
                          const std::string& icon, uint32_t color) {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index > static_cast<int>(items_.size())) return -1;
    items_.insert(items_.begin() + index, Item{text, icon, color, data});
    if (cur_ >= index) ++cur_;
    return index;
}

int MComboBox::SetItemText(int index, const std::string& text) {
    {
        std::lock_guard guard(itemsLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
        items_[static_cast<size_t>(index)].text = text;
        if (index != cur_) return 1;
    }
    SetTitle(text);
    return 1;
}

int MComboBox::SetItemData(int index, intptr_t data) {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
    items_[static_cast<size_t>(index)].data = data;
    return 1;
}

intptr_t MComboBox::GetItemData(int index) const {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
    return items_[static_cast<size_t>(index)].data;
}

std::string MComboBox::GetItemText(int index) const {
    return GetItem(index).text;
}

MComboBox::Item MComboBox::GetItem(int index) const {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    return items_[static_cast<size_t>(index)];
}

int MComboBox::GetItemCount() const {
    std::lock_guard guard(itemsLock_);
    return static_cast<int>(items_.size());
}

int MComboBox::DeleteItem(int index) {
    bool wasCurrent = false;
    {
        std::lock_guard guard(itemsLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
        items_.erase(items_.begin() + index);
        if (index == cur_) {
            cur_ = -1;
            wasCurrent = true;
        } else if (index < cur_) {
            --cur_;
        }
    }
    if (wasCurrent) SetTitle(std::string());
    return 1;
}

void MComboBox::DelAllItems() {
    {
        std::lock_guard guard(itemsLock_);
        items_.clear();
        cur_ = -1;
    }
    SetTitle(std::string());
    UpdateControl(true);
}

int MComboBox::SetCurSel(int index) {
    std::string text;
    {
        std::lock_guard guard(itemsLock_);
        if (index < -1 || index >= static_cast<int>(items_.size())) return 0;
        cur_ = index;
        if (index >= 0) text = items_[static_cast<size_t>(index)].text;
    }
    SetTitle(text);
    UpdateControl(true);
    return 1;
}

int MComboBox::GetCurSel() const {
    std::lock_guard guard(itemsLock_);
    return cur_;
}

intptr_t MComboBox::GetCurData() const {
    std::lock_guard guard(itemsLock_);
    return cur_ >= 0 ? items_[static_cast<size_t>(cur_)].data : 0;
}

int MComboBox::FindData(intptr_t data) const {
    std::lock_guard guard(itemsLock_);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].data == data) return static_cast<int>(i);
    return -1;
}

int MComboBox::SelectData(intptr_t data) {
    const int i = FindData(data);
    return i < 0 ? 0 : SetCurSel(i);
}

void MComboBox::SetBackImage(const std::string& file) {
    backImage_ = file;
}

void MComboBox::SetScrollResID(int vertical, int horizontal) {
    scrollV_ = vertical;
    scrollH_ = horizontal;
}

void MComboBox::SetShowModeMID(int left, int top, int right, int bottom) {
    mid_ = {std::max(0, left), std::max(0, top), std::max(0, right), std::max(0, bottom)};
    midSet_ = true;
    UpdateControl(true);
}

void MComboBox::SetTextRect(const Rect& rect) {
    textRect_ = rect;
    UpdateControl(true);
}

Rect MComboBox::DropDownRect() const {
    const int rows = std::min(GetItemCount(), kVisibleRows);
    const Rect shown = ShownRect(this);
    const int height = rows * kRowHeight + kPopupFrame;
    if (!manager_ || !manager_->GetHwnd())
        return {shown.left, shown.bottom, shown.right, shown.bottom + height};
    const Rect screen = manager_->GetHwnd()->ClientToScreen(shown);
    Rect below{screen.left, screen.bottom, screen.right, screen.bottom + height};
    // Near the bottom of the screen the list opens upwards instead.
    const Rect work = Platform::GetWorkArea(Point{screen.left, screen.bottom});
    if (!work.IsEmpty() && below.bottom > work.bottom && screen.top - height >= work.top)
        below = {screen.left, screen.top - height, screen.right, screen.top};
    return below;
}

bool MComboBox::IsDropDownOpen() const {
    return popup_ && popup_->GetSafeHwnd();
}

bool MComboBox::ShowDropDown() {
    if (IsDropDownOpen()) return true;
    if (!manager_ || !manager_->GetHwnd() || GetItemCount() == 0 || !IsEnabled()) return false;
    auto popup = std::make_unique<ComboWnd>(this);
    popup_ = std::move(popup);
    if (!popup_->CreatePopup(manager_->GetHwnd(), DropDownRect(), nullptr)) {
        popup_.reset();
        return false;
    }
    if (!backImage_.empty()) {
        popup_->LoadBKImage(backImage_);
        popup_->SetBackMode(BackModeMID, 6);
    }
    if (scrollV_ || scrollH_) popup_->GetPaintManager().SetScrollResID(scrollV_, scrollH_);
    popup_->GetPaintManager().SetPaintPause(0);
    popup_->ShowWindow(SW_SHOW);
    state_ = 2;
    UpdateControl(true);
    return true;
}

void MComboBox::CloseDropDown(bool now) {
    if (!IsDropDownOpen()) return;
    if (now)
        popup_->DestroyWindow();
    else
        popup_->CloseWindow();
}

void MComboBox::OnDropDownChoice(int index) {
    if (index < 0 || index >= GetItemCount()) return;
    SetCurSel(index);
    SendMessageW(2, static_cast<WPARAM>(index), 0);
}

void MComboBox::OnDropDownClosed() {
    state_ = IsEnabled() ? 0 : 3;
    UpdateControl(true);
}

void MComboBox::SetState(int state) {
    if (IsDropDownOpen()) state = 2;
    if (state_ == state) return;
    state_ = state;
    UpdateControl(true);
}

void MComboBox::SetControlEnabled(bool enabled) {
    MControlFont::SetControlEnabled(enabled);
    if (!enabled) CloseDropDown();
    pressed_ = false;
    state_ = enabled ? 0 : 3;
}

void MComboBox::SetControlVisible(bool visible) {
    MControlFont::SetControlVisible(visible);
    if (!visible) CloseDropDown();
}

int MComboBox::OnControlSetCursor(unsigned, Point pt) {
    SetCursorEx(PtInRect(pt) ? "hand" : "arrow");
    return 1;
}

int MComboBox::OnControlMouseMove(unsigned, Point pt) {
    const bool inside = PtInRect(pt);
    if (!pressed_) SetState(inside ? 1 : 0);
    return inside ? 1 : 0;
}

int MComboBox::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    pressed_ = true;
    closedByPress_ = IsDropDownOpen();
    if (closedByPress_) CloseDropDown(true);
    SetState(2);
    return 1;
}

int MComboBox::OnControlLButtonUp(unsigned, Point pt) {
    const bool was = pressed_;
    const bool closed = closedByPress_;
    pressed_ = closedByPress_ = false;
    const bool inside = PtInRect(pt);
    if (was && inside && !closed && ShowDropDown()) return 1;
    SetState(inside ? 1 : 0);
    return was ? 1 : 0;
}

void MComboBox::DrawControl(cairo_t* target, const Rect& clip) {
    const Rect r = GetRect();
    const int state = IsEnabled() ? state_ : 3;
    const Item item = GetItem(GetCurSel());
    const uint32_t ink = IsEnabled() ? GetTextColor() : 0xFF808080;
    PictureKey key;
    key.AddSize(r).Add(state).Add(IsDropDownOpen()).Add(GetImage().get()).Add(GetImageCount());
    key.Add(FrameSource(std::min(state, GetImageCount() - 1))).Add(midSet_).Add(mid_);
    key.Add(textRect_).Add(item.color).Add(item.icon).Add(GetControlTitle());
    key.Add(MakeTextStyle(ink));
    DrawThroughCache(target, clip, key.Str(), [&](cairo_t* cr) {
        if (std::shared_ptr<Image> image = GetImage()) {
            const int frame = std::min(state, GetImageCount() - 1);
            const Rect src = FrameSource(frame);
            if (midSet_)
                MRender::DrawImageFrameMID(cr, image->Surface(0), r, src.left, src.top, src.Width(),
                                           src.Height(), mid_.left, mid_.top, mid_.right,
                                           mid_.bottom);
            else
                DrawImageState(cr, frame, r, 6);
        } else {
            const uint32_t fill = state == 2 ? 0xFF15191E : state == 1 ? 0xFF2B3038 : 0xFF252A31;
            const uint32_t border = state == 1 || state == 2 ? 0xFF10A8FD : 0xFF3A3F47;
            MRender::DrawRoundRectange(cr, r.left, r.top, r.Width() - 1, r.Height() - 1, 5, border,
                                       1, true, fill);
        }

        MRender::DrawDropArrow(cr, r.right - kArrowWidth / 2.0, r.top + r.Height() / 2.0,
                               IsDropDownOpen(), ink);

        Rect text = textRect_.IsEmpty() ? Rect{r.left + 10, r.top, r.right - kArrowWidth, r.bottom}
                                        : textRect_.Offset(r.left, r.top);
        if (item.color != 0) {
            const int h = std::max(4, text.Height() - 14);
            MRender::DrawRoundRectange(cr, text.left, text.top + (text.Height() - h) / 2, 14, h, 2,
                                       0xFF5A5F68, 1, true, item.color);
            text.left += 20;
        }
        if (!item.icon.empty() && manager_) {
            if (const ImgResInfo* info = manager_->AddImgResInfo(item.icon, 1)) {
                const int cx = std::min(info->frameWidth, text.Height() - 6);
                const int cy = std::min(info->height, text.Height() - 6);
                const int y = text.top + (text.Height() - cy) / 2;
                MRender::DrawImagePart(cr, info->image->Surface(0),
                                       Rect{text.left, y, text.left + cx, y + cy}, 0, 0,
                                       info->frameWidth, info->height);
                text.left += cx + 6;
            }
        }
        TextStyle style = MakeTextStyle(ink);
        style.vAlign = TextStyle::Center;
        style.ellipsis = true;
        if (!style.family.empty()) MRender::DrawTextW(cr, text, GetControlTitle(), style);
    });
}

} // namespace Tolva
