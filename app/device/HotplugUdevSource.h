#pragma once

#include "app/device/HotplugName.h"
#include "app/device/HotplugSource.h"

struct udev;
struct udev_device;
struct udev_monitor;

// Hot-plug events of the "hidraw" subsystem from the udev daemon's netlink group.
class HotplugUdevSource final : public HotplugSource {
public:
    HotplugUdevSource() = default;
    HotplugUdevSource(const HotplugUdevSource&) = delete;
    HotplugUdevSource& operator=(const HotplugUdevSource&) = delete;
    ~HotplugUdevSource() override;

    bool Open() override;
    void Close() override;
    int Fd() const override;
    bool Receive(Event& event) override;

    // What a udev device says about itself and its "hid" and "usb_interface" parents; empty
    // fields for what it cannot tell. Null gives all fields empty.
    static HotplugName::UdevFacts FactsOf(udev_device* device);

private:
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};
