#include "cli/PermissionCheck.h"

#include "app/device/HidPermissionProbe.h"
#include "cli/CliContext.h"

#include <string>

int PermissionCheck::Run(CliContext& context) {
    HidPermissionProbe probe;
    for (const auto& mode : context.DeviceModes())
        if (mode.vendorId > 0 && mode.vendorId <= 0xFFFF && mode.productId > 0 &&
            mode.productId <= 0xFFFF)
            probe.AddSupported(static_cast<uint16_t>(mode.vendorId),
                               static_cast<uint16_t>(mode.productId));
    const auto blocked = probe.FindBlocked();
    if (blocked.empty()) return 0;
    std::string name;
    for (const auto& mode : context.DeviceModes())
        if (mode.vendorId == blocked.front().vendorId &&
            mode.productId == blocked.front().productId) {
            name = mode.name;
            break;
        }
    const std::string command = HidPermissionProbe::FixCommandHere();
    std::string nodes;
    for (const auto& b : blocked)
        nodes += (nodes.empty() ? "" : ", ") + b.node;
    context.Fail((name.empty() ? std::string("a supported device") : name) +
                 " is plugged in, but this user may not open it (permission denied on " + nodes +
                 ")");
    return context.Fail("to allow it, run: " + command);
}
