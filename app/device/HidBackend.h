#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One HID interface (top-level collection) as enumeration reports it.
struct HidInterfaceInfo {
    std::string path;          // what Open takes ("/dev/hidrawN" for hidapi)
    std::string interfaceName; // "HID#VID_%04X&PID_%04X&MI_%02X#<node>", upper-cased; patterns
                               // from the configuration are matched against this
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t releaseNumber = 0; // bcdDevice
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    int interfaceNumber = -1; // bInterfaceNumber on USB, -1 when unknown
};

// The seam between the device manager and the HID layer: the hidapi operations the program uses.
// HidapiBackend is the production implementation; the emulated mouse (sim/) is the other one.
// Implementations must be safe to call from several threads for different handles.
class HidBackend {
public:
    using Handle = void*; // opaque, null means "no device"

    virtual ~HidBackend() = default;

    // Every HID interface of the machine, in enumeration order; empty on failure.
    virtual std::vector<HidInterfaceInfo> Enumerate() = 0;
    // Opens an interface by its path; null on failure.
    virtual Handle Open(const std::string& path) = 0;
    virtual void Close(Handle device) = 0;
    // Writes one output report (byte 0 is the report id). Bytes written, or -1 on failure.
    virtual int Write(Handle device, const uint8_t* data, size_t length) = 0;
    // Reads one input report, waiting at most timeoutMs. Bytes read (a report id 0 is not
    // included), 0 on time-out, -1 on failure.
    virtual int ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) = 0;
    // Sends a feature report (byte 0 is the report id). Bytes sent, or -1 on failure.
    virtual int SendFeatureReport(Handle device, const uint8_t* data, size_t length) = 0;
    // UTF-8 strings of the open device; empty on failure.
    virtual std::string ManufacturerString(Handle device) = 0;
    virtual std::string ProductString(Handle device) = 0;

    // The Windows-compatible interface name for a device node ("/dev/hidraw3" gives node
    // "hidraw3"), upper-cased: HID#VID_1A2B&PID_0C0D&MI_01#HIDRAW3.
    static std::string ComposeInterfaceName(uint16_t vendorId, uint16_t productId,
                                            int interfaceNumber, const std::string& path);
};
