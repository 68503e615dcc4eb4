#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

namespace Tolva {

// Push button: a 4-state image strip drawn nine-grid, an optional icon strip and a centred title.
class TOLVA_API MButton : public CButtonBase {
public:
    MButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
            bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MButton"; }
    // Icon strip of `frames` frames (4: one per state). Returns 1, or 0 when it cannot load.
    int SetIconImage(const std::string& file, int frames = 1) { return SetIconStrip(file, frames); }
};

} // namespace Tolva
