#include "ui/core/CIDropSource.h"

namespace Tolva {

CIDropSource::Decision CIDropSource::QueryContinueDrag(bool escapePressed, WPARAM mouseKeys) const {
    if (escapePressed) return Decision::Cancel;
    if (!(mouseKeys & MK_LBUTTON)) return Decision::Drop;
    return Decision::Continue;
}

CursorShape CIDropSource::GiveFeedback(int effect) const {
    return effect == EffectNone ? CursorShape::No : CursorShape::Arrow;
}

} // namespace Tolva
