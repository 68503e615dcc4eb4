#include "ui/controls/MListBox.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MImageList.h"
#include "ui/paint/MRender.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("MListBox",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MListBox>(parent, id, rect, title, visible, enabled);
               });

constexpr uint32_t kEditBack = 0x080808;

uint32_t ToColorRef(uint32_t argb) {
    return ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
}

// The offset panels above `control` scroll their content by.
Point AncestorScroll(const MControl* control) {
    Point off;
    for (const MControl* p = control->GetParentControl(); p; p = p->GetParentControl()) {
        if (const auto* panel = dynamic_cast<const MPanel*>(p)) {
            const Point o = panel->ScrollOffset();
            off.x += o.x;
            off.y += o.y;
        }
    }
    return off;
}

} // namespace

MListBox::MListBox(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                   bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {}

MListBox::~MListBox() {
    if (edit_) {
        edit_->SetListener(nullptr);
        edit_->Show(false);
    }
}

Rect MListBox::RowsArea() const {
    Rect r = GetRect();
    if (VerticalBar() && VerticalBar()->IsVisible()) r.right -= VerticalBar()->GetRect().Width();
    return r;
}

void MListBox::Relayout() {
    int count = 0;
    {
        std::lock_guard guard(itemsLock_);
        count = static_cast<int>(items_.size());
    }
    // The rows are drawn, not children: the panel's bar follows their height.
    SetVirtualHeight(count * itemHeight_);
    const Rect area = RowsArea();
    std::lock_guard guard(itemsLock_);
    for (size_t i = 0; i < items_.size(); ++i) {
        const int top = area.top + static_cast<int>(i) * itemHeight_;
        items_[i].row = {area.left, top, area.right, top + itemHeight_};
    }
}

void MListBox::SetControlRect(const Rect& rect) {
    CloseEdit(true);
    MPanel::SetControlRect(rect);
    Relayout();
}

void MListBox::SetControlVisible(bool visible) {
    if (!visible) CloseEdit(true);
    MPanel::SetControlVisible(visible);
}

void MListBox::SetControlEnabled(bool enabled) {
    if (!enabled) CloseEdit(true);
    MPanel::SetControlEnabled(enabled);
    pressed_ = -1;
}

int MListBox::AddString(const std::string& text, intptr_t data, int image) {
    int index = 0;
    {
        std::lock_guard guard(itemsLock_);
        items_.push_back(Item{text, data, image, {}});
        index = static_cast<int>(items_.size()) - 1;
    }
    Relayout();
    UpdateControl(true);
    return index;
}

int MListBox::InsertString(int index, const std::string& text, intptr_t data, int image) {
    {
        std::lock_guard guard(itemsLock_);
        if (index < 0 || index > static_cast<int>(items_.size())) return -1;
        items_.insert(items_.begin() + index, Item{text, data, image, {}});
        if (cur_ >= index) ++cur_;
        if (editIndex_ >= index) ++editIndex_;
    }
    Relayout();
    UpdateControl(true);
    return index;
}

int MListBox::ModifyItemString(int index, const std::string& text) {
    {
        std::lock_guard guard(itemsLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
        items_[static_cast<size_t>(index)].text = text;
    }
    UpdateControl(true);
    return 1;
}

int MListBox::SetItemData(int index, intptr_t data) {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
    items_[static_cast<size_t>(index)].data = data;
    return 1;
}

int MListBox::SetItemImage(int index, int image) {
    {
        std::lock_guard guard(itemsLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
        items_[static_cast<size_t>(index)].image = image;
    }
    UpdateControl(true);
    return 1;
}

intptr_t MListBox::GetItemData(int index) const {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
    return items_[static_cast<size_t>(index)].data;
}

std::string MListBox::GetItemText(int index) const {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    return items_[static_cast<size_t>(index)].text;
}

int MListBox::GetItemCount() const {
    std::lock_guard guard(itemsLock_);
    return static_cast<int>(items_.size());
}

int MListBox::FindString(const std::string& text) const {
    std::lock_guard guard(itemsLock_);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].text == text) return static_cast<int>(i);
    return -1;
}

int MListBox::FindItemData(intptr_t data) const {
    std::lock_guard guard(itemsLock_);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].data == data) return static_cast<int>(i);
    return -1;
}

int MListBox::SetCurSel(int index) {
    {
        std::lock_guard guard(itemsLock_);
        if (index < -1 || index >= static_cast<int>(items_.size())) return 0;
        if (cur_ == index) return 1;
        cur_ = index;
    }
    UpdateControl(true);
    return 1;
}

int MListBox::GetCurSel() const {
    std::lock_guard guard(itemsLock_);
    return cur_;
}

int MListBox::SetCurData(intptr_t data) {
    const int i = FindItemData(data);
    return i < 0 ? 0 : SetCurSel(i);
}

intptr_t MListBox::GetCurData() const {
    std::lock_guard guard(itemsLock_);
    return cur_ >= 0 && cur_ < static_cast<int>(items_.size())
               ? items_[static_cast<size_t>(cur_)].data
               : 0;
}

int MListBox::DeleteItem(int index) {
    {
        std::lock_guard guard(itemsLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
    }
    // The editor belongs to a row; deleting rows under it must not leave it on another one.
    if (editIndex_ == index) CloseEdit(false);
    {
        std::lock_guard guard(itemsLock_);
        items_.erase(items_.begin() + index);
        auto shift = [index](int& i) {
            if (i == index)
                i = -1;
            else if (i > index)
                --i;
        };
        shift(cur_);
        shift(hover_);
        shift(pressed_);
        shift(editIndex_);
        shift(lastPressItem_);
    }
    Relayout();
    UpdateControl(true);
    return 1;
}

void MListBox::DeleteAllItems() {
    CloseEdit(false);
    {
        std::lock_guard guard(itemsLock_);
        items_.clear();
        cur_ = hover_ = pressed_ = lastPressItem_ = -1;
    }
    Relayout();
    UpdateControl(true);
}

int MListBox::SwapItem(int a, int b) {
    {
        std::lock_guard guard(itemsLock_);
        const int n = static_cast<int>(items_.size());
        if (a < 0 || b < 0 || a >= n || b >= n) return 0;
        if (a == b) return 1;
        std::swap(items_[static_cast<size_t>(a)].text, items_[static_cast<size_t>(b)].text);
        std::swap(items_[static_cast<size_t>(a)].data, items_[static_cast<size_t>(b)].data);
        std::swap(items_[static_cast<size_t>(a)].image, items_[static_cast<size_t>(b)].image);
        if (cur_ == a)
            cur_ = b;
        else if (cur_ == b)
            cur_ = a;
    }
    CloseEdit(false);
    UpdateControl(true);
    return 1;
}

void MListBox::SetItemHeight(int height) {
    itemHeight_ = std::max(1, height);
    Relayout();
    UpdateControl(true);
}

Rect MListBox::GetItemRect(int index) const {
    Rect row;
    {
        std::lock_guard guard(itemsLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return {};
        row = items_[static_cast<size_t>(index)].row;
    }
    const Point own = ScrollOffset();
    const Point above = AncestorScroll(this);
    return row.Offset(-own.x - above.x, -own.y - above.y);
}

Rect MListBox::RowRect(int index) const {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    return items_[static_cast<size_t>(index)].row.Offset(0, -ScrollOffset().y);
}

int MListBox::ItemAt(Point pt) const {
    const Rect area = RowsArea();
    if (!area.Contains(pt)) return -1;
    const int i = (pt.y - area.top + ScrollOffset().y) / itemHeight_;
    return i >= 0 && i < GetItemCount() ? i : -1;
}

void MListBox::SetImageList(std::shared_ptr<MImageList> images) {
    images_ = std::move(images);
    UpdateControl(true);
}

void MListBox::SetHover(int index) {
    if (hover_ == index) return;
    hover_ = index;
    UpdateControl(true);
}

int MListBox::OnControlMouseMove(unsigned, Point pt) {
    SetHover(ItemAt(pt));
    return PtInRect(pt) ? 1 : 0;
}

int MListBox::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    const int i = ItemAt(pt);
    hover_ = i;
    if (i < 0) {
        CloseEdit(true);
        pressed_ = -1;
        return 1;
    }
    if (OnRowExtraPress(i, pt)) return 1;
    pressed_ = i;
    {
        std::lock_guard guard(itemsLock_);
        cur_ = i;
    }
    UpdateControl(true);
    // A second press on the same row soon after is a double click: the window delivers it as
    // a press because this control leaves double clicks to the rows.
    const uint64_t now = Platform::NowMs();
    const bool doubled = doubleClick_ && lastPressItem_ == i && lastPressMs_ != 0 &&
                         now - lastPressMs_ <= Platform::GetDoubleClickTime();
    lastPressItem_ = doubled ? -1 : i;
    lastPressMs_ = doubled ? 0 : now;
    SendMessageW(1, static_cast<WPARAM>(i), 0);
    CloseEdit(true);
    if (doubled) SendMessageW(3, static_cast<WPARAM>(i), 0);
    return 1;
}

int MListBox::OnControlLButtonUp(unsigned, Point pt) {
    const int pressed = pressed_;
    pressed_ = -1;
    const int i = ItemAt(pt);
    if (pressed < 0 || i != pressed) return pressed >= 0 ? 1 : 0;
    SendMessageW(2, static_cast<WPARAM>(i), 0);
    return 1;
}

int MListBox::OnControlRButtonUp(unsigned, Point pt) {
    const int i = ItemAt(pt);
    if (i < 0) return 0;
    SendMessageW(5, static_cast<WPARAM>(i), 0);
    return 1;
}

int MListBox::OnControlScroll(int delta, unsigned flags, Point pt) {
    // The editor sits on a row that is about to move.
    CloseEdit(true);
    const int r = MPanel::OnControlScroll(delta, flags, pt);
    SetHover(ItemAt(pt));
    return r;
}

void MListBox::EnableShowEdit(bool on) {
    editEnabled_ = on;
    if (!on) CloseEdit(true);
    UpdateControl(true);
}

bool MListBox::IsEditShown() const {
    return edit_ && edit_->IsVisible();
}

Rect MListBox::TextRect(const Rect& row, int image) const {
    int left = row.left + 10;
    if (image >= 0 && images_ && image < images_->GetImageCount())
        left += images_->GetIconSize().cx + 8;
    return {left, row.top, row.right - 8, row.bottom};
}

bool MListBox::ShowEdit() {
    if (!editEnabled_ || !IsEnabled() || !IsParentVisible() || !manager_ || !manager_->GetHwnd())
        return false;
    int index = -1;
    std::string text;
    int image = -1;
    {
        std::lock_guard guard(itemsLock_);
        index = cur_;
        if (index < 0 || index >= static_cast<int>(items_.size())) return false;
        text = items_[static_cast<size_t>(index)].text;
        image = items_[static_cast<size_t>(index)].image;
    }
    if (IsEditShown()) CloseEdit(true);
    const Rect row = GetItemRect(index);
    const Point above = AncestorScroll(this);
    const Rect shownList = GetRect().Offset(-above.x, -above.y);
    const Rect box = TextRect(row, image).Inflate(0, -3).Intersect(shownList);
    if (box.IsEmpty()) return false;
    if (!edit_) {
        edit_ = Platform::CreateEdit(manager_->GetHwnd());
        if (!edit_) return false;
        edit_->SetListener(this);
    }
    edit_->SetRect(box);
    edit_->SetColors(ToColorRef(GetTextColor()), kEditBack);
    edit_->SetFont(GetFontFamily(GetTextFont()), GetFontWidth(), false);
    edit_->SetText(text);
    editIndex_ = index;
    edit_->Show(true);
    edit_->SelectAll();
    edit_->SetFocus();
    UpdateControl(true);
    return true;
}

void MListBox::CloseEdit(bool commit) {
    if (!IsEditShown() || editIndex_ < 0) return;
    const int index = editIndex_;
    editIndex_ = -1;
    const std::string text = edit_->GetText();
    // Hidden first: hiding may report a focus loss, which must find the editor closed.
    edit_->Show(false);
    if (!commit) return;
    {
        std::lock_guard guard(itemsLock_);
        if (index >= static_cast<int>(items_.size())) return;
        std::string& stored = items_[static_cast<size_t>(index)].text;
        if (stored == text) return;
        stored = text;
    }
    SendMessageW(29, 0, static_cast<LPARAM>(index));
    UpdateControl(true);
}

void MListBox::OnEditFocusLost(NativeEdit&) {
    CloseEdit(true);
}

bool MListBox::OnEditKey(NativeEdit&, int virtualKey) {
    if (virtualKey == VK_RETURN || virtualKey == VK_TAB) {
        CloseEdit(true);
        return true;
    }
    if (virtualKey == VK_ESCAPE) {
        CloseEdit(false);
        return true;
    }
    return false;
}

void MListBox::DrawControl(cairo_t* cr, const Rect& clip) {
    MPanel::DrawControl(cr, clip);
    const Rect r = GetRect();
    const Rect visible = r.Intersect(clip);
    if (visible.IsEmpty()) return;
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, visible.left, visible.top, visible.Width(), visible.Height());
    cairo_clip(cr);
    const int offset = ScrollOffset().y;
    const uint32_t select = Manager::GetSelectColor();
    const uint32_t ink = IsEnabled() ? GetTextColor() : 0xFF808080;
    std::lock_guard lock(itemsLock_);
    const int n = static_cast<int>(items_.size());
    const int first = std::max(0, (visible.top - r.top + offset) / itemHeight_);
    for (int i = first; i < n; ++i) {
        const Item& item = items_[static_cast<size_t>(i)];
        const Rect row = item.row.Offset(0, -offset);
        if (row.top >= visible.bottom) break;
        if (i == cur_)
            MRender::DrawColor(cr, row, (0x50u << 24) | (select & 0xFFFFFF));
        else if (i == hover_ && IsEnabled())
            MRender::DrawColor(cr, row, 0x18FFFFFF);
        if (i == cur_)
            MRender::DrawColor(cr, Rect{row.left, row.top, row.left + 3, row.bottom}, select);
        if (item.image >= 0 && images_ && item.image < images_->GetImageCount()) {
            const Size icon = images_->GetIconSize();
            const int y = row.top + (row.Height() - icon.cy) / 2;
            images_->DrawItemIcon(cr, Rect{row.left + 10, y, row.left + 10 + icon.cx, y + icon.cy},
                                  item.image);
        }
        TextStyle style = MakeTextStyle(ink);
        style.vAlign = TextStyle::Center;
        style.ellipsis = true;
        if (!style.family.empty() && i != editIndex_)
            MRender::DrawTextW(cr, TextRect(row, item.image), item.text, style);
        DrawRowExtra(cr, row, i);
    }
}

} // namespace Tolva
