#pragma once

#include "app/device/IVHidevProxy.h"

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// The companion's virtual HID device as a model: it logs the 64-byte packets it receives and
// keeps the last data of each report number. Fault injection by countdown over writes and by
// removal. Thread-safe.
class SimVirtualHid final : public IVHidevProxy {
public:
    using Packet = std::array<uint8_t, kPacketSize>;
    static constexpr size_t kMaxLoggedPackets = 4096; // the oldest are dropped beyond this

    explicit SimVirtualHid(bool present = true) : present_(present) {}

    bool Open() override;
    void Close() override;
    bool IsOpen() const override;
    bool Write(const uint8_t* packet) override;

    // The device disappears (or comes back): a removed device cannot be opened or written.
    void SetPresent(bool present);
    // The write with this 1-based number (counted from now) fails.
    void FailWriteAt(int n);

    std::vector<Packet> Packets() const;
    void ClearPackets();
    int OpenCount() const;
    // Whether the last keyboard report (number 1) holds usage's bit.
    bool KeyDown(int usage) const;
    // Byte 0 of the last mouse report (number 2).
    uint8_t MouseButtons() const;
    // The 16-bit usage of the last report 3 or 4.
    int Usage(int reportNumber) const;

private:
    mutable std::mutex mutex_;
    bool present_ = true;
    bool open_ = false;
    int openCount_ = 0;
    int writeCount_ = 0;
    int failAt_ = 0;
    std::deque<Packet> packets_;
    std::array<Packet, 5> last_{}; // by report number
};
