// The main window with every thread of the program at once, for the ThreadSanitizer run (label
// "thread"): the window thread (this one) on Tolva's headless back end, the real worker thread,
// the 10 ms animation timers' threads (the main window's and the waiting dialog's) and the
// hot-plug thread watching the emulated mouse's state file, for a few hundred tasks while the
// mouse is unplugged and plugged back.
#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "app/files/Language.h"
#include "app/shell/KeyboardDlg.h"
#include "app/store/SettingsDatabase.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/Platform.h"
#include "ui/widgets/CDeviceCtrl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

using namespace Tolva;

namespace {

// Task pauses and worker periods pass at once but still cost a little real time, so the worker
// neither spins nor makes the run last minutes.
class ThrottledClock final : public VirtualClock {
public:
    void SleepMs(int ms) override {
        VirtualClock::SleepMs(ms);
        if (ms >= CThreadBasic::kPeriodMs)
            std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
};

// Counts what the worker asks of the window from its thread.
class CountingDlg final : public KeyboardDlg {
public:
    using KeyboardDlg::KeyboardDlg;
    void DisableForTask() override {
        ++disables;
        KeyboardDlg::DisableForTask();
    }
    void EnableAfterTask() override {
        ++enables;
        KeyboardDlg::EnableAfterTask();
    }
    void DeviceStateChanged(const WorkerDeviceState& state) override {
        if (!state.present) ++absent;
        KeyboardDlg::DeviceStateChanged(state);
    }
    std::atomic<int> disables{0};
    std::atomic<int> enables{0};
    std::atomic<int> absent{0}; // rescans that found no device
};

// The task a command on the wire belongs to (payload hex), 0 for anything else.
int TaskOf(const std::string& hex) {
    if (hex.rfind("08F8", 0) == 0 || hex.rfind("BBAA998809F8", 0) == 0) return 16;
    if (hex.rfind("2BAA55CC3303", 0) == 0) return 17;
    if (hex.rfind("08F9", 0) == 0 || hex.rfind("BBAA998809F9", 0) == 0) return 18;
    return 0;
}

class MainWindowThreads : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Platform::Init(BackendKind::Headless));
        head = Platform::Headless();
        Language::SetCurrent(Language::kEnglish);
        char pattern[] = "/tmp/pivane-threads-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = std::string(pattern) + "/";
        std::filesystem::create_directories(folder + "db");
        std::filesystem::create_directories(folder + "config");
        setenv("XDG_CONFIG_HOME", (folder + "config").c_str(), 1);
        const char* home = std::getenv("PIVANE_HOME");
        programFolder = home && *home ? home : "./bin/";
        if (programFolder.back() != '/') programFolder += '/';
        state = folder + "mouse.state";
        manager = std::make_unique<HidDeviceManager>(nullptr, &clock);
    }

    void TearDown() override {
        if (dlg) dlg->Teardown();
        dlg.reset();
        if (store.IsSettingsOpen()) store.CloseSettingsDatabase();
        store.SetOpenFlag(false);
        manager.reset();
        Platform::Shutdown();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // Runs the window's queue until the condition holds; generous for a loaded machine.
    bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 60000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            Platform::ProcessPending();
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        Platform::ProcessPending();
        return condition();
    }

    // Rewrites the plug line of the state file, as `pivanectl --sim-state` does.
    void Plug(bool cable, bool receiver) {
        const std::string plugged =
            "plugged " + std::to_string(cable) + " " + std::to_string(receiver);
        std::ifstream in(state);
        std::stringstream text;
        std::string line;
        bool replaced = false;
        while (std::getline(in, line)) {
            const bool plugLine = line.rfind("plugged ", 0) == 0;
            replaced = replaced || plugLine;
            text << (plugLine ? plugged : line) << "\n";
        }
        in.close();
        if (!replaced) text.str("pivane-simulated-mouse 1\n" + plugged + "\n");
        std::ofstream(state + ".new") << text.str();
        std::filesystem::rename(state + ".new", state);
    }

    EmulatedMouse* Mouse() { return dlg->Services().Link().SimulatedMouse(); }
    CThreadBasic* Worker() { return dlg->Services().Worker(); }
    int Listed() { return dlg->Controls().devices->GetConnectCount(); }

    std::vector<int> TasksOnWire() {
        std::vector<int> out;
        for (const auto& r : Mouse()->Log())
            if (r.command && !r.feature)
                if (int task = TaskOf(CommandFrame::ToHex(r.bytes.data() + 1, 7)))
                    out.push_back(task);
        return out;
    }

    void ClickDevice() {
        const Rect list = dlg->Controls().devices->GetRect();
        const Rect row = dlg->Controls().devices->GetItemRect(0);
        const Point p{list.left + (row.left + row.right) / 2,
                      list.top + (row.top + row.bottom) / 2};
        head->MouseMove(dlg->GetSafeHwnd(), p);
        head->Click(dlg->GetSafeHwnd(), p);
    }

    HeadlessBackend* head = nullptr;
    ThrottledClock clock;
    std::unique_ptr<HidDeviceManager> manager;
    SettingsDatabase store;
    std::unique_ptr<CountingDlg> dlg;
    std::string folder;
    std::string programFolder;
    std::string state;
};

TEST_F(MainWindowThreads, WorkerAnimationTimerAndHotplugRunBesideTheWindowCleanly) {
    KeyboardDlg::Setup setup;
    setup.manager = manager.get();
    setup.store = &store;
    setup.options.simulatedMouse = "both";
    setup.options.simStateFile = state;
    setup.programFolder = programFolder;
    setup.dataFolder = folder;
    setup.exitProcess = [] {};
    dlg = std::make_unique<CountingDlg>(std::move(setup));
    ASSERT_TRUE(dlg->CreateMainWindow());
    dlg->GetPaintManager().SetPaintPause(0);
    dlg->ShowWindow(SW_SHOW);
    ASSERT_NE(Worker(), nullptr);
    ASSERT_TRUE(dlg->Services().HotplugRunning());
    ASSERT_NE(dlg->GetPaintManager().GetMTimerId(), 0u) << "no animation timer";

    ASSERT_TRUE(PumpUntil([&] { return Listed() == 1 && Worker()->Queue().Empty(); }))
        << "the start-up scan did not list the mouse";
    ClickDevice();
    ASSERT_TRUE(PumpUntil([&] {
        return dlg->SelectedDeviceType() != 0 && Worker()->Queue().Empty() &&
               dlg->IsWindowEnabled();
    })) << "the mouse's pages were not loaded";

    // The window queues tasks, switches pages (each reload reads the store on this thread while
    // the worker writes it), shows the waiting dialog that a task then closes, and paints, while
    // the cable and the receiver come and go.
    constexpr int kTasks = 300;
    const int codes[] = {16, 17, 18, CThreadBasic::kShowDeviceSettings, 15};
    const int pages[] = {6, 8, 9, 10};
    int plugRound = 0;
    for (int i = 0; i < kTasks; ++i) {
        // The dialog's animation ticks until the worker has the window close it.
        if (i % 10 == 3) dlg->ShowWaitDialog();
        dlg->QueueTask(codes[i % 5]);
        if (i % 7 == 0 && dlg->SelectedDeviceType() != 0) dlg->ActivatePage(pages[(i / 7) % 4]);
        if (i % 30 == 29) {
            // Cable out, then both out, then both back: the device goes away once a round.
            switch (plugRound++ % 3) {
            case 0:
                Plug(false, true);
                break;
            case 1:
                Plug(false, false);
                break;
            default:
                Plug(true, true);
                break;
            }
        }
        Platform::ProcessPending();
        if (i % 4 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Plug(true, true);
    ASSERT_TRUE(PumpUntil([&] { return Worker()->Queue().Empty() && Listed() == 1; }, 180000))
        << "queue left: " << Worker()->Queue().Size() << ", listed: " << Listed();
    EXPECT_GT(dlg->disables.load(), 20) << "the tasks did not reach the device";
    EXPECT_GT(dlg->absent.load(), 0) << "the unplugging never reached the window";

    // Settled: choose the mouse again if it went away, then a last round reaches it in order.
    if (dlg->SelectedDeviceType() == 0) {
        ClickDevice();
        ASSERT_TRUE(
            PumpUntil([&] { return dlg->SelectedDeviceType() != 0 && Worker()->Queue().Empty(); }));
    }
    Mouse()->ClearLog();
    for (int code : {18, 16, 17, 16})
        dlg->QueueTask(code);
    ASSERT_TRUE(PumpUntil([&] { return Worker()->Queue().Empty() && dlg->IsWindowEnabled(); }));
    EXPECT_EQ(TasksOnWire(), (std::vector<int>{18, 16, 17, 16}));

    // The teardown stops the worker and the hot-plug thread while the animation timer ticks.
    dlg->Teardown();
    EXPECT_FALSE(dlg->Services().HotplugRunning());
    EXPECT_EQ(dlg->disables.load(), dlg->enables.load());
    Platform::ProcessPending();
    EXPECT_TRUE(dlg->IsWindowEnabled());
}

} // namespace
