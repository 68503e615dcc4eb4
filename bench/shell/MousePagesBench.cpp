// What the mouse pages cost where people feel it:
// - apply to last macro chunk: a button's macro assignment queued as the key page's apply does,
//   the worker thread running on the real clock, until the emulated mouse logged the last chunk;
//   reported as a ratio to the pauses the protocol mandates up to that chunk (measured on
//   virtual time). Above 1.0 is the program's own overhead, the worker's wake-up included.
// - reload after a profile switch: the main window (headless back end) reloading every page for
//   the other profile, and painting the result; window-thread time.
#include "app/device/HidDeviceManager.h"
#include "app/files/ApplicationConfig.h"
#include "app/files/Language.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/KeyboardDlg.h"
#include "app/shell/WorkerWindow.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/Platform.h"
#include "ui/widgets/CDeviceCtrl.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

constexpr int kButton = 212;
constexpr int kMacroEvents = 60;

std::string ProgramFolder() {
    const char* home = std::getenv("PIVANE_HOME");
    std::string folder = home && *home ? home : "./bin/";
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string TempFolder(const char* stem) {
    std::string pattern = std::string("/tmp/") + stem + "-XXXXXX";
    std::string folder = mkdtemp(pattern.data());
    folder += "/";
    std::filesystem::create_directories(folder + "db");
    return folder;
}

class QuietWindow final : public WorkerWindow {
public:
    void DisableForTask() override {}
    void EnableAfterTask() override {}
    void CloseWaitDialog() override {}
    void PostPageReload() override {}
    void DeviceStateChanged(const WorkerDeviceState&) override {}
    void DeviceSwitched(int, int, std::shared_ptr<const DeviceLayout>) override {}
    void StartVisualizer() override {}
};

// The worker over the emulated cable with a 60-event macro on button 5 of profile 1.
struct MacroRig {
    explicit MacroRig(Clock& clock) : clock(clock) {
        folder = TempFolder("pivane-apply-bench");
        mouse =
            std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(true, false), &clock);
        manager = std::make_unique<HidDeviceManager>(mouse, &clock);
        ApplicationConfig config;
        config.Load(ProgramFolder() + "config.xml", manager.get());
        store.OpenSettingsDatabase(folder, "bench");
        std::vector<std::unique_ptr<ProfileRow>> profiles;
        ProfileDefaults::LoadOrCreateProfiles(store, "Profile", EmulatedMouse::kDeviceType,
                                              profiles);
        const int macro = store.CreateMacro("Macro 1");
        std::vector<std::unique_ptr<MacroItemRow>> items;
        for (int i = 0; i < kMacroEvents; ++i) {
            auto item = std::make_unique<MacroItemRow>();
            item->macroId = macro;
            item->recordIndex = i;
            item->type = i % 2 ? 3 : 2;
            item->value = 'A' + (i / 2) % 26;
            item->delayTime = 10 + 37 * i;
            items.push_back(std::move(item));
        }
        store.SaveMacroItems(std::move(items));
        KeyAssignmentRow row;
        row.profile = 1;
        row.keyCode = kButton;
        row.macroType = 3;
        row.macroValue = macro;
        row.macroDesc = "Macro 1";
        store.SaveButtonAssignment(row);

        CThreadBasic::Setup setup;
        setup.manager = manager.get();
        setup.store = &store;
        setup.dataFolder = folder;
        setup.programFolder = ProgramFolder();
        setup.lookup = [](int id) { return std::to_string(id); };
        setup.checkUpdates = false;
        worker = std::make_unique<CThreadBasic>(setup, window);
        worker->AddTask(CThreadBasic::kDelayedRescan);
        worker->ChooseDevice(EmulatedMouse::kDeviceType, "ORMAN-Q410");
        worker->AddTask(CThreadBasic::kSwitchDevice);
    }
    ~MacroRig() {
        worker.reset();
        store.CloseSettingsDatabase();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    size_t LogSize() const { return mouse->Log().size(); }

    Clock& clock;
    std::string folder;
    std::shared_ptr<EmulatedMouse> mouse;
    std::unique_ptr<HidDeviceManager> manager;
    SettingsDatabase store;
    QuietWindow window;
    std::unique_ptr<CThreadBasic> worker;
};

// What task 13 puts on the wire and the virtual time from its queueing to its last report.
struct Mandated {
    size_t reports = 0;
    double ms = 0;
};

Mandated MeasureOnVirtualTime() {
    VirtualClock clock;
    MacroRig rig(clock);
    while (!rig.worker->Queue().Empty())
        rig.worker->RunPass();
    rig.mouse->ClearLog();
    rig.worker->SetSelectedButton(kButton);
    rig.worker->AddTask(CThreadBasic::kAssignButton);
    rig.worker->RunPass();
    const auto log = rig.mouse->Log();
    Mandated m;
    m.reports = log.size();
    // The task writes its first report at once; every pause after it is the protocol's.
    if (!log.empty()) m.ms = static_cast<double>(log.back().timeMs - log.front().timeMs);
    return m;
}

void BM_ApplyToLastMacroChunk(benchmark::State& state) {
    const Mandated mandated = MeasureOnVirtualTime();
    if (mandated.reports == 0 || mandated.ms <= 0) {
        state.SkipWithError("task 13 sent nothing");
        return;
    }
    Clock& real = Clock::Monotonic();
    MacroRig rig(real);
    rig.worker->Start();
    // Start-up scan and device switch (the scan waits a second, as after an arrival).
    while (!rig.worker->Queue().Empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    double totalMs = 0;
    int runs = 0;
    for (auto _ : state) {
        rig.mouse->ClearLog();
        // The apply lands anywhere in the worker's period, as a click would.
        std::this_thread::sleep_for(std::chrono::milliseconds(7 * (runs % 5)));
        const auto start = std::chrono::steady_clock::now();
        rig.worker->SetSelectedButton(kButton);
        rig.worker->AddTask(CThreadBasic::kAssignButton);
        while (rig.LogSize() < mandated.reports)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        const auto end = std::chrono::steady_clock::now();
        totalMs += std::chrono::duration<double, std::milli>(end - start).count();
        ++runs;
        // The task's closing pause before the next apply.
        while (!rig.worker->Queue().Empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    rig.worker->Stop();
    state.counters["mandated_ms"] = mandated.ms;
    state.counters["reports"] = static_cast<double>(mandated.reports);
    state.counters["ratio"] = runs ? totalMs / runs / mandated.ms : 0;
}
BENCHMARK(BM_ApplyToLastMacroChunk)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// The main window on the headless back end with the mouse chosen, the worker run by hand.
struct WindowRig {
    WindowRig() {
        Tolva::Platform::Init(Tolva::BackendKind::Headless);
        head = Tolva::Platform::Headless();
        head->SetManualPeriodicTimers(true);
        Language::SetCurrent(Language::kEnglish);
        folder = TempFolder("pivane-reload-bench");
        std::filesystem::create_directories(folder + "config");
        setenv("XDG_CONFIG_HOME", (folder + "config").c_str(), 1);
        manager = std::make_unique<HidDeviceManager>(nullptr, &clock);
        KeyboardDlg::Setup setup;
        setup.manager = manager.get();
        setup.store = &store;
        setup.options.simulatedMouse = "wired";
        setup.programFolder = ProgramFolder();
        setup.dataFolder = folder;
        setup.startWorkerThread = false;
        setup.exitProcess = [] {};
        dlg = std::make_unique<KeyboardDlg>(std::move(setup));
        if (!dlg->CreateMainWindow()) return;
        dlg->GetPaintManager().SetPaintPause(0);
        dlg->ShowWindow(Tolva::SW_SHOW);
        Drain();
        const Tolva::Rect list = dlg->Controls().devices->GetRect();
        const Tolva::Rect row = dlg->Controls().devices->GetItemRect(0);
        const Tolva::Point p{list.left + (row.left + row.right) / 2,
                             list.top + (row.top + row.bottom) / 2};
        head->MouseMove(dlg->GetSafeHwnd(), p);
        head->Click(dlg->GetSafeHwnd(), p);
        Drain();
        ready = store.IsSettingsOpen() && dlg->DeviceType() == EmulatedMouse::kDeviceType;
    }
    ~WindowRig() {
        dlg.reset();
        if (store.IsSettingsOpen()) store.CloseSettingsDatabase();
        manager.reset();
        Tolva::Platform::Shutdown();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    void Drain() {
        for (int i = 0; i < 100 && !dlg->Services().Worker()->Queue().Empty(); ++i) {
            dlg->Services().Worker()->RunPass();
            Tolva::Platform::ProcessPending();
        }
        Tolva::Platform::ProcessPending();
    }

    Tolva::HeadlessBackend* head = nullptr;
    VirtualClock clock;
    std::unique_ptr<HidDeviceManager> manager;
    SettingsDatabase store;
    std::unique_ptr<KeyboardDlg> dlg;
    std::string folder;
    bool ready = false;
};

void BM_ReloadPagesAfterProfileSwitch(benchmark::State& state) {
    WindowRig rig;
    if (!rig.ready) {
        state.SkipWithError("the mouse could not be chosen");
        return;
    }
    const int page = static_cast<int>(state.range(0));
    rig.dlg->ActivatePage(page);
    Tolva::Platform::ProcessPending();
    int profile = 1;
    double paintMs = 0;
    for (auto _ : state) {
        profile = profile == 1 ? 2 : 1;
        rig.store.SetActiveProfile(profile);
        rig.dlg->SetCurrentProfile(profile);
        rig.dlg->ReloadPages();
        state.PauseTiming();
        const auto start = std::chrono::steady_clock::now();
        Tolva::Platform::ProcessPending(); // the repaint the reload asked for
        paintMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        state.ResumeTiming();
    }
    state.counters["paint_ms"] = benchmark::Counter(paintMs, benchmark::Counter::kAvgIterations);
}
// The page shown: 6 keys, 7 macros, 8 pointer, 9 lighting.
BENCHMARK(BM_ReloadPagesAfterProfileSwitch)
    ->Arg(6)
    ->Arg(7)
    ->Arg(8)
    ->Arg(9)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
