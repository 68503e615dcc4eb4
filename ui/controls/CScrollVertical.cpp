#include "ui/controls/CScrollVertical.h"

namespace Tolva {

CScrollVertical::CScrollVertical(MObject* parent, unsigned id, const Rect& rect,
                                 const std::string& title, bool visible, bool enabled)
    : MScroll(parent, id, rect, true, title, visible, enabled) {}

} // namespace Tolva
