#include "ui/controls/CComboBoxList.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"
#include "ui/platform/VirtualKeys.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("CComboBoxList",
                                           [](MObject* parent, unsigned id, const Rect& rect,
                                              const std::string& title, bool visible,
                                              bool enabled) -> std::unique_ptr<MControl> {
                                               return std::make_unique<CComboBoxList>(
                                                   parent, id, rect, title, visible, enabled);
                                           });

} // namespace

CComboBoxList::CComboBoxList(MObject* parent, unsigned id, const Rect& rect,
                             const std::string& title, bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {}

void CComboBoxList::SetControlRect(const Rect& rect) {
    MPanel::SetControlRect(rect);
    SyncScroll();
}

void CComboBoxList::SyncScroll() {
    // The rows are drawn, not children: the panel's bar follows their height.
    SetVirtualHeight(GetListHeight());
}

void CComboBoxList::SetTextColor(uint32_t argb) {
    MPanel::SetTextColor(argb);
}

int CComboBoxList::AddItem(const std::string& text, const std::string& icon, uint32_t color) {
    int index = 0;
    {
        std::lock_guard guard(rowsLock_);
        rows_.push_back(Row{text, icon, color});
        index = static_cast<int>(rows_.size()) - 1;
    }
    SyncScroll();
    UpdateControl(true);
    return index;
}

void CComboBoxList::DelAllItems() {
    {
        std::lock_guard guard(rowsLock_);
        rows_.clear();
        hover_ = cur_ = pressed_ = -1;
    }
    SyncScroll();
    UpdateControl(true);
}

int CComboBoxList::GetItemCount() const {
    std::lock_guard guard(rowsLock_);
    return static_cast<int>(rows_.size());
}

int CComboBoxList::GetListHeight() const {
    return GetItemCount() * kRowHeight;
}

void CComboBoxList::SetCurSel(int index) {
    const int n = GetItemCount();
    cur_ = index < 0 || index >= n ? -1 : index;
    UpdateControl(true);
}

int CComboBoxList::ItemAt(Point pt) const {
    const Rect r = GetRect();
    if (!r.Contains(pt)) return -1;
    const int y = pt.y - r.top + ScrollOffset().y;
    const int i = y / kRowHeight;
    return i >= 0 && i < GetItemCount() ? i : -1;
}

int CComboBoxList::OnControlMouseMove(unsigned, Point pt) {
    const int i = ItemAt(pt);
    if (i != hover_) {
        hover_ = i;
        UpdateControl(true);
    }
    return i >= 0 ? 1 : 0;
}

int CComboBoxList::OnControlLButtonDown(unsigned, Point pt) {
    pressed_ = ItemAt(pt);
    return pressed_ >= 0 ? 1 : 0;
}

int CComboBoxList::OnControlLButtonUp(unsigned, Point pt) {
    const int pressed = pressed_;
    pressed_ = -1;
    const int i = ItemAt(pt);
    if (i < 0 || i != pressed) return 0;
    cur_ = i;
    SendMessageW(2, static_cast<WPARAM>(i), kChoiceTag);
    return 1;
}

int CComboBoxList::OnControlKeyDown(unsigned key, unsigned, unsigned) {
    const int n = GetItemCount();
    if (n == 0) return 0;
    const int from = cur_ >= 0 ? cur_ : hover_;
    if (key == VK_DOWN || key == VK_UP) {
        const int next = from < 0 ? 0 : std::clamp(from + (key == VK_DOWN ? 1 : -1), 0, n - 1);
        cur_ = next;
        hover_ = -1;
        UpdateControl(true);
        return 1;
    }
    if (key == VK_RETURN && from >= 0) {
        SendMessageW(2, static_cast<WPARAM>(from), kChoiceTag);
        return 1;
    }
    return 0;
}

void CComboBoxList::DrawControl(cairo_t* cr, const Rect& clip) {
    MPanel::DrawControl(cr, clip);
    const Rect r = GetRect();
    const Rect visible = r.Intersect(clip);
    if (visible.IsEmpty()) return;
    CairoStateGuard guard(cr);
    cairo_rectangle(cr, visible.left, visible.top, visible.Width(), visible.Height());
    cairo_clip(cr);
    const int offset = ScrollOffset().y;
    const bool bar = VerticalBar() && VerticalBar()->IsVisible();
    const int right = r.right - (bar ? 7 : 0);
    const uint32_t select = Manager::GetSelectColor();
    std::lock_guard lock(rowsLock_);
    const int n = static_cast<int>(rows_.size());
    const int first = std::max(0, (visible.top - r.top + offset) / kRowHeight);
    for (int i = first; i < n; ++i) {
        const int top = r.top + i * kRowHeight - offset;
        if (top >= visible.bottom) break;
        const Rect row{r.left, top, right, top + kRowHeight};
        const Row& item = rows_[static_cast<size_t>(i)];
        if (i == hover_ || (hover_ < 0 && i == cur_))
            MRender::DrawColor(cr, row.Inflate(-2, -1), (0x38u << 24) | (select & 0xFFFFFF));
        int x = row.left + 10;
        if (!item.icon.empty() && manager_) {
            if (const ImgResInfo* info = manager_->AddImgResInfo(item.icon, 1)) {
                const int cx = std::min(info->frameWidth, kRowHeight - 8);
                const int cy = std::min(info->height, kRowHeight - 8);
                const int y = top + (kRowHeight - cy) / 2;
                MRender::DrawImagePart(cr, info->image->Surface(0), Rect{x, y, x + cx, y + cy}, 0,
                                       0, info->frameWidth, info->height);
                x += cx + 6;
            }
        }
        if (item.color != 0) {
            MRender::DrawRoundRectange(cr, x, top + 8, 14, kRowHeight - 16, 2, 0xFF5A5F68, 1, true,
                                       item.color);
            x += 20;
        }
        TextStyle style = MakeTextStyle(i == cur_ ? select : GetTextColor());
        style.vAlign = TextStyle::Center;
        style.ellipsis = true;
        if (!style.family.empty())
            MRender::DrawTextW(cr, Rect{x, row.top, row.right - 6, row.bottom}, item.text, style);
    }
}

} // namespace Tolva
