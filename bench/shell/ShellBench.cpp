// What the worker costs when nothing happens (an idle pass: the status poll), what one device
// task costs on the emulated wire (virtual time: CPU only, not the protocol's pauses), and the
// single-instance round trip of a second copy. "allocs/pass" counts heap allocations.
#include "app/device/HidDeviceManager.h"
#include "app/files/ApplicationConfig.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/InstanceRequests.h"
#include "app/shell/SingleInstance.h"
#include "app/shell/WorkerWindow.h"
#include "app/store/SettingsDatabase.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

// The counting operator new below hands out malloc memory; GCC sees the replaced pair inlined
// and takes it for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<long> allocations{0};

} // namespace

void* operator new(size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

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

// The worker over the emulated cable with the mouse chosen, as after start-up.
struct Rig {
    Rig() {
        char pattern[] = "/tmp/pivane-shell-bench-XXXXXX";
        folder = mkdtemp(pattern);
        folder += "/";
        std::filesystem::create_directories(folder + "db");
        const char* source = std::getenv("PIVANE_SOURCE_DIR");
        std::string program = std::string(source ? source : ".") + "/data/";
        ApplicationConfig config;
        config.Load(program + "config.xml", &manager);
        CThreadBasic::Setup setup;
        setup.manager = &manager;
        setup.store = &store;
        setup.dataFolder = folder;
        setup.programFolder = program;
        setup.lookup = [](int id) { return std::to_string(id); };
        worker = std::make_unique<CThreadBasic>(setup, window);
        worker->AddTask(CThreadBasic::kDelayedRescan);
        worker->ChooseDevice(EmulatedMouse::kDeviceType, "ORMAN-Q410");
        worker->AddTask(CThreadBasic::kSwitchDevice);
        while (!worker->Queue().Empty())
            worker->RunPass();
    }
    ~Rig() {
        worker.reset();
        store.CloseSettingsDatabase();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    std::string folder;
    VirtualClock clock;
    std::shared_ptr<EmulatedMouse> mouse =
        std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(true, false), &clock);
    HidDeviceManager manager{mouse, &clock};
    SettingsDatabase store;
    QuietWindow window;
    std::unique_ptr<CThreadBasic> worker;
};

void IdlePass(benchmark::State& state) {
    Rig rig;
    long before = allocations.load();
    for (auto _ : state) {
        rig.worker->RunPass();
        rig.clock.ClearPauses();
        rig.mouse->ClearLog();
    }
    state.counters["allocs/pass"] = benchmark::Counter(
        static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(IdlePass);

void ReportRateTask(benchmark::State& state) {
    Rig rig;
    long before = allocations.load();
    for (auto _ : state) {
        rig.worker->AddTask(CThreadBasic::kReportRate);
        rig.worker->RunPass();
        rig.clock.ClearPauses();
        rig.mouse->ClearLog();
    }
    state.counters["allocs/pass"] = benchmark::Counter(
        static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(ReportRateTask);

class CountingRequests final : public InstanceRequests {
public:
    void OnShowRequest() override { ++shown; }
    void OnExitRequest() override {}
    std::atomic<int> shown{0};
};

void SecondCopyRequest(benchmark::State& state) {
    char pattern[] = "/tmp/pivane-shell-bench-run-XXXXXX";
    std::string runtime = mkdtemp(pattern);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    {
        SingleInstance first;
        CountingRequests requests;
        if (first.Claim() != SingleInstance::Role::First || !first.Listen(requests)) {
            state.SkipWithError("could not claim the instance");
            return;
        }
        for (auto _ : state)
            benchmark::DoNotOptimize(SingleInstance::Send(SingleInstance::kShowRequest));
    }
    std::error_code ec;
    std::filesystem::remove_all(runtime, ec);
}
BENCHMARK(SecondCopyRequest)->Unit(benchmark::kMicrosecond);

} // namespace
