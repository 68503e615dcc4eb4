#include "app/device/HidFilterDevice.h"
#include "app/device/HidUsbFilter.h"
#include "app/device/KeyRemapCompanion.h"
#include "app/device/VirtualHidReports.h"
#include "app/store/SettingsDatabase.h"
#include "sim/SimVirtualHid.h"
#include "sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Packet = SimVirtualHid::Packet;

std::string Hex(const uint8_t* data, size_t n) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}
std::string Hex(const Packet& packet, size_t n = 64) {
    return Hex(packet.data(), n);
}
std::string Zeros(size_t bytes) {
    return std::string(2 * bytes, '0');
}

KeyAssignmentRow Row(int keyCode, int type, int value) {
    KeyAssignmentRow row;
    row.keyCode = keyCode;
    row.macroType = type;
    row.macroValue = value;
    return row;
}

HidUsbFilter::KeyEvent Key(int keyCode, bool pressed) {
    HidUsbFilter::KeyEvent event;
    event.keyCode = keyCode;
    event.pressed = pressed;
    return event;
}

TEST(VirtualHidReportsTest, KeyboardReportCarriesOneBitPerUsage) {
    SimVirtualHid device;
    VirtualHidReports reports(device);
    ASSERT_TRUE(reports.EnsureOpen());
    ASSERT_TRUE(reports.SetKey(0x04, true));
    ASSERT_TRUE(reports.SetKey(0xE0, true)); // left Ctrl: byte 1 + 28, bit 0
    ASSERT_TRUE(reports.SetKey(0xE7, true)); // right Windows: byte 1 + 28, bit 7
    ASSERT_TRUE(reports.SetKey(0x04, false));
    auto packets = device.Packets();
    ASSERT_EQ(packets.size(), 4u);
    // 05, report number 1, report byte 0 = 0, bit 4 of report byte 1.
    EXPECT_EQ(Hex(packets[0]), "050100"
                               "10" +
                                   Zeros(60));
    EXPECT_EQ(Hex(packets[2]), "050100"
                               "10" +
                                   Zeros(27) + "81" + Zeros(32));
    EXPECT_EQ(Hex(packets[3]), "050100"
                               "00" +
                                   Zeros(27) + "81" + Zeros(32));
}

TEST(VirtualHidReportsTest, LargerUsagesGoToTheSixteenBitReports) {
    SimVirtualHid device;
    VirtualHidReports reports(device);
    ASSERT_TRUE(reports.EnsureOpen());
    ASSERT_TRUE(reports.SetKey(0x00E9, true));
    ASSERT_TRUE(reports.SetKey(0x0192, true)); // report 3 is taken: report 4
    ASSERT_TRUE(reports.SetKey(0x00E9, false));
    ASSERT_TRUE(reports.SetKey(0x0192, false));
    EXPECT_FALSE(reports.SetKey(0x0192, false)) << "not pressed";
    EXPECT_FALSE(reports.SetKey(0, true));
    EXPECT_FALSE(reports.SetKey(0x10000, true));
    auto packets = device.Packets();
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(Hex(packets[0], 6), "0503E9000000");
    EXPECT_EQ(Hex(packets[1], 6), "050492010000");
    EXPECT_EQ(Hex(packets[2], 6), "050300000000");
    EXPECT_EQ(Hex(packets[3], 6), "050400000000");
}

TEST(VirtualHidReportsTest, MouseButtonValuesSelectTheirBits) {
    SimVirtualHid device;
    VirtualHidReports reports(device);
    ASSERT_TRUE(reports.EnsureOpen());
    const int values[] = {1, 2, 3, 7, 8};
    const uint8_t bits[] = {0x01, 0x04, 0x02, 0x10, 0x08};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(reports.SetMouseButton(values[i], true));
        EXPECT_EQ(device.MouseButtons(), bits[i]) << "value " << values[i];
        ASSERT_TRUE(reports.SetMouseButton(values[i], false));
        EXPECT_EQ(device.MouseButtons(), 0);
    }
    size_t written = device.Packets().size();
    EXPECT_FALSE(reports.SetMouseButton(4, true));
    EXPECT_EQ(device.Packets().size(), written);
    EXPECT_EQ(Hex(device.Packets()[0], 7), "05020100000000");
}

TEST(VirtualHidReportsTest, ResetWritesAllFourReportsEmpty) {
    SimVirtualHid device;
    VirtualHidReports reports(device);
    ASSERT_TRUE(reports.EnsureOpen());
    reports.SetKey(0x04, true);
    reports.SetMouseButton(1, true);
    device.ClearPackets();
    ASSERT_TRUE(reports.Reset());
    auto packets = device.Packets();
    ASSERT_EQ(packets.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Hex(packets[i]), "050" + std::to_string(i + 1) + Zeros(62));
}

TEST(VirtualHidReportsTest, NothingIsWrittenToAnAbsentDevice) {
    SimVirtualHid device(false);
    VirtualHidReports reports(device);
    EXPECT_FALSE(reports.EnsureOpen());
    EXPECT_FALSE(reports.SetKey(0x04, true));
    EXPECT_FALSE(reports.Reset());
    EXPECT_TRUE(device.Packets().empty());
}

TEST(HidUsbFilterTest, RemapTableHoldsAtMost256Entries) {
    auto table = HidUsbFilter::BuildRemapTable({0x04, 0x1E5});
    ASSERT_EQ(table.size(), 1024u);
    EXPECT_EQ(Hex(table.data(), 12), "040007"
                                     "02"
                                     "E5010702"
                                     "00000000");
    EXPECT_EQ(std::count(table.begin() + 8, table.end(), 0), 1016);

    std::vector<int> many(300, 0x29);
    many[255] = 0x2A;
    many[256] = 0x2B;
    table = HidUsbFilter::BuildRemapTable(many);
    ASSERT_EQ(table.size(), 1024u);
    EXPECT_EQ(Hex(table.data() + 1020, 4), "2A000702") << "the 256th key is the last one";
}

TEST(HidUsbFilterTest, EventsDecodeKeyCodeSourceAndPress) {
    auto event = HidUsbFilter::DecodeEvent({0x2C, 0x01, 0x09, 0x03});
    EXPECT_EQ(event.keyCode, 0x012C);
    EXPECT_EQ(event.source, 9);
    EXPECT_TRUE(event.pressed);
    event = HidUsbFilter::DecodeEvent({0x04, 0x00, 0x00, 0xFE});
    EXPECT_EQ(event.keyCode, 4);
    EXPECT_FALSE(event.pressed) << "only bit 0 says pressed";
}

TEST(HidUsbFilterTest, SameOwnerAndHandlerRegisterOnce) {
    HidFilterDevice device;
    HidUsbFilter filter(device);
    auto handler = [](void*, const HidUsbFilter::KeyEvent&, void*) { return true; };
    auto other = [](void*, const HidUsbFilter::KeyEvent&, void*) { return false; };
    int owner = 0, second = 0;
    using Proxy = HidUsbFilter::MonitorProxy;
    EXPECT_TRUE(filter.Register(std::make_unique<Proxy>(&owner, +handler, nullptr)));
    EXPECT_FALSE(filter.Register(std::make_unique<Proxy>(&owner, +handler, &second)));
    EXPECT_TRUE(filter.Register(std::make_unique<Proxy>(&owner, +other, nullptr)));
    EXPECT_TRUE(filter.Register(std::make_unique<Proxy>(&second, +handler, nullptr)));
    EXPECT_FALSE(filter.Register(nullptr));
    EXPECT_EQ(filter.ListenerCount(), 3u);
    EXPECT_EQ(filter.Unregister(&owner), 2u);
    EXPECT_EQ(filter.ListenerCount(), 1u);
}

TEST(HidUsbFilterTest, WithoutTheDriverNothingIsRemapped) {
    HidFilterDevice device; // the Linux stand-in: not present
    HidUsbFilter filter(device);
    EXPECT_FALSE(filter.Open());
    EXPECT_FALSE(filter.LoadRemapTable({0x04}));
    EXPECT_FALSE(filter.ReaderRunning());
    filter.Shutdown();
}

// A clock that cancels the companion's playback after a number of pauses.
class CancellingClock final : public Clock {
public:
    void SleepMs(int ms) override {
        pauses.push_back(ms);
        if (companion && static_cast<int>(pauses.size()) == cancelAfter)
            companion->CancelPlayback();
    }
    int64_t NowMs() const override { return 0; }
    std::vector<int> pauses;
    KeyRemapCompanion* companion = nullptr;
    int cancelAfter = 0;
};

// The companion with the Linux filter stand-in (so no reader thread runs) and the emulated
// virtual device.
class CompanionTest : public ::testing::Test {
protected:
    void Load(const std::vector<KeyAssignmentRow>& rows) { companion_.LoadRemapTable(rows); }
    // Report-1 packets written since the last clear, as the set bits of the keyboard bitmap.
    std::vector<std::vector<int>> KeyboardStates() const {
        std::vector<std::vector<int>> states;
        for (const Packet& p : device_.Packets()) {
            if (p[1] != 1) continue;
            std::vector<int> down;
            for (int usage = 1; usage < 232; ++usage)
                if ((p[3 + usage / 8] >> (usage % 8)) & 1) down.push_back(usage);
            states.push_back(down);
        }
        return states;
    }

    HidFilterDevice filterDevice_;
    HidUsbFilter filter_{filterDevice_};
    SimVirtualHid device_;
    VirtualHidReports reports_{device_};
    VirtualClock clock_;
    KeyRemapCompanion companion_{filter_, reports_, clock_};
};

TEST_F(CompanionTest, RemappedKeyPressAndReleaseSetAndClearItsUsage) {
    Load({Row(0x39, 2, 0x04)});
    device_.ClearPackets();
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x39, true)));
    EXPECT_TRUE(device_.KeyDown(0x04));
    EXPECT_EQ(Hex(device_.Packets().back(), 4), "05010010");
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x39, false)));
    EXPECT_FALSE(device_.KeyDown(0x04));
    EXPECT_EQ(Hex(device_.Packets().back()), "050100" + Zeros(61));
}

TEST_F(CompanionTest, UnmappedKeysAreLeftToOtherListeners) {
    Load({Row(0x39, 2, 0x04)});
    device_.ClearPackets();
    EXPECT_FALSE(companion_.HandleKeyEvent(Key(0x3A, true)));
    EXPECT_TRUE(device_.Packets().empty());
    // A new table replaces the old map.
    Load({Row(0x3A, 2, 0x05)});
    EXPECT_EQ(companion_.MappedKeyCount(), 1u);
    EXPECT_FALSE(companion_.HandleKeyEvent(Key(0x39, true)));
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x3A, true)));
    EXPECT_TRUE(device_.KeyDown(0x05));
}

TEST_F(CompanionTest, KeyWithModifiersHoldsThemAroundTheKey) {
    KeyAssignmentRow row = Row(0x39, 2, 0x0E); // K
    row.macroValue2 = 1 + 2 + 8;               // Ctrl, Shift, Win
    Load({row});
    device_.ClearPackets();
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x39, true)));
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x39, false)));
    std::vector<std::vector<int>> expected = {{0xE0},
                                              {0xE0, 0xE1},
                                              {0xE0, 0xE1, 0xE3},
                                              {0x0E, 0xE0, 0xE1, 0xE3},
                                              {0xE0, 0xE1, 0xE3},
                                              {0xE0, 0xE1},
                                              {0xE0},
                                              {}};
    EXPECT_EQ(KeyboardStates(), expected);
    // Alt alone.
    row.macroValue2 = 4;
    Load({row});
    device_.ClearPackets();
    companion_.HandleKeyEvent(Key(0x39, true));
    EXPECT_TRUE(device_.KeyDown(0xE2));
    EXPECT_TRUE(device_.KeyDown(0x0E));
    EXPECT_FALSE(device_.KeyDown(0xE0));
}

TEST_F(CompanionTest, MediaAndSoftwareFunctionsReachTheirPlaces) {
    std::vector<int> software, macros;
    companion_.Start([&](int id) { macros.push_back(id); },
                     [&](int id) { software.push_back(id); });
    // Volume up (5), a web page (9, key extra data 12), a profile switch (11, row 13), a
    // program (8, row 14), a text (10, row 15).
    Load({Row(0x3A, 6, 5), Row(0x3B, 9, 12), Row(0x3C, 11, 13), Row(0x3D, 8, 14),
          Row(0x3E, 10, 15)});
    device_.ClearPackets();
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x3A, true)));
    EXPECT_EQ(device_.Usage(3), 234) << "the program's volume-up code";
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x3A, false)));
    EXPECT_EQ(device_.Usage(3), 0);
    for (int key : {0x3B, 0x3C, 0x3D, 0x3E}) {
        EXPECT_TRUE(companion_.HandleKeyEvent(Key(key, true)));
        EXPECT_TRUE(companion_.HandleKeyEvent(Key(key, false)));
    }
    EXPECT_EQ(software, (std::vector<int>{12, 13, 14, 15})) << "once each, on the press";
    EXPECT_TRUE(macros.empty());
    EXPECT_EQ(device_.Packets().size(), 2u) << "the software functions play nothing";
    EXPECT_EQ(KeyRemapCompanion::MediaCode(1), 238);
    EXPECT_EQ(KeyRemapCompanion::MediaCode(7), 235);
    EXPECT_EQ(KeyRemapCompanion::MediaCode(8), 0);
    // A media value outside the list plays nothing.
    Load({Row(0x3A, 6, 9)});
    device_.ClearPackets();
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x3A, true)));
    EXPECT_TRUE(device_.Packets().empty());
    companion_.Stop();
}

TEST_F(CompanionTest, MouseButtonFunctionFollowsPressAndRelease) {
    Load({Row(0x1E, 5, 3)});
    companion_.HandleKeyEvent(Key(0x1E, true));
    EXPECT_EQ(device_.MouseButtons(), 0x02);
    companion_.HandleKeyEvent(Key(0x1E, false));
    EXPECT_EQ(device_.MouseButtons(), 0x00);
}

TEST_F(CompanionTest, ShortcutPlaysItsKeysInOrderAndResets) {
    Load({Row(0x1F, 7, 13)}); // Alt+Space, X
    int opened = device_.OpenCount();
    device_.ClearPackets();
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x1F, true)));
    EXPECT_EQ(device_.OpenCount(), opened + 1) << "reopened before playing";
    std::vector<std::vector<int>> expected = {
        {0xE2}, {0x2C, 0xE2}, {0x1B, 0x2C, 0xE2}, {0x2C, 0xE2}, {0xE2}, {}, {}};
    for (auto& state : expected)
        std::sort(state.begin(), state.end());
    EXPECT_EQ(KeyboardStates(), expected);
    auto packets = device_.Packets();
    ASSERT_EQ(packets.size(), 10u) << "six key events, then the four reports reset";
    EXPECT_EQ(packets[9][1], 4);
    // The release plays nothing.
    device_.ClearPackets();
    companion_.HandleKeyEvent(Key(0x1F, false));
    EXPECT_TRUE(device_.Packets().empty());
    EXPECT_FALSE(companion_.PlayShortcut(16));
    EXPECT_FALSE(companion_.PlayShortcut(0));
}

TEST_F(CompanionTest, MacroKeyHandsTheMacroToTheWorkerOnPressOnly) {
    std::vector<int> requested;
    companion_.Start([&](int id) { requested.push_back(id); });
    Load({Row(0x20, 3, 42)});
    device_.ClearPackets();
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x20, true)));
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x20, false)));
    EXPECT_EQ(requested, std::vector<int>{42});
    EXPECT_EQ(companion_.PendingMacro(), 42);
    EXPECT_TRUE(device_.Packets().empty()) << "playing is the worker's job";
}

TEST_F(CompanionTest, AbsentVirtualDeviceAnswersNothing) {
    device_.SetPresent(false);
    Load({Row(0x39, 2, 0x04), Row(0x1F, 7, 1)});
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x39, true)));
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x1F, true)));
    EXPECT_TRUE(device_.Packets().empty());
}

MacroItemRow Item(int index, int type, int virtualKey, int delay) {
    MacroItemRow item;
    item.recordIndex = index;
    item.type = type;
    item.value = virtualKey;
    item.delayTime = delay;
    return item;
}

TEST_F(CompanionTest, MacroPlaysInRecordOrderWithItsDelays) {
    MacroRow macro;
    macro.playTimes = 2;
    // Stored out of order; a mouse-button record (virtual key 1) cannot be played.
    std::vector<MacroItemRow> items = {Item(2, 3, 'A', 300), Item(1, 2, 'A', 0), Item(3, 4, 1, 20),
                                       Item(4, 2, 'B', 7), Item(5, 3, 'B', 5000)};
    clock_.ClearPauses();
    ASSERT_TRUE(companion_.PlayMacro(macro, items));
    EXPECT_EQ(clock_.Pauses(), (std::vector<int>{5, 300, 20, 7, 5000, 5, 300, 20, 7, 5000}));
    auto states = KeyboardStates();
    // Reset (1 packet of report 1), then per round: A down, A up, B down, B up, reset.
    std::vector<std::vector<int>> round = {{0x04}, {}, {0x05}, {}, {}};
    std::vector<std::vector<int>> expected = {{}};
    expected.insert(expected.end(), round.begin(), round.end());
    expected.insert(expected.end(), round.begin(), round.end());
    EXPECT_EQ(states, expected);
}

TEST_F(CompanionTest, MacroStopsWhenTheDeviceGoesAway) {
    MacroRow macro;
    macro.playTimes = 100;
    std::vector<MacroItemRow> items = {Item(1, 2, 'A', 10), Item(2, 3, 'A', 10)};
    device_.FailWriteAt(4 + 7); // the reset, then a few events
    clock_.ClearPauses();
    EXPECT_FALSE(companion_.PlayMacro(macro, items));
    EXPECT_LT(clock_.Pauses().size(), 10u);

    device_.SetPresent(false);
    clock_.ClearPauses();
    EXPECT_FALSE(companion_.PlayMacro(macro, items));
    EXPECT_TRUE(clock_.Pauses().empty());
}

TEST(CompanionCancelTest, CancelEndsAPlayingMacroAndReleasesItsKeys) {
    HidFilterDevice filterDevice;
    HidUsbFilter filter(filterDevice);
    SimVirtualHid device;
    VirtualHidReports reports(device);
    CancellingClock clock;
    KeyRemapCompanion companion(filter, reports, clock);
    clock.companion = &companion;
    clock.cancelAfter = 3;
    MacroRow macro;
    macro.playTimes = 1000;
    std::vector<MacroItemRow> items = {Item(1, 2, 'A', 10), Item(2, 3, 'A', 10)};
    EXPECT_FALSE(companion.PlayMacro(macro, items));
    EXPECT_EQ(clock.pauses.size(), 3u);
    EXPECT_FALSE(device.KeyDown(0x04)) << "keys are not left pressed";
    // The next macro plays again.
    macro.playTimes = 1;
    clock.companion = nullptr;
    EXPECT_TRUE(companion.PlayMacro(macro, items));
}

class CompanionStoreTest : public CompanionTest {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-companion-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = std::string(pattern) + "/";
        std::filesystem::create_directories(folder_ + "db");
        ASSERT_TRUE(store_.OpenSettingsDatabase(folder_, "keyboard"));
    }
    void TearDown() override {
        store_.CloseSettingsDatabase();
        store_.SetOpenFlag(false);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::string folder_;
    SettingsDatabase store_;
};

TEST_F(CompanionStoreTest, StoredRowsOfTheProfileAndLayerAreMapped) {
    KeyAssignmentRow row = Row(0x39, 2, 0x04);
    row.profile = 1;
    store_.SaveKeyAssignment(row);
    row = Row(0x3A, 9, 0x05); // any type is intercepted
    row.profile = 1;
    store_.SaveKeyAssignment(row);
    row = Row(0x3B, 2, 0x06);
    row.profile = 2;
    store_.SaveKeyAssignment(row);
    row.profile = 1;
    row.fnLayer = 1;
    store_.SaveKeyAssignment(row);
    companion_.LoadRemapTable(store_, 1, 0);
    EXPECT_EQ(companion_.MappedKeyCount(), 2u);
    EXPECT_TRUE(companion_.HandleKeyEvent(Key(0x3A, true)));
    EXPECT_FALSE(companion_.HandleKeyEvent(Key(0x3B, true)));
}

TEST_F(CompanionStoreTest, StoredMacroPlaysItsRecords) {
    MacroRow macro;
    macro.name = "m";
    macro.playTimes = 1;
    int id = store_.AddMacro(macro);
    ASSERT_GT(id, 0);
    MacroItemRow press = Item(0, 2, 'C', 40);
    press.macroId = id;
    store_.AddMacroItem(press);
    MacroItemRow release = Item(1, 3, 'C', 3);
    release.macroId = id;
    store_.AddMacroItem(release);
    clock_.ClearPauses();
    ASSERT_TRUE(companion_.PlayMacro(store_, id));
    EXPECT_EQ(clock_.Pauses(), (std::vector<int>{40, 5}));
    EXPECT_FALSE(companion_.PlayMacro(store_, id + 1)) << "no such macro";
}

} // namespace
