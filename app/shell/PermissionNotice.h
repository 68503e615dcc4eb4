#pragma once

#include "app/device/HidPermissionProbe.h"

#include <mutex>
#include <string>

class ApplicationConfig;
namespace Tolva {
class MText;
}

// The no-device text of the main window, told the truth when a supported device is plugged in
// but its node may not be opened: what is wrong and the one command that fixes it.
class PermissionNotice {
public:
    // Window thread, before the worker starts: the command names the pivanectl beside the
    // running executable.
    void Configure();
    // Probe roots other than /sys and /dev (tests).
    void SetRoots(const std::string& sysfsRoot, const std::string& devRoot);

    // Worker thread, after a scan found no device online: the fixing command when a device of
    // `config` is plugged in but its node may not be opened, else empty. `realDevices` is false
    // while emulated devices stand in for hidapi: then nothing is probed.
    std::string Check(const ApplicationConfig& config, bool realDevices) const;

    // Window thread: shows the explanation and `command` in the no-device text; an empty
    // command gives the plain no-device text back.
    void Show(Tolva::MText* noDevice, const std::string& command);
    // Window thread, after the texts were applied in another language.
    void ApplyTexts(Tolva::MText* noDevice);
    bool Showing() const { return !shown_.empty(); }

    // The explanation in the current language, then the command.
    static std::string Compose(const std::string& command);

private:
    mutable std::mutex lock_;
    std::string sysfsRoot_ = HidPermissionProbe::DefaultSysfsRoot();
    std::string devRoot_ = HidPermissionProbe::DefaultDevRoot();
    std::string command_;

    std::string shown_; // window thread
    int originalBottom_ = 0;
    bool enlarged_ = false;
};
