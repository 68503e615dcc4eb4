#pragma once

#include <string>

// Where the hot-plug monitor's thread gets its device events from: udev on a real system, a
// scripted source in tests. The monitor waits until Fd() is readable, then calls Receive.
class HotplugSource {
public:
    static constexpr int kArrival = 0x8000; // a device interface arrived
    static constexpr int kRemoval = 0x8004; // a device interface is gone

    struct Event {
        int kind = 0;     // kArrival or kRemoval
        std::string name; // "HID#VID_046D&PID_C52B&MI_02#/DEV/HIDRAW3" (HotplugName)
        std::string path; // the node to open: "/dev/hidraw3"
    };

    virtual ~HotplugSource() = default;

    // Starts listening; false when the system offers no monitor.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // A descriptor that polls readable when Receive has something; -1 while closed.
    virtual int Fd() const = 0;
    // Takes one pending event; false when it is not an arrival or removal of a named interface
    // (or nothing was pending).
    virtual bool Receive(Event& event) = 0;
};
