// The program's own cost of one QueryCommand round trip (status query and its reply) against the
// emulated mouse. The virtual clock makes the mandated 8 ms pause and the read time-out free, so
// the time measured is the manager's overhead plus the emulated mouse's (an upper bound on ours).
#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Rig {
    VirtualClock clock;
    std::shared_ptr<EmulatedMouse> mouse;
    HidDeviceManager manager;

    explicit Rig(bool cable)
        : mouse(std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(cable, !cable),
                                                &clock)),
          manager(mouse, &clock) {
        manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId, 0,
                                   "mouse", 601, 0, EmulatedMouse::kInterfacePattern);
        manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kReceiverProductId, 0,
                                   "mouse", 601, 2, EmulatedMouse::kInterfacePattern);
        manager.Rescan();
        manager.SetSelectedDeviceType(601);
    }
};

void QueryStatusRoundTrip(benchmark::State& state) {
    Rig rig(state.range(0) == 0);
    int mode = rig.manager.ConnectedMode();
    const CommandFrame::Payload request =
        CommandFrame::PayloadOf(CommandFrame::Mouse(mode, CommandFrame::kQueryStatus));
    for (auto _ : state) {
        CommandFrame::Payload payload = request;
        bool ok = rig.manager.QueryCommand(payload.data());
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(payload);
        if (!ok) state.SkipWithError("no reply");
        // The mouse logs every report; keep its log from growing into the measurement.
        if ((state.iterations() & 1023) == 0) {
            state.PauseTiming();
            rig.mouse->ClearLog();
            rig.clock.ClearPauses();
            state.ResumeTiming();
        }
    }
    state.SetLabel(mode == 0 ? "cable" : "receiver");
}
BENCHMARK(QueryStatusRoundTrip)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

// The same through WriteReport with a reply, the path of every acknowledged setting.
void WriteReportRoundTrip(benchmark::State& state) {
    Rig rig(true);
    for (auto _ : state) {
        CommandFrame::Report report = CommandFrame::Mouse(0, CommandFrame::kSetReportRate, {3});
        bool ok = rig.manager.WriteReport(report.data(), true);
        benchmark::DoNotOptimize(ok);
        if ((state.iterations() & 1023) == 0) {
            state.PauseTiming();
            rig.mouse->ClearLog();
            rig.clock.ClearPauses();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(WriteReportRoundTrip)->Unit(benchmark::kMicrosecond);

} // namespace
