#include "ui/widgets/KeyFuncControl.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"
#include "ui/widgets/KeyLegend.h"
#include "ui/widgets/KeyboardLayout104.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("KeyFuncControl", TitledCreator<KeyFuncControl>());

} // namespace

KeyFuncControl::KeyFuncControl(MObject* parent, unsigned id, const Rect& rect,
                               const std::string& title, bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    SetFontWidth(9);
}

void KeyFuncControl::InitControl(PaintManager* manager) {
    MPanel::InitControl(manager);
    // Icons come from the window's skin: the items are built once a window is there.
    if (manager && !built_) InitItemInfo();
}

void KeyFuncControl::InitItemInfo() {
    std::vector<std::unique_ptr<KeyFuncItem>> items;
    for (size_t i = 0; i < kKeyboardFunctionButtons.size(); ++i) {
        auto item = std::make_unique<KeyFuncItem>();
        item->data = kKeyboardFunctionButtons[i].code;
        const int left = static_cast<int>(i) * 48;
        item->rect = {left, 0, left + 43, 28};
        if (manager_)
            if (const ImgResInfo* info =
                    manager_->AddImgResInfo(kKeyboardFunctionButtons[i].icon, 1))
                item->icon = info->image;
        items.push_back(std::move(item));
    }
    for (const KeyboardLayoutKey& k : kKeyboardLayout104) {
        auto item = std::make_unique<KeyFuncItem>();
        item->text = k.legend;
        item->data = k.usage;
        item->rect = {k.left, k.top, k.right, k.bottom};
        items.push_back(std::move(item));
    }
    {
        std::lock_guard guard(itemsLock_);
        items_ = std::move(items);
        built_ = true;
    }
    hover_ = pressed_ = checked_ = -1;
    UpdateControl(true);
}

void KeyFuncControl::ClearItems() {
    {
        std::lock_guard guard(itemsLock_);
        items_.clear();
        built_ = true; // cleared on purpose: a later window does not bring them back
    }
    hover_ = pressed_ = checked_ = -1;
    UpdateControl(true);
}

int KeyFuncControl::GetItemCount() const {
    std::lock_guard guard(itemsLock_);
    return static_cast<int>(items_.size());
}

bool KeyFuncControl::GetItem(int index, KeyFuncItem& out) const {
    std::lock_guard guard(itemsLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return false;
    out = *items_[index];
    return true;
}

int KeyFuncControl::HitTest(Point pt) const {
    if (!PtInRect(pt)) return -1;
    const Rect r = GetRect();
    std::lock_guard guard(itemsLock_);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->rect.Offset(r.left, r.top).Contains(pt)) return static_cast<int>(i);
    return -1;
}

void KeyFuncControl::SetItemDesc(int data, const std::string& text) {
    std::lock_guard guard(itemsLock_);
    for (auto& item : items_)
        if (item->data == data) item->text = text;
}

void KeyFuncControl::SetItemCheckByItemData(int data, int second, int third) {
    int found = -1;
    if (data != 0) {
        std::lock_guard guard(itemsLock_);
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i]->data == data && items_[i]->second == second && items_[i]->third == third)
                found = static_cast<int>(i);
    }
    checked_ = found;
    UpdateControl(true);
}

bool KeyFuncControl::GetCurItemData(int& first, int& data, int& second, int& third,
                                    std::string& text) const {
    std::lock_guard guard(itemsLock_);
    const int p = pressed_;
    if (p < 0 || p >= static_cast<int>(items_.size())) return false;
    const KeyFuncItem& item = *items_[p];
    data = item.data;
    second = item.second;
    third = item.third;
    text = item.text;
    return true;
}

int KeyFuncControl::OnControlMouseMove(unsigned, Point pt) {
    const int now = HitTest(pt);
    if (hover_.exchange(now) != now) UpdateControl(true);
    return PtInRect(pt) ? 1 : 0;
}

int KeyFuncControl::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    const int now = HitTest(pt);
    hover_ = now;
    pressed_ = now;
    UpdateControl(true);
    SendMessageW(1, static_cast<WPARAM>(now), 0);
    return 1;
}

int KeyFuncControl::OnControlLButtonUp(unsigned, Point pt) {
    return 1;
}

int KeyFuncControl::OnControlScroll(int, unsigned, Point) {
    return 1;
}

void KeyFuncControl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* m = cairo_create(MemSurface());
        const uint32_t select = Manager::GetSelectColor();
        TextStyle style = MakeTextStyle(GetTextColor());
        style.hAlign = TextStyle::Center;
        style.vAlign = TextStyle::Center;
        const int hover = hover_, pressed = pressed_, checked = checked_;
        std::lock_guard guard(itemsLock_);
        for (size_t i = 0; i < items_.size(); ++i) {
            const KeyFuncItem& item = *items_[i];
            const int at = static_cast<int>(i);
            const Rect box = item.rect;
            if (GetImage())
                DrawImageState(m, at == checked ? std::min(1, GetImageCount() - 1) : 0, box, 4);
            else
                MRender::DrawColor(m, box, at == checked ? select : kItemFill);
            MRender::DrawRectangle(m, box, kItemOutline, 1);
            if (at == hover || at == pressed)
                MRender::DrawRectangle(m, box.Offset(1, 1), select, 1);
            if (item.icon) {
                const Point o = MRender::GetOriginPoint(box, Size{20, 20}, TextStyle::Center,
                                                        TextStyle::Center);
                MRender::DrawImagePart(m, item.icon->Surface(0), {o.x, o.y, o.x + 20, o.y + 20}, 0,
                                       0, item.icon->Width(), item.icon->Height());
            } else {
                // Legends wider than their key go on two lines.
                TextStyle fit = style;
                FitKeyLegend(fit, item.text, box.Width(), box.Height());
                MRender::DrawTextW(m, box, item.text, fit);
            }
        }
        cairo_destroy(m);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
