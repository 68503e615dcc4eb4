#pragma once

#include "app/device/DeviceEntry.h"

#include <vector>

// What the worker learnt about the devices, handed to the window after a rescan, a status
// change or a battery reading. A copy: the window never reaches into the device manager, whose
// lock a transfer may hold for a while.
struct WorkerDeviceState {
    int deviceType = 0;               // the shown device type, 0 while none is shown
    bool present = false;             // the last scan found a supported device online
    bool connected = false;           // the shown device answers
    int mode = -1;                    // 0 cable, 2 receiver (1 too), -1 none
    int battery = -1;                 // 0-100, -1 unknown; always shown as not charging
    int stateChange = 0;              // 1 after an arrival, 2 after a removal, 0 before either
    std::vector<DeviceEntry> entries; // every opened interface of the last scan
};
