#include "ui/controls/MTabLayout.h"

#include "ui/core/ControlFactory.h"

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("MTabLayout",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MTabLayout>(parent, id, rect, title, visible, enabled);
               });

} // namespace

MTabLayout::MTabLayout(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                       bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {}

} // namespace Tolva
