#include "app/device/HidBackend.h"

#include <cctype>
#include <cstdio>

std::string HidBackend::ComposeInterfaceName(uint16_t vendorId, uint16_t productId,
                                             int interfaceNumber, const std::string& path) {
    // Only the device node's own name follows the '#': patterns match ids and interface number,
    // and the folder part of a path would only add noise.
    std::string node = path;
    size_t slash = node.find_last_of('/');
    if (slash != std::string::npos) node = node.substr(slash + 1);
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "HID#VID_%04X&PID_%04X&MI_%02X#", vendorId, productId,
                  static_cast<unsigned>(interfaceNumber) & 0xFFu);
    std::string name = prefix + node;
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}
