#pragma once

#include "app/device/IHidFilterDevice.h"

// The filter driver on Linux: there is none, so the device is never present and every request
// fails; key remapping then simply does not happen.
class HidFilterDevice final : public IHidFilterDevice {
public:
    bool Open() override { return false; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    bool Control(uint32_t, const uint8_t*, size_t, uint8_t*, size_t) override { return false; }
    void CancelWaits() override {}
    void ResumeWaits() override {}
};
