#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"
#include "ui/widgets/HsbColor.h"

#include <memory>
#include <string>

namespace Tolva {

class Image;

// A hue/brightness field: hue runs left to right over 0..359 degrees; from the top down the
// colour runs from white through the pure hue (the middle line) to black. A press picks the
// colour under the pointer, a drag follows it.
class TOLVA_API MPalette : public MControlFont {
public:
    MPalette(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
             bool visible = true, bool enabled = true);

    ~MPalette() override;

    const char* GetObjectClass() const override { return "MPalette"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;

    // 0x00BBGGRR; moves the thumb to where the field shows the colour closest to it.
    void SetSelectColor(uint32_t colorRef);
    uint32_t GetSelectColor() const { return color_; }
    // A one-frame thumb image from the skin folder; 0 when it cannot be loaded.
    int SetThumbImage(const std::string& file);
    // Height of the field from the widget's top (the widget's height when not set); values
    // below 2 are refused.
    void SetPalletHeight(int height);
    int GetPalletHeight() const;
    // The colour the field shows at a window point (clamped into the field), and back.
    uint32_t ColorAt(Point pt) const;
    Point PointOf(uint32_t colorRef) const;
    // The thumb's centre in window coordinates.
    Point GetThumbPoint() const;
    bool IsDragging() const { return dragging_; }

private:
    Rect Field() const;
    HsbColor HsbAt(int x, int y) const;

    uint32_t color_ = 0x0000FF;
    Point thumb_; // relative to the widget
    int palletHeight_ = 0;
    bool dragging_ = false;
    std::shared_ptr<Image> thumbImage_;
    // The field drawn once per size; the cache only adds the thumb on top.
    cairo_surface_t* field_ = nullptr;
};

} // namespace Tolva
