#pragma once

#include "app/device/IVHidevProxy.h"

#include <array>
#include <cstdint>
#include <mutex>

// The four input reports that the companion plays through the virtual HID device, kept between
// writes and sent as 64-byte packets: byte 0 = 5, byte 1 = report number, then the report data.
//
//   report 1 (33 bytes) keyboard: byte 0 is 0, bytes 1-32 one bit per usage below 232
//                       (bit u % 8 of byte 1 + u / 8)
//   report 2 (4 bytes)  mouse: byte 0 the button bits, the rest 0
//   report 3 (2 bytes)  a 16-bit usage, little-endian (media and other codes), 0 = none
//   report 4 (2 bytes)  a second 16-bit usage, used while report 3 holds another one
//
// Every member is serialised by one mutex, so the filter reader and the worker may both play.
class VirtualHidReports {
public:
    static constexpr int kKeyboard = 1;
    static constexpr int kMouse = 2;
    static constexpr int kUsageFirst = 3;
    static constexpr int kUsageSecond = 4;
    static constexpr int kBitmapUsages = 232;

    explicit VirtualHidReports(IVHidevProxy& device) : device_(device) {}

    // Opens the device unless it is open; false when it is not present.
    bool EnsureOpen();
    // Closes and opens again; false when it is not present.
    bool Reopen();
    void Close();

    // Zeroes all four reports and writes each once. False when any write failed.
    bool Reset();
    // A keyboard usage: below 232 its bit in report 1, otherwise a 16-bit usage report. Writes
    // the changed report; false when the write failed or the usage is 0 or above 0xFFFF.
    bool SetKey(int usage, bool pressed);
    // A mouse button function value: 1 -> bit 0, 2 -> bit 2, 3 -> bit 1, 7 -> bit 4, 8 -> bit 3
    // of report 2, which is then written. False for other values or when the write failed.
    bool SetMouseButton(int value, bool pressed);

    // The packet for report number with size data bytes (at most 62).
    static std::array<uint8_t, IVHidevProxy::kPacketSize> Packet(int number, const uint8_t* data,
                                                                 size_t size);

private:
    bool WriteLocked(int number);

    IVHidevProxy& device_;
    std::mutex mutex_;
    std::array<uint8_t, 33> keyboard_{};
    std::array<uint8_t, 4> mouse_{};
    std::array<uint8_t, 2> usageFirst_{};
    std::array<uint8_t, 2> usageSecond_{};
};
