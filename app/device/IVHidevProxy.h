#pragma once

#include <cstdint>

// The virtual HID device through which the companion plays key functions (vendor 0xDEED,
// product 0xFEED, usage page 0xFF00, usage 0x0001 where it exists). An outside component; only
// the 64-byte packet is fixed.
class IVHidevProxy {
public:
    static constexpr int kPacketSize = 64;

    virtual ~IVHidevProxy() = default;

    // Finds and opens the device; false when it is not present.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Writes one 64-byte packet; false when the device is closed or the write failed.
    virtual bool Write(const uint8_t* packet) = 0;
};
