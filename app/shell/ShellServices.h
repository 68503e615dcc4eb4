#pragma once

#include "app/shell/CThreadBasic.h"
#include "app/shell/DeviceLink.h"
#include "app/shell/HotplugTasks.h"

#include <memory>
#include <string>

class HidDeviceManager;
class HidUsbFilter;
class IHidFilterDevice;
class IVHidevProxy;
class KeyRemapCompanion;
class VirtualHidReports;
class HotplugMonitor;
class ScreenSampler;
class SettingsDatabase;
class ShellOptions;
class WorkerWindow;

// The main window's device side, below its controls: the device link and configured modes,
// the worker, the hot-plug monitor feeding it, in the order the window's initialisation
// starts them and its teardown stops them. The window owns one and implements WorkerWindow.
class ShellServices {
public:
    struct Paths {
        std::string programFolder; // with "/"
        std::string dataFolder;    // with "/"
    };

    // The manager and the store are the process-wide ones in the program; both outlive this.
    ShellServices(HidDeviceManager& manager, SettingsDatabase& store);
    ~ShellServices();
    ShellServices(const ShellServices&) = delete;
    ShellServices& operator=(const ShellServices&) = delete;

    // Sets the device link up, starts the hot-plug monitor (a source that cannot be opened
    // leaves the program without hot-plug, not without devices) and the worker, and queues the
    // start-up rescan (task 2). False when already started. The window must outlive Stop.
    bool Start(const ShellOptions& options, const Paths& paths, WorkerWindow& window,
               const std::string& profileWord = "Profile", ScreenSampler* sampler = nullptr);
    // The teardown's device part: no more hot-plug events, the worker stopped (waiting up to
    // 1000 ms; a task still running is waited for when this object goes), every device entry
    // closed, the emulated mouse's state kept. Nothing when not started.
    void Stop();

    // The exit paths end the process without the teardown; what must survive them is kept
    // here (the emulated mouse's state). Safe from any thread.
    void SaveBeforeExit() const { link_.SaveSimulatedState(); }

    // Whether Start starts the worker's thread (default); tests run its passes themselves.
    void SetStartWorkerThread(bool start) { startThread_ = start; }
    // A device change as the main window's WM_DEVICECHANGE hands it on (window thread): the same
    // path as the hot-plug monitor's events. None before Start.
    HotplugMatcher::Action OnDeviceChange(const HotplugSource::Event& event);

    bool IsStarted() const { return worker_ != nullptr; }
    bool HotplugRunning() const;
    // Null before Start.
    CThreadBasic* Worker() const { return worker_.get(); }
    const DeviceLink& Link() const { return link_; }
    // The keyboards' key remapping; null before Start.
    KeyRemapCompanion* Companion() const { return companion_.get(); }

private:
    HidDeviceManager& manager_;
    SettingsDatabase& store_;
    DeviceLink link_;
    // The filter driver and virtual device (emulated ones with a simulated keyboard, else the
    // desktop's, which are never present), and the companion over them.
    std::unique_ptr<IHidFilterDevice> filterDevice_;
    std::unique_ptr<IVHidevProxy> virtualDevice_;
    std::unique_ptr<HidUsbFilter> filter_;
    std::unique_ptr<VirtualHidReports> virtualReports_;
    std::unique_ptr<KeyRemapCompanion> companion_;
    std::unique_ptr<CThreadBasic> worker_;
    std::unique_ptr<HotplugTasks> hotplug_;
    std::unique_ptr<HotplugMonitor> monitor_;
    bool startThread_ = true;
};
