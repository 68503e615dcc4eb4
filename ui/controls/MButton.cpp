#include "ui/controls/MButton.h"

#include "ui/controls/ControlCreator.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("MButton", TitledCreator<MButton>());
} // namespace

MButton::MButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                 bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {}

} // namespace Tolva
