#pragma once

class HidBackend;

#include <functional>
#include <string>
#include <vector>

// Decides what an arrival or removal of a HID interface means for the devices the configuration
// describes. The main window keeps the targets (one per device mode) and acts on the result.
class HotplugMatcher {
public:
    struct Target {
        int vendorId = 0;
        int productId = 0;
        std::string interfacePattern; // hid_interface: a fragment of the upper-cased name
        int deviceType = 0;
        bool connected = false; // set by the main window after a rescan found it online
    };

    enum class Action {
        None,
        RescanAfterArrival, // state changed = 1, queue the delayed rescan (task 2)
        RescanAfterRemoval, // state changed = 2, queue the rescan (task 3)
    };

    struct Result {
        Action action = Action::None;
        int deviceType = 0; // the device type to show; 0 with Action::None
        int target = -1;    // index of the matching target; -1 with Action::None
    };

    // Whether the interface at path is the vendor command interface (usage page 0xFF02,
    // usage 0x0002).
    using CommandInterfaceCheck = std::function<bool(const std::string& path)>;

    // The check against the HID layer: some collection at path has usage page 0xFF02 and usage
    // 2 (a hidraw node carries several), and the path opens; it is closed again at once.
    static bool IsCommandInterface(HidBackend& backend, const std::string& path);

    // kind is 0x8000 (arrival) or 0x8004 (removal); other kinds give Action::None. A removal
    // clears the matching target's connected mark.
    static Result OnDeviceChange(int kind, const std::string& name, const std::string& path,
                                 std::vector<Target>& targets,
                                 const CommandInterfaceCheck& isCommandInterface);
};
