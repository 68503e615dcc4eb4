#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MRichEdit.h"

namespace Tolva {

// A numeric field with up and down buttons ("img_spin_up.png", "img_spin_down.png") stacked at
// its right. The buttons, the arrow keys and the wheel step the value inside the range; typed
// digits take effect on Return or when the field loses the focus (text that is no number puts the
// old value back). Every change of the value by the person sends 28 (new value).
class TOLVA_API CSpinButton : public MRichEdit {
public:
    CSpinButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CSpinButton"; }
    void InitControl(PaintManager* manager) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlKeyDown(unsigned key, unsigned repeat, unsigned modifiers) override;
    int OnControlScroll(int delta, unsigned flags, Point pt) override;
    void SetControlFocus(bool focus) override;

    // Clamped into the range; shows it, sends nothing.
    void SetCurValue(int value);
    int GetCurValue() const { return value_; }
    // A reversed range is put in order; the value is pulled into it.
    void SetRange(int minimum, int maximum);
    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    // Changes the value by `delta` within the range; sends 28 when it changed. Returns it.
    int Step(int delta);
    // Takes the typed text as the value (see above); sends 28 when it changed.
    void CommitText();

    // Button places in the control's coordinates (window coordinates like GetRect()).
    Rect UpButtonRect() const;
    Rect DownButtonRect() const;

protected:
    Rect TextBox() const override;
    void DrawDecoration(cairo_t* cr, const Rect& local) override;

private:
    void ApplyRules();
    void ShowValue();
    // 0 none, 1 up, 2 down.
    int ButtonAt(Point pt) const;

    int value_ = 0;
    int min_ = 0;
    int max_ = 100;
    std::shared_ptr<Image> upImage_;
    std::shared_ptr<Image> downImage_;
    int upFrames_ = 4;
    int downFrames_ = 4;
    int hoverButton_ = 0;
    int pressedButton_ = 0;
};

} // namespace Tolva
