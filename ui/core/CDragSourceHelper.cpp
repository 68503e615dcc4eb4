#include "ui/core/CDragSourceHelper.h"

#include "ui/core/CIDataObject.h"
#include "ui/paint/CairoStateGuard.h"

namespace Tolva {

bool CDragSourceHelper::InitializeFromBitmap(const CIDataObject& data) {
    bitmap_ = data.GetBitmap();
    if (!bitmap_) return false;
    hotSpot_ = {cairo_image_surface_get_width(bitmap_) / 2,
                cairo_image_surface_get_height(bitmap_) / 2};
    return true;
}

void CDragSourceHelper::Draw(cairo_t* cr, Point pt) const {
    if (!bitmap_) return;
    CairoStateGuard guard(cr);
    cairo_set_source_surface(cr, bitmap_, pt.x - hotSpot_.x, pt.y - hotSpot_.y);
    cairo_paint_with_alpha(cr, 0.7);
}

} // namespace Tolva
