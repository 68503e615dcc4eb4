#pragma once

#include "app/device/IVHidevProxy.h"

// The virtual HID device on Linux: not present, so intercepted keys are never answered.
class VHidev final : public IVHidevProxy {
public:
    bool Open() override { return false; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    bool Write(const uint8_t*) override { return false; }
};
