#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/CArea.h"
#include "ui/core/MControlFont.h"

namespace Tolva {

// Text on an area: the area (a CArea child under the text) gives the colour layer, its
// transparency run and its frame; the title is drawn over it.
class TOLVA_API CTextArea : public MControlFont {
public:
    CTextArea(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
              bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CTextArea"; }
    void InitControl(PaintManager* manager) override;
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;

    // As CArea: transparency percentages 0..100 from one end to the other, colour ARGB.
    void SetTransparent(int start, int end, uint32_t color, bool vertical = true);
    void SetFrame(bool on, uint32_t color);
    CArea* GetArea() const { return area_; }

private:
    CArea* area_ = nullptr;
};

} // namespace Tolva
