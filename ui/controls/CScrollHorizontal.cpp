#include "ui/controls/CScrollHorizontal.h"

namespace Tolva {

CScrollHorizontal::CScrollHorizontal(MObject* parent, unsigned id, const Rect& rect,
                                     const std::string& title, bool visible, bool enabled)
    : MScroll(parent, id, rect, false, title, visible, enabled) {}

} // namespace Tolva
