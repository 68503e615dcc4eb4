#include "ManagerRig.h"

#include <gtest/gtest.h>

#include <cstring>

using Link = EmulatedMouse::Link;
using Fault = EmulatedMouse::Fault;

namespace {

CommandFrame::Payload WiredPayload(uint8_t code, std::initializer_list<uint8_t> args = {}) {
    return CommandFrame::PayloadOf(CommandFrame::Mouse(CommandFrame::kModeWired, code, args));
}

} // namespace

TEST(HidDeviceManagerDiscovery, OpensOnlyTheCommandInterfaceOfEachLink) {
    ManagerRig rig;
    rig.manager.Rescan();
    ASSERT_EQ(rig.manager.EntryCount(), 2);
    DeviceEntry cable, receiver;
    ASSERT_TRUE(rig.manager.EntryAt(0, cable));
    ASSERT_TRUE(rig.manager.EntryAt(1, receiver));
    EXPECT_EQ(cable.productId, EmulatedMouse::kCableProductId);
    EXPECT_EQ(cable.mode, 0);
    EXPECT_EQ(cable.index, 0);
    EXPECT_EQ(cable.interfaceName, "HID#VID_25A7&PID_FA07&MI_01#SIMHID11");
    EXPECT_EQ(cable.path, "/dev/simhid11");
    EXPECT_EQ(cable.releaseNumber, 0x0105);
    EXPECT_EQ(cable.manufacturer, "ORMAN");
    EXPECT_EQ(cable.online, 1);
    EXPECT_EQ(receiver.productId, EmulatedMouse::kReceiverProductId);
    EXPECT_EQ(receiver.mode, 2);
    EXPECT_EQ(receiver.index, 1);
    EXPECT_EQ(receiver.online, 1);
    // The decoys (mouse, consumer, 0xFF02/1) were never opened: one handle per link.
    EXPECT_EQ(rig.mouse->OpenHandleCount(), 2);
    // Each link was greeted in its own frame, 10 ms before the reply read.
    EXPECT_EQ(rig.Received(), (std::vector<std::string>{"0008FD0000000000", "00BBAA998809FD00"}));
    EXPECT_EQ(rig.clock.Pauses(), (std::vector<int>{10, 10}));
}

TEST(HidDeviceManagerDiscovery, PatternUsageAndIdsFilterInterfaces) {
    // A pattern the names lack opens nothing.
    ManagerRig missing(EmulatedMouse::Fixture::Default(), "MI_03");
    missing.manager.Rescan();
    EXPECT_EQ(missing.manager.EntryCount(), 0);

    // A lower-case pattern is not upper-cased and never matches.
    ManagerRig lower(EmulatedMouse::Fixture::Default(), "mi_01");
    lower.manager.Rescan();
    EXPECT_EQ(lower.manager.EntryCount(), 0);

    // An empty pattern matches every name; the usage filter alone still keeps the decoys out.
    ManagerRig empty(EmulatedMouse::Fixture::Default(), "");
    empty.manager.Rescan();
    EXPECT_EQ(empty.manager.EntryCount(), 2);

    // A command-like interface with the right usage page but usage 1 is skipped even when it is
    // the only one that matches the pattern.
    auto fixture = EmulatedMouse::Fixture::Default(true, false);
    fixture.cableInterfaces[2].info.usage = 0x0001;
    ManagerRig usage(fixture);
    usage.manager.Rescan();
    EXPECT_EQ(usage.manager.EntryCount(), 0);

    // Unknown ids are skipped.
    ManagerRig none;
    none.manager.ClearSupportedDevices();
    none.manager.AddSupportedDevice(0x1234, 0x5678, 0, "other", 601, 0, "");
    none.manager.Rescan();
    EXPECT_EQ(none.manager.EntryCount(), 0);
    EXPECT_EQ(none.mouse->OpenHandleCount(), 0);
}

TEST(HidDeviceManagerDiscovery, LongNamesAreCutAtWholeCharacters) {
    auto fixture = EmulatedMouse::Fixture::Default(true, false);
    std::string word = "\xC3\xA9"; // one two-byte character
    for (int i = 0; i < 600; ++i)
        fixture.product += word;
    fixture.manufacturer = std::string(2000, 'M');
    ManagerRig rig(fixture);
    rig.manager.Rescan();
    DeviceEntry entry;
    ASSERT_TRUE(rig.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.manufacturer.size(), 512u);
    // The product began with ASCII text; every character after it is two bytes long.
    std::string prefix = EmulatedMouse::Fixture::Default().product;
    EXPECT_EQ(entry.product.size(), prefix.size() + 2 * (512 - prefix.size()));
    EXPECT_EQ(entry.product.substr(entry.product.size() - 2), word);
}

TEST(HidDeviceManagerDiscovery, FirstSupportedRowDecidesPatternTypeAndMode) {
    ManagerRig rig;
    rig.manager.ClearSupportedDevices();
    rig.manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId, 0,
                                   "first", 601, 0, "MI_01");
    rig.manager.AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId, 0,
                                   "second", 777, 2, "MI_09");
    rig.manager.Rescan();
    DeviceEntry entry;
    ASSERT_TRUE(rig.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.deviceType, 601);
    EXPECT_EQ(entry.mode, 0);
}

TEST(HidDeviceManagerDiscovery, HandshakeDecidesOnlineFromTheLinkByte) {
    // A receiver that cannot reach the mouse answers with link state 0: offline.
    auto fixture = EmulatedMouse::Fixture::Default(false, true);
    fixture.receiverLinked = false;
    ManagerRig unlinked(fixture);
    unlinked.manager.Rescan();
    DeviceEntry entry;
    ASSERT_TRUE(unlinked.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.online, 0);

    // No answer at all: offline, and never addressed.
    ManagerRig silent(EmulatedMouse::Fixture::Default(true, false));
    silent.mouse->InjectFault(Fault::MissingReply);
    silent.Ready();
    ASSERT_TRUE(silent.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.online, 0);
    EXPECT_EQ(silent.manager.CurrentDevice(), nullptr);

    // A write that transfers nothing fails the handshake without a read.
    ManagerRig dead(EmulatedMouse::Fixture::Default(true, false));
    dead.mouse->InjectFault(Fault::WriteTransfersNothing);
    dead.manager.Rescan();
    ASSERT_TRUE(dead.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.online, 0);
    EXPECT_TRUE(dead.clock.Pauses().empty());

    // The handshake does not check the signature: a reply without it still counts.
    ManagerRig unsigned_(EmulatedMouse::Fixture::Default(true, false));
    unsigned_.mouse->InjectFault(Fault::ReplyWithoutSignature);
    unsigned_.manager.Rescan();
    ASSERT_TRUE(unsigned_.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.online, 1);
}

TEST(HidDeviceManagerSelection, CableIsPreferredToReceiver) {
    ManagerRig rig;
    rig.Ready();
    EXPECT_EQ(rig.manager.ConnectedMode(), 0);
    EXPECT_EQ(rig.manager.CurrentIndex(), 0);
    auto payload = WiredPayload(CommandFrame::kSetReportRate, {3});
    ASSERT_TRUE(rig.manager.WriteCommand(payload.data()));
    ASSERT_EQ(rig.mouse->Log().size(), 1u);
    EXPECT_EQ(rig.mouse->Log()[0].link, Link::Cable);

    // Only the receiver: it is addressed, in mode 2.
    ManagerRig wireless(EmulatedMouse::Fixture::Default(false, true));
    wireless.Ready();
    EXPECT_EQ(wireless.manager.ConnectedMode(), 2);
    EXPECT_EQ(wireless.manager.FindOnline(EmulatedMouse::kVendorId,
                                          EmulatedMouse::kReceiverProductId, "ignored", 2),
              0);
    EXPECT_EQ(wireless.manager.FindOnline(EmulatedMouse::kVendorId,
                                          EmulatedMouse::kReceiverProductId, "mouse", 0),
              -1);
}

TEST(HidDeviceManagerSelection, RescanClearsTheSelectedTypeSoNothingIsAddressed) {
    ManagerRig rig;
    rig.manager.Rescan();
    EXPECT_EQ(rig.manager.SelectedDeviceType(), 0);
    EXPECT_EQ(rig.manager.CurrentDevice(), nullptr);
    EXPECT_EQ(rig.manager.ConnectedMode(), -1);
    rig.Forget();
    auto payload = WiredPayload(CommandFrame::kSetReportRate, {1});
    EXPECT_FALSE(rig.manager.WriteCommand(payload.data()));
    EXPECT_TRUE(rig.mouse->Log().empty());
    rig.manager.SetSelectedDeviceType(ManagerRig::kType);
    EXPECT_NE(rig.manager.CurrentDevice(), nullptr);
}

TEST(HidDeviceManagerSelection, IndexOfAndReleaseNumber) {
    ManagerRig rig;
    int32_t release = -5;
    // Closed: no release number even for a valid index.
    EXPECT_FALSE(rig.manager.ReleaseNumber(release, 0));
    rig.Ready();
    EXPECT_EQ(rig.manager.IndexOf(EmulatedMouse::kVendorId, EmulatedMouse::kReceiverProductId), 1);
    EXPECT_EQ(rig.manager.IndexOf(EmulatedMouse::kVendorId, 0x1111), -1);
    ASSERT_TRUE(rig.manager.ReleaseNumber(release, 1));
    EXPECT_EQ(release, 0x0110);
    EXPECT_FALSE(rig.manager.ReleaseNumber(release, -1));
    EXPECT_FALSE(rig.manager.ReleaseNumber(release, 2));
}

TEST(HidDeviceManagerTransfer, NothingIsSentWithoutAnOpenDevice) {
    ManagerRig rig;
    // Entries opened but the open flag never set (OpenAll alone).
    rig.manager.OpenAll();
    rig.manager.SetSelectedDeviceType(ManagerRig::kType);
    rig.Forget();
    auto payload = WiredPayload(CommandFrame::kQueryStatus);
    auto before = payload;
    CommandFrame::Report report = CommandFrame::Mouse(0, CommandFrame::kSetActiveProfile, {2});
    uint8_t buffer[65] = {};
    EXPECT_FALSE(rig.manager.WriteCommand(payload.data()));
    EXPECT_FALSE(rig.manager.QueryCommand(payload.data()));
    EXPECT_FALSE(rig.manager.WriteReport(report.data(), true));
    EXPECT_FALSE(rig.manager.SendFeature(report.data()));
    EXPECT_FALSE(rig.manager.ReadNotification(buffer));
    EXPECT_EQ(payload, before);
    EXPECT_TRUE(rig.mouse->Log().empty());
    EXPECT_TRUE(rig.clock.Pauses().empty());

    // After CloseAll the same holds, and every handle is released.
    rig.Ready();
    rig.manager.CloseAll();
    EXPECT_FALSE(rig.manager.IsOpen());
    EXPECT_EQ(rig.mouse->OpenHandleCount(), 0);
    EXPECT_EQ(rig.manager.EntryCount(), 0);
    EXPECT_EQ(rig.manager.CurrentDevice(), nullptr);
    EXPECT_FALSE(rig.manager.WriteCommand(payload.data()));
    EXPECT_TRUE(rig.mouse->Log().empty());
    rig.manager.CloseAll(); // closing twice is harmless
}

TEST(HidDeviceManagerTransfer, WriteCommandRetriesOnceAfter32ms) {
    ManagerRig rig;
    rig.Ready();
    auto payload = WiredPayload(CommandFrame::kSetReportRate, {2});
    rig.mouse->InjectFault(Fault::WriteTransfersNothing);
    EXPECT_TRUE(rig.manager.WriteCommand(payload.data()));
    EXPECT_EQ(rig.clock.Pauses(), std::vector<int>{32});
    ASSERT_EQ(rig.mouse->Log().size(), 1u);
    EXPECT_EQ(Hex(rig.mouse->Log()[0].bytes.data(), 65),
              "0008F802" + std::string(61 * 2, '0')); // report id 0, then the payload

    // Two failures in a row: false after exactly one retry.
    rig.Forget();
    rig.mouse->InjectFault(Fault::WriteTransfersNothing, 1);
    rig.mouse->InjectFault(Fault::WriteTransfersNothing, 2);
    EXPECT_FALSE(rig.manager.WriteCommand(payload.data()));
    EXPECT_EQ(rig.clock.Pauses(), std::vector<int>{32});
    EXPECT_TRUE(rig.mouse->Log().empty());
}

TEST(HidDeviceManagerTransfer, QueryAndWriteReportNeverRetry) {
    ManagerRig rig;
    rig.Ready();
    auto payload = WiredPayload(CommandFrame::kQueryStatus);
    auto before = payload;
    rig.mouse->InjectFault(Fault::WriteTransfersNothing);
    EXPECT_FALSE(rig.manager.QueryCommand(payload.data()));
    EXPECT_EQ(payload, before);
    EXPECT_EQ(rig.clock.Pauses(), std::vector<int>{8});

    rig.Forget();
    auto report = CommandFrame::Mouse(0, CommandFrame::kSetReportRate, {1});
    rig.mouse->InjectFault(Fault::WriteTransfersNothing);
    EXPECT_FALSE(rig.manager.WriteReport(report.data(), true));
    EXPECT_TRUE(rig.clock.Pauses().empty());
    EXPECT_TRUE(rig.mouse->Log().empty());
}

TEST(HidDeviceManagerTransfer, QueryHandsBackTheReplyWithoutReportId) {
    ManagerRig rig;
    rig.mouse->SetBattery(57);
    rig.Ready();
    auto payload = WiredPayload(CommandFrame::kQueryStatus);
    ASSERT_TRUE(rig.manager.QueryCommand(payload.data()));
    EXPECT_EQ(Hex(payload.data(), 8), "AA55CC3300390300"); // battery 57, link 3
    EXPECT_EQ(rig.clock.Pauses(), std::vector<int>{8});
    EXPECT_EQ(rig.Received(3), std::vector<std::string>{"0008FD"});
}

TEST(HidDeviceManagerTransfer, QueryWithoutReplyLeavesTheBufferAndWaitsOnlyForTheTimeout) {
    ManagerRig rig;
    rig.Ready();
    auto payload = WiredPayload(CommandFrame::kQueryStatus);
    auto before = payload;
    int64_t start = rig.clock.NowMs();
    rig.mouse->InjectFault(Fault::MissingReply);
    EXPECT_FALSE(rig.manager.QueryCommand(payload.data()));
    EXPECT_EQ(payload, before);
    EXPECT_EQ(rig.clock.NowMs() - start, 8 + 100); // the pause, then the 100 ms read time-out
}

TEST(HidDeviceManagerTransfer, WriteReportKeepsRequestBytesTheReplyDoesNotCover) {
    ManagerRig rig;
    rig.Ready();
    auto report = CommandFrame::Mouse(0, CommandFrame::kSetActiveProfile, {2});
    report[64] = 0x5A; // beyond the 64 bytes a reply carries
    ASSERT_TRUE(rig.manager.WriteReport(report.data(), true));
    // The echo arrives without its report id: byte 0 is the first payload byte.
    EXPECT_EQ(Hex(report.data(), 4), "08F70200");
    // The echoed payload's last byte lands one place earlier; the request's last byte stays.
    EXPECT_EQ(report[63], 0x5A);
    EXPECT_EQ(report[64], 0x5A);
    report = CommandFrame::Mouse(0, CommandFrame::kQueryStatus);
    report[64] = 0x5A;
    ASSERT_TRUE(rig.manager.WriteReport(report.data(), true));
    EXPECT_EQ(Hex(report.data(), 7), "AA55CC33005003");
    EXPECT_EQ(report[63], 0x00);
    EXPECT_EQ(report[64], 0x5A);
    EXPECT_EQ(rig.clock.Pauses(), (std::vector<int>{8, 8}));

    // Without the flag nothing is read and there is no pause.
    rig.Forget();
    auto plain = CommandFrame::Mouse(0, CommandFrame::kSetDpiLevel, {1, 1, 15, 0xFF, 0, 0});
    EXPECT_TRUE(rig.manager.WriteReport(plain.data(), false));
    EXPECT_TRUE(rig.clock.Pauses().empty());
    EXPECT_EQ(Hex(plain.data(), 9), "0008F901010FFF0000");
}

TEST(HidDeviceManagerTransfer, SendFeatureWritesTheReportAsGiven) {
    ManagerRig rig;
    rig.Ready();
    auto report = CommandFrame::KeyboardFeature({0x76, 0x54, 0x32, 0x10});
    EXPECT_TRUE(rig.manager.SendFeature(report.data()));
    auto log = rig.mouse->Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].feature);
    EXPECT_EQ(Hex(log[0].bytes.data(), 6), "077654321000");
}

TEST(HidDeviceManagerNotification, StatusReportUpdatesOnlineWhenNoDeviceIsCurrent) {
    auto fixture = EmulatedMouse::Fixture::Default(false, true);
    fixture.receiverLinked = false;
    ManagerRig rig(fixture);
    rig.Ready();
    DeviceEntry entry;
    ASSERT_TRUE(rig.manager.EntryAt(0, entry));
    ASSERT_EQ(entry.online, 0);
    uint8_t buffer[65];
    EXPECT_FALSE(rig.manager.ReadNotification(buffer));

    // A report without the signature arrives but changes nothing.
    CommandFrame::Payload garbled = CommandFrame::StatusReply(50, 1);
    garbled[0] = 0;
    rig.mouse->QueueInput(Link::Receiver, garbled);
    EXPECT_TRUE(rig.manager.ReadNotification(buffer));
    ASSERT_TRUE(rig.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.online, 0);

    // The mouse comes into range and says so: the entry goes online and is addressed.
    rig.mouse->SetReceiverLinked(true);
    EXPECT_TRUE(rig.manager.ReadNotification(buffer));
    EXPECT_EQ(Hex(buffer, 7), "AA55CC33005001");
    ASSERT_TRUE(rig.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.online, 1);
    EXPECT_EQ(rig.manager.ConnectedMode(), 2);
    EXPECT_NE(rig.manager.CurrentDevice(), nullptr);
}

TEST(HidDeviceManagerNotification, LinkStateZeroTakesAnEntryOffline) {
    ManagerRig rig(EmulatedMouse::Fixture::Default(false, true));
    rig.manager.Rescan(); // selected type 0: no current device, every entry is polled
    rig.mouse->SetReceiverLinked(false);
    uint8_t buffer[65];
    EXPECT_TRUE(rig.manager.ReadNotification(buffer));
    DeviceEntry entry;
    ASSERT_TRUE(rig.manager.EntryAt(0, entry));
    EXPECT_EQ(entry.online, 0);
    EXPECT_EQ(rig.clock.Pauses(), std::vector<int>{10}); // only the handshake paused
}

TEST(HidDeviceManagerFaults, DisconnectInTheMiddleOfAnExchange) {
    ManagerRig rig;
    rig.Ready();
    auto payload = WiredPayload(CommandFrame::kQueryStatus);
    auto before = payload;
    rig.mouse->InjectFault(Fault::DisconnectMidExchange);
    EXPECT_FALSE(rig.manager.QueryCommand(payload.data()));
    EXPECT_EQ(payload, before);
    // The stale handle keeps failing without crashing or hanging.
    auto report = CommandFrame::Mouse(0, CommandFrame::kSetReportRate, {1});
    EXPECT_FALSE(rig.manager.WriteReport(report.data(), true));
    EXPECT_FALSE(rig.manager.WriteCommand(payload.data()));
    uint8_t buffer[65];
    EXPECT_FALSE(rig.manager.ReadNotification(buffer));

    // A rescan finds the receiver that is still there and addresses it.
    rig.manager.Rescan();
    rig.manager.SetSelectedDeviceType(ManagerRig::kType);
    EXPECT_EQ(rig.manager.EntryCount(), 1);
    EXPECT_EQ(rig.manager.ConnectedMode(), 2);
    EXPECT_EQ(rig.mouse->OpenHandleCount(), 1);
}

TEST(HidDeviceManagerFaults, GarbledReplyIsHandedBackUnchanged) {
    ManagerRig rig;
    rig.Ready();
    auto payload = WiredPayload(CommandFrame::kQueryStatus);
    rig.mouse->InjectFault(Fault::ReplyWithoutSignature);
    ASSERT_TRUE(rig.manager.QueryCommand(payload.data()));
    auto status = CommandFrame::ParseStatus(payload.data(), payload.size());
    EXPECT_FALSE(status.signature);
    EXPECT_EQ(status.linkState, 3);
}

TEST(HidDeviceManagerFaults, ShortReplyNeverLeaksRequestBytes) {
    // A back end that answers with two bytes only.
    struct ShortBackend : HidBackend {
        std::vector<HidInterfaceInfo> Enumerate() override {
            HidInterfaceInfo info;
            info.path = "/dev/short0";
            info.vendorId = 1;
            info.productId = 2;
            info.usagePage = 0xFF02;
            info.usage = 2;
            info.interfaceName = ComposeInterfaceName(1, 2, 1, info.path);
            return {info};
        }
        Handle Open(const std::string&) override { return this; }
        void Close(Handle) override {}
        int Write(Handle, const uint8_t*, size_t length) override {
            return static_cast<int>(length);
        }
        int ReadTimeout(Handle, uint8_t* data, size_t, int) override {
            data[0] = 0xAB;
            data[1] = 0xCD;
            return 2;
        }
        int SendFeatureReport(Handle, const uint8_t*, size_t) override { return -1; }
        std::string ManufacturerString(Handle) override { return {}; }
        std::string ProductString(Handle) override { return {}; }
    };
    VirtualClock clock;
    HidDeviceManager manager(std::make_shared<ShortBackend>(), &clock);
    manager.AddSupportedDevice(1, 2, 0, "short", 601, 0, "");
    manager.Rescan();
    manager.SetSelectedDeviceType(601);
    // The handshake read two bytes: byte 6 is zero, so the entry is offline.
    EXPECT_EQ(manager.ConnectedMode(), -1);
    uint8_t buffer[65];
    std::memset(buffer, 0xEE, sizeof buffer);
    // Read from the entry directly (no current device): only the two bytes, the rest cleared.
    ASSERT_TRUE(manager.ReadNotification(buffer));
    EXPECT_EQ(Hex(buffer, 4), "ABCD0000");
}
