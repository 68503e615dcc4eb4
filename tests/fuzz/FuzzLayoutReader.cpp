// The device layout reader on arbitrary bytes, as a mouse and as a keyboard.
#include "app/files/DeviceLayout.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int deviceType : {601, 100}) {
        DeviceLayout layout;
        bool ok = layout.LoadText(reinterpret_cast<const char*>(data), size, deviceType,
                                  [](int id) { return std::to_string(id); });
        if (!ok && (!layout.Buttons().empty() || !layout.LightModes().empty())) std::abort();
        if (deviceType <= 600 && !layout.Buttons().empty()) std::abort();
        if (deviceType > 600 && !layout.Keys().empty()) std::abort();
        for (const auto& key : layout.Keys())
            if (!key || key->keyValue <= 0) std::abort();
    }
    return 0;
}
