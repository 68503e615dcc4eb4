#include "ui/core/Caret.h"

#include "ui/paint/CairoStateGuard.h"
#include "ui/platform/Platform.h"

#include <algorithm>

namespace Tolva {

void Caret::Create(MObject* owner, int width, int height) {
    if (shown_) Show(false);
    owner_ = owner;
    rect_ = {rect_.left, rect_.top, rect_.left + std::max(width, 0),
             rect_.top + std::max(height, 0)};
}

bool Caret::Show(bool show) {
    if (show && !owner_) return false;
    shown_ = show;
    on_ = show;
    if (!window_ || !Platform::IsWindow(window_)) return true;
    if (show)
        RestartBlink();
    else
        window_->KillTimer(kTimerId);
    Repaint(rect_);
    return true;
}

void Caret::SetPos(Point pt) {
    const Rect old = rect_;
    rect_ = old.Offset(pt.x - old.left, pt.y - old.top);
    Repaint(old);
    Repaint(rect_);
    if (shown_) {
        // A moving caret (typing, arrow keys) stays lit; the blink starts over.
        on_ = true;
        RestartBlink();
    }
}

void Caret::Toggle() {
    on_ = !on_;
    Repaint(rect_);
}

void Caret::Release() {
    if (shown_) Show(false);
    owner_ = nullptr;
}

void Caret::Draw(cairo_t* cr) const {
    if (!shown_ || !on_ || rect_.IsEmpty()) return;
    CairoStateGuard guard(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, rect_.left, rect_.top, rect_.Width(), rect_.Height());
    cairo_fill(cr);
}

void Caret::Repaint(const Rect& r) const {
    if (window_) Platform::InvalidateRect(window_, &r);
}

void Caret::RestartBlink() const {
    if (window_ && Platform::IsWindow(window_))
        window_->SetTimer(kTimerId, Platform::GetDoubleClickTime() / 2 + 1);
}

} // namespace Tolva
