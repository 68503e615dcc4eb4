#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CCheckButton.h"

namespace Tolva {

// Radio button ("btn_radiobox.png", 8 frames) with a group name: becoming checked unchecks the
// other radio buttons of the same group under the same parent.
class TOLVA_API CRadioButton : public CCheckButton {
public:
    CRadioButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CRadioButton"; }
    // Sets the check as a click would (the group is reset when checked), without notifying.
    void SetControlCheck(bool check);

protected:
    LPARAM OnClick() override;
    const char* DefaultImage() const override { return "btn_radiobox.png"; }
};

} // namespace Tolva
