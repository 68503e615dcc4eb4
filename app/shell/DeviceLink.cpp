#include "app/shell/DeviceLink.h"

#include "app/device/HidDeviceManager.h"
#include "app/device/HidapiBackend.h"
#include "app/device/HotplugUdevSource.h"
#include "app/shell/ShellOptions.h"
#include "app/shell/SimulatedPlugWatch.h"
#include "sim/EmulatedKeyboard.h"
#include "sim/EmulatedMouse.h"
#include "sim/SimHidBus.h"
#include "sim/SimHidFilter.h"
#include "sim/SimVirtualHid.h"

bool DeviceLink::Setup(const ShellOptions& options, const std::string& programFolder,
                       HidDeviceManager& manager) {
    if (!options.simulatedMouse.empty()) {
        bool cable = options.simulatedMouse != "wireless";
        bool receiver = options.simulatedMouse != "wired";
        mouse_ = std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(cable, receiver));
        stateFile_ = options.simStateFile;
        if (!stateFile_.empty()) mouse_->LoadState(stateFile_);
        // The command line says what is plugged in at start, whatever the saved state says.
        mouse_->PlugCable(cable);
        mouse_->PlugReceiver(receiver);
        backend_ = mouse_;
    }
    if (!options.simulatedKeyboard.empty()) {
        auto family = options.simulatedKeyboard == "prefixed" ? EmulatedKeyboard::Family::Prefixed
                                                              : EmulatedKeyboard::Family::Feature;
        keyboard_ = std::make_shared<EmulatedKeyboard>(family);
        if (!options.simStateFile.empty()) {
            keyboardStateFile_ = EmulatedKeyboard::StatePathBeside(options.simStateFile, family);
            keyboard_->LoadState(keyboardStateFile_);
        }
        // Plugged in at start, whatever the saved state says, as the mouse's links are.
        keyboard_->Plug(true);
        filter_ = std::make_shared<SimHidFilter>();
        keyboard_->AttachFilter(filter_);
        virtualHid_ = std::make_shared<SimVirtualHid>();
        if (mouse_) {
            auto bus = std::make_shared<SimHidBus>();
            bus->Add(mouse_);
            bus->Add(keyboard_);
            backend_ = bus;
        } else {
            backend_ = keyboard_;
        }
    }
    if (!backend_) backend_ = std::make_shared<HidapiBackend>();
    manager.SetBackend(backend_);
    manager.ClearSupportedDevices();
    return config_.Load(ApplicationConfig::PathIn(programFolder), &manager);
}

HotplugMatcher::CommandInterfaceCheck DeviceLink::CommandInterfaceCheck() const {
    std::shared_ptr<HidBackend> backend = backend_;
    return [backend](const std::string& path) {
        return backend && HotplugMatcher::IsCommandInterface(*backend, path);
    };
}

std::unique_ptr<HotplugSource> DeviceLink::MakeHotplugSource() const {
    if (!mouse_ && !keyboard_) return std::make_unique<HotplugUdevSource>();
    // The emulated keyboard stays plugged in while the program runs.
    if (!mouse_ || stateFile_.empty()) return nullptr;
    return std::make_unique<SimulatedPlugWatch>(mouse_, stateFile_);
}

bool DeviceLink::SaveSimulatedState() const {
    bool ok = true;
    if (mouse_ && !stateFile_.empty()) ok = mouse_->SaveState(stateFile_);
    if (keyboard_ && !keyboardStateFile_.empty())
        ok = keyboard_->SaveState(keyboardStateFile_) && ok;
    return ok;
}
