#include "ui/widgets/UpgradeButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"

#include <cmath>

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("UpgradeButton", TitledCreator<UpgradeButton>());
} // namespace

UpgradeButton::UpgradeButton(MObject* parent, unsigned id, const Rect& rect,
                             const std::string& title, bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {}

void UpgradeButton::SetUpgradeStatus(int status) {
    if (status_.exchange(status) == status) return;
    if (IsVisible()) UpdateControl(true);
}

void UpgradeButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    DrawFace(cr, state, box);
    if (status_ == 0) return;
    const int w = box.Width();
    {
        CairoStateGuard guard(cr);
        MRender::SetSourceARGB(cr, 0xFFFF0000);
        cairo_arc(cr, box.left + w - 16 + 8, box.top + 8, 8, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    TextStyle style = MakeTextStyle(GetTextColor());
    style.size = 8;
    style.hAlign = TextStyle::Center;
    style.vAlign = TextStyle::Center;
    style.multiLine = false;
    const Rect badge{box.left + w - 15, box.top + 1, box.left + w + 1, box.top + 17};
    MRender::DrawTextW(cr, badge, "1", style);
}

} // namespace Tolva
