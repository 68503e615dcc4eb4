#pragma once

#include <cstddef>
#include <cstdint>

// The HID filter driver of the key-remapping companion ("\\.\vhidflt" where it exists): it
// reports physical key events and swallows the keys of its remap table. An outside component;
// only its control codes and packet formats are fixed.
class IHidFilterDevice {
public:
    static constexpr uint32_t kLoadRemapTable = 0x0022A000; // input: the remap table
    static constexpr uint32_t kEnable = 0x00226008;         // no buffers; after loading
    static constexpr uint32_t kActivate = 0x0022600C;       // no buffers; after kEnable
    static constexpr uint32_t kWaitEvent = 0x00226044;      // output: one 4-byte key event

    virtual ~IHidFilterDevice() = default;

    // Opens the driver's handles; false when the driver is not present.
    virtual bool Open() = 0;
    // Ends any waiting request, then closes the handles.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Sends one control request and waits for it. True only when the request was accepted and
    // completed; false when the device is closed, refused it or the wait was cancelled.
    virtual bool Control(uint32_t code, const uint8_t* input, size_t inputSize, uint8_t* output,
                         size_t outputSize) = 0;
    // Makes the current and every later wait return false at once, until ResumeWaits.
    virtual void CancelWaits() = 0;
    virtual void ResumeWaits() = 0;
};
