#pragma once

#include "ui/core/ControlFactory.h"
#include "ui/core/MControl.h"

#include <memory>

namespace Tolva {

// The factory's constructor for a control class with the shared titled constructor shape.
template <class T> ControlFactory::Creator TitledCreator() {
    return [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
              bool visible, bool enabled) -> std::unique_ptr<MControl> {
        return std::make_unique<T>(parent, id, rect, title, visible, enabled);
    };
}

} // namespace Tolva
