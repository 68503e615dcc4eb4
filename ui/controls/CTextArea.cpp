#include "ui/controls/CTextArea.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/ControlFactory.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CTextArea", TitledCreator<CTextArea>());
} // namespace

CTextArea::CTextArea(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                     bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    SetRresponse(false);
    SetAlignment(TextStyle::Center, TextStyle::Center);
}

void CTextArea::InitControl(PaintManager*) {
    if (area_) return;
    auto area = std::make_unique<CArea>(this, 0, GetRect());
    area->SetTransparent(30, 30, 0xFF1E2228);
    area_ = static_cast<CArea*>(AddChild(std::move(area), 0));
    if (area_) area_->SetKeptChild(true);
}

void CTextArea::SetControlRect(const Rect& rect) {
    MControlFont::SetControlRect(rect);
    if (area_) area_->SetRect(rect);
}

void CTextArea::SetTransparent(int start, int end, uint32_t color, bool vertical) {
    if (area_) area_->SetTransparent(start, end, color, vertical);
    UpdateControl(true);
}

void CTextArea::SetFrame(bool on, uint32_t color) {
    if (area_) area_->SetFrame(on, color);
    UpdateControl(true);
}

void CTextArea::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        DrawTitle(mem, Rect{4, 0, r.Width() - 4, r.Height()},
                  IsEnabled() ? GetTextColor() : 0xFF808080);
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
