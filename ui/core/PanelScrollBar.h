#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControl.h"

#include <atomic>

namespace Tolva {

// The thin scroll bar a panel keeps as its child 1 (vertical) or 2 (horizontal). The position
// runs 0..range; the thumb shows the visible part of the content.
class TOLVA_API PanelScrollBar : public MControl {
public:
    PanelScrollBar(MObject* parent, unsigned id, const Rect& rect, bool vertical);

    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;

    bool IsVertical() const { return vertical_; }
    void SetRange(int range, int page);
    int GetRange() const { return range_; }
    int GetPage() const { return page_; }
    // Clamped to 0..range; returns true when the position changed. Sends 8 (new position).
    bool SetPos(int pos, bool notify = true);
    int GetPos() const { return pos_; }
    void SetLineStep(int step) { lineStep_ = step > 0 ? step : 1; }
    int GetLineStep() const { return lineStep_; }
    // The thumb in window coordinates.
    Rect ThumbRect() const;

private:
    bool vertical_ = true;
    // Read by animation ticks through the panel's repaint requests.
    std::atomic<int> range_{0};
    std::atomic<int> page_{0};
    std::atomic<int> pos_{0};
    int lineStep_ = 30;
    bool dragging_ = false;
    int dragOffset_ = 0;
};

} // namespace Tolva
