#include "app/device/HotplugUdevSource.h"

#include <cstring>
#include <libudev.h>

namespace {

std::string Text(const char* value) {
    return value ? std::string(value) : std::string();
}

} // namespace

HotplugUdevSource::~HotplugUdevSource() {
    Close();
}

bool HotplugUdevSource::Open() {
    if (monitor_) return true;
    udev_ = udev_new();
    if (!udev_) return false;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        Close();
        return false;
    }
    return true;
}

void HotplugUdevSource::Close() {
    if (monitor_) udev_monitor_unref(monitor_);
    monitor_ = nullptr;
    if (udev_) udev_unref(udev_);
    udev_ = nullptr;
}

int HotplugUdevSource::Fd() const {
    return monitor_ ? udev_monitor_get_fd(monitor_) : -1;
}

HotplugName::UdevFacts HotplugUdevSource::FactsOf(udev_device* device) {
    HotplugName::UdevFacts facts;
    if (!device) return facts;
    facts.devNode = Text(udev_device_get_devnode(device));
    facts.devPath = Text(udev_device_get_devpath(device));
    // Parents belong to the device; they are released with it.
    if (udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr))
        facts.hidId = Text(udev_device_get_property_value(hid, "HID_ID"));
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_interface"))
        facts.interfaceNumber = Text(udev_device_get_sysattr_value(usb, "bInterfaceNumber"));
    return facts;
}

bool HotplugUdevSource::Receive(Event& event) {
    if (!monitor_) return false;
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device) return false;
    bool usable = false;
    const char* action = udev_device_get_action(device);
    int kind = 0;
    if (action && std::strcmp(action, "add") == 0)
        kind = kArrival;
    else if (action && std::strcmp(action, "remove") == 0)
        kind = kRemoval;
    if (kind != 0) {
        HotplugName::UdevFacts facts = FactsOf(device);
        std::string name = HotplugName::FromUdev(facts);
        if (!name.empty()) {
            event.kind = kind;
            event.name = std::move(name);
            event.path = facts.devNode;
            usable = true;
        }
    }
    udev_device_unref(device);
    return usable;
}
