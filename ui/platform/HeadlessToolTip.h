#pragma once

#include "ui/platform/ToolTipWindow.h"

namespace Tolva {

// Tip window of the headless back end: it only records what it shows.
class HeadlessToolTip : public ToolTipWindow {
public:
    void Show(const std::string& text, Point screen) override;
    void Hide() override;
};

} // namespace Tolva
