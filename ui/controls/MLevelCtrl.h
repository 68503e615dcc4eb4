#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

namespace Tolva {

// Level selector: one bar per level from the minimum to the maximum, lit up to the current
// level. A click on a bar sets that level and sends 2 (wparam level). With a 2-frame image strip
// (off, on) each bar is drawn from it.
class TOLVA_API MLevelCtrl : public MControlFont {
public:
    MLevelCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
               bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MLevelCtrl"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;

    // A level outside the range changes nothing and returns 0.
    int SetLevelValue(int level);
    int GetLevelValue() const { return level_; }
    // Refused (0) when minimum > maximum or the range has more than 100 levels; the level is
    // clamped into the new range.
    int SetRangeValue(int minimum, int maximum);
    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    // The level under a point (window coordinates), or min - 1 when it is outside.
    int LevelAt(Point pt) const;

private:
    int min_ = 1;
    int max_ = 5;
    int level_ = 1;
    bool pressed_ = false;
};

} // namespace Tolva
