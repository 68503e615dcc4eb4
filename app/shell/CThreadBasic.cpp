#include "app/shell/CThreadBasic.h"

#include "app/device/CommandFrame.h"
#include "app/device/FirmwareVersion.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/KeyAssignmentCommands.h"
#include "app/device/KeyRemapCompanion.h"
#include "app/device/KeyboardCommands.h"
#include "app/device/MaintenanceCommands.h"
#include "app/device/PerformanceCommands.h"
#include "app/platform/Clock.h"
#include "app/shell/WorkerWindow.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"

#include <chrono>

namespace {

bool IsKeyboardType(int deviceType) {
    return deviceType > 0 && deviceType <= KeyboardCommands::kLastKeyboardType;
}

} // namespace

CThreadBasic::CThreadBasic(Setup setup, WorkerWindow& window)
    : setup_(std::move(setup)), window_(window),
      clock_(setup_.clock ? *setup_.clock : setup_.manager->GetClock()), monitor_(*setup_.manager),
      lighting_(*setup_.manager, *setup_.store, setup_.sampler),
      upgrade_({setup_.programFolder, setup_.softwareVersion, setup_.softwareUpgradeUrl,
                setup_.manager, setup_.updateLimits},
               window_) {}

CThreadBasic::~CThreadBasic() {
    Stop();
    if (thread_.joinable()) thread_.join();
}

void CThreadBasic::AddTask(int code) {
    queue_.Append(code);
    std::lock_guard<std::mutex> lock(wakeMutex_);
    wakeSignal_.notify_all();
}

void CThreadBasic::ChooseDevice(int deviceType, const std::string& layoutName) {
    std::lock_guard<std::mutex> lock(mutex_);
    chosenType_ = deviceType;
    chosenLayout_ = layoutName;
}

void CThreadBasic::SetRescanListener(RescanListener listener) {
    std::lock_guard<std::mutex> lock(mutex_);
    rescanListener_ = std::move(listener);
}

WorkerDeviceState CThreadBasic::DeviceState() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

bool CThreadBasic::Start() {
    if (started_) return false;
    if (thread_.joinable()) thread_.join(); // a loop that Stop gave up waiting for
    {
        std::lock_guard<std::mutex> lock(doneMutex_);
        done_ = false;
    }
    run_ = true;
    started_ = true;
    thread_ = std::thread(&CThreadBasic::Run, this);
    return true;
}

bool CThreadBasic::Stop() {
    if (!started_) return true;
    run_ = false;
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        wakeSignal_.notify_all();
    }
    // Asked from a task (through the window): the loop ends after this pass.
    if (thread_.get_id() == std::this_thread::get_id()) return false;
    bool ended;
    {
        std::unique_lock<std::mutex> lock(doneMutex_);
        // Real time on purpose: this is how long the window's teardown is willing to wait.
        ended = doneSignal_.wait_for(lock, std::chrono::milliseconds(kStopWaitMs),
                                     [this] { return done_; });
    }
    if (ended && thread_.joinable()) thread_.join();
    started_ = false;
    return ended;
}

void CThreadBasic::Run() {
    while (run_) {
        RunPass();
        if (!run_) break;
        if (&clock_ == &Clock::Monotonic()) {
            // A task queued meanwhile (an apply, a click) runs at once instead of up to a
            // period later; idle passes keep the period.
            std::unique_lock<std::mutex> lock(wakeMutex_);
            wakeSignal_.wait_for(lock, std::chrono::milliseconds(kPeriodMs),
                                 [this] { return !run_ || !queue_.Empty(); });
        } else {
            clock_.SleepMs(kPeriodMs);
        }
    }
    std::lock_guard<std::mutex> lock(doneMutex_);
    done_ = true;
    doneSignal_.notify_all();
}

void CThreadBasic::RunPass() {
    int code = 0;
    if (!queue_.Front(code)) {
        IdlePass();
        return;
    }
    // Arrivals and removals re-read the devices first: whether anything is present afterwards
    // decides what happens to the tasks behind them.
    if (code == kDelayedRescan || code == kRescan) {
        if (code == kDelayedRescan) {
            clock_.SleepMs(kArrivalPauseMs);
            if (!visualizerStarted_) {
                visualizerStarted_ = true;
                window_.StartVisualizer();
            }
        }
        Rescan();
        queue_.RemoveFront();
        return;
    }
    // Nothing to talk to: the task is dropped without touching the device or the window. A
    // waiting dialog shown for it still goes, or it would wait for a task that never runs.
    if (!present_ || !HasWork(code)) {
        if (ClosesWaitDialog(code)) window_.CloseWaitDialog();
        queue_.RemoveFront();
        return;
    }
    const bool disable = !KeepsWindowEnabled(code);
    if (disable) window_.DisableForTask();
    RunTask(code);
    if (disable) window_.EnableAfterTask();
    if (ClosesWaitDialog(code)) {
        window_.CloseWaitDialog();
        clock_.SleepMs(kAfterTaskPauseMs);
    }
    queue_.RemoveFront();
}

bool CThreadBasic::ClosesWaitDialog(int code) {
    return (code >= kKeyboardKeyTable && code <= kKeyboardKeyLights) || code == kRestoreDefaults ||
           (code >= kActivateProfile && code <= kDpiLevel);
}

bool CThreadBasic::KeepsWindowEnabled(int code) {
    return code >= kSoftwareCheck && code <= kFirmwareDownload;
}

bool CThreadBasic::HasWork(int code) const {
    switch (code) {
    case kSoftwareCheck:
    case kFirmwareCheck:
    case kSoftwareDownload:
    case kFirmwareDownload:
        return setup_.checkUpdates;
    case kFirmwareHandOff:
        return true;
    case kStartVisualizer:
    case kSwitchDevice:
    case kShowDeviceSettings:
    case kKeyboardKeyTable:
    case kKeyboardLighting:
    case kKeyboardKeyLights:
    case kRestoreDefaults:
    case kActivateProfile:
    case kAssignButton:
    case kAssignAllButtons:
    case kMouseLighting:
    case kReportRate:
    case kDebounceTime:
    case kDpiLevel:
    case kWakeUpMethod:
        return true;
    case kPlayKeyFunction:
        return setup_.companion != nullptr;
    default:
        // Codes with no work on this side.
        return false;
    }
}

int CThreadBasic::Mode() const {
    return monitor_.Current().mode;
}

bool CThreadBasic::RunTask(int code) {
    HidDeviceManager& manager = *setup_.manager;
    SettingsDatabase& store = *setup_.store;
    const int type = deviceType_;
    const int profile = profile_;
    const int mode = Mode();
    switch (code) {
    case kStartVisualizer:
        if (!visualizerStarted_) {
            visualizerStarted_ = true;
            window_.StartVisualizer();
        }
        Rescan();
        return true;
    case kSwitchDevice:
        SwitchDevice();
        return true;
    case kShowDeviceSettings:
        if (type > KeyboardCommands::kLastKeyboardType) {
            monitor_.RefreshShownDevice();
            Publish(MakeState());
        }
        // The keys of the chosen keyboard's profile are taken over from now on.
        if (IsKeyboardType(type) && setup_.companion)
            setup_.companion->LoadRemapTable(store, profile, fnLayer_);
        window_.PostPageReload();
        return true;
    case kKeyboardKeyTable:
        if (IsKeyboardType(type) && KeyboardCommands::IsFeatureFamily(type)) {
            KeyboardCommands commands(manager, store);
            commands.SendMacroKeys(profile, fnLayer_);
            commands.SendKeyTable(profile, fnLayer_);
        }
        if (IsKeyboardType(type) && setup_.companion)
            setup_.companion->LoadRemapTable(store, profile, fnLayer_);
        return true;
    case kPlayKeyFunction:
        // A macro key was pressed: its macro plays through the virtual device.
        if (setup_.companion && setup_.companion->PendingMacro() > 0)
            setup_.companion->PlayMacro(store, setup_.companion->PendingMacro());
        return true;
    case kKeyboardLighting:
        if (IsKeyboardType(type))
            KeyboardCommands(manager, store).SendLighting(type, profile, colourListIndex_);
        return true;
    case kKeyboardKeyLights:
        if (IsKeyboardType(type) && KeyboardCommands::IsFeatureFamily(type))
            KeyboardCommands(manager, store).SendPerKeyLightTable();
        return true;
    case kRestoreDefaults:
        // A keyboard answers on its cable mode too, but it only knows its own reset frames. The
        // store has lost the key rows already: the driver lets go of those keys as well.
        if (IsKeyboardType(type)) {
            KeyboardCommands(manager, store).RestoreFactoryDefaults(type);
            if (setup_.companion) setup_.companion->LoadRemapTable(store, profile, fnLayer_);
        } else if (CommandFrame::HasFrame(mode))
            MaintenanceCommands(manager).RestoreFactoryDefaults(mode);
        window_.PostPageReload();
        return true;
    case kActivateProfile:
        if (IsKeyboardType(type))
            SendKeyboardProfile(type, profile);
        else
            PerformanceCommands(manager, store).SetActiveProfile(mode, profile);
        window_.PostPageReload();
        return true;
    case kAssignButton:
        KeyAssignmentCommands(manager, store).AssignButton(mode, profile, button_);
        return true;
    case kAssignAllButtons:
        KeyAssignmentCommands(manager, store).AssignAllButtons(mode, profile);
        return true;
    case kMouseLighting:
        lighting_.SetLighting(mode, profile, store.GetActiveLightMode(profile));
        return true;
    case kReportRate:
        PerformanceCommands(manager, store).SetReportRate(mode, profile);
        return true;
    case kDebounceTime:
        PerformanceCommands(manager, store).SetDebounceTime(mode, profile);
        return true;
    case kDpiLevel:
        PerformanceCommands(manager, store).SetDpiLevel(mode, profile);
        return true;
    case kWakeUpMethod: {
        // The page stored the choice; over the cable the mouse has no such setting.
        const int method = PerformanceCommands::ConfigInt(store, 1, "wakeupmethod");
        if (method >= 1 && CommandFrame::IsWirelessMode(mode))
            PerformanceCommands(manager, store).SetWakeUpMethod(mode, method);
        return true;
    }
    default:
        return RunUpgradeTask(code);
    }
}

void CThreadBasic::SendKeyboardProfile(int type, int profile) {
    // A keyboard keeps no profiles of its own (neither family has a frame for one): it is sent
    // what the chosen profile holds, and the driver takes over that profile's keys.
    SettingsDatabase& store = *setup_.store;
    KeyboardCommands commands(*setup_.manager, store);
    const bool feature = KeyboardCommands::IsFeatureFamily(type);
    if (feature) {
        commands.SendMacroKeys(profile, fnLayer_);
        commands.SendKeyTable(profile, fnLayer_);
    }
    LightRow light;
    const int mode = store.GetActiveLightMode(profile);
    const int colourIndex =
        mode > 0 && store.GetLightRow(profile, mode, light) ? light.colorIndex : 0;
    colourListIndex_ = colourIndex;
    commands.SendLighting(type, profile, colourIndex);
    if (feature) commands.SendPerKeyLightTable();
    if (setup_.companion) setup_.companion->LoadRemapTable(store, profile, fnLayer_);
}

bool CThreadBasic::RunUpgradeTask(int code) {
    switch (code) {
    case kSoftwareCheck:
        if (upgrade_.CheckSoftware()) queue_.Append(kSoftwareDownload);
        return true;
    case kFirmwareCheck: {
        HidDeviceManager& manager = *setup_.manager;
        int32_t release = 0;
        // Without a device answering there is nothing to compare with.
        if (!manager.ReleaseNumber(release, manager.CurrentIndex())) return true;
        if (upgrade_.CheckFirmware(FirmwareVersion::FromReleaseNumber(release)))
            queue_.Append(kFirmwareDownload);
        return true;
    }
    case kSoftwareDownload:
    case kFirmwareDownload:
    case kFirmwareHandOff: {
        const bool started = code == kSoftwareDownload   ? upgrade_.DownloadSoftware()
                             : code == kFirmwareDownload ? upgrade_.DownloadFirmware()
                                                         : upgrade_.HandOffFirmware();
        // The program is ending: no more device work from here.
        if (started)
            Stop();
        else if (upgrade_.DevicesReopened())
            Rescan();
        return true;
    }
    default:
        return false;
    }
}

void CThreadBasic::IdlePass() {
    const int type = deviceType_;
    DeviceStatusMonitor::PollResult result = monitor_.Poll(type);
    if (result.pressedButton) ReportSoftwareFunction(result.pressedButton);
    if (result.rescan) {
        Rescan();
    } else if (result.batteryChanged) {
        Publish(MakeState());
    }
    if (!present_ || !visible_ || page_ != kLightingPage || Mode() != CommandFrame::kModeWired)
        return;
    if (!setup_.manager->CurrentDevice()) return;
    LightingCommands::Colours colours{};
    int flags = lightingFlags_;
    bool sent = false;
    if (flags & kMusicEffectFlag) {
        if (const LightPictureSource* picture = picture_)
            sent = lighting_.SendMusicFrame(CommandFrame::kModeWired, *picture, colours);
    } else if (flags & kScreenEffectFlag) {
        sent = lighting_.SendScreenFrame(CommandFrame::kModeWired, colours);
    }
    // The page's picture shows what the mouse shows.
    if (sent) window_.LiveColoursSent(colours);
}

void CThreadBasic::ReportSoftwareFunction(int keyCode) {
    // The store, not the mouse, says what the button does in the current profile.
    KeyAssignmentRow row;
    if (!setup_.store->GetButtonAssignment(profile_, keyCode, row)) return;
    if (row.macroType >= kFirstSoftwareType && row.macroType <= kLastSoftwareType &&
        row.macroValue > 0)
        window_.SoftwareFunctionPressed(row.macroValue);
}

void CThreadBasic::Rescan() {
    monitor_.RescanDevices(deviceType_);
    WorkerDeviceState state = MakeState();
    present_ = state.present;
    RescanListener listener;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        listener = rescanListener_;
    }
    if (listener) listener(state);
    Publish(state);
    if (deviceType_ != 0) window_.PostPageReload();
}

void CThreadBasic::SwitchDevice() {
    int type;
    std::string layoutName;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        type = chosenType_;
        layoutName = chosenLayout_;
    }
    if (type == 0) return;
    HidDeviceManager& manager = *setup_.manager;
    SettingsDatabase& store = *setup_.store;
    deviceType_ = type;
    manager.SetSelectedDeviceType(type);
    int mode = manager.ConnectedMode();
    monitor_.SetConnection(mode != CommandFrame::kModeNone, mode);

    // A new store seeds its profiles for this type inside the open: every mouse profile needs
    // its own configuration rows.
    store.SetCurrentDeviceType(type);
    store.SetOpenFlag(store.OpenSettingsDatabase(setup_.dataFolder, SettingsDatabase::kDeviceName));
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    ProfileDefaults::LoadOrCreateProfiles(store, setup_.profileWord, type, profiles);
    int profile = store.FindActiveProfile();
    if (profile <= 0 && !profiles.empty() && profiles.front()) profile = profiles.front()->profile;
    if (profile <= 0) profile = 1;
    profile_ = profile;

    auto layout = std::make_shared<DeviceLayout>();
    if (layout->Load(setup_.programFolder, type, layoutName, setup_.lookup))
        layout->SeedLightRows(store, profile);
    int32_t release = 0;
    const bool known = manager.ReleaseNumber(release, manager.CurrentIndex());
    upgrade_.SetFirmwareSource(layout->FirmwareUrl(), layout->FirmwareFile(),
                               known ? FirmwareVersion::FromReleaseNumber(release) : -1);
    loadedType_ = type;
    Publish(MakeState());
    window_.DeviceSwitched(type, profile, layout);
    queue_.Append(kShowDeviceSettings);
    queue_.Append(kFirmwareCheck);
}

WorkerDeviceState CThreadBasic::MakeState() {
    HidDeviceManager& manager = *setup_.manager;
    WorkerDeviceState state;
    state.deviceType = deviceType_;
    DeviceStatusMonitor::State status = monitor_.Current();
    state.connected = status.connected;
    state.mode = status.mode;
    state.battery = status.battery;
    state.stateChange = stateChange_;
    int count = manager.EntryCount();
    for (int i = 0; i < count; ++i) {
        DeviceEntry entry;
        if (!manager.EntryAt(i, entry)) continue;
        if (entry.online) state.present = true;
        state.entries.push_back(entry);
    }
    return state;
}

void CThreadBasic::Publish(const WorkerDeviceState& state) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = state;
    }
    window_.DeviceStateChanged(state);
}
