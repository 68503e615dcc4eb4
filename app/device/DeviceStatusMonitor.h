#pragma once

#include <cstdint>
#include <mutex>

class HidDeviceManager;

// What the program knows of the shown mouse's link (connected flag, connection mode, battery)
// and the status step that keeps it current. The main window's worker drives it: Poll on every
// idle pass, RefreshShownDevice when a device is chosen, and RescanDevices whenever one of them
// asks for a rescan. The window thread may read State at any time.
class DeviceStatusMonitor {
public:
    static constexpr int kPollIntervalMs = 5000;

    struct State {
        bool connected = false;
        int mode = -1;    // 0 wired, 2 receiver (1 is accepted as receiver), -1 none
        int battery = -1; // 0-100 percent, -1 before the first report; shown as not charging
    };

    struct PollResult {
        bool rescan = false;         // run the rescan sequence and refresh the pages
        bool batteryChanged = false; // show the new battery level
        int pressedButton = 0;       // a button report's key code (CommandFrame::ButtonReport)
    };

    explicit DeviceStatusMonitor(HidDeviceManager& manager);

    State Current() const;
    // The facts a rescan or a device choice established.
    void SetConnection(bool connected, int mode);

    // One idle pass. Listening (device types 600-799 only): a pending status report with link
    // state 0 clears the connected flag, 1 selects the receiver, 3 the cable; a report without
    // the signature changes nothing. Asking (every device type, at most once per 5000 ms; the
    // first pass only starts the interval): a status query whose missing reply asks for a
    // rescan; a reply without the signature changes nothing; otherwise link state 1 or 3 means
    // connected. A change of the connected flag or the mode asks for a rescan. Battery bytes
    // above 100 are never taken.
    PollResult Poll(int deviceType);

    // The refresh of a newly shown device: one status query in the current mode, the battery
    // taken from its reply when 100 or less (the signature is not checked here). True when a
    // reply arrived.
    bool RefreshShownDevice();

    // The rescan sequence for the shown device type: the manager reopens every device, the
    // device type is selected again, and the connection state is taken from what answered.
    void RescanDevices(int deviceType);

private:
    bool TakeBattery(int byte5);

    HidDeviceManager& manager_;
    mutable std::mutex mutex_;
    State state_;
    bool polled_ = false;
    int64_t lastPollMs_ = 0;
};
