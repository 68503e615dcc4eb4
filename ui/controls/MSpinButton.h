#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"
#include "ui/platform/NativeEdit.h"

#include <atomic>
#include <memory>

namespace Tolva {

// A numeric spin box: the value in a field with up and down buttons ("img_spin_up.png",
// "img_spin_down.png") at its right. The buttons, the arrow keys (while focused or under the
// pointer) and typing into the field change the value inside the range; a change sends 28
// (new value).
class TOLVA_API MSpinButton : public MPanel, public EditListener {
public:
    MSpinButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);
    ~MSpinButton() override;

    const char* GetObjectClass() const override { return "MSpinButton"; }
    void InitControl(PaintManager* manager) override;
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlKeyDown(unsigned key, unsigned repeat, unsigned modifiers) override;
    int OnControlScroll(int delta, unsigned flags, Point pt) override;
    void SetControlVisible(bool visible) override;
    void SetControlEnabled(bool enabled) override;
    void SetControlRect(const Rect& rect) override;

    // Clamped into the range; repaints, sends nothing.
    void SetCurValue(int value);
    int GetCurValue() const { return value_; }
    // A reversed range is put in order; the value is pulled into it.
    void SetRange(int minimum, int maximum);
    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    // Most digits the field takes (0: no limit).
    void SetLimitLength(int digits);
    // Changes the value by `delta` within the range; sends 28 when it changed. Returns the value.
    int Step(int delta);

    Rect UpButtonRect() const;
    Rect DownButtonRect() const;
    Rect FieldRect() const;
    // The field's editor: opened by a press on the field, closed by Return, Escape or leaving it.
    bool IsEditShown() const;
    NativeEdit* GetEdit() const { return edit_.get(); }
    void CloseEdit(bool commit);

    void OnEditFocusLost(NativeEdit& edit) override;
    bool OnEditKey(NativeEdit& edit, int virtualKey) override;

private:
    bool ShowEdit();
    // 0 none, 1 up, 2 down.
    int ButtonAt(Point pt) const;

    std::atomic<int> value_{0};
    std::atomic<int> min_{0};
    std::atomic<int> max_{100};
    int limit_ = 0;
    std::shared_ptr<Image> upImage_;
    std::shared_ptr<Image> downImage_;
    Size buttonFrame_{16, 12};
    int hoverButton_ = 0;
    int pressedButton_ = 0;
    bool hovering_ = false;
    std::unique_ptr<NativeEdit> edit_;
};

} // namespace Tolva
