#include "ui/gallery/GallerySamples.h"

#include "ui/gallery/GalleryCanvas.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/CColorPalette.h"
#include "ui/widgets/CColorSelect.h"
#include "ui/widgets/CirclePalette.h"
#include "ui/widgets/MPalette.h"

namespace Tolva {

void BuildColourSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    auto caption = [&](int x, int y, const std::string& text, int width = 300) {
        c.Caption(Rect{x, y, x + width, y + 18}, text);
    };

    int x = 20, y = top;
    caption(x, y,
            c.Text("CColorPalette: the full picker (drag in the field)",
                   "CColorPalette：完整取色器（可在色域中拖动）"));
    if (auto* p = c.MakeAs<CColorPalette>("CColorPalette", Rect{x, y + 22, x + 300, y + 252}))
        p->SetSelectColor(0x2080F0);
    x = 380;
    caption(
        x, y,
        c.Text("CirclePalette: colour ring (drag the thumb)", "CirclePalette：色环（可拖动滑块）"));
    if (auto* ring = c.MakeAs<CirclePalette>("CirclePalette", Rect{x, y + 22, x + 140, y + 162})) {
        ring->SetImage("img_circlepalette.png", 1);
        ring->MoveThumbPos({x + 70 + 40, y + 22 + 70 + 30});
    }
    x = 720;
    caption(x, y, "CColorSelect", 130);
    if (auto* sel = c.MakeAs<CColorSelect>("CColorSelect", Rect{x, y + 22, x + 30, y + 212}))
        sel->SetColorIndex(1);
    x = 880;
    caption(x, y, c.Text("MPalette: hue and brightness field", "MPalette：色相与亮度色域"));
    if (auto* field = c.MakeAs<MPalette>("MPalette", Rect{x, y + 22, x + 240, y + 162}))
        field->SetSelectColor(0x20C0F0);

    // Colour swatches in their states.
    x = 20;
    y = top + 290;
    caption(x, y,
            c.Text("CColorButton: normal (try it), hover, checked, bordered, disabled",
                   "CColorButton：正常（可操作）、悬停、选中、带边框、禁用"),
            600);
    const uint32_t colours[5] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x00FFFF};
    for (int i = 0; i < 5; ++i) {
        const int bx = x + 60 * i;
        auto* b = c.MakeAs<CColorButton>("CColorButton", Rect{bx, y + 24, bx + 30, y + 54});
        if (!b) continue;
        b->SetColor(colours[i]);
        b->SetGroupName("gallery-swatch-" + std::to_string(i));
        if (i == 0) continue;
        b->SetRresponse(false);
        if (i == 1) b->ShowState(1);
        if (i == 2) b->SetCheck(true);
        if (i == 3) b->SetVisibleBorder(true);
        if (i == 4) b->SetEnabled(false);
    }
}

} // namespace Tolva
