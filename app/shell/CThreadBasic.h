#pragma once

#include "app/device/DeviceStatusMonitor.h"
#include "app/device/LightingCommands.h"
#include "app/files/DeviceLayout.h"
#include "app/shell/TaskQueue.h"
#include "app/shell/WorkerDeviceState.h"
#include "app/shell/upgrade/UpgradeTasks.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class Clock;
class HidDeviceManager;
class KeyRemapCompanion;
class LightPictureSource;
class ScreenSampler;
class SettingsDatabase;
class WorkerWindow;

// The main window's worker: every device exchange runs here, one queued task per pass, so the
// window thread never waits for the device. On passes with nothing queued it polls the device's
// status and drives the live lighting effects. It talks to the window only through
// WorkerWindow; what it needs to know of the window (visible, current page, profile, chosen
// device) the window tells it through the setters, which any thread may call.
class CThreadBasic {
public:
    static constexpr int kPeriodMs = 33;
    static constexpr int kStopWaitMs = 1000;
    static constexpr int kArrivalPauseMs = 1000;
    static constexpr int kAfterTaskPauseMs = 100;
    static constexpr int kLightingPage = 9;
    static constexpr int kMusicEffectFlag = 0x200;
    static constexpr int kScreenEffectFlag = 0x400;
    // Assignment types the program performs itself (program, web page, text, profile).
    static constexpr int kFirstSoftwareType = 8;
    static constexpr int kLastSoftwareType = 11;

    enum Task : int {
        kStartVisualizer = 1,
        kDelayedRescan = 2, // a device arrived (and start-up)
        kRescan = 3,        // a device was removed
        kSwitchDevice = 4,
        kShowDeviceSettings = 5,
        kKeyboardKeyTable = 6,
        kKeyboardLighting = 7,
        kKeyboardKeyLights = 8,
        kRestoreDefaults = 10,
        kPlayKeyFunction = 11,
        kActivateProfile = 12,
        kAssignButton = 13,
        kAssignAllButtons = 14,
        kMouseLighting = 15,
        kReportRate = 16,
        kDebounceTime = 17,
        kDpiLevel = 18,
        kSoftwareCheck = 19,
        kFirmwareCheck = 20,
        kSoftwareDownload = 21,
        kFirmwareDownload = 22,
        kFirmwareHandOff = 23,
        // The configuration page's wake-up method ("wakeupmethod" of profile 1); only the
        // receiver takes it.
        kWakeUpMethod = 24,
    };

    struct Setup {
        HidDeviceManager* manager = nullptr; // required
        SettingsDatabase* store = nullptr;   // required
        Clock* clock = nullptr;              // the period and the task pauses; null: the manager's
        std::string dataFolder;              // with its trailing "/"
        std::string programFolder;           // with its trailing "/"
        std::string profileWord = "Profile"; // UI text 65, for the names of new profiles
        ScreenSampler* sampler = nullptr;    // the screen-colour effect; may be null
        DeviceLayout::TextLookup lookup;     // texts of the layout file; null: UiText::Dialog
        // The keyboards' key remapping (remap table with task 6, macro keys by task 11); may
        // be null.
        KeyRemapCompanion* companion = nullptr;
        std::string softwareVersion;    // of the configuration file, for task 19
        std::string softwareUpgradeUrl; // the software update directory
        // False: tasks 19 to 22 do nothing (suites that are not about upgrades stay off the
        // network).
        bool checkUpdates = true;
        HttpClient::Limits updateLimits;
    };

    // Called on the worker thread after every rescan, with what it found (hot-plug marks).
    using RescanListener = std::function<void(const WorkerDeviceState&)>;

    // Both the setup's objects and the window must outlive the worker.
    CThreadBasic(Setup setup, WorkerWindow& window);
    // Stops the thread; waits for it to finish its current task. Never from a task.
    ~CThreadBasic();
    CThreadBasic(const CThreadBasic&) = delete;
    CThreadBasic& operator=(const CThreadBasic&) = delete;

    // Appends a task code (any thread).
    void AddTask(int code);
    TaskQueue& Queue() { return queue_; }

    // Starts the thread: one pass, then the period, until Stop. False when already started.
    bool Start();
    // Clears the run flag and waits up to 1000 ms for the loop to end. False when it has not
    // ended by then (a long task is still running); the destructor still waits for it. From
    // inside a task it only asks the loop to end after this pass (false).
    bool Stop();
    bool IsStarted() const { return started_; }

    // One pass of the loop; the thread calls it every period. Tests call it directly, never
    // while the thread runs.
    void RunPass();

    // Window-side facts the tasks read.
    void ChooseDevice(int deviceType, const std::string& layoutName); // before queueing task 4
    // The shown device type (task 4, or the device of a hot-plug event).
    void SetShownDeviceType(int deviceType) { deviceType_ = deviceType; }
    int ShownDeviceType() const { return deviceType_; }
    // The device type whose settings and layout task 4 loaded last (0 before). The device
    // list compares a selection with this one, not with the shown type: a hot-plug event
    // changes the shown type, and a selection that then queued no task 4 would leave the
    // device's settings unloaded.
    int LoadedDeviceType() const { return loadedType_; }
    void SetCurrentProfile(int profile) { profile_ = profile; }
    int CurrentProfile() const { return profile_; }
    void SetSelectedButton(int keyCode) { button_ = keyCode; } // before queueing task 13
    void SetFnLayer(int fnLayer) { fnLayer_ = fnLayer; }       // keyboard key table
    void SetColourListIndex(int index) { colourListIndex_ = index; }
    void SetWindowVisible(bool visible) { visible_ = visible; }
    void SetCurrentPage(int page) { page_ = page; }
    void SetLightingFlags(int flags) { lightingFlags_ = flags; }
    // 1 after an arrival, 2 after a removal (the hot-plug side sets it).
    void SetStateChange(int flag) { stateChange_ = flag; }
    // The visualizer's picture for the music effect; null while there is none. Not owned.
    void SetLightPicture(const LightPictureSource* picture) { picture_ = picture; }
    void SetRescanListener(RescanListener listener);

    // The upgrade tasks (19 to 23); CancelDownload and State from any thread.
    UpgradeTasks& Upgrade() { return upgrade_; }

    // The last state handed to the window.
    WorkerDeviceState DeviceState() const;
    bool DevicePresent() const { return present_; }

private:
    void Run();
    void IdlePass();
    // A button report: the button's software function goes to the window.
    void ReportSoftwareFunction(int keyCode);
    // Runs the task; false when the code has no work on this side (nothing was done).
    bool RunTask(int code);
    bool HasWork(int code) const;
    void SendKeyboardProfile(int type, int profile);
    bool RunUpgradeTask(int code);
    // Network tasks leave the window usable: they may take seconds, and a download can be
    // cancelled from the page meanwhile.
    static bool KeepsWindowEnabled(int code);
    static bool ClosesWaitDialog(int code);
    void Rescan();
    void SwitchDevice();
    int Mode() const;
    WorkerDeviceState MakeState();
    void Publish(const WorkerDeviceState& state);

    Setup setup_;
    WorkerWindow& window_;
    Clock& clock_;
    TaskQueue queue_;
    DeviceStatusMonitor monitor_;
    LightingCommands lighting_;
    UpgradeTasks upgrade_;

    std::atomic<int> deviceType_{0};
    std::atomic<int> loadedType_{0};
    std::atomic<int> profile_{1};
    std::atomic<int> button_{0};
    std::atomic<int> fnLayer_{0};
    std::atomic<int> colourListIndex_{0};
    std::atomic<bool> visible_{false};
    std::atomic<int> page_{0};
    std::atomic<int> lightingFlags_{0};
    std::atomic<int> stateChange_{0};
    std::atomic<const LightPictureSource*> picture_{nullptr};
    std::atomic<bool> present_{false};
    bool visualizerStarted_ = false; // worker thread only

    mutable std::mutex mutex_; // chosen device, listener, published state
    int chosenType_ = 0;
    std::string chosenLayout_;
    RescanListener rescanListener_;
    WorkerDeviceState state_;

    std::thread thread_;
    std::atomic<bool> run_{false};
    std::atomic<bool> started_{false};
    std::mutex doneMutex_;
    std::condition_variable doneSignal_;
    // On the real clock a queued task ends the wait between passes early.
    std::mutex wakeMutex_;
    std::condition_variable wakeSignal_;
    bool done_ = false;
};
