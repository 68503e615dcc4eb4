#include "ui/platform/ToolTipWindow.h"

namespace Tolva {

ToolTipWindow::~ToolTipWindow() = default;

} // namespace Tolva
