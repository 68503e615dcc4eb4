#include "tests/soak/ParkingBackend.h"

#include <chrono>

ParkingBackend::ParkingBackend(std::shared_ptr<HidBackend> inner) : inner_(std::move(inner)) {}

void ParkingBackend::ParkNextWrite() {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = true;
    released_ = false;
}

bool ParkingBackend::WaitParked(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return parked_; });
}

void ParkingBackend::Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
    released_ = true;
    changed_.notify_all();
}

bool ParkingBackend::Disarm() {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
    return parked_;
}

bool ParkingBackend::Parked() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return parked_;
}

std::vector<HidInterfaceInfo> ParkingBackend::Enumerate() {
    return inner_->Enumerate();
}

HidBackend::Handle ParkingBackend::Open(const std::string& path) {
    return inner_->Open(path);
}

void ParkingBackend::Close(Handle device) {
    inner_->Close(device);
}

int ParkingBackend::Write(Handle device, const uint8_t* data, size_t length) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (armed_) {
            armed_ = false;
            parked_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
            parked_ = false;
            released_ = false;
        }
    }
    return inner_->Write(device, data, length);
}

int ParkingBackend::ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) {
    return inner_->ReadTimeout(device, data, length, timeoutMs);
}

int ParkingBackend::SendFeatureReport(Handle device, const uint8_t* data, size_t length) {
    return inner_->SendFeatureReport(device, data, length);
}

std::string ParkingBackend::ManufacturerString(Handle device) {
    return inner_->ManufacturerString(device);
}

std::string ParkingBackend::ProductString(Handle device) {
    return inner_->ProductString(device);
}
