#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"

#include <cairo.h>

namespace Tolva {

// How the picture controls put an image into their rectangle: stretched, centred at its own
// size, nine-grid with four insets, or a custom part of the image stretched.
class TOLVA_API PictureDrawer {
public:
    enum Mode { Stretch = 0, Center = 1, MID = 2, Custom = 3 };

    // Unknown modes are refused (false).
    bool SetShowMode(int mode);
    int GetShowMode() const { return mode_; }
    // Nine-grid insets; negative insets are refused (false).
    bool SetShowModeMID(int left, int top, int right, int bottom);
    // The part of each frame to show; it is clipped to the frame when drawn.
    void SetCustomRect(const Rect& rect) { custom_ = rect; }
    Rect GetCustomRect() const { return custom_; }

    // Draws `frame` (a part of `image`) into `dest` by the mode.
    void Draw(cairo_t* cr, cairo_surface_t* image, const Rect& frame, const Rect& dest) const;

private:
    int mode_ = Stretch;
    int left_ = 4, top_ = 4, right_ = 4, bottom_ = 4;
    Rect custom_;
};

} // namespace Tolva
