#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

namespace Tolva {

// Check box: an 8-frame strip ("btn_checkbox.png": 4 unchecked, 4 checked) at the left and the
// title beside it. A release inside after a press toggles it and sends 2; with the focus its hot
// key toggles it and sends 7 (0, new check).
class TOLVA_API CCheckButton : public CButtonBase {
public:
    CCheckButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CCheckButton"; }
    void InitControl(PaintManager* manager) override;

protected:
    LPARAM OnClick() override;
    bool SendsPress() const override { return false; }
    bool IsCheckType() const override { return true; }
    void DrawState(cairo_t* cr, int state, const Rect& box) override;
    // Box at the left, title beside it: shared by the check-type buttons.
    void DrawBoxAndTitle(cairo_t* cr, int state, const Rect& box);
    // The strip this kind loads when none was set before its manager came.
    virtual const char* DefaultImage() const { return "btn_checkbox.png"; }
};

} // namespace Tolva
