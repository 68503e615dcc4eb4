#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The udev rule that lets the user at the seat open the hidraw nodes of every device the
// configuration names. Built into the package from config.xml and printed by
// `pivanectl udev-rule` for people who run a build tree.
class UdevRule {
public:
    // One mode of a configured device (a mode element of any element under device.info: mice
    // and keyboards alike, whatever the program itself reads of them).
    struct Device {
        std::string name; // the device element's name
        std::string desc; // the mode's description
        uint16_t vendorId = 0;
        uint16_t productId = 0;
    };

    static constexpr const char* kFileName = "70-pivane.rules";

    // Every mode with a usable vendor and product id, in file order. False, with `out` empty,
    // when the file cannot be read, is not XML or its root is not "config".
    static bool ReadDevices(const std::string& configPath, std::vector<Device>& out);
    static bool ReadDevicesText(const char* data, size_t size, std::vector<Device>& out);

    // The rule file: one matching line per distinct vendor and product id, in file order.
    static std::string Compose(const std::vector<Device>& devices);
};
