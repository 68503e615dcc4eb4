#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CCheckButton.h"

namespace Tolva {

// On/off switch ("btn_switch.png", 8 frames: 4 off, 4 on). A click toggles it and sends 2 with
// the new state in lparam.
class TOLVA_API CSwitchButton : public CCheckButton {
public:
    CSwitchButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                  bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CSwitchButton"; }

protected:
    LPARAM OnClick() override;
    void DrawState(cairo_t* cr, int state, const Rect& box) override;
    const char* DefaultImage() const override { return "btn_switch.png"; }
};

} // namespace Tolva
