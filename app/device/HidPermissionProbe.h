#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Finds supported devices that are plugged in but whose hidraw node this user may not open.
// hidapi only reports that opening failed, so the device list would say "no device" where the
// truth is a missing udev rule. sysfs says which nodes belong to which device; the roots are
// injectable so that tests can lay out a fake tree.
class HidPermissionProbe {
public:
    struct Blocked {
        std::string node; // "/dev/hidraw3" (under the device root)
        uint16_t vendorId = 0;
        uint16_t productId = 0;
    };

    explicit HidPermissionProbe(std::string sysfsRoot = DefaultSysfsRoot(),
                                std::string devRoot = DefaultDevRoot());

    // $PIVANE_SYSFS_ROOT and $PIVANE_DEV_ROOT when set (a fake tree for tests and for looking
    // at the notice), else "/sys" and "/dev".
    static std::string DefaultSysfsRoot();
    static std::string DefaultDevRoot();

    void AddSupported(uint16_t vendorId, uint16_t productId);

    // Nodes of supported devices that exist but cannot be opened for reading and writing
    // because permission is denied, sorted by node. Empty when every node opens, when none is
    // present, or when sysfs cannot be read.
    std::vector<Blocked> FindBlocked() const;

    // The one command that gives the user at the seat access: pivanectl installs the rule and
    // has udev apply it to the nodes already there. `pivanectl` is how to call it.
    static std::string FixCommand(const std::string& pivanectl);
    // FixCommand for the pivanectl beside the running executable.
    static std::string FixCommandHere();
    // How to call the pivanectl beside the running program: its bare name when that is what
    // PATH finds, else its full path. `programDir` is the folder of the running executable.
    static std::string PivanectlCommand(const std::string& programDir);

    // Reads "HID_ID=0003:000025A7:0000FA07" from a uevent text: bus, vendor and product. False
    // when the line is missing or malformed.
    static bool ParseHidId(const std::string& uevent, uint16_t& vendorId, uint16_t& productId);

private:
    std::string sysfsRoot_;
    std::string devRoot_;
    std::vector<std::pair<uint16_t, uint16_t>> supported_;
};
