#include "ManagerRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Virtual time, but each pause lets the other thread run, as a real pause would.
class YieldingClock : public VirtualClock {
public:
    void SleepMs(int ms) override {
        VirtualClock::SleepMs(ms);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
};

} // namespace

// Each thread sends key functions that the mouse echoes; a reply read by the wrong thread would
// carry the other thread's key code.
TEST(HidDeviceManagerThreads, RepliesAreReadByTheThreadThatSent) {
    YieldingClock clock;
    auto mouse =
        std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(true, false), &clock);
    HidDeviceManager manager(mouse, &clock);
    manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId, 0, "mouse",
                               601, 0, EmulatedMouse::kInterfacePattern);
    manager.Rescan();
    manager.SetSelectedDeviceType(601);

    constexpr int kRounds = 200;
    std::atomic<int> mismatches{0};
    std::atomic<int> failures{0};
    auto worker = [&](uint8_t key) {
        for (int i = 0; i < kRounds; ++i) {
            auto value = static_cast<uint8_t>(i);
            auto report = CommandFrame::Mouse(0, CommandFrame::kSetKeyFunction, {1, key, value});
            if (!manager.WriteReport(report.data(), true)) {
                ++failures;
                continue;
            }
            // Echo without report id: 08 F6 profile key value.
            if (report[0] != 0x08 || report[3] != key || report[4] != value) ++mismatches;
        }
    };
    std::thread a(worker, 208);
    std::thread b(worker, 209);
    // A third thread polls status the way the window thread's page handlers might.
    std::thread c([&] {
        for (int i = 0; i < kRounds; ++i) {
            auto payload =
                CommandFrame::PayloadOf(CommandFrame::Mouse(0, CommandFrame::kQueryStatus));
            if (!manager.QueryCommand(payload.data())) {
                ++failures;
                continue;
            }
            if (!CommandFrame::HasStatusSignature(payload.data(), payload.size())) ++mismatches;
        }
    });
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(mouse->PendingInput(EmulatedMouse::Link::Cable), 0u);
    auto state = mouse->GetState();
    EXPECT_EQ(state.profiles[1].keyFunctions[208], kRounds - 1);
    EXPECT_EQ(state.profiles[1].keyFunctions[209], kRounds - 1);
}

// Rescans from one thread while another sends: no transfer may use a handle being closed.
TEST(HidDeviceManagerThreads, RescanWhileSendingNeverCrashes) {
    YieldingClock clock;
    auto mouse = std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(), &clock);
    HidDeviceManager manager(mouse, &clock);
    manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId, 0, "mouse",
                               601, 0, EmulatedMouse::kInterfacePattern);
    manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kReceiverProductId, 0,
                               "mouse", 601, 2, EmulatedMouse::kInterfacePattern);
    std::atomic<bool> stop{false};
    std::thread sender([&] {
        while (!stop) {
            auto report =
                CommandFrame::Mouse(manager.ConnectedMode(), CommandFrame::kSetReportRate, {2});
            manager.WriteReport(report.data(), true);
            uint8_t buffer[65];
            manager.ReadNotification(buffer);
        }
    });
    for (int i = 0; i < 50; ++i) {
        manager.Rescan();
        manager.SetSelectedDeviceType(601);
    }
    stop = true;
    sender.join();
    EXPECT_EQ(mouse->OpenHandleCount(), 2);
}
