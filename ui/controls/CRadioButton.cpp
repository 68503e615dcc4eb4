#include "ui/controls/CRadioButton.h"

#include "ui/controls/ControlCreator.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CRadioButton", TitledCreator<CRadioButton>());
} // namespace

CRadioButton::CRadioButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : CCheckButton(parent, id, rect, title, visible, enabled) {}

void CRadioButton::SetControlCheck(bool check) {
    SetCheck(check);
    if (check) ResetGroupCheck();
}

LPARAM CRadioButton::OnClick() {
    SetControlCheck(true);
    return 0;
}

} // namespace Tolva
