#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

namespace Tolva {

// A colour ring: the ring image drawn centred in the widget and a 10 x 10 thumb that can be put
// anywhere on the ring (between 32 and 65 pixels from the centre). The colour reported is the
// ring image's pixel under the thumb.
class TOLVA_API CirclePalette : public MControlFont {
public:
    static constexpr int kInnerRadius = 32; // exclusive
    static constexpr int kOuterRadius = 65; // inclusive
    static constexpr int kThumbSize = 10;
    static constexpr int kDragStep = 5;

    CirclePalette(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                  bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CirclePalette"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;

    // 0x00BBGGRR. Stores and repaints; the thumb stays where it is.
    void SetSelectColor(uint32_t colorRef);
    uint32_t GetSelectColor() const { return color_; }
    // Moves the thumb to a window point on the ring; false when the point is off the ring.
    bool MoveThumbPos(Point pt);
    // Distance of a window point from the widget's centre, truncated.
    int GetDistanse(Point pt) const;
    // The thumb in window coordinates.
    Rect GetThumbRect() const;
    // 0 idle, 1 over the thumb, 2 dragging.
    int GetDragState() const { return dragState_; }
    // The colour the ring shows at a window point (0x00BBGGRR).
    uint32_t ColorAt(Point pt) const;

private:
    Point Centre() const;

    uint32_t color_ = 0x0000FF;
    Rect thumb_; // relative to the widget's top-left corner
    int dragState_ = 0;
    Point lastDrag_;
};

} // namespace Tolva
