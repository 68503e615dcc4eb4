// The main window on the headless back end, over the emulated mouse, on virtual time: the
// worker's passes run on the test thread, so what the worker hands over is dispatched by the
// window's own queue exactly as in the program.
#include "app/shell/KeyboardDlg.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/HotplugSource.h"
#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/WaitDlg.h"
#include "app/store/LightFrameStore.h"
#include "app/store/SettingsDatabase.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"
#include "ui/controls/MPicture.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/Platform.h"
#include "ui/widgets/BatteryCtrl.h"
#include "ui/widgets/CDeviceCtrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace Tolva;

namespace {

// Counts the window's disabling and lets a test act while a task runs.
class ObservedDlg : public KeyboardDlg {
public:
    using KeyboardDlg::KeyboardDlg;

    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_ENABLE && wparam == 0) ++disabledTimes;
        return KeyboardDlg::OnWindowMessage(msg, wparam, lparam);
    }
    void DisableForTask() override {
        KeyboardDlg::DisableForTask();
        ++tasksRun;
        if (auto action = std::move(duringTask)) {
            duringTask = nullptr;
            action();
        }
    }

    int disabledTimes = 0;
    int tasksRun = 0;
    std::function<void()> duringTask;
};

class KeyboardDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Platform::Init(BackendKind::Headless));
        head = Platform::Headless();
        head->SetManualPeriodicTimers(true);
        Language::SetCurrent(Language::kEnglish);
        char pattern[] = "/tmp/pivane-window-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = std::string(pattern) + "/";
        std::filesystem::create_directories(folder + "db");
        std::filesystem::create_directories(folder + "config");
        // The exit mode lives in the user's configuration: keep it out of the real one.
        setenv("XDG_CONFIG_HOME", (folder + "config").c_str(), 1);
        const char* home = std::getenv("PIVANE_HOME");
        programFolder = home && *home ? home : "./bin/";
        if (programFolder.back() != '/') programFolder += '/';
        manager = std::make_unique<HidDeviceManager>(nullptr, &clock);
    }

    void TearDown() override {
        dlg.reset();
        if (store.IsSettingsOpen()) store.CloseSettingsDatabase();
        store.SetOpenFlag(false);
        manager.reset();
        Platform::Shutdown();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    void Open(const std::string& simulated = "both") {
        KeyboardDlg::Setup setup;
        setup.manager = manager.get();
        setup.store = &store;
        setup.options.simulatedMouse = simulated;
        setup.programFolder = programFolder;
        setup.dataFolder = folder;
        setup.startWorkerThread = false;
        setup.exitProcess = [this] { ++exits; };
        setup.lightFrames = lightFrames;
        dlg = std::make_unique<ObservedDlg>(std::move(setup));
        ASSERT_TRUE(dlg->CreateMainWindow());
        dlg->GetPaintManager().SetPaintPause(0);
        dlg->ShowWindow(SW_SHOW);
        Platform::ProcessPending();
        ASSERT_NE(Worker(), nullptr);
    }

    CThreadBasic* Worker() { return dlg->Services().Worker(); }
    EmulatedMouse* Mouse() { return dlg->Services().Link().SimulatedMouse(); }
    std::vector<int> Queue() { return Worker()->Queue().Snapshot(); }

    // Worker passes until the queue is empty, each followed by what it handed to the window.
    void Drain(int maxPasses = 100) {
        for (int i = 0; i < maxPasses && !Worker()->Queue().Empty(); ++i) {
            Worker()->RunPass();
            Platform::ProcessPending();
        }
        Platform::ProcessPending();
    }

    void Click(Point p) {
        head->MouseMove(dlg->GetSafeHwnd(), p);
        head->Click(dlg->GetSafeHwnd(), p);
        Platform::ProcessPending();
    }
    // The mouse's row: the keyboards are configured ahead of it (and take no place while offline).
    int MouseRow() const {
        const auto* list = dlg->Controls().devices;
        for (int i = 0; i < list->GetDeviceCount(); ++i)
            if (list->GetDeviceName(i) == "ORMAN-Q410") return i;
        return -1;
    }
    void ClickDevice() {
        const Rect list = dlg->Controls().devices->GetRect();
        const Rect row = dlg->Controls().devices->GetItemRect(MouseRow());
        Click({list.left + (row.left + row.right) / 2, list.top + (row.top + row.bottom) / 2});
    }
    void ClickTab(int index) {
        const Rect r = dlg->Controls().mouseTabs->GetItemRect(index);
        Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // Start-up scan, then the mouse chosen and loaded.
    void StartAndChoose() {
        Drain();
        ClickDevice();
        Drain();
    }

    HotplugSource::Event CommandInterfaceEvent(int kind, uint16_t productId) {
        for (const HidInterfaceInfo& info : Mouse()->Enumerate())
            if (info.productId == productId && info.usagePage == 0xFF02 && info.usage == 2)
                return {kind, info.interfaceName, info.path};
        return {};
    }
    void SendDeviceChange(const HotplugSource::Event& event) {
        dlg->SendMessageW(WM_DEVICECHANGE, static_cast<WPARAM>(event.kind),
                          reinterpret_cast<LPARAM>(&event));
    }
    size_t CommandReports() {
        const auto log = Mouse()->Log();
        return static_cast<size_t>(
            std::count_if(log.begin(), log.end(), [](const auto& r) { return r.command; }));
    }

    HeadlessBackend* head = nullptr;
    VirtualClock clock;
    std::unique_ptr<HidDeviceManager> manager;
    SettingsDatabase store;
    std::unique_ptr<ObservedDlg> dlg;
    std::string folder;
    std::string programFolder;
    int exits = 0;
    LightFrameStore* lightFrames = nullptr;
};

bool Visible(const MControl* c) {
    return c && c->IsVisible();
}

TEST_F(KeyboardDlgTest, StartsWithNothingShownThenListsTheMouseAndShowsItsPagesOnSelection) {
    Open();
    const MainWindowLayout& ui = dlg->Controls();
    EXPECT_EQ(dlg->GetWindowTextW(), "ORMAN-Q410");
    EXPECT_EQ(dlg->GetClientRect().Width(), 1200);
    EXPECT_EQ(dlg->GetClientRect().Height(), 720);
    for (unsigned id : MainWindowLayout::LayoutIds())
        EXPECT_FALSE(Visible(ui.FindLayout(id))) << id;
    EXPECT_FALSE(Visible(ui.mouseTabs));
    EXPECT_FALSE(Visible(ui.keyboardTabs));
    EXPECT_TRUE(Visible(ui.noDevice));
    EXPECT_EQ(ui.devices->GetConnectCount(), 0);
    EXPECT_EQ(Queue(), std::vector<int>{CThreadBasic::kDelayedRescan});

    Drain();
    EXPECT_EQ(ui.devices->GetConnectCount(), 1);
    EXPECT_EQ(ui.devices->GetDeviceState(MouseRow()), 2);
    EXPECT_FALSE(Visible(ui.noDevice));
    EXPECT_FALSE(Visible(ui.battery)) << "nothing is shown before a selection";

    ClickDevice();
    EXPECT_EQ(Queue(), std::vector<int>{CThreadBasic::kSwitchDevice});
    EXPECT_TRUE(Visible(ui.mouseTabs));
    EXPECT_FALSE(Visible(ui.keyboardTabs));
    EXPECT_EQ(ui.mouseTabs->GetSelectItem(), 1);
    EXPECT_EQ(dlg->CurrentPage(), 6);
    EXPECT_TRUE(Visible(ui.FindLayout(501)));
    EXPECT_FALSE(Visible(ui.FindLayout(50)));
    EXPECT_EQ(ui.devices->GetDeviceState(MouseRow()), 1);

    Drain();
    EXPECT_EQ(dlg->DeviceType(), 601);
    EXPECT_NE(dlg->Layout(), nullptr);
    EXPECT_TRUE(store.IsSettingsOpen());
    ASSERT_TRUE(Visible(ui.battery));
    EXPECT_EQ(ui.battery->GetBatteryLevel(), 80);
    ASSERT_TRUE(Visible(ui.mode));
    EXPECT_NE(ui.mode->GetImagePath().find("mode_usb"), std::string::npos) << "the cable wins";
}

TEST_F(KeyboardDlgTest, SelectingTheLoadedDeviceAgainOnlyShowsItsPages) {
    Open();
    StartAndChoose();
    ClickTab(0); // home hides the strip
    EXPECT_FALSE(Visible(dlg->Controls().mouseTabs));
    ClickDevice();
    EXPECT_TRUE(Worker()->Queue().Empty());
    EXPECT_TRUE(Visible(dlg->Controls().mouseTabs));
    EXPECT_EQ(dlg->CurrentPage(), 6);
    EXPECT_TRUE(Visible(dlg->Controls().FindLayout(501)));

    // Already on the key page: selecting keeps it and still queues nothing.
    ClickDevice();
    EXPECT_TRUE(Worker()->Queue().Empty());
    EXPECT_EQ(dlg->CurrentPage(), 6);
    EXPECT_TRUE(Visible(dlg->Controls().FindLayout(501)));

    // A hot-plug event changes the type the worker shows, not what task 4 loaded.
    SendDeviceChange(
        CommandInterfaceEvent(HotplugSource::kArrival, EmulatedMouse::kCableProductId));
    Drain();
    ClickDevice();
    EXPECT_TRUE(Worker()->Queue().Empty());
}

TEST_F(KeyboardDlgTest, WithNoDevicePresentTasksAreDroppedAndTheWindowIsNeverDisabled) {
    Open();
    Mouse()->PlugCable(false);
    Mouse()->PlugReceiver(false);
    Drain();
    EXPECT_EQ(dlg->Controls().devices->GetConnectCount(), 0);
    EXPECT_TRUE(Visible(dlg->Controls().noDevice));
    Mouse()->ClearLog();
    for (int code :
         {CThreadBasic::kReportRate, CThreadBasic::kDpiLevel, CThreadBasic::kAssignButton,
          CThreadBasic::kRestoreDefaults, CThreadBasic::kSwitchDevice})
        dlg->QueueTask(code);
    dlg->ShowWaitDialog();
    Drain();
    EXPECT_TRUE(Worker()->Queue().Empty());
    EXPECT_EQ(dlg->disabledTimes, 0);
    EXPECT_EQ(dlg->tasksRun, 0);
    EXPECT_TRUE(dlg->IsWindowEnabled());
    EXPECT_EQ(CommandReports(), 0u);
    EXPECT_FALSE(dlg->HasWaitDialog()) << "a dropped task still ends its waiting dialog";
}

TEST_F(KeyboardDlgTest, AnArrivalDuringATaskIsHandledAfterTheQueuedTasksInOrder) {
    Open("wireless");
    StartAndChoose();
    std::vector<int> duringTask;
    dlg->duringTask = [&] {
        Mouse()->PlugCable(true);
        SendDeviceChange(
            CommandInterfaceEvent(HotplugSource::kArrival, EmulatedMouse::kCableProductId));
        duringTask = Queue();
    };
    dlg->QueueTask(CThreadBasic::kReportRate);
    dlg->QueueTask(CThreadBasic::kDebounceTime);
    Worker()->RunPass();
    EXPECT_EQ(duringTask, (std::vector<int>{CThreadBasic::kReportRate, CThreadBasic::kDebounceTime,
                                            CThreadBasic::kDelayedRescan}));
    EXPECT_EQ(Queue(),
              (std::vector<int>{CThreadBasic::kDebounceTime, CThreadBasic::kDelayedRescan}));
    Drain();
    // The rescan found the cable: the mode icon follows it.
    ASSERT_TRUE(Visible(dlg->Controls().mode));
    EXPECT_NE(dlg->Controls().mode->GetImagePath().find("mode_usb"), std::string::npos);
    EXPECT_TRUE(dlg->IsWindowEnabled());
}

TEST_F(KeyboardDlgTest, TheVersionTimerQueuesOneCheckOnce) {
    Open();
    head->AdvanceTime(1999);
    const std::vector<int> early = Queue();
    EXPECT_EQ(std::count(early.begin(), early.end(), CThreadBasic::kSoftwareCheck), 0);
    head->AdvanceTime(1);
    head->AdvanceTime(20000);
    const std::vector<int> queue = Queue();
    EXPECT_EQ(std::count(queue.begin(), queue.end(), CThreadBasic::kSoftwareCheck), 1);
    // A late tick (already posted before the kill) changes nothing either.
    dlg->SendMessageW(WM_TIMER, KeyboardDlg::kVersionTimer);
    const std::vector<int> after = Queue();
    EXPECT_EQ(std::count(after.begin(), after.end(), CThreadBasic::kSoftwareCheck), 1);
}

TEST_F(KeyboardDlgTest, AModalDialogStaysModalAcrossAWorkerTask) {
    Open();
    StartAndChoose();
    MDialog prompt;
    ASSERT_TRUE(prompt.Create(dlg->GetSafeHwnd(), "prompt", WS_POPUP, 0, Rect{0, 0, 200, 100}));
    int step = 0;
    bool disabledDuringTask = false, disabledAfterTask = false;
    head->SetIdleHandler([&] {
        switch (step++) {
        case 0:
            dlg->QueueTask(CThreadBasic::kReportRate);
            Worker()->RunPass(); // disables and enables around the task
            break;
        case 1:
            disabledAfterTask = !dlg->IsWindowEnabled();
            prompt.DoOK();
            break;
        default:
            prompt.DestroyWindow();
            break;
        }
        disabledDuringTask = disabledDuringTask || dlg->tasksRun > 0;
    });
    prompt.ShowModal(SW_SHOW);
    head->SetIdleHandler(nullptr);
    Platform::ProcessPending();
    EXPECT_TRUE(disabledDuringTask);
    EXPECT_TRUE(disabledAfterTask) << "the task's enable must not free the window under the dialog";
    EXPECT_TRUE(dlg->IsWindowEnabled());
}

TEST_F(KeyboardDlgTest, PageTabsSetTheTitleTextAndIconAndHomeHidesThem) {
    Open();
    StartAndChoose();
    const MainWindowLayout& ui = dlg->Controls();
    EXPECT_EQ(ui.titleText->GetTitle(), UiText::Dialog(51));
    EXPECT_NE(ui.titlePicture->GetImagePath().find("icon_mousekey"), std::string::npos);
    ClickTab(3); // pointer and DPI
    EXPECT_EQ(dlg->CurrentPage(), 8);
    EXPECT_EQ(ui.titleText->GetTitle(), UiText::Dialog(800));
    EXPECT_NE(ui.titlePicture->GetImagePath().find("icon_pointer"), std::string::npos);
    EXPECT_TRUE(Visible(ui.FindLayout(502)));
    EXPECT_FALSE(Visible(ui.FindLayout(501)));
    EXPECT_EQ(Worker()->DeviceState().deviceType, 601);

    ClickTab(4); // the lighting tab the mouse strip carries
    EXPECT_EQ(dlg->CurrentPage(), 9);
    EXPECT_TRUE(Visible(ui.FindLayout(503)));

    // Texts follow the language at once.
    Language::SetCurrent(Language::kChinese);
    dlg->PostMessageW(WM_APP_RELOAD_TEXTS);
    Platform::ProcessPending();
    EXPECT_EQ(ui.titleText->GetTitle(), UiText::Dialog(53));
    EXPECT_EQ(ui.listCaption->GetTitle(), UiText::Dialog(57));
    EXPECT_NE(UiText::Dialog(57), "Devices");
    Language::SetCurrent(Language::kEnglish);

    ClickTab(0);
    EXPECT_EQ(dlg->CurrentPage(), 0);
    EXPECT_FALSE(Visible(ui.mouseTabs));
    EXPECT_FALSE(Visible(ui.titlePicture));
    EXPECT_FALSE(Visible(ui.titleText));
    EXPECT_TRUE(ui.titleText->GetTitle().empty());
    EXPECT_TRUE(Visible(ui.homeArt));
}

TEST_F(KeyboardDlgTest, UnplugAndPlugBackChangeTheListAndThePages) {
    Open("wired");
    StartAndChoose();
    const MainWindowLayout& ui = dlg->Controls();
    const HotplugSource::Event gone =
        CommandInterfaceEvent(HotplugSource::kRemoval, EmulatedMouse::kCableProductId);
    Mouse()->PlugCable(false);
    SendDeviceChange(gone);
    EXPECT_EQ(Queue(), std::vector<int>{CThreadBasic::kRescan});
    Drain();
    EXPECT_EQ(ui.devices->GetConnectCount(), 0);
    EXPECT_TRUE(Visible(ui.noDevice));
    EXPECT_FALSE(Visible(ui.mouseTabs));
    EXPECT_FALSE(Visible(ui.battery));
    EXPECT_FALSE(Visible(ui.mode));
    for (unsigned id : MainWindowLayout::LayoutIds())
        EXPECT_FALSE(Visible(ui.FindLayout(id))) << id;

    Mouse()->PlugCable(true);
    SendDeviceChange(
        CommandInterfaceEvent(HotplugSource::kArrival, EmulatedMouse::kCableProductId));
    EXPECT_EQ(Queue(), std::vector<int>{CThreadBasic::kDelayedRescan});
    Drain();
    EXPECT_EQ(ui.devices->GetConnectCount(), 1);
    EXPECT_EQ(ui.devices->GetDeviceState(MouseRow()), 2);
    ClickDevice();
    EXPECT_TRUE(Visible(ui.mouseTabs));
}

TEST_F(KeyboardDlgTest, OneWaitingDialogAtATimeClosedAfterItsTask) {
    Open();
    StartAndChoose();
    dlg->disabledTimes = 0;
    dlg->QueueTask(CThreadBasic::kDpiLevel);
    dlg->ShowWaitDialog();
    ASSERT_TRUE(dlg->HasWaitDialog());
    NativeWindow* first = dlg->WaitDialog()->GetSafeHwnd();
    dlg->ShowWaitDialog();
    ASSERT_TRUE(dlg->HasWaitDialog());
    NativeWindow* second = dlg->WaitDialog()->GetSafeHwnd();
    // The old one is gone (its native window may be reused for the new one).
    EXPECT_TRUE(first == second || !Platform::IsWindow(first));
    EXPECT_TRUE(Platform::IsWindow(second));
    EXPECT_TRUE(second->IsVisible());
    Drain();
    EXPECT_FALSE(dlg->HasWaitDialog());
    EXPECT_EQ(dlg->disabledTimes, 1);
    EXPECT_TRUE(dlg->IsWindowEnabled());
}

TEST_F(KeyboardDlgTest, IdlePassesAndAnimationTicksRedrawNothingWhileNothingChanges) {
    Open();
    StartAndChoose();
    for (int i = 0; i < 10; ++i)
        head->TickPeriodicTimers();
    Platform::ProcessPending();
    const uint64_t frames = dlg->GetSafeHwnd()->GetFramesShown();
    // Ten seconds of worker periods: two status queries, every reading the same.
    for (int i = 0; i < 300; ++i) {
        clock.Advance(CThreadBasic::kPeriodMs);
        Worker()->RunPass();
        head->TickPeriodicTimers();
        Platform::ProcessPending();
    }
    EXPECT_EQ(dlg->GetSafeHwnd()->GetFramesShown(), frames);
    EXPECT_EQ(dlg->disabledTimes, 2) << "only tasks 4 and 5 disabled the window";

    // A change is still drawn.
    Mouse()->SetBattery(55);
    for (int i = 0; i < 200; ++i) {
        clock.Advance(CThreadBasic::kPeriodMs);
        Worker()->RunPass();
        Platform::ProcessPending();
    }
    EXPECT_EQ(dlg->Controls().battery->GetBatteryLevel(), 55);
    EXPECT_GT(dlg->GetSafeHwnd()->GetFramesShown(), frames);
}

TEST_F(KeyboardDlgTest, ExitPathsEndTheProcessAndOtherRequestsDoNot) {
    Open();
    dlg->SendMessageW(WM_APP_EXIT_REQUEST, 0, 611);
    dlg->SendMessageW(WM_COMMAND, 101);
    EXPECT_EQ(exits, 0);
    dlg->SendMessageW(WM_APP_EXIT_REQUEST, 0, 610);
    EXPECT_EQ(exits, 1);
    dlg->SendMessageW(WM_COMMAND, 100);
    EXPECT_EQ(exits, 2);
    // A second copy's request comes on another thread and shows the hidden window.
    dlg->ShowWindow(SW_HIDE);
    dlg->OnExitRequest();
    Platform::ProcessPending();
    EXPECT_EQ(exits, 3);
    dlg->OnShowRequest();
    Platform::ProcessPending();
    EXPECT_TRUE(dlg->IsWindowVisible());
}

TEST_F(KeyboardDlgTest, TheLightFrameStoreIsOpenWhileTheWindowLivesAndReleasedAtTeardown) {
    std::filesystem::create_directories(programFolder + "db");
    LightFrameStore frames;
    lightFrames = &frames;
    struct WindowGoesFirst {
        std::unique_ptr<ObservedDlg>& window;
        ~WindowGoesFirst() { window.reset(); }
    } guard{dlg};
    Open();
    EXPECT_TRUE(frames.IsStoreOpen());
    dlg->Teardown();
    EXPECT_FALSE(frames.IsStoreOpen());
    EXPECT_FALSE(frames.IsOpen());
    // Teardown runs once; the window's destruction must not touch the store again.
    dlg.reset();
    EXPECT_FALSE(frames.IsOpen());
}

} // namespace
