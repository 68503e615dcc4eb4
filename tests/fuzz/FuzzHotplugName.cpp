// Names a hidraw node from udev facts that come from the kernel and outside devices: four
// newline-separated fields (node, device path, HID_ID, bInterfaceNumber).
#include "app/device/HotplugName.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string fields[4];
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        size_t end = text.find('\n', at);
        fields[i] = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    HotplugName::UdevFacts facts{fields[0], fields[1], fields[2], fields[3]};
    std::string name = HotplugName::FromUdev(facts);
    // A name always starts the way the configuration's patterns expect.
    if (!name.empty() && name.rfind("HID#VID_", 0) != 0) __builtin_trap();
    return 0;
}
