#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MScroll.h"

namespace Tolva {

// The horizontal scroll bar a panel keeps as its child 2, skinned with "img_scroll_h.png".
class TOLVA_API CScrollHorizontal : public MScroll {
public:
    CScrollHorizontal(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                      bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CScrollHorizontal"; }

protected:
    const char* DefaultImage() const override { return "img_scroll_h.png"; }
};

} // namespace Tolva
