#include "app/shell/DialogPlacement.h"

#include "ui/core/MWindow.h"
#include "ui/platform/NativeWindow.h"
#include "ui/platform/Platform.h"

using namespace Tolva;

Rect DialogPlacement::CentredOn(NativeWindow* owner, int width, int height) {
    Rect reference;
    bool usable = false;
    if (owner && Platform::IsWindow(owner)) {
        reference = owner->GetWindowRect();
        usable = owner->IsVisible() && !owner->IsIconic();
    }
    const Rect screen = Platform::GetScreenRect();
    const Point near =
        usable
            ? Point{reference.left + reference.Width() / 2, reference.top + reference.Height() / 2}
            : Point{screen.left + screen.Width() / 2, screen.top + screen.Height() / 2};
    return MWindow::CenteredRect({0, 0, width, height}, reference, usable,
                                 Platform::GetWorkArea(near));
}
