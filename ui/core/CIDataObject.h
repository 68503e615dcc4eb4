#pragma once

#include "ui/TolvaApi.h"

#include <cairo.h>

namespace Tolva {

class MControl;

// What a drag between controls of the program carries: the source control and its picture.
class TOLVA_API CIDataObject {
public:
    // Clipboard format numbers of the two formats a drag offers.
    static constexpr int kFormatBitmap = 2;
    static constexpr int kFormatEnhMetaFile = 14;

    // Takes ownership of `bitmap` (may be null: a drag without a picture).
    CIDataObject(MControl* source, cairo_surface_t* bitmap);
    ~CIDataObject();
    CIDataObject(const CIDataObject&) = delete;
    CIDataObject& operator=(const CIDataObject&) = delete;

    // True for the picture formats when a picture is there.
    bool QueryGetData(int format) const;
    // The picture (owned by the object); null without one.
    cairo_surface_t* GetBitmap() const { return bitmap_; }
    MControl* GetSource() const { return source_; }
    // The source is going away; the drag goes on without it.
    void ForgetSource() { source_ = nullptr; }

private:
    MControl* source_ = nullptr;
    cairo_surface_t* bitmap_ = nullptr;
};

} // namespace Tolva
