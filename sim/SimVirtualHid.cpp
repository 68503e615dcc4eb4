#include "sim/SimVirtualHid.h"

#include <algorithm>

bool SimVirtualHid::Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_) return false;
    open_ = true;
    ++openCount_;
    return true;
}

void SimVirtualHid::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
}

bool SimVirtualHid::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool SimVirtualHid::Write(const uint8_t* packet) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_ || !present_ || !packet) return false;
    ++writeCount_;
    if (failAt_ > 0 && writeCount_ == failAt_) return false;
    Packet copy{};
    std::copy(packet, packet + kPacketSize, copy.begin());
    if (packets_.size() == kMaxLoggedPackets) packets_.pop_front();
    packets_.push_back(copy);
    if (copy[0] == 5 && copy[1] >= 1 && copy[1] <= 4) last_[copy[1]] = copy;
    return true;
}

void SimVirtualHid::SetPresent(bool present) {
    std::lock_guard<std::mutex> lock(mutex_);
    present_ = present;
    if (!present) open_ = false;
}

void SimVirtualHid::FailWriteAt(int n) {
    std::lock_guard<std::mutex> lock(mutex_);
    failAt_ = writeCount_ + n;
}

std::vector<SimVirtualHid::Packet> SimVirtualHid::Packets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::vector<Packet>(packets_.begin(), packets_.end());
}

void SimVirtualHid::ClearPackets() {
    std::lock_guard<std::mutex> lock(mutex_);
    packets_.clear();
}

int SimVirtualHid::OpenCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return openCount_;
}

bool SimVirtualHid::KeyDown(int usage) const {
    if (usage <= 0 || usage >= 232) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    // Packet: 5, 1, then report 1: byte 0 zero, bitmap from byte 1.
    return (last_[1][3 + usage / 8] >> (usage % 8)) & 1;
}

uint8_t SimVirtualHid::MouseButtons() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_[2][2];
}

int SimVirtualHid::Usage(int reportNumber) const {
    if (reportNumber != 3 && reportNumber != 4) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    return last_[reportNumber][2] | (last_[reportNumber][3] << 8);
}
