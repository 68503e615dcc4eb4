#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"

namespace Tolva {

// A page of a tab strip: a panel that hosts the page's controls (device widgets included) and
// passes their notifications on to its parent.
class TOLVA_API MTabLayout : public MPanel {
public:
    MTabLayout(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
               bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MTabLayout"; }
};

} // namespace Tolva
