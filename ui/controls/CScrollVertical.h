#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MScroll.h"

namespace Tolva {

// The vertical scroll bar a panel keeps as its child 1, skinned with "img_scroll_v.png".
class TOLVA_API CScrollVertical : public MScroll {
public:
    CScrollVertical(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                    bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CScrollVertical"; }

protected:
    const char* DefaultImage() const override { return "img_scroll_v.png"; }
};

} // namespace Tolva
