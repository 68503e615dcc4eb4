#include "tests/soak/SoakSession.h"

#include "app/device/HidDeviceManager.h"
#include "app/device/HotplugMatcher.h"
#include "app/device/KeyAssignmentCommands.h"
#include "app/files/ApplicationConfig.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/HotplugTasks.h"
#include "app/store/FactoryConfiguration.h"
#include "app/store/SettingsDatabase.h"
#include "tests/soak/ParkingBackend.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using Link = EmulatedMouse::Link;
using Task = CThreadBasic::Task;

constexpr Link kLinks[] = {Link::Cable, Link::Receiver};

HotplugSource::Event EventFor(const EmulatedMouse& mouse, int kind, Link link) {
    EmulatedMouse::Fixture fixture = mouse.GetFixture();
    const auto& list = link == Link::Cable ? fixture.cableInterfaces : fixture.receiverInterfaces;
    for (const auto& item : list)
        if (item.command) return {kind, item.info.interfaceName, item.info.path};
    return {};
}

bool Plugged(const EmulatedMouse& mouse, Link link) {
    EmulatedMouse::Fixture fixture = mouse.GetFixture();
    return link == Link::Cable ? fixture.cablePlugged : fixture.receiverPlugged;
}

// Task 4 adds what a profile lacks: its rows, and for a profile without light rows the layout's
// default light mode, which (one active mode in the whole table) clears every other profile's.
void ForgetWhatSeedingMoves(StoreSnapshot& snapshot) {
    snapshot.Drop("sqlite_sequence");
    snapshot.MaskLastColumn("t_light_data");
}

int64_t MicrosSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

} // namespace

SoakSession::SoakSession(int index, uint64_t seed, SettingsDatabase& store, std::string dataFolder,
                         std::string programFolder)
    : index_(index), rng_(seed), store_(store), dataFolder_(std::move(dataFolder)),
      programFolder_(std::move(programFolder)) {}

SoakSession::~SoakSession() {
    Stop();
}

int SoakSession::Random(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng_);
}

bool SoakSession::Chance(int percent) {
    return Random(1, 100) <= percent;
}

SoakFigures SoakSession::Run() {
    figures_.sessions = 1;
    if (Start()) {
        const int steps = Random(8, 24);
        for (int i = 0; i < steps && !aborted_; ++i)
            Step();
    }
    figures_.windowCallbacks = window_.Calls();
    Stop();
    return figures_;
}

bool SoakSession::Start() {
    // Mostly both links; sometimes one, sometimes a receiver whose mouse is out of reach.
    const int plugs = Random(0, 5);
    EmulatedMouse::Fixture fixture = EmulatedMouse::Fixture::Default(plugs != 4, plugs != 3);
    fixture.receiverLinked = plugs != 5;
    fixture.battery = Random(0, 120);
    mouse_ = std::make_shared<EmulatedMouse>(fixture, &clock_);
    parking_ = std::make_shared<ParkingBackend>(mouse_);
    manager_ = std::make_unique<HidDeviceManager>(parking_, &clock_);
    ApplicationConfig config;
    if (!config.Load(programFolder_ + "config.xml", manager_.get())) {
        figures_.Problem(index_, "config.xml of " + programFolder_ + " did not load");
        return false;
    }
    CThreadBasic::Setup setup;
    setup.manager = manager_.get();
    setup.store = &store_;
    setup.clock = &clock_;
    setup.dataFolder = dataFolder_;
    setup.programFolder = programFolder_;
    setup.lookup = [](int id) { return std::to_string(id); };
    setup.checkUpdates = false; // off the network: the upgrade has its own suite
    worker_ = std::make_unique<CThreadBasic>(setup, window_);
    std::shared_ptr<EmulatedMouse> mouse = mouse_;
    hotplug_ = std::make_unique<HotplugTasks>(*worker_, [mouse](const std::string& path) {
        return HotplugMatcher::IsCommandInterface(*mouse, path);
    });
    hotplug_->SetTargets(HotplugTasks::TargetsFor(manager_->SupportedDevices()));
    hotplug_->Attach();

    // What an earlier session left must survive this start-up; the first one creates the store.
    StoreSnapshot before;
    const bool existed = Snapshot(before);
    worker_->AddTask(Task::kDelayedRescan);
    RunQueue();
    worker_->ChooseDevice(EmulatedMouse::kDeviceType, EmulatedMouse::kName);
    worker_->AddTask(Task::kSwitchDevice);
    RunQueue();
    if (!worker_->DevicePresent()) {
        // Nothing to talk to: plug the cable in, as a person would.
        mouse_->PlugCable(true);
        hotplug_->OnDeviceChange(EventFor(*mouse_, HotplugSource::kArrival, Link::Cable));
        RunQueue();
        worker_->AddTask(Task::kSwitchDevice);
        RunQueue();
    }
    StoreSnapshot after;
    if (!Snapshot(after) || !store_.IsSettingsOpen()) {
        figures_.Problem(index_, "start-up left no readable, open store");
        return false;
    }
    if (existed) {
        ForgetWhatSeedingMoves(before);
        ForgetWhatSeedingMoves(after);
        size_t lost = before.LostRows(after);
        if (lost) {
            figures_.lostRows += static_cast<long>(lost);
            figures_.Problem(index_, "start-up lost rows:\n" + before.Describe(after));
        }
    }
    return !aborted_;
}

void SoakSession::Stop() {
    // As the program's teardown: hot-plug first, then the worker, the devices, the store.
    hotplug_.reset();
    worker_.reset();
    if (manager_) manager_->CloseAll();
    manager_.reset();
    parking_.reset();
    mouse_.reset();
    store_.CloseSettingsDatabase();
    store_.SetOpenFlag(false);
}

bool SoakSession::Snapshot(StoreSnapshot& snapshot) {
    std::string path = store_.DatabasePath();
    if (path.empty()) path = dataFolder_ + "db/" + SettingsDatabase::kDeviceName + "_data_v7.db";
    if (!std::filesystem::exists(path)) return false;
    std::string error;
    if (!snapshot.Read(path, &error)) {
        figures_.Problem(index_, "store unreadable: " + error);
        return false;
    }
    return true;
}

void SoakSession::CheckUnchanged(const StoreSnapshot& before, const char* what) {
    StoreSnapshot after;
    if (!Snapshot(after)) return;
    ++figures_.storeChecks;
    if (after.ActiveProfiles() != 1) {
        ++figures_.activeProfileFaults;
        figures_.Problem(index_, std::string(what) + ": " + std::to_string(after.ActiveProfiles()) +
                                     " active profiles");
    }
    // Task 4 may add the rows a profile lacks; it may not take any away.
    if (task4Ran_) {
        StoreSnapshot kept = before;
        ForgetWhatSeedingMoves(kept);
        ForgetWhatSeedingMoves(after);
        size_t lost = kept.LostRows(after);
        if (lost) {
            figures_.lostRows += static_cast<long>(lost);
            figures_.Problem(index_, std::string(what) + " lost rows:\n" + kept.Describe(after));
        }
        return;
    }
    if (after == before) return;
    ++figures_.storeChanged;
    figures_.lostRows += static_cast<long>(before.LostRows(after));
    figures_.Problem(index_, std::string(what) + " changed the store:\n" + before.Describe(after));
}

void SoakSession::Step() {
    // Faults stay pending until a write meets them, whichever task that is.
    if (Chance(35)) InjectFaults();
    const int roll = Random(1, 100);
    bool anyPlugged = Plugged(*mouse_, Link::Cable) || Plugged(*mouse_, Link::Receiver);
    if (!anyPlugged && roll <= 60) {
        Replug();
    } else if (roll <= 60) {
        PageChange(static_cast<Change>(Random(0, static_cast<int>(Change::Macro))));
    } else if (roll <= 70) {
        Unplug();
    } else if (roll <= 80) {
        Replug();
    } else if (roll <= 92) {
        IdlePasses();
    } else {
        PageChange(Change::Macro);
    }
}

void SoakSession::InjectFaults() {
    const int count = Random(1, 3);
    for (int i = 0; i < count; ++i) {
        auto fault = static_cast<EmulatedMouse::Fault>(Random(0, 3));
        mouse_->InjectFault(fault, Random(1, 8));
        ++figures_.faultsInjected;
    }
}

int SoakSession::AnyMacro() {
    std::vector<std::unique_ptr<MacroRow>> macros;
    // A bounded list: every check reads the whole store, so an ever-growing one would make a
    // long run slower with every session.
    const int count = store_.LoadMacroList(macros);
    if (count >= kMaxMacros || (count > 0 && Chance(70)))
        return macros[static_cast<size_t>(Random(0, static_cast<int>(macros.size()) - 1))]->macroId;
    int id = store_.CreateMacro("soak " + std::to_string(Random(1, 9999)));
    if (id <= 0 || SettingsDatabase::LastResult() != 0) return 0;
    std::vector<std::unique_ptr<MacroItemRow>> items;
    const int events = Random(1, 40);
    for (int i = 0; i < events; ++i) {
        for (int type : {2, 3}) {
            auto item = std::make_unique<MacroItemRow>();
            item->macroId = id;
            item->type = type;
            item->recordIndex = static_cast<int>(items.size());
            item->value = Random(0x41, 0x5A);
            item->delayTime = Random(1, 4000);
            item->desc = "k";
            items.push_back(std::move(item));
        }
    }
    store_.SaveMacroItems(std::move(items));
    return id;
}

void SoakSession::PageChange(Change change) {
    // What the page stores first is the intended change; the snapshot is taken after it.
    const int profile = worker_->CurrentProfile();
    int task = 0;
    switch (change) {
    case Change::Rate:
        store_.SetConfigValue(profile, "report_rate", std::to_string(Random(0, 3)));
        task = Task::kReportRate;
        break;
    case Change::Debounce:
        store_.SetConfigValue(profile, "antishake_time", std::to_string(Random(0, 30)));
        task = Task::kDebounceTime;
        break;
    case Change::Dpi: {
        const int level = Random(0, 5);
        store_.SetConfigValue(profile, "dpi_index", std::to_string(level));
        store_.SetConfigValue(profile, FactoryConfiguration::DpiValueKey(level),
                              std::to_string(Random(1, 120) * 100));
        if (Chance(30))
            store_.SetConfigValue(profile, FactoryConfiguration::DpiRgbKey(level),
                                  std::to_string(Random(0, 0xFFFFFF)));
        task = Task::kDpiLevel;
        break;
    }
    case Change::WakeUp:
        store_.SetConfigValue(1, "wakeupmethod", std::to_string(Random(1, 3)));
        task = Task::kWakeUpMethod;
        break;
    case Change::Button:
    case Change::Macro: {
        KeyAssignmentRow row;
        row.profile = profile;
        row.keyCode =
            Random(KeyAssignmentCommands::kFirstButton, KeyAssignmentCommands::kLastButton);
        const int kind = change == Change::Macro ? 2 : Random(0, 2);
        if (kind == 2) {
            row.macroType = KeyAssignmentCommands::kMacroType;
            row.macroValue = AnyMacro();
            ++figures_.macroDownloads;
            // The link goes while the macro's chunks are on their way.
            if (change == Change::Macro && Chance(50)) {
                mouse_->InjectFault(EmulatedMouse::Fault::DisconnectMidExchange, Random(1, 6));
                ++figures_.faultsInjected;
            }
        } else if (kind == 1) {
            row.macroType = KeyAssignmentCommands::kShortcutType;
            row.macroValue = Random(1, 12);
        } else {
            row.macroType = Random(1, 6);
            row.macroValue = Random(1, 255);
        }
        row.macroDesc = "soak";
        store_.SaveButtonAssignment(row);
        worker_->SetSelectedButton(row.keyCode);
        task = Task::kAssignButton;
        break;
    }
    case Change::AllButtons:
        task = Task::kAssignAllButtons;
        break;
    case Change::Lighting: {
        std::vector<std::unique_ptr<LightRow>> rows;
        if (store_.LoadLightRows(profile, rows) > 0)
            store_.SetActiveLightMode(
                profile,
                rows[static_cast<size_t>(Random(0, static_cast<int>(rows.size()) - 1))]->mode);
        task = Task::kMouseLighting;
        break;
    }
    case Change::Show:
        task = Task::kShowDeviceSettings;
        break;
    case Change::Restore:
        task = Task::kRestoreDefaults;
        break;
    case Change::Profile: {
        std::vector<std::unique_ptr<ProfileRow>> profiles;
        if (store_.LoadProfileList(profiles) > 0) {
            int chosen =
                profiles[static_cast<size_t>(Random(0, static_cast<int>(profiles.size()) - 1))]
                    ->profile;
            if (store_.SetActiveProfile(chosen)) worker_->SetCurrentProfile(chosen);
        }
        task = Task::kActivateProfile;
        break;
    }
    }
    StoreSnapshot before;
    const bool haveBefore = Snapshot(before);
    task4Ran_ = false;
    worker_->AddTask(task);
    RunQueue(Chance(20));
    if (haveBefore && !aborted_) CheckUnchanged(before, ("task " + std::to_string(task)).c_str());
}

void SoakSession::Unplug() {
    std::vector<Link> plugged;
    for (Link link : kLinks)
        if (Plugged(*mouse_, link)) plugged.push_back(link);
    if (plugged.empty()) return;
    Link link = plugged[static_cast<size_t>(Random(0, static_cast<int>(plugged.size()) - 1))];
    if (link == Link::Cable)
        mouse_->PlugCable(false);
    else
        mouse_->PlugReceiver(false);
    ++figures_.unplugs;
    StoreSnapshot before;
    const bool haveBefore = Snapshot(before);
    task4Ran_ = false;
    hotplug_->OnDeviceChange(EventFor(*mouse_, HotplugSource::kRemoval, link));
    RunQueue();
    if (haveBefore && !aborted_) CheckUnchanged(before, "removal");
}

void SoakSession::Replug() {
    std::vector<Link> unplugged;
    for (Link link : kLinks)
        if (!Plugged(*mouse_, link)) unplugged.push_back(link);
    if (unplugged.empty()) {
        // Both are in: the receiver's mouse comes into (or goes out of) reach instead.
        mouse_->SetReceiverLinked(Chance(70));
        RunQueue();
        return;
    }
    Link link = unplugged[static_cast<size_t>(Random(0, static_cast<int>(unplugged.size()) - 1))];
    if (link == Link::Cable)
        mouse_->PlugCable(true);
    else
        mouse_->PlugReceiver(true);
    ++figures_.replugs;
    StoreSnapshot before;
    const bool haveBefore = Snapshot(before);
    task4Ran_ = false;
    hotplug_->OnDeviceChange(EventFor(*mouse_, HotplugSource::kArrival, link));
    RunQueue();
    // A person picks the mouse again when it was not shown.
    if (worker_->DevicePresent() && worker_->LoadedDeviceType() == 0) {
        worker_->AddTask(Task::kSwitchDevice);
        RunQueue();
    }
    if (haveBefore && !aborted_) CheckUnchanged(before, "arrival");
}

void SoakSession::IdlePasses() {
    const int count = Random(1, 4);
    for (int i = 0; i < count && !aborted_; ++i) {
        switch (Random(0, 4)) {
        case 0:
            mouse_->SetBattery(Random(0, 110));
            break;
        case 1:
            mouse_->PressButton(
                Chance(50) ? Link::Cable : Link::Receiver,
                Random(KeyAssignmentCommands::kFirstButton, KeyAssignmentCommands::kLastButton));
            break;
        case 2:
            mouse_->SendNotification(Chance(50) ? Link::Cable : Link::Receiver);
            break;
        default:
            break;
        }
        RunOnePass(false);
    }
    RunQueue();
}

void SoakSession::RunQueue(bool park, int maxPasses) {
    for (int i = 0; i < maxPasses && !worker_->Queue().Empty() && !aborted_; ++i)
        RunOnePass(park && i == 0);
}

void SoakSession::RunOnePass(bool park) {
    int code = 0;
    const bool hasTask = worker_->Queue().Front(code);
    if (code == Task::kSwitchDevice) task4Ran_ = true;
    clock_.ClearPauses();
    const int64_t start = clock_.NowMs();
    if (park) parking_->ParkNextWrite();
    const bool pluggedBefore[] = {Plugged(*mouse_, Link::Cable), Plugged(*mouse_, Link::Receiver)};

    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread pass([&] {
        worker_->RunPass();
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
        finished.notify_all();
    });
    auto isDone = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return done;
    };
    if (park) {
        // Held at its first write, or finished without writing anything.
        const auto waitStart = std::chrono::steady_clock::now();
        bool held = false;
        while (!isDone() && MicrosSince(waitStart) < kHangMs * 1000LL)
            if ((held = parking_->WaitParked(5))) break;
        if (!held) held = parking_->Disarm();
        if (held) {
            ++figures_.parks;
            WindowWhileHeld(rng_());
            parking_->Release();
        }
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (!finished.wait_for(lock, std::chrono::milliseconds(kHangMs), [&] { return done; })) {
            // Nothing can be cleaned up under a pass that never returns.
            std::fprintf(stderr, "worker soak: session %d: a pass of task %d hangs\n", index_,
                         code);
            std::fflush(stderr);
            std::abort();
        }
    }
    pass.join();

    ++figures_.passes;
    if (hasTask) {
        ++figures_.tasks;
        ++figures_.taskCounts[code];
    }
    const int64_t paused = clock_.TotalPausedMs();
    const int64_t overrun = clock_.NowMs() - start - paused;
    for (int ms : clock_.Pauses())
        ++figures_.pauseValues[ms];
    if (paused > figures_.maxPassPauseMs) figures_.maxPassPauseMs = paused;
    if (overrun > figures_.maxOverrunMs) {
        figures_.maxOverrunMs = overrun;
        figures_.maxOverrunTask = code;
    }
    if (overrun > kOverrunLimitMs) {
        ++figures_.overruns;
        figures_.Problem(index_, "task " + std::to_string(code) + " waited " +
                                     std::to_string(overrun) + " ms beyond its pauses");
    }
    if (window_.OpenDisables() != 0) {
        ++figures_.unpairedDisables;
        figures_.Problem(index_, "the window stayed disabled after task " + std::to_string(code));
        aborted_ = true;
    }
    // Only an injected disconnect unplugs a link inside a pass.
    for (Link link : kLinks)
        if (pluggedBefore[static_cast<int>(link)] && !Plugged(*mouse_, link))
            ++figures_.disconnects;
}

void SoakSession::WindowWhileHeld(uint64_t seed) {
    std::atomic<const char*> current{""};
    std::atomic<bool> over{false};
    SoakFigures calls;
    std::thread window([&] {
        std::mt19937_64 rng(seed);
        auto timed = [&](const char* name, auto&& call) {
            current = name;
            const auto start = std::chrono::steady_clock::now();
            call();
            const int64_t us = MicrosSince(start);
            ++calls.windowCalls;
            if (us > calls.windowMaxUs) calls.windowMaxUs = us;
            if (us > kSlowCallUs) ++calls.windowSlow;
        };
        const int profile = worker_->CurrentProfile();
        // What the window does while a task runs: reload pages from the store, look at the
        // worker's state, follow the user's page and visibility, take device events.
        timed("DeviceState", [&] { (void)worker_->DeviceState(); });
        timed("Queue", [&] { (void)worker_->Queue().Snapshot(); });
        timed("LoadedDeviceType", [&] { (void)worker_->LoadedDeviceType(); });
        timed("SetCurrentPage", [&] { worker_->SetCurrentPage(static_cast<int>(rng() % 11)); });
        timed("SetWindowVisible", [&] { worker_->SetWindowVisible(rng() % 4 != 0); });
        timed("LoadProfileList", [&] {
            std::vector<std::unique_ptr<ProfileRow>> rows;
            store_.LoadProfileList(rows);
        });
        timed("FindActiveProfile", [&] { (void)store_.FindActiveProfile(); });
        timed("GetConfigValue", [&] {
            std::string value;
            store_.GetConfigValue(profile, "report_rate", value);
        });
        timed("LoadButtonAssignments", [&] {
            std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
            store_.LoadButtonAssignments(profile, rows);
        });
        timed("LoadMacroList", [&] {
            std::vector<std::unique_ptr<MacroRow>> rows;
            store_.LoadMacroList(rows);
        });
        timed("LoadLightRows", [&] {
            std::vector<std::unique_ptr<LightRow>> rows;
            store_.LoadLightRows(profile, rows);
        });
        if (rng() % 3 == 0) timed("AddTask", [&] { worker_->AddTask(Task::kShowDeviceSettings); });
        if (rng() % 4 == 0) {
            Link link = rng() % 2 ? Link::Cable : Link::Receiver;
            if (Plugged(*mouse_, link))
                timed("OnDeviceChange", [&] {
                    hotplug_->OnDeviceChange(EventFor(*mouse_, HotplugSource::kArrival, link));
                });
        }
        over = true;
    });
    const auto start = std::chrono::steady_clock::now();
    while (!over && MicrosSince(start) < kBlockedMs * 1000LL)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!over) {
        ++figures_.windowBlocked;
        figures_.Problem(index_, std::string("the window's ") + current.load() +
                                     " waited for the worker held in a device write");
        parking_->Release(); // or the window never gets its answer
    }
    window.join();
    figures_.windowCalls += calls.windowCalls;
    figures_.windowSlow += calls.windowSlow;
    if (calls.windowMaxUs > figures_.windowMaxUs) figures_.windowMaxUs = calls.windowMaxUs;
}
