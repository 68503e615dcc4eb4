#include "ui/platform/HeadlessToolTip.h"

#include <algorithm>

#include "ui/platform/Platform.h"

namespace Tolva {

void HeadlessToolTip::Show(const std::string& text, Point screen) {
    if (text.empty()) {
        Hide();
        return;
    }
    text_ = text;
    visible_ = true;
    // Roughly the size a real tip takes: 7 pixels per byte plus padding, one line high.
    int w = static_cast<int>(text.size()) * 7 + 12, h = 22;
    Rect screenRect = Platform::GetScreenRect();
    int x = std::min(screen.x, screenRect.right - w),
        y = std::min(screen.y + 20, screenRect.bottom - h);
    rect_ = Rect{x, y, x + w, y + h};
}

void HeadlessToolTip::Hide() {
    visible_ = false;
    rect_ = Rect{};
}

} // namespace Tolva
