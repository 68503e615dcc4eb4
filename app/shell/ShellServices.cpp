#include "app/shell/ShellServices.h"

#include "app/device/HidDeviceManager.h"
#include "app/device/HidFilterDevice.h"
#include "app/device/HotplugMonitor.h"
#include "app/device/KeyRemapCompanion.h"
#include "app/device/VHidev.h"
#include "app/shell/ShellOptions.h"
#include "app/shell/WorkerWindow.h"
#include "sim/SimHidFilter.h"
#include "sim/SimVirtualHid.h"

ShellServices::ShellServices(HidDeviceManager& manager, SettingsDatabase& store)
    : manager_(manager), store_(store) {}

ShellServices::~ShellServices() {
    Stop();
}

bool ShellServices::Start(const ShellOptions& options, const Paths& paths, WorkerWindow& window,
                          const std::string& profileWord, ScreenSampler* sampler) {
    if (worker_) return false;
    link_.Setup(options, paths.programFolder, manager_);
    IHidFilterDevice* filterDevice = link_.SimulatedFilter();
    if (!filterDevice) filterDevice = (filterDevice_ = std::make_unique<HidFilterDevice>()).get();
    IVHidevProxy* virtualDevice = link_.SimulatedVirtualHid();
    if (!virtualDevice) virtualDevice = (virtualDevice_ = std::make_unique<VHidev>()).get();
    filter_ = std::make_unique<HidUsbFilter>(*filterDevice);
    virtualReports_ = std::make_unique<VirtualHidReports>(*virtualDevice);
    companion_ =
        std::make_unique<KeyRemapCompanion>(*filter_, *virtualReports_, manager_.GetClock());

    CThreadBasic::Setup setup;
    setup.manager = &manager_;
    setup.store = &store_;
    setup.dataFolder = paths.dataFolder;
    setup.programFolder = paths.programFolder;
    setup.profileWord = profileWord;
    setup.sampler = sampler;
    setup.companion = companion_.get();
    setup.softwareVersion = link_.Config().Version();
    setup.softwareUpgradeUrl = link_.Config().UpgradeUrl();
    worker_ = std::make_unique<CThreadBasic>(std::move(setup), window);

    hotplug_ = std::make_unique<HotplugTasks>(*worker_, link_.CommandInterfaceCheck());
    hotplug_->SetTargets(HotplugTasks::TargetsFor(manager_.SupportedDevices()));
    hotplug_->Attach();
    if (std::unique_ptr<HotplugSource> source = link_.MakeHotplugSource()) {
        monitor_ = std::make_unique<HotplugMonitor>(std::move(source));
        HotplugTasks* tasks = hotplug_.get();
        if (!monitor_->Start([tasks](const HotplugSource::Event& e) { tasks->OnDeviceChange(e); }))
            monitor_.reset();
    }
    CThreadBasic* worker = worker_.get();
    // A key with a software function asks the window, as a mouse button's does (message 1092).
    companion_->Start([worker](int) { worker->AddTask(CThreadBasic::kPlayKeyFunction); },
                      [&window](int id) { window.SoftwareFunctionPressed(id); });
    worker_->AddTask(CThreadBasic::kDelayedRescan);
    if (startThread_) worker_->Start();
    return true;
}

void ShellServices::Stop() {
    if (!worker_) return;
    // Events first: a removal must not queue work for a worker that is going.
    if (monitor_) monitor_->Stop();
    // No key event may queue work from here on; a macro that plays ends.
    if (companion_) companion_->Stop();
    worker_->Stop();
    // The worker is waited for here if Stop gave up on it, before the devices go.
    worker_.reset();
    // The filter's reader and the driver's table go before the devices.
    companion_.reset();
    virtualReports_.reset();
    filter_.reset();
    monitor_.reset();
    hotplug_.reset();
    manager_.CloseAll();
    link_.SaveSimulatedState();
}

HotplugMatcher::Action ShellServices::OnDeviceChange(const HotplugSource::Event& event) {
    return hotplug_ ? hotplug_->OnDeviceChange(event) : HotplugMatcher::Action::None;
}

bool ShellServices::HotplugRunning() const {
    return monitor_ && monitor_->Running();
}
