#include "app/device/DeviceStatusMonitor.h"

#include "tests/device/CommandSetFixture.h"

#include <algorithm>

namespace {

using Link = EmulatedMouse::Link;

class DeviceStatusMonitorTest : public CommandSetFixture {
protected:
    void Start(const EmulatedMouse::Fixture& fixture) {
        Connect(fixture);
        monitor_ = std::make_unique<DeviceStatusMonitor>(*manager_);
        monitor_->SetConnection(mode_ != -1, mode_);
    }
    size_t Queries() const {
        auto sent = Sent();
        return std::count_if(sent.begin(), sent.end(), [](const CommandFrame::Payload& p) {
            return p[1] == 0xFD || p[5] == 0xFD;
        });
    }
    std::unique_ptr<DeviceStatusMonitor> monitor_;
};

TEST_F(DeviceStatusMonitorTest, LinkStateThreeOnTheReceiverSwitchesToTheCableAfterRescan) {
    Start(EmulatedMouse::Fixture::Default(false, true));
    ASSERT_EQ(monitor_->Current().mode, 2);
    mouse_->PlugCable(true);
    mouse_->QueueInput(Link::Receiver, CommandFrame::StatusReply(64, 3));
    auto result = monitor_->Poll(601);
    EXPECT_TRUE(result.rescan);
    EXPECT_TRUE(result.batteryChanged);
    EXPECT_EQ(monitor_->Current().battery, 64);
    monitor_->RescanDevices(601);
    EXPECT_EQ(monitor_->Current().mode, 0);
    EXPECT_TRUE(monitor_->Current().connected);
}

TEST_F(DeviceStatusMonitorTest, LinkStateZeroClearsConnectedWithoutShowingTheBattery) {
    Start(EmulatedMouse::Fixture::Default(false, true));
    mouse_->QueueInput(Link::Receiver, CommandFrame::StatusReply(30, 0));
    auto result = monitor_->Poll(601);
    EXPECT_TRUE(result.rescan);
    EXPECT_FALSE(result.batteryChanged);
    EXPECT_FALSE(monitor_->Current().connected);
    EXPECT_EQ(monitor_->Current().battery, -1);
    // The mouse is out of reach of its receiver: nothing answers the handshake.
    mouse_->SetReceiverLinked(false);
    monitor_->RescanDevices(601);
    EXPECT_FALSE(monitor_->Current().connected);
    EXPECT_EQ(monitor_->Current().mode, -1);
}

TEST_F(DeviceStatusMonitorTest, NotificationsWithoutSignatureOrWithBadBatteryChangeNothing) {
    Start(EmulatedMouse::Fixture::Default(false, true));
    CommandFrame::Payload stray{};
    stray[6] = 3;
    mouse_->QueueInput(Link::Receiver, stray);
    mouse_->QueueInput(Link::Receiver, CommandFrame::StatusReply(255, 1));
    EXPECT_FALSE(monitor_->Poll(601).rescan);
    auto result = monitor_->Poll(601);
    EXPECT_FALSE(result.rescan);
    EXPECT_FALSE(result.batteryChanged);
    EXPECT_EQ(monitor_->Current().battery, -1);
    EXPECT_EQ(monitor_->Current().mode, 2);
    // Keyboards are not listened to.
    mouse_->QueueInput(Link::Receiver, CommandFrame::StatusReply(20, 0));
    EXPECT_FALSE(monitor_->Poll(100).rescan);
    EXPECT_EQ(mouse_->PendingInput(Link::Receiver), 1u);
}

TEST_F(DeviceStatusMonitorTest, StatusIsAskedAtMostEveryFiveSeconds) {
    Start(EmulatedMouse::Fixture::Default(true, false));
    // Device type 0 skips listening, whose read time-outs would move the virtual clock.
    monitor_->Poll(0);
    EXPECT_EQ(Queries(), 0u); // the first pass only starts the interval
    clock_.Advance(4999);
    monitor_->Poll(0);
    EXPECT_EQ(Queries(), 0u);
    clock_.Advance(1);
    auto result = monitor_->Poll(0);
    EXPECT_EQ(Queries(), 1u);
    EXPECT_EQ(Hex(Sent().back(), 2), "08FD");
    EXPECT_FALSE(result.rescan);
    EXPECT_TRUE(result.batteryChanged);
    EXPECT_EQ(monitor_->Current().battery, 80);
    monitor_->Poll(0);
    EXPECT_EQ(Queries(), 1u);
}

TEST_F(DeviceStatusMonitorTest, MissingReplyOrRemovedMouseAsksForARescanAndEndsOffline) {
    Start(EmulatedMouse::Fixture::Default(true, false));
    monitor_->Poll(601);
    clock_.Advance(5000);
    mouse_->InjectFault(EmulatedMouse::Fault::MissingReply);
    EXPECT_TRUE(monitor_->Poll(601).rescan);
    monitor_->RescanDevices(601);
    EXPECT_TRUE(monitor_->Current().connected); // the mouse answers again

    mouse_->PlugCable(false);
    clock_.Advance(5000);
    EXPECT_TRUE(monitor_->Poll(601).rescan);
    monitor_->RescanDevices(601);
    EXPECT_FALSE(monitor_->Current().connected);
    EXPECT_EQ(monitor_->Current().mode, -1);
    // Without a mouse every interval looks for it again.
    clock_.Advance(5000);
    EXPECT_TRUE(monitor_->Poll(601).rescan);
}

TEST_F(DeviceStatusMonitorTest, ReplyWithoutSignatureStopsTheAskingStep) {
    Start(EmulatedMouse::Fixture::Default(true, false));
    monitor_->Poll(601);
    clock_.Advance(5000);
    mouse_->InjectFault(EmulatedMouse::Fault::ReplyWithoutSignature);
    auto result = monitor_->Poll(601);
    EXPECT_FALSE(result.rescan);
    EXPECT_FALSE(result.batteryChanged);
    EXPECT_EQ(monitor_->Current().battery, -1);
}

TEST_F(DeviceStatusMonitorTest, RefreshTakesTheBatteryUnlessAbove100) {
    Start(EmulatedMouse::Fixture::Default(true, false));
    mouse_->SetBattery(101);
    EXPECT_TRUE(monitor_->RefreshShownDevice());
    EXPECT_EQ(monitor_->Current().battery, -1);
    mouse_->SetBattery(42);
    EXPECT_TRUE(monitor_->RefreshShownDevice());
    EXPECT_EQ(monitor_->Current().battery, 42);
    mouse_->PlugCable(false);
    EXPECT_FALSE(monitor_->RefreshShownDevice());
    EXPECT_EQ(monitor_->Current().battery, 42);
}

} // namespace
