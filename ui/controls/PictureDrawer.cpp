#include "ui/controls/PictureDrawer.h"

#include "ui/paint/MRender.h"
#include "ui/paint/TextStyle.h"

namespace Tolva {

bool PictureDrawer::SetShowMode(int mode) {
    if (mode < Stretch || mode > Custom) return false;
    mode_ = mode;
    return true;
}

bool PictureDrawer::SetShowModeMID(int left, int top, int right, int bottom) {
    if (left < 0 || top < 0 || right < 0 || bottom < 0) return false;
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    mode_ = MID;
    return true;
}

void PictureDrawer::Draw(cairo_t* cr, cairo_surface_t* image, const Rect& frame,
                         const Rect& dest) const {
    if (!image || frame.IsEmpty() || dest.IsEmpty()) return;
    switch (mode_) {
    case Center: {
        const Size size{frame.Width(), frame.Height()};
        const Point o = MRender::GetOriginPoint(dest, size, TextStyle::Center, TextStyle::Center);
        cairo_save(cr);
        cairo_rectangle(cr, dest.left, dest.top, dest.Width(), dest.Height());
        cairo_clip(cr);
        MRender::DrawImagePart(cr, image, Rect{o.x, o.y, o.x + size.cx, o.y + size.cy}, frame.left,
                               frame.top, size.cx, size.cy);
        cairo_restore(cr);
        return;
    }
    case MID:
        MRender::DrawImageFrameMID(cr, image, dest, frame.left, frame.top, frame.Width(),
                                   frame.Height(), left_, top_, right_, bottom_);
        return;
    case Custom: {
        // The custom part is relative to the frame and never reaches outside it.
        const Rect part = custom_.Offset(frame.left, frame.top).Intersect(frame);
        if (part.IsEmpty()) return;
        MRender::DrawImagePart(cr, image, dest, part.left, part.top, part.Width(), part.Height());
        return;
    }
    default:
        MRender::DrawImagePart(cr, image, dest, frame.left, frame.top, frame.Width(),
                               frame.Height());
    }
}

} // namespace Tolva
