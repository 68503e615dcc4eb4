#pragma once

#include "ui/platform/Geometry.h"

namespace Tolva {
class NativeWindow;
}

// Where the program's small dialogs open.
class DialogPlacement {
public:
    // A width x height window centred on `owner`, kept inside the work area; centred on the
    // screen when the owner is missing, hidden or minimised.
    static Tolva::Rect CentredOn(Tolva::NativeWindow* owner, int width, int height);
};
