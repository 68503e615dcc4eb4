#include "ui/core/DragTracker.h"

#include <cstdlib>

namespace Tolva {

void DragTracker::Arm(MControl* source, cairo_surface_t* bitmap, Point pt) {
    helper_.Reset();
    data_ = std::make_unique<CIDataObject>(source, bitmap);
    helper_.InitializeFromBitmap(*data_);
    pending_ = true;
    dragging_ = false;
    last_ = pt;
}

bool DragTracker::TryStart(Point pt) {
    if (!pending_) return false;
    const bool jumped = std::abs(pt.x - last_.x) > 2 && std::abs(pt.y - last_.y) > 2;
    last_ = pt;
    if (jumped) return false;
    pending_ = false;
    dragging_ = true;
    return true;
}

std::unique_ptr<CIDataObject> DragTracker::Finish() {
    const bool was = dragging_;
    pending_ = dragging_ = false;
    helper_.Reset();
    std::unique_ptr<CIDataObject> data = std::move(data_);
    return was ? std::move(data) : nullptr;
}

void DragTracker::Forget(const std::function<bool(MControl*)>& matches) {
    if (!data_ || !data_->GetSource() || !matches(data_->GetSource())) return;
    Finish();
}

void DragTracker::Draw(cairo_t* cr) const {
    if (dragging_) helper_.Draw(cr, last_);
}

} // namespace Tolva
