#include "ui/widgets/MouseKeyCtrl.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/Manager.h"
#include "ui/paint/MRender.h"
#include "ui/paint/TextFit.h"

#include <algorithm>

namespace Tolva {
namespace {

constexpr uint32_t kDark = 0xFF050505;
constexpr uint32_t kGrey = 0xFF6D6D6D;

const ControlFactory::Registrar
    kRegistrar("MouseKeyCtrl",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MouseKeyCtrl>(parent, id, rect, title, visible, enabled);
               });

} // namespace

MouseKeyCtrl::MouseKeyCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    SetFontWidth(9);
}

void MouseKeyCtrl::Repaint() {
    if (IsVisible()) UpdateControl(true);
}

void MouseKeyCtrl::Layout() {
    const int width = GetRect().Width();
    const int rowH = static_cast<int>(rowHeight_ * scale_);
    int y = 0;
    for (auto& item : items_) {
        item->rect = {0, y, width, y + rowH};
        y += rowH + 5;
    }
}

int MouseKeyCtrl::HitTest(Point local) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->rect.Contains(local)) return static_cast<int>(i);
    return -1;
}

void MouseKeyCtrl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        const uint32_t select = Manager::GetSelectColor();
        std::lock_guard guard(itemLock_);
        Layout();
        const float s = scale_;
        // One face for every name, the largest at which they all fit (names still too long
        // for it are elided), so that the rows look alike.
        const int nameWidth =
            static_cast<int>(80 * s) - static_cast<int>(10 * s) - static_cast<int>(4 * s);
        TextStyle base = MakeTextStyle(textColor_);
        double nameSize = base.size;
        if (!base.family.empty())
            for (const auto& item : items_)
                nameSize = std::min(nameSize, FittedSize(base, item->name, nameWidth, 7.5 * s));
        for (size_t i = 0; i < items_.size(); ++i) {
            const Item& item = *items_[i];
            const Rect row = item.rect;
            const bool selected = static_cast<int>(i) == selected_;
            MRender::DrawColor(mem, row, selected ? select : kGrey);
            if (!selected && static_cast<int>(i) == hover_) {
                // Outline inside the row so that the 2-pixel pen is not cut off.
                cairo_save(mem);
                MRender::SetSourceARGB(mem, select);
                cairo_set_line_width(mem, 2);
                cairo_rectangle(mem, 1 + 1, row.top + 1, r.Width() - 3 - 2, row.Height() - 2);
                cairo_stroke(mem);
                cairo_restore(mem);
            }
            TextStyle style = MakeTextStyle(selected ? kDark : textColor_);
            style.hAlign = TextStyle::Near;
            style.vAlign = TextStyle::Center;
            style.multiLine = false;
            if (style.family.empty()) continue;
            const Rect nameBox{static_cast<int>(10 * s), row.top, static_cast<int>(80 * s),
                               row.bottom};
            // The name keeps a gap before the description; a long one shrinks, then elides.
            TextStyle name = style;
            name.size = nameSize;
            name.ellipsis = MRender::GetTextBounds(name, item.name).cx > nameWidth;
            MRender::DrawTextW(mem,
                               Rect{nameBox.left, nameBox.top,
                                    nameBox.right - static_cast<int>(4 * s), nameBox.bottom},
                               item.name, name);
            if (!item.desc.empty()) {
                const int left = static_cast<int>(80 * s);
                const Rect descBox{left, row.top, left + r.Width() - 80, row.bottom};
                TextStyle desc = style;
                desc.ellipsis = true;
                MRender::DrawTextW(mem, descBox, item.desc, desc);
            }
        }
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

int MouseKeyCtrl::OnControlMouseMove(unsigned, Point pt) {
    const Rect r = GetRect();
    const Point local{pt.x - r.left, pt.y - r.top};
    bool changed = false;
    {
        std::lock_guard guard(itemLock_);
        Layout();
        if (hover_ >= 0 && hover_ < static_cast<int>(items_.size()) &&
            items_[hover_]->rect.Contains(local))
            return 1;
        const int hit = r.Contains(pt) ? HitTest(local) : -1;
        changed = hit != hover_;
        hover_ = hit;
    }
    if (changed) {
        ClearTooltip();
        Repaint();
    }
    return r.Contains(pt) ? 1 : 0;
}

int MouseKeyCtrl::OnControlLButtonDown(unsigned, Point pt) {
    if (!GetRect().Contains(pt)) return 0;
    int index = -1;
    {
        std::lock_guard guard(itemLock_);
        selected_ = hover_;
        index = selected_;
        pressed_ = true;
    }
    Repaint();
    SendMessageW(1, static_cast<WPARAM>(index), 0);
    return 1;
}

int MouseKeyCtrl::OnControlLButtonUp(unsigned, Point pt) {
    int index = -1;
    bool send = false;
    {
        std::lock_guard guard(itemLock_);
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (!wasPressed || !GetRect().Contains(pt)) return 0;
        // A click needs a press that selected an item; a release over empty space after it
        // leaves nothing selected and reports nothing rather than an index of -1.
        if (selected_ == -1) return 1;
        selected_ = hover_;
        index = selected_;
        send = index != -1;
    }
    Repaint();
    if (send) SendMessageW(2, static_cast<WPARAM>(index), 0);
    return 1;
}

void MouseKeyCtrl::SetControlRect(const Rect& rect) {
    MPanel::SetControlRect(rect);
    std::lock_guard guard(itemLock_);
    Layout();
}

int MouseKeyCtrl::AddItem(const std::string& name, const std::string& desc, int keyValue) {
    int index = 0;
    {
        std::lock_guard guard(itemLock_);
        auto item = std::make_unique<Item>();
        item->name = name;
        item->desc = desc;
        item->keyValue = keyValue;
        items_.push_back(std::move(item));
        Layout();
        index = static_cast<int>(items_.size()) - 1;
    }
    Repaint();
    return index;
}

int MouseKeyCtrl::DeleteAllItems() {
    {
        std::lock_guard guard(itemLock_);
        items_.clear();
        hover_ = -1;
        selected_ = -1;
        pressed_ = false;
    }
    Repaint();
    return 1;
}

int MouseKeyCtrl::GetItemCount() const {
    std::lock_guard guard(itemLock_);
    return static_cast<int>(items_.size());
}

void MouseKeyCtrl::SetSelectItem(int index) {
    {
        std::lock_guard guard(itemLock_);
        if (index < -1 || index >= static_cast<int>(items_.size())) return;
        if (selected_ == index) return;
        selected_ = index;
    }
    Repaint();
}

int MouseKeyCtrl::GetSelectItem() const {
    std::lock_guard guard(itemLock_);
    return selected_;
}

int MouseKeyCtrl::GetHoverItem() const {
    std::lock_guard guard(itemLock_);
    return hover_;
}

int MouseKeyCtrl::GetItemKeyValue(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
    return items_[index]->keyValue;
}

std::string MouseKeyCtrl::GetItemKeyName(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    return items_[index]->name;
}

std::string MouseKeyCtrl::GetItemKeyDesc(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    return items_[index]->desc;
}

int MouseKeyCtrl::SetItemKeyDesc(int keyValue, const std::string& desc) {
    {
        std::lock_guard guard(itemLock_);
        for (auto& item : items_)
            if (item->keyValue == keyValue) item->desc = desc;
    }
    Repaint();
    return 1;
}

void MouseKeyCtrl::SetItemText(int index, const std::string& name) {
    {
        std::lock_guard guard(itemLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return;
        if (items_[index]->name == name) return;
        items_[index]->name = name;
    }
    Repaint();
}

void MouseKeyCtrl::SetScaleValue(float factor) {
    if (!(factor > 0)) return; // zero, negative or NaN would collapse every row
    {
        std::lock_guard guard(itemLock_);
        scale_ = factor;
        Layout();
    }
    Repaint();
}

float MouseKeyCtrl::GetScaleValue() const {
    std::lock_guard guard(itemLock_);
    return scale_;
}

Rect MouseKeyCtrl::GetItemRect(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    return items_[index]->rect;
}

} // namespace Tolva
