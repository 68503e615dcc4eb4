#pragma once

#include <string>

#include "ui/core/MControl.h"

namespace Tolva {

// A line of text for the gallery: captions, page tabs and the notification line. A tab notifies
// 1 on a press and 2 on a release inside after a press, as buttons do.
class GalleryLabel : public MControl {
public:
    GalleryLabel(MObject* parent, unsigned id, const Rect& rect, std::string text, int pixelSize,
                 uint32_t argb, bool tab = false);

    void SetText(const std::string& text);
    const std::string& GetText() const { return text_; }
    void SetSelected(bool selected);

    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;

private:
    std::string text_;
    int pixelSize_ = 13;
    uint32_t argb_ = 0xFFE0E0E0;
    bool tab_ = false;
    bool selected_ = false;
    bool pressed_ = false;
};

} // namespace Tolva
