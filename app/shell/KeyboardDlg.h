#pragma once

#include "app/shell/CloseDecision.h"
#include "app/shell/InstanceRequests.h"
#include "app/shell/MainWindowLayout.h"
#include "app/shell/PermissionNotice.h"
#include "app/shell/ShellOptions.h"
#include "app/shell/ShellServices.h"
#include "app/shell/TrayIcon.h"
#include "app/shell/WorkerWindow.h"
#include "app/shell/pages/PageHost.h"
#include "app/shell/pages/ShellPage.h"
#include "ui/core/MDialog.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class HidDeviceManager;
class LightFrameStore;
class ScreenSampler;
class SettingsDatabase;
class WaitDlg;

// The program's main window and controller: it builds the title bar, the device list, the
// battery and mode indicators, both tab strips and the page layouts, builds the pages and routes
// every notification, window message and key event to them, and owns the device side
// (ShellServices: the worker, the device link, hot-plug). The worker reaches it only through
// WorkerWindow, whose calls are handed to the window thread in the order they were made.
class KeyboardDlg : public Tolva::MDialog,
                    public PageHost,
                    public WorkerWindow,
                    public InstanceRequests {
public:
    static constexpr const char* kTitle = "ORMAN-Q410";
    static constexpr uint32_t kVersionTimer = 200;
    static constexpr uint32_t kVersionDelayMs = 2000;
    static constexpr uint32_t kAnimationMs = 10;
    // Posted to the window: one worker call waits in the hand-over queue; a show request.
    static constexpr uint32_t kWorkerCall = Tolva::WM_APP + 0x101;
    static constexpr uint32_t kShowRequest = Tolva::WM_APP + 0x102;
    static constexpr uint32_t kExitRequestParam = 610;

    struct Setup {
        HidDeviceManager* manager = nullptr;    // required
        SettingsDatabase* store = nullptr;      // required
        LightFrameStore* lightFrames = nullptr; // opened in the program folder when given
        ShellOptions options;
        std::string programFolder; // with "/"
        std::string dataFolder;    // with "/"
        // Tests run the worker's passes themselves.
        bool startWorkerThread = true;
        // How the exit paths end the process; empty: _exit(0). Runs after the tray icon went
        // and the emulated mouse's state was kept.
        std::function<void()> exitProcess;
        // Called once, when the window's first frame reached the screen (start-up timing).
        std::function<void()> firstFrame;
    };

    explicit KeyboardDlg(Setup setup);
    ~KeyboardDlg() override;

    // Creates the 1200 x 720 window centred on the screen (hidden); false on failure.
    bool CreateMainWindow();
    // The normal teardown: no more hot-plug, the worker stopped (waiting up to 1000 ms), the
    // device entries freed, the tray icon gone, the waiting dialog closed. Idempotent.
    void Teardown();

    // Tolva::MDialog
    const char* GetWindowClassName() const override { return "KeyboardDlg"; }
    void OnInitDialog() override;
    void InitUI(const Tolva::Rect& rect) override;
    void ShowWindow(int command) override;
    Tolva::LRESULT OnMessage(unsigned id, int code, Tolva::WPARAM wparam,
                             Tolva::LPARAM lparam) override;
    Tolva::LRESULT OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam,
                                   Tolva::LPARAM lparam) override;
    Tolva::LRESULT OnTimer(uint32_t id) override;
    Tolva::LRESULT OnDestroy() override;

    // PageHost
    Tolva::MDialog& Window() override { return *this; }
    Tolva::MTabLayout* FindLayout(unsigned id) override { return controls_.FindLayout(id); }
    SettingsDatabase& Store() override { return store_; }
    void QueueTask(int code) override;
    CThreadBasic* Worker() override { return services_.Worker(); }
    void ShowWaitDialog() override;
    int ShowMessageBox(const std::string& text, const std::string& caption, int style) override;
    int DeviceType() const override { return deviceType_; }
    int CurrentProfile() const override { return profile_; }
    void SetCurrentProfile(int profile) override;
    std::shared_ptr<const DeviceLayout> Layout() const override { return layout_; }
    void ReloadPages() override;
    bool RemapsKeys() const override;
    const std::string& ProgramFolder() const override { return setup_.programFolder; }
    const std::string& DataFolder() const override { return setup_.dataFolder; }

    // WorkerWindow (worker thread): each call is queued for the window thread.
    void DisableForTask() override;
    void EnableAfterTask() override;
    void CloseWaitDialog() override;
    void PostPageReload() override;
    void DeviceStateChanged(const WorkerDeviceState& state) override;
    void DeviceSwitched(int deviceType, int profile,
                        std::shared_ptr<const DeviceLayout> layout) override;
    void StartVisualizer() override;
    void SoftwareFunctionPressed(int keyExtraDataId) override;
    // UpgradeNotices (worker thread): progress as message 1690, the rest to the config page.
    void UpgradeProgress(int percent) override;
    void UpgradeStateChanged(const UpgradeState& state) override;
    void EndProgramForUpgrade() override;
    void LiveColoursSent(const std::array<uint32_t, 7>& colours) override;

    // InstanceRequests (listener thread)
    void OnShowRequest() override;
    void OnExitRequest() override;

    // What the window shows, for the program's own checks and tests.
    int CurrentPage() const { return currentPage_; }
    // The device whose pages are shown (0 before a selection, or after it went away).
    int SelectedDeviceType() const { return selectedType_; }
    const TrayIcon& Tray() const { return tray_; }
    bool HasWaitDialog() const { return waitDlg_ != nullptr; }
    WaitDlg* WaitDialog() const { return waitDlg_.get(); }
    const MainWindowLayout& Controls() const { return controls_; }
    PermissionNotice& Permission() { return permissionNotice_; }
    ShellServices& Services() { return services_; }
    const std::vector<std::unique_ptr<ShellPage>>& Pages() const { return pages_; }

    // Shows and raises the window (a second copy's request, a tray click).
    void ShowAndRaise();
    // The device list's choice (notification 1 of control 56).
    void OnDeviceSelected();
    // A tab of either strip was selected.
    void ActivatePage(int page);
    // Every text again in the current language (message 2022).
    void ApplyTexts();

private:
    void PostToWindow(std::function<void()> work);
    void ShowUpgradeState(const UpgradeState& state);
    void RunPostedWork();
    void ApplyDeviceState(const WorkerDeviceState& state);
    void ShowDevicePages(int deviceType);
    void HideDevicePages();
    void ShowModeIcon(int mode);
    bool RouteToPages(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam);
    void RouteKey(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam);
    void OnCloseButton();
    void OpenAddress(const std::string& url);
    // The exit paths: tray icon removed, the emulated mouse's state kept, the process ended.
    void ExitNow();
    std::string LayoutNameOf(int deviceType) const;
    std::string DeviceNameOf(int deviceType) const;
    void FillDeviceList();

    Setup setup_;
    SettingsDatabase& store_;
    std::unique_ptr<ScreenSampler> screenSampler_; // the worker's; outlives it
    ShellServices services_;
    MainWindowLayout controls_;
    std::vector<std::unique_ptr<ShellPage>> pages_;
    std::unique_ptr<WaitDlg> waitDlg_;
    TrayIcon tray_;
    CloseDecision closeDecision_;
    PermissionNotice permissionNotice_;

    std::atomic<Tolva::NativeWindow*> window_{nullptr}; // for the other threads' posts
    std::mutex postedLock_;
    std::deque<std::function<void()>> posted_;

    int deviceType_ = 0;   // the shown device type as the worker last told it
    int selectedType_ = 0; // whose pages are shown
    int profile_ = 1;
    std::shared_ptr<const DeviceLayout> layout_;
    int currentPage_ = 0;
    bool versionTimerFired_ = false;
    bool shownWired_ = true; // the mode picture starts with the cable's image
    bool tornDown_ = false;
    uint32_t animationTimer_ = 0;
};
