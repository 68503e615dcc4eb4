#pragma once

#include "app/device/HidBackend.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Several emulated devices behind one HID seam (the emulated mouse and a keyboard at once):
// enumeration lists every member's interfaces in the order the members were added, and each
// handle goes back to the member that opened it. Members must use distinct paths.
class SimHidBus final : public HidBackend {
public:
    void Add(std::shared_ptr<HidBackend> member);

    std::vector<HidInterfaceInfo> Enumerate() override;
    Handle Open(const std::string& path) override;
    void Close(Handle device) override;
    int Write(Handle device, const uint8_t* data, size_t length) override;
    int ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) override;
    int SendFeatureReport(Handle device, const uint8_t* data, size_t length) override;
    std::string ManufacturerString(Handle device) override;
    std::string ProductString(Handle device) override;

private:
    // The member that opened the handle; null for a handle this bus never gave out.
    std::shared_ptr<HidBackend> OwnerOf(Handle device) const;

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<HidBackend>> members_;
    std::map<Handle, std::shared_ptr<HidBackend>> owners_;
};
