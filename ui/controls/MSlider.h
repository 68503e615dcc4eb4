#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <atomic>

namespace Tolva {

// A horizontal slider: a track image under a thumb image (4 frames: normal, hover, pressed,
// disabled). The value runs minimum..maximum; the thumb's left edge sits at
// (width - thumb width) x (value - minimum) / (maximum - minimum) on the track.
class TOLVA_API MSlider : public MControlFont {
public:
    MSlider(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
            bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MSlider"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    void SetControlEnabled(bool enabled) override;

    // Clamps to the range; a negative or unchanged value is ignored. Repaints, sends nothing,
    // returns the value the slider holds afterwards.
    int SetProgress(int value);
    int GetProgress() const { return value_; }
    // The value is pulled into the new range; a maximum below the minimum is refused (0).
    int SetMaxProgress(int maximum);
    int GetMaxProgress() const { return max_; }
    int SetMinProgress(int minimum);
    int GetMinProgress() const { return min_; }
    // The thumb strip (4 frames). Its frame gives the thumb size only where the size set with
    // SetThumbSize is 0. Returns 1, or 0 when the image cannot be loaded.
    int SetThumbImage(const std::string& file, int frames = 4);
    void SetThumbSize(int cx, int cy);
    Size GetThumbSize() const;
    // Moves the thumb to the pointer position `x` (window coordinates) by the pointer rule;
    // with `notify` a changed value sends 8 (new value). Returns the value.
    int MoveThumbPos(int x, bool notify = false);
    // The value at pointer position `x`:
    // minimum + (x - left) x (maximum - minimum + 1) / (width - thumb width), clamped.
    int ValueAtPoint(int x) const;
    // The thumb rectangle in window coordinates (vertically centred).
    Rect ThumbRect() const;
    // Shows the value above the thumb.
    void SetShowText(bool on);
    // `count` tick marks under the track (0: none).
    void SetScale(int count);
    bool IsDragging() const { return dragging_; }

private:
    int ThumbOffset() const;
    // 0 normal, 1 hover, 2 pressed, 3 disabled.
    void SetState(int state);

    std::atomic<int> min_{0};
    std::atomic<int> max_{10};
    std::atomic<int> value_{0};
    int thumbCx_ = 16;
    int thumbCy_ = 27;
    std::shared_ptr<Image> thumbImage_;
    int thumbFrameCx_ = 0;
    int thumbFrameCy_ = 0;
    int thumbFrames_ = 4;
    bool showText_ = false;
    int scale_ = 0;
    bool dragging_ = false;
    int state_ = 0;
};

} // namespace Tolva
