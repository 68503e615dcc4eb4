#pragma once

#include <string>

// Names the hidraw node of a udev event the way enumeration names interfaces
// (HidBackend::ComposeInterfaceName), so that hot-plug events and configured patterns meet.
class HotplugName {
public:
    // What udev tells about one hidraw node. Any field may be empty: on removal the parents
    // are gone from sysfs and only the node and its device path remain.
    struct UdevFacts {
        std::string devNode;         // "/dev/hidraw3"
        std::string devPath;         // ".../1-2:1.0/0003:046D:C52B.0001/hidraw/hidraw3"
        std::string hidId;           // HID_ID of the parent "hid" device: "0003:0000046D:0000C52B"
        std::string interfaceNumber; // bInterfaceNumber of the parent "usb_interface": "02"
    };

    // Reads vendor, product and interface from the facts (parent properties first, then the
    // device path; no USB interface gives -1, as enumeration does) and composes the name.
    // Returns an empty string when the node or the vendor and product cannot be told.
    static std::string FromUdev(const UdevFacts& facts);

    // The ASCII upper-case form (names and patterns are compared this way).
    static std::string Upper(std::string text);
};
