#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

namespace Tolva {

// Button with an icon strip. Optionally check-type (a click toggles) or in a group (a click checks
// it and unchecks the others of the group); a small tip bubble ("img_tip_bk.png") with a short
// text can sit in its top-right corner.
class TOLVA_API CIconButton : public CButtonBase {
public:
    CIconButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CIconButton"; }

    int SetIconImage(const std::string& file, int frames = 4) { return SetIconStrip(file, frames); }
    // A click toggles the check (a button with a group name is checked instead).
    void EnableCheck(bool on) { checkable_ = on; }
    // Drawn pressed while set, whatever the pointer does.
    void SetDownState(bool down);
    bool GetDownState() const { return down_; }
    void SetTips(const std::string& text);
    std::string GetTips() const { return tips_; }
    void SetShowTips(bool show);
    bool GetShowTips() const { return showTips_; }

protected:
    LPARAM OnClick() override;
    void DrawState(cairo_t* cr, int state, const Rect& box) override;

private:
    void DrawTips(cairo_t* cr, const Rect& box);

    bool checkable_ = false;
    bool down_ = false;
    bool showTips_ = false;
    std::string tips_;
    std::shared_ptr<Image> tipBack_;
};

} // namespace Tolva
