#include "app/device/HidUsbFilter.h"
#include "app/device/IHidFilterDevice.h"
#include "app/device/KeyRemapCompanion.h"
#include "app/device/VirtualHidReports.h"
#include "sim/SimHidFilter.h"
#include "sim/SimVirtualHid.h"
#include "sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

namespace {

KeyAssignmentRow Row(int keyCode, int type, int value) {
    KeyAssignmentRow row;
    row.keyCode = keyCode;
    row.macroType = type;
    row.macroValue = value;
    return row;
}

// Waits for a condition that another thread brings about; false after a generous limit, so a
// broken reader fails the test instead of hanging it.
bool WaitFor(const std::function<bool()>& done) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class CompanionThreadTest : public ::testing::Test {
protected:
    void TearDown() override { companion_.Stop(); }

    std::vector<uint32_t> Codes() const {
        std::vector<uint32_t> codes;
        for (const auto& request : filterDevice_.Requests())
            codes.push_back(request.code);
        return codes;
    }

    SimHidFilter filterDevice_;
    HidUsbFilter filter_{filterDevice_};
    SimVirtualHid device_;
    VirtualHidReports reports_{device_};
    VirtualClock clock_;
    KeyRemapCompanion companion_{filter_, reports_, clock_};
};

TEST_F(CompanionThreadTest, LoadingClearsThenLoadsEnablesAndStartsTheReader) {
    ASSERT_TRUE(companion_.Start(nullptr));
    device_.ClearPackets();
    ASSERT_TRUE(companion_.LoadRemapTable({Row(0x39, 2, 4), Row(0x1E5, 5, 1), Row(0x3A, 0, 0)}));
    EXPECT_EQ(device_.Packets().size(), 4u) << "the virtual device is reset first";
    EXPECT_EQ(Codes(), (std::vector<uint32_t>{0x0022A000, 0x0022A000, 0x00226008, 0x0022600C}));
    auto requests = filterDevice_.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].input, std::vector<uint8_t>(256, 0)) << "clears the driver's table";
    EXPECT_EQ(requests[1].input.size(), 1024u);
    EXPECT_EQ(filterDevice_.InterceptedKeys(), (std::vector<int>{0x39, 0x1E5, 0x3A}));
    EXPECT_TRUE(filterDevice_.Enabled());
    EXPECT_TRUE(filter_.ReaderRunning());
}

TEST_F(CompanionThreadTest, ProfileWithoutKeyRowsLeavesTheTableClearedAndNoReader) {
    ASSERT_TRUE(companion_.Start(nullptr));
    ASSERT_TRUE(companion_.LoadRemapTable({Row(0x39, 2, 4)}));
    ASSERT_TRUE(filter_.ReaderRunning());
    ASSERT_TRUE(companion_.LoadRemapTable({}));
    auto requests = filterDevice_.Requests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[4].code, IHidFilterDevice::kLoadRemapTable);
    EXPECT_EQ(requests[4].input, std::vector<uint8_t>(256, 0));
    EXPECT_TRUE(filterDevice_.InterceptedKeys().empty());
    EXPECT_FALSE(filter_.ReaderRunning());
    EXPECT_EQ(companion_.MappedKeyCount(), 0u);
}

TEST_F(CompanionThreadTest, AFailedRequestStartsNoReader) {
    ASSERT_TRUE(companion_.Start(nullptr));
    filterDevice_.FailControlAt(3); // the enable request after clearing and loading
    EXPECT_FALSE(companion_.LoadRemapTable({Row(0x39, 2, 4)}));
    EXPECT_FALSE(filter_.ReaderRunning());
    EXPECT_FALSE(filterDevice_.Enabled());
}

TEST_F(CompanionThreadTest, ReaderPlaysKeyEventsThroughTheVirtualDevice) {
    ASSERT_TRUE(companion_.Start(nullptr));
    ASSERT_TRUE(companion_.LoadRemapTable({Row(0x39, 2, 0x04)}));
    filterDevice_.PushEvent(0x39, true);
    ASSERT_TRUE(WaitFor([&] { return device_.KeyDown(0x04); }));
    filterDevice_.PushEvent(0x39, false);
    ASSERT_TRUE(WaitFor([&] { return filterDevice_.WaitCount() == 2 && !device_.KeyDown(0x04); }));
}

TEST_F(CompanionThreadTest, AHandledEventStopsAtItsListener) {
    std::atomic<int> first{0}, second{0};
    static std::atomic<bool> firstHandles{true};
    firstHandles = true;
    auto firstHandler = [](void* owner, const HidUsbFilter::KeyEvent&, void*) {
        ++*static_cast<std::atomic<int>*>(owner);
        return firstHandles.load();
    };
    auto secondHandler = [](void* owner, const HidUsbFilter::KeyEvent&, void*) {
        ++*static_cast<std::atomic<int>*>(owner);
        return true;
    };
    using Proxy = HidUsbFilter::MonitorProxy;
    ASSERT_TRUE(filter_.Open());
    filter_.Register(std::make_unique<Proxy>(&first, +firstHandler, nullptr));
    filter_.Register(std::make_unique<Proxy>(&second, +secondHandler, nullptr));
    ASSERT_TRUE(filter_.LoadRemapTable({0x39}));
    filterDevice_.PushEvent(0x39, true);
    ASSERT_TRUE(WaitFor([&] { return first == 1; }));
    firstHandles = false;
    filterDevice_.PushEvent(0x39, false);
    ASSERT_TRUE(WaitFor([&] { return second == 1; }));
    EXPECT_EQ(first, 2);
    filter_.Unregister(&first);
    filter_.Unregister(&second);
}

TEST_F(CompanionThreadTest, StopWhileEventsFlowClearsTheTableAndCloses) {
    ASSERT_TRUE(companion_.Start(nullptr));
    ASSERT_TRUE(companion_.LoadRemapTable({Row(0x39, 2, 0x04), Row(0x3A, 5, 1)}));
    std::atomic<bool> flooding{true};
    std::thread keyboard([&] {
        bool pressed = true;
        while (flooding) {
            filterDevice_.PushEvent(pressed ? 0x39 : 0x3A, pressed);
            pressed = !pressed;
            std::this_thread::yield();
        }
    });
    ASSERT_TRUE(WaitFor([&] { return filterDevice_.WaitCount() > 20; }));
    companion_.Stop();
    flooding = false;
    keyboard.join();
    EXPECT_FALSE(filter_.ReaderRunning());
    EXPECT_FALSE(filterDevice_.IsOpen());
    auto requests = filterDevice_.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().input, std::vector<uint8_t>(256, 0));
    EXPECT_EQ(filter_.ListenerCount(), 0u);
}

TEST_F(CompanionThreadTest, RemovalsInTheMiddleOfWorkNeitherCrashNorHang) {
    std::atomic<int> requested{0};
    ASSERT_TRUE(companion_.Start([&](int) { ++requested; }));
    ASSERT_TRUE(companion_.LoadRemapTable({Row(0x39, 2, 0x04), Row(0x3B, 3, 1), Row(0x3C, 7, 4)}));
    // The worker plays a long macro while the reader answers keys.
    std::atomic<bool> played{false};
    std::thread worker([&] {
        MacroRow macro;
        macro.playTimes = std::numeric_limits<int>::max(); // ends only by the removal
        MacroItemRow press, release;
        press.type = 2;
        press.value = 'A';
        release.type = 3;
        release.value = 'A';
        release.recordIndex = 1;
        EXPECT_FALSE(companion_.PlayMacro(macro, {press, release}));
        played = true;
    });
    for (int i = 0; i < 30; ++i) {
        filterDevice_.PushEvent(i % 3 == 0 ? 0x39 : i % 3 == 1 ? 0x3B : 0x3C, i % 2 == 0);
    }
    ASSERT_TRUE(WaitFor([&] { return filterDevice_.WaitCount() >= 10 && requested > 0; }));
    device_.SetPresent(false); // the virtual device disappears mid-macro
    worker.join();
    EXPECT_TRUE(played);
    filterDevice_.Remove(); // and then the filter driver
    filterDevice_.PushEvent(0x39, true);
    companion_.Stop();
    EXPECT_FALSE(filter_.ReaderRunning());
    // Loading again fails quietly: the driver is gone.
    EXPECT_FALSE(companion_.LoadRemapTable({Row(0x39, 2, 0x04)}));
}

TEST_F(CompanionThreadTest, ListenersComeAndGoWhileTheReaderDispatches) {
    ASSERT_TRUE(companion_.Start(nullptr));
    ASSERT_TRUE(companion_.LoadRemapTable({Row(0x39, 2, 0x04)}));
    std::atomic<bool> flooding{true};
    std::thread keyboard([&] {
        while (flooding) {
            filterDevice_.PushEvent(0x39, true);
            filterDevice_.PushEvent(0x39, false);
            std::this_thread::yield();
        }
    });
    auto handler = [](void*, const HidUsbFilter::KeyEvent&, void*) { return false; };
    int owners[8] = {};
    for (int round = 0; round < 200; ++round) {
        int* owner = &owners[round % 8];
        filter_.Register(std::make_unique<HidUsbFilter::MonitorProxy>(owner, +handler, nullptr));
        if (round % 3 == 0) filter_.Unregister(owner);
    }
    flooding = false;
    keyboard.join();
    EXPECT_TRUE(filter_.ReaderRunning());
    EXPECT_LE(filter_.ListenerCount(), 9u);
}

} // namespace
