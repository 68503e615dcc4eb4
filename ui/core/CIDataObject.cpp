#include "ui/core/CIDataObject.h"

namespace Tolva {

CIDataObject::CIDataObject(MControl* source, cairo_surface_t* bitmap)
    : source_(source), bitmap_(bitmap) {}

CIDataObject::~CIDataObject() {
    if (bitmap_) cairo_surface_destroy(bitmap_);
}

bool CIDataObject::QueryGetData(int format) const {
    return bitmap_ && (format == kFormatBitmap || format == kFormatEnhMetaFile);
}

} // namespace Tolva
