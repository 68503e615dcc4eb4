#pragma once

#include "app/device/HidBackend.h"

#include <cstdint>
#include <string>

// One opened vendor command interface. Owned by HidDeviceManager; CloseAll destroys it.
struct DeviceEntry {
    static constexpr size_t kMaxPathBytes = 1023; // the path is kept in 1024 bytes with its NUL
    static constexpr size_t kMaxStringChars = 512;

    int32_t index = 0; // position in the list when it was added
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string path;          // the path the interface was opened by
    std::string interfaceName; // the composed, upper-cased name the pattern matched
    std::string manufacturer;
    std::string product;
    std::string serial; // always empty
    HidBackend::Handle device = nullptr;
    int32_t releaseNumber = 0; // bcdDevice; serves as the firmware version
    int32_t deviceType = 0;
    int32_t mode = 0;
    int32_t online = 0; // 1 after a handshake with a non-zero link byte or such a notification
};
