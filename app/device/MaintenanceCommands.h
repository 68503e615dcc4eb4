#pragma once

#include "app/device/CommandFrame.h"

class HidDeviceManager;

// The status query and the factory reset of the mouse. The receiver frame is used for modes 1
// and 2, the wired frame for every other mode.
class MaintenanceCommands {
public:
    explicit MaintenanceCommands(HidDeviceManager& manager);

    // 08 FD through QueryCommand (8 ms pause, write, 100 ms read). True with the 64-byte reply
    // (no report id) in reply; false, reply unchanged, when nothing came back.
    bool QueryStatus(int mode, CommandFrame::Payload& reply);
    // 08 FB without waiting for a reply. False when it could not be written or the mode has no
    // mouse frame (-1: the keyboard families' resets are sent elsewhere).
    bool RestoreFactoryDefaults(int mode);

private:
    HidDeviceManager& manager_;
};
