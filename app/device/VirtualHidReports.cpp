#include "app/device/VirtualHidReports.h"

#include <cstring>

namespace {

constexpr uint8_t kPacketMarker = 5;

int UsageOf(const std::array<uint8_t, 2>& report) {
    return report[0] | (report[1] << 8);
}

void SetUsage(std::array<uint8_t, 2>& report, int usage) {
    report[0] = static_cast<uint8_t>(usage & 0xFF);
    report[1] = static_cast<uint8_t>((usage >> 8) & 0xFF);
}

} // namespace

std::array<uint8_t, IVHidevProxy::kPacketSize>
VirtualHidReports::Packet(int number, const uint8_t* data, size_t size) {
    std::array<uint8_t, IVHidevProxy::kPacketSize> packet{};
    packet[0] = kPacketMarker;
    packet[1] = static_cast<uint8_t>(number); // report number
    if (size > packet.size() - 2) size = packet.size() - 2;
    if (data && size > 0) std::memcpy(packet.data() + 2, data, size); // report data
    return packet;
}

bool VirtualHidReports::EnsureOpen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return device_.IsOpen() || device_.Open();
}

bool VirtualHidReports::Reopen() {
    std::lock_guard<std::mutex> lock(mutex_);
    device_.Close();
    return device_.Open();
}

void VirtualHidReports::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    device_.Close();
}

bool VirtualHidReports::WriteLocked(int number) {
    std::array<uint8_t, IVHidevProxy::kPacketSize> packet{};
    switch (number) {
    case kKeyboard:
        packet = Packet(number, keyboard_.data(), keyboard_.size());
        break;
    case kMouse:
        packet = Packet(number, mouse_.data(), mouse_.size());
        break;
    case kUsageFirst:
        packet = Packet(number, usageFirst_.data(), usageFirst_.size());
        break;
    case kUsageSecond:
        packet = Packet(number, usageSecond_.data(), usageSecond_.size());
        break;
    default:
        return false;
    }
    return device_.Write(packet.data());
}

bool VirtualHidReports::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    keyboard_.fill(0);
    mouse_.fill(0);
    usageFirst_.fill(0);
    usageSecond_.fill(0);
    bool ok = true;
    for (int number = kKeyboard; number <= kUsageSecond; ++number)
        ok = WriteLocked(number) && ok;
    return ok;
}

bool VirtualHidReports::SetKey(int usage, bool pressed) {
    if (usage <= 0 || usage > 0xFFFF) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (usage < kBitmapUsages) {
        uint8_t& byte = keyboard_[1 + usage / 8];
        uint8_t bit = static_cast<uint8_t>(1u << (usage % 8));
        byte = pressed ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
        return WriteLocked(kKeyboard);
    }
    if (pressed) {
        if (UsageOf(usageFirst_) == 0 || UsageOf(usageFirst_) == usage) {
            SetUsage(usageFirst_, usage);
            return WriteLocked(kUsageFirst);
        }
        // Report 3 holds another pressed usage; the second report carries this one. With both
        // taken the newest press replaces the second.
        SetUsage(usageSecond_, usage);
        return WriteLocked(kUsageSecond);
    }
    bool ok = true, found = false;
    if (UsageOf(usageFirst_) == usage) {
        SetUsage(usageFirst_, 0);
        ok = WriteLocked(kUsageFirst);
        found = true;
    }
    if (UsageOf(usageSecond_) == usage) {
        SetUsage(usageSecond_, 0);
        ok = WriteLocked(kUsageSecond) && ok;
        found = true;
    }
    return found && ok;
}

bool VirtualHidReports::SetMouseButton(int value, bool pressed) {
    int bit = -1;
    switch (value) {
    case 1:
        bit = 0;
        break; // left
    case 2:
        bit = 2;
        break; // middle
    case 3:
        bit = 1;
        break; // right
    case 7:
        bit = 4;
        break; // forward
    case 8:
        bit = 3;
        break; // back
    default:
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    uint8_t mask = static_cast<uint8_t>(1u << bit);
    mouse_[0] =
        pressed ? static_cast<uint8_t>(mouse_[0] | mask) : static_cast<uint8_t>(mouse_[0] & ~mask);
    return WriteLocked(kMouse);
}
