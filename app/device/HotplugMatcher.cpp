#include "app/device/HotplugMatcher.h"

#include "app/device/HidBackend.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/HotplugName.h"
#include "app/device/HotplugSource.h"

#include <cstdio>

HotplugMatcher::Result
HotplugMatcher::OnDeviceChange(int kind, const std::string& name, const std::string& path,
                               std::vector<Target>& targets,
                               const CommandInterfaceCheck& isCommandInterface) {
    Result result;
    const std::string upper = HotplugName::Upper(name);
    if (kind == HotplugSource::kArrival) {
        for (size_t i = 0; i < targets.size(); ++i) {
            const Target& target = targets[i];
            // The pattern is compared as written: the configuration writes it in capitals.
            if (upper.find(target.interfacePattern) == std::string::npos) continue;
            // Only the first described device whose pattern fits is considered; another
            // interface of the same device (keyboard, consumer control) is not a reason to
            // rescan.
            if (!isCommandInterface || !isCommandInterface(path)) return result;
            result.action = Action::RescanAfterArrival;
            result.deviceType = target.deviceType;
            result.target = static_cast<int>(i);
            return result;
        }
    } else if (kind == HotplugSource::kRemoval) {
        for (size_t i = 0; i < targets.size(); ++i) {
            Target& target = targets[i];
            if (!target.connected) continue;
            char vendor[16], product[16];
            std::snprintf(vendor, sizeof vendor, "%04X", static_cast<unsigned>(target.vendorId));
            std::snprintf(product, sizeof product, "%04X", static_cast<unsigned>(target.productId));
            if (upper.find(vendor) == std::string::npos || upper.find(product) == std::string::npos)
                continue;
            target.connected = false;
            result.action = Action::RescanAfterRemoval;
            result.deviceType = target.deviceType;
            result.target = static_cast<int>(i);
            return result;
        }
    }
    return result;
}

bool HotplugMatcher::IsCommandInterface(HidBackend& backend, const std::string& path) {
    if (path.empty()) return false;
    bool listed = false;
    for (const HidInterfaceInfo& info : backend.Enumerate()) {
        if (info.path == path && info.usagePage == HidDeviceManager::kCommandUsagePage &&
            info.usage == HidDeviceManager::kCommandUsage) {
            listed = true;
            break;
        }
    }
    if (!listed) return false;
    HidBackend::Handle device = backend.Open(path);
    if (!device) return false;
    backend.Close(device);
    return true;
}
