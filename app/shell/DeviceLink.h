#pragma once

#include "app/device/HotplugMatcher.h"
#include "app/device/HotplugSource.h"
#include "app/files/ApplicationConfig.h"

#include <memory>
#include <string>

class EmulatedKeyboard;
class EmulatedMouse;
class HidBackend;
class SimHidFilter;
class SimVirtualHid;
class HidDeviceManager;
class ShellOptions;

// The program's way to its devices as the command line chose it: hidapi, or with
// --simulated-mouse the emulated mouse (its state kept in --sim-state FILE) and with
// --simulated-keyboard an emulated keyboard (kept in FILE.keyboard-feature or
// FILE.keyboard-prefixed), alone or together behind the device manager; the configured device modes
// registered from config.xml; and the hot-plug source and command-interface check that go with that
// back end.
class DeviceLink {
public:
    DeviceLink() = default;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Installs the back end on the manager and registers the modes of
    // "<programFolder>config.xml". False when the configuration could not be read: the
    // program then runs with an empty device list.
    bool Setup(const ShellOptions& options, const std::string& programFolder,
               HidDeviceManager& manager);

    const ApplicationConfig& Config() const { return config_; }
    // Null without --simulated-mouse.
    EmulatedMouse* SimulatedMouse() const { return mouse_.get(); }
    // Null without --simulated-keyboard.
    EmulatedKeyboard* SimulatedKeyboard() const { return keyboard_.get(); }
    // The remap companion's outside parts for the emulated keyboard: a filter driver and a
    // virtual HID device that are present. Null without --simulated-keyboard (the program then
    // has neither, as on a machine without the driver).
    SimHidFilter* SimulatedFilter() const { return filter_.get(); }
    SimVirtualHid* SimulatedVirtualHid() const { return virtualHid_.get(); }
    // Whether an arriving interface is the vendor command interface, asked of this back end.
    HotplugMatcher::CommandInterfaceCheck CommandInterfaceCheck() const;
    // udev for real devices; with the emulated mouse a watch on its state file (null without
    // one: then nothing comes or goes while the program runs).
    std::unique_ptr<HotplugSource> MakeHotplugSource() const;
    // Writes the emulated devices' states to their files; true when there is nothing to keep.
    bool SaveSimulatedState() const;

private:
    ApplicationConfig config_;
    std::shared_ptr<HidBackend> backend_;
    std::shared_ptr<EmulatedMouse> mouse_;
    std::shared_ptr<EmulatedKeyboard> keyboard_;
    std::shared_ptr<SimHidFilter> filter_;
    std::shared_ptr<SimVirtualHid> virtualHid_;
    std::string stateFile_;
    std::string keyboardStateFile_;
};
