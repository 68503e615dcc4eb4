#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControl.h"

namespace Tolva {

// A plain rectangle: a colour fill, optionally framed, or a colour layer whose transparency runs
// from one end to the other.
class TOLVA_API CArea : public MControl {
public:
    CArea(MObject* parent, unsigned id, const Rect& rect, bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CArea"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;

    // `start` and `end` are transparency percentages 0..100 (clamped); colour is ARGB.
    void SetTransparent(int start, int end, uint32_t color, bool vertical = true);
    // A 1-pixel frame in `color` (ARGB) around a solid area.
    void SetFrame(bool on, uint32_t color);
    // Alpha of a line at `index` of `count` lines of the transparency layer.
    int LineAlpha(int index, int count) const;

private:
    int start_ = 0;
    int end_ = 0;
    uint32_t color_ = 0xFF000000;
    bool vertical_ = true;
    bool frame_ = false;
    uint32_t frameColor_ = 0xFF575757;
};

} // namespace Tolva
