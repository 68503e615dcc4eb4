#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <atomic>
#include <string>

namespace Tolva {

// Scroll bar base. The position runs 0..range (the content size); the thumb shows the visible
// part (the page) of the content. The thumb is frame 0..3 of the bar's 4-frame strip (normal,
// hover, pressed, disabled), drawn nine-grid; without an image a plain rounded thumb is drawn.
// A position changed by the pointer or by ScrollRow sends notification 8 (wparam position).
class TOLVA_API MScroll : public MControlFont {
public:
    // Thickness of a panel's bars.
    static constexpr int kThickness = 5;
    // Scroll-bar image resource ids of the library's own strips.
    static constexpr int kVerticalResID = 102;
    static constexpr int kHorizontalResID = 101;

    MScroll(MObject* parent, unsigned id, const Rect& rect, bool vertical,
            const std::string& title = {}, bool visible = true, bool enabled = true);

    void InitControl(PaintManager* manager) override;
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlScroll(int delta, unsigned flags, Point pt) override;
    void SetControlEnabled(bool enabled) override;

    bool IsVertical() const { return vertical_; }

    // The maximum position (the content size); the position is clamped into it.
    void SetScrollMaxRange(int range);
    int GetScrollMaxRange() const { return range_; }
    // Moves without notifying; false when the position did not change.
    bool SetScrollCurrentPos(int pos);
    int GetScrollCurrentPos() const { return pos_; }
    // Moves to the end of the range and notifies; false when it was there already.
    bool SetScrollFinalPos();
    // The visible part of the content (thumb length relative to the range).
    void SetScrollSize(int page);
    int GetScrollSize() const { return page_; }
    void SetScrollInfo(int range, int page, int pos);
    // Moves `rows` line steps (positive: towards the end), clamped, and notifies when it moved.
    // Returns the new position.
    int ScrollRow(int rows);

    // The same state under the names the panel uses.
    void SetRange(int range, int page);
    int GetRange() const { return range_; }
    int GetPage() const { return page_; }
    // Clamped to 0..range; true when the position changed. Sends 8 when `notify`.
    bool SetPos(int pos, bool notify = true);
    int GetPos() const { return pos_; }
    void SetLineStep(int step) { lineStep_ = step > 0 ? step : 1; }
    int GetLineStep() const { return lineStep_; }
    // The thumb in window coordinates.
    Rect ThumbRect() const;
    // The state frame the thumb is drawn with: 0 normal, 1 hover, 2 pressed, 3 disabled.
    int GetThumbState() const;
    bool IsDragging() const { return dragging_; }

    // Skins the bar from a scroll-bar image resource id: the library's ids name the bar's own
    // strip, any other id "res_<id>.png" in the skin folder. Returns 1, or 0 when the image
    // cannot be loaded (the bar then keeps its strip).
    int SetScrollResID(int resourceId);
    // The file a resource id stands for.
    std::string ImageForResID(int resourceId) const;

protected:
    // The bar's own strip ("img_scroll_v.png" or "img_scroll_h.png").
    virtual const char* DefaultImage() const = 0;

private:
    bool vertical_ = true;
    // Read by animation ticks through the panel's repaint requests.
    std::atomic<int> range_{0};
    std::atomic<int> page_{0};
    std::atomic<int> pos_{0};
    std::atomic<int> lineStep_{30};
    bool dragging_ = false;
    bool hover_ = false;
    int dragOffset_ = 0;
};

} // namespace Tolva
