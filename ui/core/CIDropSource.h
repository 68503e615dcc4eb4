#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Messages.h"
#include "ui/platform/NativeWindow.h"

namespace Tolva {

// The source side of a drag: decides from the keys whether it goes on, drops or is cancelled,
// and which cursor shows the effect.
class TOLVA_API CIDropSource {
public:
    enum class Decision { Continue, Drop, Cancel };
    enum Effect { EffectNone = 0, EffectCopy = 1, EffectMove = 2 };

    // Escape cancels; releasing the left button drops; otherwise the drag goes on.
    Decision QueryContinueDrag(bool escapePressed, WPARAM mouseKeys) const;
    CursorShape GiveFeedback(int effect) const;
};

} // namespace Tolva
