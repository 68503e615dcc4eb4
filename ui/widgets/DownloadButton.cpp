#include "ui/widgets/DownloadButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/paint/MRender.h"

#include <algorithm>
#include <cstdio>

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("DownloadButton", TitledCreator<DownloadButton>());
} // namespace

DownloadButton::DownloadButton(MObject* parent, unsigned id, const Rect& rect,
                               const std::string& title, bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {}

void DownloadButton::SetDownloadProcess(int percent) {
    // Byte counts from a server can overshoot; the bar never runs past the button.
    percent = std::min(percent, 100);
    if (percent < 0) percent = 0;
    if (progress_.exchange(percent) == percent) return;
    if (IsVisible()) UpdateControl(true);
}

int DownloadButton::GetFillWidth() const {
    const int p = progress_;
    return p > 0 ? p * GetRect().Width() / 100 : 0;
}

void DownloadButton::DrawControl(cairo_t* cr, const Rect& clip) {
    if (progress_ <= 0) {
        CButtonBase::DrawControl(cr, clip);
        return;
    }
    const Rect r = GetRect();
    if (r.IsEmpty()) return;
    // While a download runs the button shows no states, only the bar.
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        const Rect local{0, 0, r.Width(), r.Height()};
        DrawImageState(mem, 0, local, 4);
        const int fill = GetFillWidth();
        const int corner = GetFrameSize();
        if (fill >= 2 * corner) {
            DrawImageState(mem, 1, {0, 0, fill, r.Height()}, corner);
        } else if (fill > 0) {
            // Too short for its rounded ends: the left end of a full-width fill.
            cairo_save(mem);
            cairo_rectangle(mem, 0, 0, fill, r.Height());
            cairo_clip(mem);
            DrawImageState(mem, 1, local, corner);
            cairo_restore(mem);
        }
        char text[16];
        std::snprintf(text, sizeof text, "%d%%", progress_.load());
        TextStyle style = MakeTextStyle(GetTextColor());
        style.hAlign = TextStyle::Center;
        style.vAlign = TextStyle::Center;
        style.multiLine = false;
        MRender::DrawTextW(mem, local, text, style);
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
