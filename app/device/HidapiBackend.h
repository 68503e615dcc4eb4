#pragma once

#include "app/device/HidBackend.h"

// HidBackend over hidapi's hidraw back end. Construction initialises hidapi; destruction ends it.
class HidapiBackend : public HidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;

    std::vector<HidInterfaceInfo> Enumerate() override;
    Handle Open(const std::string& path) override;
    void Close(Handle device) override;
    int Write(Handle device, const uint8_t* data, size_t length) override;
    int ReadTimeout(Handle device, uint8_t* data, size_t length, int timeoutMs) override;
    int SendFeatureReport(Handle device, const uint8_t* data, size_t length) override;
    std::string ManufacturerString(Handle device) override;
    std::string ProductString(Handle device) override;

private:
    bool initialised_ = false;
};
