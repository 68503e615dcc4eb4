#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"

#include <cairo.h>

namespace Tolva {

class CIDataObject;

// The picture that follows the pointer during a drag, with its hot spot at the centre.
class TOLVA_API CDragSourceHelper {
public:
    // Takes the data object's picture; false when it has none.
    bool InitializeFromBitmap(const CIDataObject& data);
    Point GetHotSpot() const { return hotSpot_; }
    // Draws the picture translucent with its hot spot at `pt`.
    void Draw(cairo_t* cr, Point pt) const;
    void Reset() { bitmap_ = nullptr; }

private:
    cairo_surface_t* bitmap_ = nullptr; // owned by the data object
    Point hotSpot_;
};

} // namespace Tolva
