#include "ui/widgets/MouseCtrl.h"

#include "ui/core/ControlFactory.h"
#include "ui/paint/MRender.h"
#include "ui/paint/TextFit.h"

#include <cmath>

namespace Tolva {
namespace {

constexpr uint32_t kDark = 0xFF050505;
constexpr uint32_t kGrey = 0xFF6D6D6D;
constexpr uint32_t kWhite = 0xFFFFFFFF;

const ControlFactory::Registrar
    kRegistrar("MouseCtrl",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MouseCtrl>(parent, id, rect, title, visible, enabled);
               });

int Scaled(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

MouseCtrl::MouseCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                     bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    SetFontWidth(9);
    SetImageCount(2);
}

void MouseCtrl::Repaint() {
    if (IsVisible()) UpdateControl(true);
}

void MouseCtrl::Layout() {
    const double s = scale_;
    for (auto& item : items_) {
        if (item->side == 1) {
            const double x = item->second.x * s, y = item->second.y * s;
            item->label = {Scaled(x + s), Scaled(y - 13 * s), Scaled(x + 67 * s),
                           Scaled(y + 13 * s)};
        } else {
            const double x = item->first.x * s, y = item->first.y * s;
            item->label = {Scaled(x - 67 * s), Scaled(y - 13 * s), Scaled(x - s),
                           Scaled(y + 13 * s)};
        }
    }
}

int MouseCtrl::HitTest(Point local) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->label.Contains(local)) return static_cast<int>(i);
    return -1;
}

void MouseCtrl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        cairo_set_antialias(mem, CAIRO_ANTIALIAS_GOOD);
        std::lock_guard guard(itemLock_);
        Layout();
        const double s = scale_;
        for (size_t i = 0; i < items_.size(); ++i) {
            const Item& item = *items_[i];
            const bool lit = static_cast<int>(i) == selected_ || static_cast<int>(i) == hover_;
            // Lines sit on pixel centres so that a 1-pixel line stays 1 pixel wide.
            cairo_save(mem);
            MRender::SetSourceARGB(mem, lit ? kWhite : kGrey);
            cairo_set_line_width(mem, 1);
            cairo_move_to(mem, item.first.x * s + 0.5, item.first.y * s + 0.5);
            cairo_line_to(mem, item.second.x * s + 0.5, item.second.y * s + 0.5);
            cairo_stroke(mem);
            const Point dot = item.side == 1 ? item.first : item.second;
            cairo_arc(mem, dot.x * s + 0.5, dot.y * s + 0.5, 2 * s, 0, 2 * M_PI);
            cairo_fill(mem);
            cairo_restore(mem);
            DrawImageState(mem, lit ? 1 : 0, item.label, 6);
            TextStyle style = MakeTextStyle(lit ? kDark : kWhite);
            style.hAlign = TextStyle::Center;
            style.vAlign = TextStyle::Center;
            style.multiLine = false;
            if (style.family.empty()) continue;
            Rect box = item.label;
            if (item.text.find("Button") != std::string::npos) box = box.Offset(0, -1);
            // Long names ("Forward Button", translations) shrink to the label, then elide.
            const int pad = Scaled(3 * s);
            box = Rect{box.left + pad, box.top, box.right - pad, box.bottom};
            FitLabel(style, item.text, box.Width(), box.Height(), 7.5 * s, 6.5 * s);
            MRender::DrawTextW(mem, box, item.text, style);
        }
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

int MouseCtrl::OnControlMouseMove(unsigned, Point pt) {
    const Rect r = GetRect();
    const Point local{pt.x - r.left, pt.y - r.top};
    bool changed = false;
    {
        std::lock_guard guard(itemLock_);
        Layout();
        if (hover_ >= 0 && hover_ < static_cast<int>(items_.size()) &&
            items_[hover_]->label.Contains(local))
            return 1;
        const int hit = r.Contains(pt) ? HitTest(local) : -1;
        changed = hit != hover_;
        hover_ = hit;
    }
    if (changed) Repaint();
    return r.Contains(pt) ? 1 : 0;
}

int MouseCtrl::OnControlLButtonDown(unsigned, Point pt) {
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

int MouseCtrl::OnControlLButtonUp(unsigned, Point pt) {
    int index = -1;
    {
        std::lock_guard guard(itemLock_);
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (!wasPressed || !GetRect().Contains(pt)) return 0;
        // Only a press that selected a label makes a click, and only over a label.
        if (selected_ == -1) return 1;
        selected_ = hover_;
        index = selected_;
    }
    Repaint();
    if (index != -1) SendMessageW(2, static_cast<WPARAM>(index), 0);
    return 1;
}

int MouseCtrl::AddItem(const std::string& text, int keyValue, int side, Point first, Point second) {
    int index = 0;
    {
        std::lock_guard guard(itemLock_);
        auto item = std::make_unique<Item>();
        item->text = text;
        item->keyValue = keyValue;
        item->side = side;
        item->first = first;
        item->second = second;
        items_.push_back(std::move(item));
        Layout();
        index = static_cast<int>(items_.size()) - 1;
    }
    Repaint();
    return index;
}

void MouseCtrl::DeleteAllItems() {
    {
        std::lock_guard guard(itemLock_);
        items_.clear();
        hover_ = -1;
        selected_ = -1;
        pressed_ = false;
    }
    Repaint();
}

int MouseCtrl::GetItemCount() const {
    std::lock_guard guard(itemLock_);
    return static_cast<int>(items_.size());
}

void MouseCtrl::SetSelectItem(int index) {
    {
        std::lock_guard guard(itemLock_);
        if (index < -1 || index >= static_cast<int>(items_.size())) return;
        if (selected_ == index) return;
        selected_ = index;
    }
    Repaint();
}

int MouseCtrl::GetSelectItem() const {
    std::lock_guard guard(itemLock_);
    return selected_;
}

int MouseCtrl::GetHoverItem() const {
    std::lock_guard guard(itemLock_);
    return hover_;
}

std::string MouseCtrl::GetItemText(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    return items_[index]->text;
}

void MouseCtrl::SetItemText(int index, const std::string& text) {
    {
        std::lock_guard guard(itemLock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return;
        if (items_[index]->text == text) return;
        items_[index]->text = text;
    }
    Repaint();
}

int MouseCtrl::GetItemKeyValue(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return 0;
    return items_[index]->keyValue;
}

void MouseCtrl::SetScaleValue(float factor) {
    if (!(factor > 0)) return; // zero, negative or NaN would collapse every label
    {
        std::lock_guard guard(itemLock_);
        scale_ = factor;
        Layout();
    }
    Repaint();
}

float MouseCtrl::GetScaleValue() const {
    std::lock_guard guard(itemLock_);
    return scale_;
}

Rect MouseCtrl::GetItemRect(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    return items_[index]->label;
}

Point MouseCtrl::GetItemDot(int index) const {
    std::lock_guard guard(itemLock_);
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    const Item& item = *items_[index];
    const Point p = item.side == 1 ? item.first : item.second;
    return {Scaled(p.x * scale_), Scaled(p.y * scale_)};
}

} // namespace Tolva
