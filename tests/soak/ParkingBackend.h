#pragma once

#include "app/device/HidBackend.h"

#include <condition_variable>
#include <memory>
#include <mutex>

// Passes every call through to another back end, but can hold the next write in the middle of
// the exchange, as a slow device would: the calling thread stays inside the transfer (with every
// lock the caller holds) until Release. Lets a test prove that the window's side never waits for
// a transfer in progress.
class ParkingBackend : public HidBackend {
public:
    explicit ParkingBackend(std::shared_ptr<HidBackend> inner);

    // The next Write parks its thread until Release.
    void ParkNextWrite();
    // Waits (real time) until a write is parked; false after timeoutMs, or when Disarm came first.
    bool WaitParked(int timeoutMs);
    // Lets the parked write go on (and cancels an armed park that has not been reached).
    void Release();
    // Cancels an armed park; true when a write is parked (the caller must Release it).
    bool Disarm();
    bool Parked() const;

    std::vector<HidInterfaceInfo> Enumerate() override;
    Handle Open(const std::string& path) override;
    void Close(Handle device) override;
    int Write(Handle device, const uint8_t* data, size_t length) override;
    int ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) override;
    int SendFeatureReport(Handle device, const uint8_t* data, size_t length) override;
    std::string ManufacturerString(Handle device) override;
    std::string ProductString(Handle device) override;

private:
    std::shared_ptr<HidBackend> inner_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false;
    bool parked_ = false;
    bool released_ = false;
};
