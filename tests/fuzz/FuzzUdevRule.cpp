// The udev rule generator on arbitrary configurations, and the sysfs HID_ID reader on arbitrary
// uevent text. The first byte picks which. A rule never gets a line that is not one of its own.
#include "app/device/HidPermissionProbe.h"
#include "app/files/UdevRule.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* text = reinterpret_cast<const char*>(data + 1);
    if (data[0] & 1) {
        uint16_t vendor = 0, product = 0;
        HidPermissionProbe::ParseHidId(std::string(text, size - 1), vendor, product);
        return 0;
    }
    std::vector<UdevRule::Device> devices;
    if (!UdevRule::ReadDevicesText(text, size - 1, devices)) {
        if (!devices.empty()) std::abort();
        return 0;
    }
    std::istringstream lines(UdevRule::Compose(devices));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("ATTRS{idVendor}==\"", 0) == 0 ||
            line.rfind("ACTION==", 0) == 0 || line.rfind("SUBSYSTEM!=", 0) == 0 ||
            line.rfind("LABEL=", 0) == 0)
            continue;
        std::abort();
    }
    return 0;
}
