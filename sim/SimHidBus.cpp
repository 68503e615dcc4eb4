#include "sim/SimHidBus.h"

void SimHidBus::Add(std::shared_ptr<HidBackend> member) {
    if (!member) return;
    std::lock_guard<std::mutex> lock(mutex_);
    members_.push_back(std::move(member));
}

std::vector<HidInterfaceInfo> SimHidBus::Enumerate() {
    std::vector<std::shared_ptr<HidBackend>> members;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        members = members_;
    }
    std::vector<HidInterfaceInfo> result;
    for (const auto& member : members)
        for (auto& info : member->Enumerate())
            result.push_back(std::move(info));
    return result;
}

HidBackend::Handle SimHidBus::Open(const std::string& path) {
    std::vector<std::shared_ptr<HidBackend>> members;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        members = members_;
    }
    for (const auto& member : members) {
        // Only the member that shows the path is asked, so no other one is opened by accident.
        bool shows = false;
        for (const auto& info : member->Enumerate())
            shows = shows || info.path == path;
        if (!shows) continue;
        Handle handle = member->Open(path);
        if (!handle) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        owners_[handle] = member;
        return handle;
    }
    return nullptr;
}

std::shared_ptr<HidBackend> SimHidBus::OwnerOf(Handle device) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = owners_.find(device);
    return it == owners_.end() ? nullptr : it->second;
}

void SimHidBus::Close(Handle device) {
    std::shared_ptr<HidBackend> owner;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = owners_.find(device);
        if (it == owners_.end()) return;
        owner = it->second;
        owners_.erase(it);
    }
    owner->Close(device);
}

int SimHidBus::Write(Handle device, const uint8_t* data, size_t length) {
    auto owner = OwnerOf(device);
    return owner ? owner->Write(device, data, length) : -1;
}

int SimHidBus::ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) {
    auto owner = OwnerOf(device);
    return owner ? owner->ReadTimeout(device, data, length, timeoutMs) : -1;
}

int SimHidBus::SendFeatureReport(Handle device, const uint8_t* data, size_t length) {
    auto owner = OwnerOf(device);
    return owner ? owner->SendFeatureReport(device, data, length) : -1;
}

std::string SimHidBus::ManufacturerString(Handle device) {
    auto owner = OwnerOf(device);
    return owner ? owner->ManufacturerString(device) : std::string();
}

std::string SimHidBus::ProductString(Handle device) {
    auto owner = OwnerOf(device);
    return owner ? owner->ProductString(device) : std::string();
}
