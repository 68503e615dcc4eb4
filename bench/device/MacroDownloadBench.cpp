// Downloading macros to all six buttons against the emulated mouse, on the real clock. The time
// is reported as a ratio to the pauses the protocol mandates (8 ms before each reply read, 20 ms
// after each chunk): everything above 1.0 is the program's own overhead.
#include "app/device/HidDeviceManager.h"
#include "app/device/KeyAssignmentCommands.h"
#include "app/platform/Clock.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kEventsPerMacro = 60;

// A store with three profiles whose six buttons of profile 1 each play a 60-event macro.
struct Setup {
    std::string folder;
    SettingsDatabase store;

    Setup() {
        char pattern[] = "/tmp/pivane-bench-XXXXXX";
        folder = std::string(mkdtemp(pattern)) + "/";
        std::filesystem::create_directories(folder + "db");
        store.OpenSettingsDatabase(folder, "bench");
        std::vector<std::unique_ptr<ProfileRow>> profiles;
        ProfileDefaults::LoadOrCreateProfiles(store, "Profile", 601, profiles);
        for (int key = 208; key <= 213; ++key) {
            int id = store.CreateMacro("Macro " + std::to_string(key));
            std::vector<std::unique_ptr<MacroItemRow>> items;
            for (int i = 0; i < kEventsPerMacro; ++i) {
                auto item = std::make_unique<MacroItemRow>();
                item->macroId = id;
                item->type = i % 2 ? 3 : 2;
                item->value = 'A' + (i / 2) % 26;
                item->delayTime = 10 + 37 * i;
                item->recordIndex = i;
                items.push_back(std::move(item));
            }
            store.SaveMacroItems(std::move(items));
            KeyAssignmentRow row;
            row.profile = 1;
            row.keyCode = key;
            row.macroType = 3;
            row.macroValue = id;
            store.SaveButtonAssignment(row);
        }
    }
    ~Setup() {
        store.CloseSettingsDatabase();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

std::unique_ptr<HidDeviceManager> Connect(std::shared_ptr<EmulatedMouse> mouse, Clock* clock) {
    auto manager = std::make_unique<HidDeviceManager>(mouse, clock);
    manager->AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId,
                                EmulatedMouse::kCableRelease, EmulatedMouse::kName,
                                EmulatedMouse::kDeviceType, 0, EmulatedMouse::kInterfacePattern);
    manager->Rescan();
    manager->SetSelectedDeviceType(EmulatedMouse::kDeviceType);
    return manager;
}

void BM_DownloadSixMacroButtons(benchmark::State& state) {
    Setup setup;
    // The mandated pauses, as the commands request them, measured once on virtual time.
    VirtualClock virtualClock;
    auto counted = Connect(std::make_shared<EmulatedMouse>(
                               EmulatedMouse::Fixture::Default(true, false), &virtualClock),
                           &virtualClock);
    virtualClock.ClearPauses();
    KeyAssignmentCommands(*counted, setup.store).AssignAllButtons(0, 1);
    double mandatedMs = static_cast<double>(virtualClock.TotalPausedMs());

    Clock& real = Clock::Monotonic();
    auto mouse =
        std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(true, false), &real);
    auto manager = Connect(mouse, &real);
    KeyAssignmentCommands commands(*manager, setup.store);
    double totalMs = 0;
    int runs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        int sent = commands.AssignAllButtons(0, 1);
        auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(sent);
        totalMs += std::chrono::duration<double, std::milli>(end - start).count();
        ++runs;
        mouse->ClearLog();
    }
    state.counters["mandated_ms"] = mandatedMs;
    state.counters["ratio"] = runs && mandatedMs > 0 ? totalMs / runs / mandatedMs : 0;
}
BENCHMARK(BM_DownloadSixMacroButtons)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The same pauses with nothing else: what the machine's scheduler alone adds to them, so the
// download's ratio can be read against it on a busy machine.
void BM_MandatedPausesAlone(benchmark::State& state) {
    Clock& real = Clock::Monotonic();
    double totalMs = 0;
    int runs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        for (int chunk = 0; chunk < 6 * 6; ++chunk) {
            real.SleepMs(HidDeviceManager::kQueryPauseMs);
            real.SleepMs(KeyAssignmentCommands::kChunkPauseMs);
        }
        auto end = std::chrono::steady_clock::now();
        totalMs += std::chrono::duration<double, std::milli>(end - start).count();
        ++runs;
    }
    double mandatedMs =
        6.0 * 6.0 * (HidDeviceManager::kQueryPauseMs + KeyAssignmentCommands::kChunkPauseMs);
    state.counters["ratio"] = runs ? totalMs / runs / mandatedMs : 0;
}
BENCHMARK(BM_MandatedPausesAlone)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace
