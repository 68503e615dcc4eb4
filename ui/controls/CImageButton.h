#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MButton.h"

namespace Tolva {

// Image-only push button ("btn_apply.png", "sysbtn_close.png"). In balloon mode its tip text is
// shown in the window's balloon tip while the pointer is over it instead of a plain tool tip.
class TOLVA_API CImageButton : public MButton {
public:
    CImageButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);
    ~CImageButton() override;

    const char* GetObjectClass() const override { return "CImageButton"; }
    int OnControlMouseMove(unsigned flags, Point pt) override;
    void SetControlVisible(bool visible) override;
    void SetControlEnabled(bool enabled) override;

    // Balloon mode on or off; `text` (or the tool tip text when empty) is what the balloon shows,
    // `type` its arrow side (0 left, 1 right, 2 top).
    void SetAlrBladderMode(bool on, const std::string& text = {}, int type = 2);
    bool GetAlrBladderMode() const { return bladder_; }
    bool IsBalloonShown() const { return balloonShown_; }

protected:
    void DrawState(cairo_t* cr, int state, const Rect& box) override;

private:
    void ShowBalloon(bool show);

    bool bladder_ = false;
    bool balloonShown_ = false;
    std::string bladderText_;
    int bladderType_ = 2;
};

} // namespace Tolva
