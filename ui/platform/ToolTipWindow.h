#pragma once

#include <string>

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"

namespace Tolva {

// A small native window showing one line of tip text next to the pointer.
class TOLVA_API ToolTipWindow {
public:
    virtual ~ToolTipWindow();
    // Shows `text` with its top-left corner near `screen` (kept on the screen). Empty text hides.
    virtual void Show(const std::string& text, Point screen) = 0;
    virtual void Hide() = 0;
    bool IsVisible() const { return visible_; }
    const std::string& GetText() const { return text_; }
    // Screen rectangle of the tip while shown.
    Rect GetRect() const { return rect_; }

protected:
    ToolTipWindow() = default;
    bool visible_ = false;
    std::string text_;
    Rect rect_;
};

} // namespace Tolva
