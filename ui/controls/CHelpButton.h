#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

namespace Tolva {

// A small round help button ("btn_help.png" when the skin has it, a drawn "?" otherwise).
class TOLVA_API CHelpButton : public CButtonBase {
public:
    CHelpButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CHelpButton"; }
    void InitControl(PaintManager* manager) override;

protected:
    void DrawState(cairo_t* cr, int state, const Rect& box) override;
};

} // namespace Tolva
