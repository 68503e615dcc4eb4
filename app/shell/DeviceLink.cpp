#include "app/shell/DeviceLink.h"

#include "app/device/HidDeviceManager.h"
#include "app/device/HidapiBackend.h"
#include "app/device/HotplugUdevSource.h"
#include "app/shell/ShellOptions.h"
#include "app/shell/SimulatedPlugWatch.h"
#include "sim/EmulatedMouse.h"

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
    } else {
        backend_ = std::make_shared<HidapiBackend>();
    }
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
    if (!mouse_) return std::make_unique<HotplugUdevSource>();
    if (stateFile_.empty()) return nullptr;
    return std::make_unique<SimulatedPlugWatch>(mouse_, stateFile_);
}

bool DeviceLink::SaveSimulatedState() const {
    if (!mouse_ || stateFile_.empty()) return true;
    return mouse_->SaveState(stateFile_);
}
