// The application configuration reader on arbitrary bytes, registering with a real manager.
#include "app/device/HidDeviceManager.h"
#include "app/files/ApplicationConfig.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HidDeviceManager manager;
    manager.ClearSupportedDevices();
    ApplicationConfig config;
    bool ok = config.LoadText(reinterpret_cast<const char*>(data), size, &manager);
    // Every registered mode is one entry of the table, and a failed read keeps nothing.
    if (manager.SupportedDevices().size() != config.Modes().size()) std::abort();
    if (!ok && (!config.Modes().empty() || !config.Devices().empty())) std::abort();
    return 0;
}
