#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Tolva {

class MControl;
class MObject;

// Builds controls by class name. Each control class registers its constructor once; the host
// decides which names it accepts (a dialog or popup window, or a panel).
class TOLVA_API ControlFactory {
public:
    enum class Host { Dialog, Panel };
    using Creator = std::function<std::unique_ptr<MControl>(
        MObject* parent, unsigned id, const Rect& rect, const std::string& title, bool visible,
        bool enabled)>;

    // Registers (or replaces) the constructor of a class name. Returns true.
    static bool Register(const std::string& className, Creator creator);
    static bool IsRegistered(const std::string& className);
    // Whether the host accepts the name (the fixed lists of each host).
    static bool IsAccepted(Host host, const std::string& className);
    // The names the host accepts, in the order of its list.
    static std::vector<std::string> AcceptedNames(Host host);
    // A new control, or null for an empty, unaccepted or unregistered name.
    static std::unique_ptr<MControl> Create(Host host, const std::string& className,
                                            MObject* parent, unsigned id, const Rect& rect,
                                            const std::string& title, bool visible, bool enabled);

    // Registers a class from a static object in the class's own source file.
    struct Registrar {
        Registrar(const std::string& className, Creator creator) {
            Register(className, std::move(creator));
        }
    };
};

} // namespace Tolva
