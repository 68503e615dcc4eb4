#include "tests/shell/WorkerFixture.h"

#include "app/platform/ScreenSampler.h"
#include "app/store/LightRow.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

using Task = CThreadBasic::Task;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

// Index of the first pause of ms at or after from, or -1.
int FindPause(const std::vector<int>& pauses, int ms, size_t from = 0) {
    for (size_t i = from; i < pauses.size(); ++i)
        if (pauses[i] == ms) return static_cast<int>(i);
    return -1;
}

} // namespace

using WorkerTasks = WorkerFixture;

TEST_F(WorkerTasks, WithoutADeviceTasksAreDroppedUntouchedAndTheWindowStaysEnabled) {
    Build(EmulatedMouse::Fixture::Default(false, false));
    worker_->AddTask(Task::kDelayedRescan);
    worker_->ChooseDevice(EmulatedMouse::kDeviceType, "ORMAN-Q410");
    for (int code : {4, 5, 10, 12, 13, 14, 15, 16, 17, 18, 6, 7, 8})
        worker_->AddTask(code);
    // One pass per task: nothing waits, nothing is retried.
    EXPECT_EQ(Drain(), 14);
    EXPECT_TRUE(worker_->Queue().Empty());
    EXPECT_FALSE(worker_->DevicePresent());
    EXPECT_EQ(window_.Disables(), 0);
    EXPECT_TRUE(mouse_->Log().empty());
    // The waiting dialog of each dropped device-setting task still closes (not for 4 and 5).
    EXPECT_EQ(window_.WaitClosed(), 11);
    EXPECT_EQ(FindPause(clock_->Pauses(), CThreadBasic::kAfterTaskPauseMs), -1);
    // Task 4 never ran: no settings file was created.
    EXPECT_FALSE(std::filesystem::exists(folder_ + "db/ORMAN-Q410_V2_data_v7.db"));

    // A mouse that goes away takes the same road: after its removal nothing reaches it.
    Build(EmulatedMouse::Fixture::Default(true, false));
    StartAndChooseMouse();
    int disables = window_.Disables();
    HotplugSource::Event removal = Event(HotplugSource::kRemoval, EmulatedMouse::Link::Cable);
    mouse_->PlugCable(false);
    EXPECT_EQ(hotplug_->OnDeviceChange(removal), HotplugMatcher::Action::RescanAfterRemoval);
    worker_->AddTask(Task::kReportRate);
    worker_->AddTask(Task::kRestoreDefaults);
    Drain();
    EXPECT_EQ(window_.Disables(), disables);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(window_.LastState().stateChange, 2);
    EXPECT_EQ(window_.LastState().mode, -1);
}

TEST_F(WorkerTasks, SwitchingToTheMouseOpensItsStoreAndQueuesItsFollowUps) {
    // The mouse arrives before anything is chosen: it is shown, but nothing is loaded yet.
    EXPECT_EQ(hotplug_->OnDeviceChange(Event(HotplugSource::kArrival, EmulatedMouse::Link::Cable)),
              HotplugMatcher::Action::RescanAfterArrival);
    Drain();
    EXPECT_TRUE(worker_->DevicePresent());
    EXPECT_EQ(window_.VisualizerStarts(), 1);
    EXPECT_EQ(worker_->ShownDeviceType(), EmulatedMouse::kDeviceType);
    EXPECT_EQ(worker_->LoadedDeviceType(), 0);
    worker_->ChooseDevice(EmulatedMouse::kDeviceType, "ORMAN-Q410");
    worker_->AddTask(Task::kSwitchDevice);
    worker_->RunPass();
    EXPECT_EQ(worker_->Queue().Snapshot(), (std::vector<int>{5, 20}));
    EXPECT_EQ(window_.SwitchedType(), EmulatedMouse::kDeviceType);
    EXPECT_EQ(worker_->LoadedDeviceType(), EmulatedMouse::kDeviceType);
    EXPECT_EQ(window_.SwitchedProfile(), 1);
    EXPECT_TRUE(window_.LayoutLoaded());
    EXPECT_TRUE(std::filesystem::exists(folder_ + "db/ORMAN-Q410_V2_data_v7.db"));
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    EXPECT_EQ(store_.LoadProfileList(profiles), 3);
    // Task 5 reads the battery from the status reply and reloads the pages.
    int reloads = window_.Reloads();
    Forget();
    worker_->RunPass();
    EXPECT_EQ(Sent(2), (std::vector<std::string>{"08FD"}));
    EXPECT_EQ(window_.LastState().battery, 80);
    EXPECT_EQ(window_.Reloads(), reloads + 1);
    // A later arrival starts no second visualizer.
    worker_->AddTask(Task::kDelayedRescan);
    Drain();
    EXPECT_EQ(window_.VisualizerStarts(), 1);
}

TEST_F(WorkerTasks, EveryMouseTaskPutsItsCommandOnTheWire) {
    StartAndChooseMouse();
    ASSERT_TRUE(store_.SetConfigValue(1, "report_rate", "2"));
    ASSERT_TRUE(store_.SetConfigValue(1, "antishake_time", "7"));
    SaveButton(1, 208, 3);
    SaveButton(1, 209, 4);
    worker_->SetSelectedButton(209);
    int activeLight = store_.GetActiveLightMode(1);
    ASSERT_GT(activeLight, 0);
    char lighting[8];
    std::snprintf(lighting, sizeof lighting, "08FC%02X", activeLight - 1);

    struct Case {
        int code;
        std::vector<std::string> sent; // prefixes, in order
        size_t bytes;
    };
    const std::vector<Case> cases = {
        {Task::kRestoreDefaults, {"08FB"}, 2},
        {Task::kActivateProfile, {"08F701"}, 3},
        {Task::kAssignButton, {"08F601D104"}, 5},
        {Task::kAssignAllButtons, {"08F601D003", "08F601D104"}, 5},
        {Task::kMouseLighting, {lighting}, 3},
        {Task::kReportRate, {"08F802"}, 3},
        {Task::kDebounceTime, {"2BAA55CC330307"}, 7},
        {Task::kDpiLevel, {"08F9"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Forget();
        worker_->AddTask(c.code);
        worker_->RunPass();
        EXPECT_TRUE(worker_->Queue().Empty());
        EXPECT_EQ(Sent(c.bytes), c.sent);
    }
    // Task 12 lets the mouse switch before anything else reaches it.
    Forget();
    worker_->AddTask(Task::kActivateProfile);
    worker_->RunPass();
    EXPECT_GE(FindPause(clock_->Pauses(), 1000), 0);
}

TEST_F(WorkerTasks, RestoreDefaultsThroughTheReceiverUsesItsFrame) {
    Build(EmulatedMouse::Fixture::Default(false, true));
    StartAndChooseMouse();
    EXPECT_EQ(window_.LastState().mode, 2);
    worker_->AddTask(Task::kRestoreDefaults);
    worker_->RunPass();
    ASSERT_EQ(Sent(6), (std::vector<std::string>{"BBAA998809FB"}));
    EXPECT_EQ(mouse_->GetState().factoryResets, 1);
}

TEST_F(WorkerTasks, KeyboardTasksSendTheirFeatureReports) {
    // The emulated link stands in for a keyboard of the feature family.
    manager_->ClearSupportedDevices();
    manager_->AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId, 0x105,
                                 "keyboard", 100, 0, EmulatedMouse::kInterfacePattern);
    worker_->AddTask(Task::kDelayedRescan);
    Drain();
    worker_->ChooseDevice(100, "no-such-layout");
    worker_->AddTask(Task::kSwitchDevice);
    Drain();
    EXPECT_FALSE(window_.LayoutLoaded());
    LightRow row;
    row.profile = 1;
    row.mode = 3;
    row.brightness = 2;
    row.speed = 3;
    row.direction = 1;
    row.status = 1;
    ASSERT_GT(store_.AddLightRow(row), 0);
    ASSERT_TRUE(store_.SetActiveLightMode(1, 3));

    Forget();
    worker_->AddTask(Task::kKeyboardKeyTable);
    worker_->RunPass();
    std::vector<std::string> table = SentFeatures(5);
    ASSERT_GE(table.size(), 3u);
    // The macro and shortcut keys go first (none here), then the table.
    EXPECT_EQ(table[0], "0701234567");
    EXPECT_EQ(table[1], "0776543210");
    EXPECT_EQ(table.back().substr(0, 4), "07FE");

    Forget();
    worker_->AddTask(Task::kKeyboardLighting);
    worker_->RunPass();
    EXPECT_EQ(SentFeatures(8), (std::vector<std::string>{"07FFFF0202030001"}));

    Forget();
    worker_->AddTask(Task::kKeyboardKeyLights);
    worker_->RunPass();
    std::vector<std::string> lights = SentFeatures(6);
    ASSERT_GE(lights.size(), 2u);
    EXPECT_TRUE(StartsWith(lights.front(), "0712345678"));
    EXPECT_EQ(lights.back(), "0712345678FE");
    // No mouse frame went out for any of them.
    EXPECT_TRUE(Sent().empty());
}

TEST_F(WorkerTasks, OnlyDeviceSettingTasksCloseTheWaitDialogAndPause) {
    StartAndChooseMouse();
    const std::vector<int> closing = {6, 7, 8, 10, 12, 13, 14, 15, 16, 17, 18};
    for (int code : {5, 6, 7, 8, 10, 12, 13, 14, 15, 16, 17, 18}) {
        SCOPED_TRACE(code);
        int closed = window_.WaitClosed();
        Forget();
        worker_->AddTask(code);
        worker_->RunPass();
        bool closes = std::find(closing.begin(), closing.end(), code) != closing.end();
        EXPECT_EQ(window_.WaitClosed(), closed + (closes ? 1 : 0));
        std::vector<int> pauses = clock_->Pauses();
        // The pause comes last, after the task's own protocol pauses.
        if (closes) {
            ASSERT_FALSE(pauses.empty());
            EXPECT_EQ(pauses.back(), CThreadBasic::kAfterTaskPauseMs);
        } else {
            EXPECT_EQ(FindPause(pauses, CThreadBasic::kAfterTaskPauseMs), -1);
        }
    }
    EXPECT_EQ(window_.Disables(), window_.Enables());
    EXPECT_EQ(window_.MaxNesting(), 1);
}

TEST_F(WorkerTasks, HotPlugDuringATaskIsHandledAfterTheQueueInOrder) {
    Build(EmulatedMouse::Fixture::Default(true, true));
    StartAndChooseMouse();
    ASSERT_EQ(window_.LastState().mode, 0);
    worker_->AddTask(Task::kReportRate);
    worker_->AddTask(Task::kDebounceTime);
    // While task 16 runs the receiver is pulled and put back.
    HotplugSource::Event removal = Event(HotplugSource::kRemoval, EmulatedMouse::Link::Receiver);
    window_.DuringNextTask([&] {
        EXPECT_EQ(hotplug_->OnDeviceChange(removal), HotplugMatcher::Action::RescanAfterRemoval);
        EXPECT_EQ(
            hotplug_->OnDeviceChange(Event(HotplugSource::kArrival, EmulatedMouse::Link::Receiver)),
            HotplugMatcher::Action::RescanAfterArrival);
    });
    worker_->RunPass();
    EXPECT_EQ(worker_->Queue().Snapshot(), (std::vector<int>{17, 3, 2}));
    Drain();
    // 16 and 17 reached the mouse before either rescan's handshakes; the arrival's pause came
    // after both tasks' own pauses.
    std::vector<std::string> sent = Sent(2);
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], "08F8");
    EXPECT_EQ(sent[1], "2BAA");
    EXPECT_EQ(sent[2], "08FD");
    std::vector<int> pauses = clock_->Pauses();
    int second = FindPause(pauses, 100, static_cast<size_t>(FindPause(pauses, 100) + 1));
    ASSERT_GE(second, 0);
    EXPECT_GT(FindPause(pauses, CThreadBasic::kArrivalPauseMs), second);
    EXPECT_EQ(window_.LastState().stateChange, 1);
}

TEST_F(WorkerTasks, HotPlugEventsThatAreNotTheDevicesCommandInterfaceQueueNothing) {
    StartAndChooseMouse();
    // The receiver is not plugged, so it is not marked connected: its removal means nothing.
    HotplugSource::Event removal = {HotplugSource::kRemoval, "HID#VID_25A7&PID_FA08&MI_01#HIDRAW9",
                                    "/dev/hidraw9"};
    EXPECT_EQ(hotplug_->OnDeviceChange(removal), HotplugMatcher::Action::None);
    // A cable whose vendor collection is not the command interface (usage 3, not 2) arrives.
    EmulatedMouse::Fixture odd = EmulatedMouse::Fixture::Default(true, false);
    for (auto& item : odd.cableInterfaces)
        if (item.command) item.info.usage = 3;
    Build(odd);
    HidInterfaceInfo vendor;
    for (const HidInterfaceInfo& info : mouse_->Enumerate())
        if (info.usagePage == 0xFF02) vendor = info;
    ASSERT_FALSE(vendor.path.empty());
    EXPECT_EQ(
        hotplug_->OnDeviceChange({HotplugSource::kArrival, vendor.interfaceName, vendor.path}),
        HotplugMatcher::Action::None);
    EXPECT_TRUE(worker_->Queue().Empty());
}

TEST_F(WorkerTasks, AModalDialogStaysModalAcrossATask) {
    StartAndChooseMouse();
    ASSERT_TRUE(window_.enable.Disable()); // a modal dialog opens over the window
    worker_->AddTask(Task::kReportRate);
    worker_->RunPass();
    EXPECT_EQ(window_.Disables(), window_.Enables());
    EXPECT_FALSE(window_.enable.IsEnabled());
    EXPECT_TRUE(window_.enable.Enable()); // the dialog closes: now the window is usable
    EXPECT_TRUE(window_.enable.IsEnabled());
    EXPECT_FALSE(window_.enable.Enable()); // an unmatched enable changes nothing
    EXPECT_TRUE(window_.enable.IsEnabled());
}

namespace {

class FlatScreen final : public ScreenSampler {
public:
    int Width() const override { return 1920; }
    int Height() const override { return 1080; }
    bool Pixel(int, int, uint32_t& colour) override {
        colour = 0x00332211; // 0x00BBGGRR
        return true;
    }
};

} // namespace

TEST_F(WorkerTasks, IdlePassesFollowTheLinkAndDriveTheLiveLighting) {
    Build(EmulatedMouse::Fixture::Default(true, true));
    StartAndChooseMouse();
    ASSERT_EQ(window_.LastState().mode, 0);
    // The cable is pulled without a hot-plug event: the next status query finds it gone.
    mouse_->PlugCable(false);
    worker_->RunPass();
    clock_->Advance(DeviceStatusMonitor::kPollIntervalMs);
    worker_->RunPass();
    EXPECT_EQ(window_.LastState().mode, 2);
    EXPECT_TRUE(window_.LastState().connected);

    // Screen colours go out on the lighting page, over the cable only.
    FlatScreen screen;
    Build(EmulatedMouse::Fixture::Default(true, false));
    auto setup = MakeSetup();
    setup.sampler = &screen;
    worker_ = std::make_unique<CThreadBasic>(setup, window_);
    StartAndChooseMouse();
    worker_->SetWindowVisible(true);
    worker_->SetLightingFlags(CThreadBasic::kScreenEffectFlag);
    worker_->SetCurrentPage(8);
    worker_->RunPass();
    EXPECT_TRUE(Sent().empty());
    worker_->SetCurrentPage(CThreadBasic::kLightingPage);
    worker_->RunPass();
    EXPECT_EQ(Sent(6), (std::vector<std::string>{"08FC0B112233"}));
    // A hidden window sends nothing.
    Forget();
    worker_->SetWindowVisible(false);
    clock_->Advance(1000);
    worker_->RunPass();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(WorkerTasks, TheThreadRunsTheQueueAndStopsWhenAsked) {
    StartAndChooseMouse();
    int before = window_.Disables();
    ASSERT_TRUE(worker_->Start());
    EXPECT_FALSE(worker_->Start());
    for (int i = 0; i < 20; ++i)
        worker_->AddTask(i % 2 ? Task::kReportRate : Task::kDebounceTime);
    // Virtual time: the loop costs no real time, so the queue empties quickly.
    for (int spins = 0; !worker_->Queue().Empty() && spins < 100000; ++spins)
        std::this_thread::yield();
    EXPECT_TRUE(worker_->Queue().Empty());
    EXPECT_TRUE(worker_->Stop());
    EXPECT_FALSE(worker_->IsStarted());
    EXPECT_EQ(window_.Disables(), before + 20);
    EXPECT_EQ(window_.Enables(), window_.Disables());
    size_t sent = Sent().size();
    worker_->AddTask(Task::kReportRate);
    // Stopped: nothing runs until started again.
    std::this_thread::yield();
    EXPECT_EQ(Sent().size(), sent);
    ASSERT_TRUE(worker_->Start());
    for (int spins = 0; !worker_->Queue().Empty() && spins < 100000; ++spins)
        std::this_thread::yield();
    EXPECT_TRUE(worker_->Stop());
    EXPECT_EQ(window_.Disables(), before + 21);
}

TEST_F(WorkerTasks, StopGivesUpOnALongTaskAfterItsWaitAndTheWorkerStillEndsCleanly) {
    StartAndChooseMouse();
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::atomic<bool> entered{false};
    // A task that does not end until the test lets it (a device that hangs).
    window_.DuringNextTask([&] {
        entered = true;
        std::unique_lock<std::mutex> lock(mutex);
        released.wait(lock, [&] { return release; });
    });
    worker_->AddTask(Task::kReportRate);
    ASSERT_TRUE(worker_->Start());
    for (int spins = 0; !entered && spins < 1000000; ++spins)
        std::this_thread::yield();
    ASSERT_TRUE(entered);
    EXPECT_FALSE(worker_->Stop());
    {
        std::lock_guard<std::mutex> lock(mutex);
        release = true;
    }
    released.notify_all();
    // The destructor waits for the task, which still finishes and leaves the window enabled.
    worker_.reset();
    EXPECT_EQ(window_.Disables(), window_.Enables());
    EXPECT_TRUE(window_.enable.IsEnabled());
}
