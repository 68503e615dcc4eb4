#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

namespace Tolva {

// A text button: its title in a colour per state (a link-like button), on its image when it has
// one.
class TOLVA_API CTextButton : public CButtonBase {
public:
    CTextButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CTextButton"; }
    // ARGB colours of the title for normal, hover, pressed and disabled.
    void SetTextButtonColor(uint32_t normal, uint32_t hover, uint32_t pressed, uint32_t disabled);
    uint32_t GetTextButtonColor(int state) const;

protected:
    void DrawState(cairo_t* cr, int state, const Rect& box) override;

private:
    uint32_t colors_[4] = {0xFFD5D9E0, 0xFF10A8FD, 0xFF0B78B8, 0xFF808080};
};

} // namespace Tolva
