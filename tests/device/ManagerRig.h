#pragma once

#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"

#include <memory>
#include <string>
#include <vector>

// The device manager over the emulated mouse on virtual time, with the mouse's cable (mode 0)
// and receiver (mode 2) registered as the configuration file would.
struct ManagerRig {
    static constexpr int kType = EmulatedMouse::kDeviceType;

    explicit ManagerRig(EmulatedMouse::Fixture fixture = EmulatedMouse::Fixture::Default(),
                        const std::string& pattern = EmulatedMouse::kInterfacePattern)
        : mouse(std::make_shared<EmulatedMouse>(std::move(fixture), &clock)),
          manager(mouse, &clock) {
        manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId, 0x105,
                                   "mouse", kType, 0, pattern);
        manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kReceiverProductId,
                                   0x110, "mouse", kType, 2, pattern);
    }

    // The rescan sequence, then the mouse selected as the main window does; traffic forgotten.
    void Ready() {
        manager.Rescan();
        manager.SetSelectedDeviceType(kType);
        Forget();
    }
    void Forget() {
        mouse->ClearLog();
        clock.ClearPauses();
    }
    // Hex of every report the mouse received since the last Forget, first n bytes each.
    std::vector<std::string> Received(size_t n = 8) const {
        std::vector<std::string> out;
        for (const auto& r : mouse->Log())
            out.push_back(CommandFrame::ToHex(r.bytes.data(), n));
        return out;
    }

    VirtualClock clock;
    std::shared_ptr<EmulatedMouse> mouse;
    HidDeviceManager manager;
};

inline std::string Hex(const uint8_t* data, size_t n) {
    return CommandFrame::ToHex(data, n);
}
