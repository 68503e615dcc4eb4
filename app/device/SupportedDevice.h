#pragma once

#include <cstdint>
#include <string>

// One mode of a device the program supports, as the configuration file's mouse/mode elements
// describe it.
struct SupportedDevice {
    int32_t vendorId = 0;
    int32_t productId = 0;
    int32_t release = 0;          // kept, not used for matching
    std::string name;             // the mouse element's name
    int32_t deviceType = 0;       // 601 for the mouse
    int32_t mode = 0;             // 0 wired (cable), 2 wireless (receiver)
    std::string interfacePattern; // must occur, as written, in the upper-cased interface name
};
