#include "ui/widgets/CRecordList.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MImageList.h"
#include "ui/paint/MRender.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("CRecordList",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<CRecordList>(parent, id, rect, title, visible, enabled);
               });

const char* ActionLabel(int action) {
    if (action == 2) return "Key Down";
    if (action == 3) return "Key Up";
    return "";
}

// The editor only takes digits; anything it cannot read leaves the delay as it was.
bool ParseDelay(const std::string& text, int& out) {
    size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return false;
    size_t e = text.find_last_not_of(" \t");
    long long v = 0;
    auto [ptr, ec] = std::from_chars(text.data() + b, text.data() + e + 1, v);
    if (ec == std::errc::result_out_of_range)
        v = text[b] == '-' ? INT_MIN : INT_MAX;
    else if (ec != std::errc() || ptr != text.data() + e + 1)
        return false;
    out = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    return true;
}

} // namespace

CRecordList::CRecordList(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled), selectColor_(Manager::GetSelectColor()),
      hoverColor_(Manager::GetSelectColor()) {
    SetFontWidth(11);
}

CRecordList::~CRecordList() {
    if (editor_) editor_->SetListener(nullptr);
}

void CRecordList::SetControlRect(const Rect& rect) {
    MPanel::SetControlRect(rect);
    // The panel measures its children; the rows are not children.
    UpdateScroll(false);
}

void CRecordList::SetControlVisible(bool visible) {
    // Hiding the list keeps what was typed, as closing the editor would.
    if (!visible) CloseEdit();
    MPanel::SetControlVisible(visible);
}

void CRecordList::SetControlEnabled(bool enabled) {
    if (!enabled) CloseEdit();
    MPanel::SetControlEnabled(enabled);
}

int CRecordList::GetScrollOffset() const {
    return ScrollOffset().y;
}

void CRecordList::UpdateScroll(bool toEnd) {
    int count = 0;
    {
        std::lock_guard guard(itemsLock_);
        count = static_cast<int>(items_.size());
    }
    const long long total = static_cast<long long>(count) * itemHeight_;
    SetVirtualHeight(static_cast<int>(std::min<long long>(total, INT_MAX)));
    if (auto* bar = VerticalBar()) {
        bar->SetLineStep(itemHeight_);
        if (toEnd) bar->SetPos(bar->GetRange(), false);
    }
}

int CRecordList::HitTest(Point pt) const {
    const Rect r = GetRect();
    if (!r.Contains(pt)) return -1;
    const long long y = static_cast<long long>(pt.y) - r.top + GetScrollOffset();
    std::lock_guard guard(itemsLock_);
    const long long index = y / itemHeight_;
    return index >= 0 && index < static_cast<long long>(items_.size()) ? static_cast<int>(index)
                                                                       : -1;
}

void CRecordList::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    const int w = r.Width(), h = r.Height();
    if (UpdateMemDC(w, h)) {
        cairo_t* m = cairo_create(MemSurface());
        MRender::FillSolidRect(m, {0, 0, w, h}, backColor_);
        TextStyle style = MakeTextStyle(textColor_);
        style.hAlign = TextStyle::Center;
        style.vAlign = TextStyle::Center;
        style.multiLine = false;
        const int offset = GetScrollOffset();
        const int ih = itemHeight_;
        std::lock_guard guard(itemsLock_);
        const int count = static_cast<int>(items_.size());
        first_ = std::min(offset / ih, count);
        last_ = std::min(count - 1, (offset + h - 1) / ih);
        for (int i = first_; i <= last_; ++i) {
            RecordItem& item = *items_[i];
            item.rect = {0, ih * i, w, ih * (i + 1)};
            const int top = ih * i - offset;
            if (i == current_)
                MRender::DrawRectangle(m, {0, top, w - 1, top + ih}, selectColor_, 1);
            else if (i == hover_)
                MRender::DrawRectangle(m, {0, top, w - 1, top + ih}, hoverColor_, 1);
            MRender::DrawTextW(m, {kTextX, top, kTextX + kTextWidth, top + ih}, item.text, style);
            Rect action{kActionX, top, kActionX + kActionWidth, top + ih};
            if (images_ && (item.action == 2 || item.action == 3) &&
                images_->GetItemImageData(item.action - 2)) {
                const Size icon = images_->GetIconSize();
                images_->DrawItemIcon(m, {action.left, top, action.left + icon.cx, top + ih},
                                      item.action - 2);
                action.left += icon.cx + 2;
            }
            MRender::DrawTextW(m, action, ActionLabel(item.action), style);
            MRender::DrawTextW(m, {kDelayX, top, kDelayX + kDelayWidth, top + ih},
                               std::to_string(item.delay), style);
        }
        cairo_destroy(m);
    }
    BlitCache(cr, clip);
}

void CRecordList::SetHover(int index) {
    if (hover_ == index) return;
    hover_ = index;
    UpdateControl(true);
}

int CRecordList::OnControlMouseMove(unsigned, Point pt) {
    SetHover(HitTest(pt));
    return PtInRect(pt) ? 1 : 0;
}

int CRecordList::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    const int index = HitTest(pt);
    hover_ = index;
    const int x = pt.x - GetRect().left;
    const bool onDelay = index >= 0 && x >= kDelayX && x < kDelayX + kDelayWidth;
    // Pressing the delay of the record already being edited keeps the editor as it is.
    if (editing_ && !(onDelay && IndexOf(editing_) == index)) CloseEdit();
    if (current_ != index) {
        current_ = index;
        UpdateControl(true);
    }
    SendMessageW(1, static_cast<WPARAM>(index), 0);
    if (onDelay && !editing_) ShowEdit();
    return 1;
}

int CRecordList::OnControlLButtonUp(unsigned, Point pt) {
    return PtInRect(pt) ? 1 : 0;
}

int CRecordList::OnControlRButtonUp(unsigned, Point pt) {
    const int index = HitTest(pt);
    if (index < 0) return PtInRect(pt) ? 1 : 0;
    if (editing_) CloseEdit();
    const bool changed = current_ != index;
    current_ = index;
    SendMessageW(5, static_cast<WPARAM>(index), 0);
    if (changed) UpdateControl(true);
    return 1;
}

int CRecordList::OnControlScroll(int delta, unsigned flags, Point pt) {
    // The editor sits over one row; it does not follow the rows.
    if (editing_) CloseEdit();
    const int r = MPanel::OnControlScroll(delta, flags, pt);
    SetHover(HitTest(pt));
    return r;
}

LRESULT CRecordList::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id == 1 && code == 8 && editing_) CloseEdit();
    return MPanel::OnBaseMessage(id, code, wparam, lparam);
}

int CRecordList::AddString(const std::string& text, int action, int value, int delay) {
    int index = 0;
    {
        std::lock_guard guard(itemsLock_);
        auto item = std::make_unique<RecordItem>();
        item->text = text;
        item->action = action;
        item->value = value;
        item->delay = delay;
        items_.push_back(std::move(item));
        index = static_cast<int>(items_.size()) - 1;
    }
    if (editing_) CloseEdit();
    UpdateScroll(true);
    UpdateControl(true);
    return index;
}

bool CRecordList::UpdateDelayTime(int delay) {
    {
        std::lock_guard guard(itemsLock_);
        if (items_.empty()) return false;
        items_.back()->delay = delay;
    }
    UpdateControl(true);
    return true;
}

int CRecordList::DeleteItem(int index) {
    {
        std::lock_guard guard(itemsLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
        // An editor open on the record would write into freed memory when it closes.
        if (editing_ == items_[index].get()) CancelEdit();
        items_.erase(items_.begin() + index);
        hover_ = -1;
        current_ = -1;
    }
    UpdateScroll(false);
    UpdateControl(true);
    return 1;
}

void CRecordList::DeleteAllItems() {
    CancelEdit();
    {
        std::lock_guard guard(itemsLock_);
        items_.clear();
        hover_ = -1;
        current_ = -1;
        first_ = 0;
        last_ = -1;
    }
    UpdateScroll(false);
    UpdateControl(true);
}

int CRecordList::GetItemCount() const {
    std::lock_guard guard(itemsLock_);
    return static_cast<int>(items_.size());
}

int CRecordList::SetCurSel(int index) {
    if (index < -1 || index >= GetItemCount()) return 0;
    if (current_ != index) {
        current_ = index;
        UpdateControl(true);
    }
    return 1;
}

void CRecordList::SetItemHeight(int height) {
    if (height < 1 || height == itemHeight_) return;
    CloseEdit();
    itemHeight_ = height;
    UpdateScroll(false);
    UpdateControl(true);
}

void CRecordList::SetImageList(MImageList* list) {
    images_ = list;
    UpdateControl(true);
}

bool CRecordList::SwapItem(int i, int j) {
    std::lock_guard guard(itemsLock_);
    const int count = static_cast<int>(items_.size());
    if (i < 0 || j < 0 || i >= count || j >= count || i == j) return false;
    std::swap(items_[i], items_[j]);
    return true;
}

std::vector<RecordItem*> CRecordList::GetRecordItems() const {
    std::lock_guard guard(itemsLock_);
    std::vector<RecordItem*> out;
    out.reserve(items_.size());
    for (const auto& item : items_)
        out.push_back(item.get());
    return out;
}

bool CRecordList::GetItem(int index, RecordItem& out) const {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return false;
    out = *items_[index];
    return true;
}

int CRecordList::IndexOf(const RecordItem* item) const {
    if (!item) return -1;
    std::lock_guard guard(itemsLock_);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
}

int CRecordList::GetEditIndex() const {
    return IndexOf(editing_);
}

bool CRecordList::ShowEdit() {
    if (!editEnabled_ || !IsEnabled() || current_ < 0 || hover_ < 0 || !manager_) return false;
    RecordItem* item = nullptr;
    {
        std::lock_guard guard(itemsLock_);
        if (hover_ >= static_cast<int>(items_.size())) return false;
        item = items_[hover_].get();
    }
    if (editing_ && editing_ != item) CloseEdit();
    if (!editor_) {
        editor_ = Platform::CreateEdit(manager_->GetHwnd());
        if (!editor_) return false;
        editor_->SetListener(this);
        editor_->SetNumberOnly(true);
        editor_->SetLimit(9);
        editor_->SetAlignment(1);
    }
    const Rect r = GetRect();
    const int fontPx = GetFontWidth();
    const int boxHeight = std::min(itemHeight_, fontPx + 10);
    const int rowTop = r.top + itemHeight_ * hover_ - GetScrollOffset();
    // Text a little above the row's centre, where the drawn delay sits.
    const int top = rowTop + (itemHeight_ - boxHeight) / 2 - 3;
    editor_->SetColors(0xFFFFFF, 0x080808);
    editor_->SetFont(GetFontFamily(GetTextFont()), fontPx, false);
    editor_->SetRect({r.left + kDelayX, top, r.left + kDelayX + kDelayWidth, top + boxHeight});
    editor_->SetText(std::to_string(item->delay));
    editing_ = item;
    editor_->Show(true);
    editor_->SelectAll();
    editor_->SetFocus();
    return true;
}

bool CRecordList::CloseEdit() {
    if (!editing_ || !editor_ || closing_) return false;
    closing_ = true;
    std::string text = editor_->GetText();
    if (text.find_first_not_of(" \t") == std::string::npos) text = std::to_string(kEmptyDelay);
    RecordItem* item = editing_;
    editing_ = nullptr;
    int index = -1;
    bool changed = false;
    int delay = 0;
    if (ParseDelay(text, delay)) {
        std::lock_guard guard(itemsLock_);
        for (size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].get() != item) continue;
            index = static_cast<int>(i);
            if (item->delay != delay) {
                item->delay = delay;
                changed = true;
            }
            break;
        }
    }
    editor_->Show(false);
    closing_ = false;
    if (changed) {
        SendMessageW(29, 0, index);
        UpdateControl(true);
    }
    return true;
}

void CRecordList::CancelEdit() {
    if (!editing_) return;
    editing_ = nullptr;
    closing_ = true;
    if (editor_) editor_->Show(false);
    closing_ = false;
}

bool CRecordList::OnEditKey(NativeEdit&, int virtualKey) {
    if (virtualKey == VK_RETURN || virtualKey == VK_TAB) {
        CloseEdit();
        return true;
    }
    if (virtualKey == VK_ESCAPE) {
        CancelEdit();
        return true;
    }
    return false;
}

void CRecordList::OnEditFocusLost(NativeEdit&) {
    CloseEdit();
}

void CRecordList::SetSelectColor(uint32_t argb) {
    selectColor_ = argb;
    UpdateControl(true);
}

void CRecordList::SetHoverColor(uint32_t argb) {
    hoverColor_ = argb;
    UpdateControl(true);
}

void CRecordList::SetBackColor(uint32_t colorRef) {
    backColor_ = colorRef;
    UpdateControl(true);
}

} // namespace Tolva
