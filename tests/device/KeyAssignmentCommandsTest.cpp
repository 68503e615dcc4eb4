#include "app/device/KeyAssignmentCommands.h"
#include "app/device/DeviceStatusMonitor.h"
#include "app/device/HidUsageTable.h"
#include "sim/MacroImageDecoder.h"

#include "tests/device/CommandSetFixture.h"

#include <algorithm>

namespace {

constexpr int kPress = 2;
constexpr int kRelease = 3;

class KeyAssignmentCommandsTest : public CommandSetFixture {
protected:
    KeyAssignmentCommands Commands() { return KeyAssignmentCommands(*manager_, store_); }

    // The image the mouse holds for (profile, key code), decoded.
    MacroImageDecoder::Sequence Played(int profile, int keyCode) {
        auto state = mouse_->GetState();
        return MacroImageDecoder::Decode(state.profiles[profile].macroImages[keyCode]);
    }
};

TEST(MacroSequenceImageTest, EventByteFollowsTheDelayRanges) {
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(false, 500), 0x2A); // 10 x 50 ms
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(true, 10), 0x81);
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(false, 0), 0x01);
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(false, -5), 0x01); // 0 is sent as 1
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(true, -5), 0x80);
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(false, 310), 31);
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(false, 311), 0x20 | 6);
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(false, 1551), 0x40 | 15);
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(false, 3100), 0x40 | 31);
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(false, 3101), 0x60 | 3);
    EXPECT_EQ(MacroSequenceImage::EncodeEvent(true, 40000), 0x80 | 0x60 | 31);
}

TEST(HidUsageTableTest, VirtualKeysBecomeKeyboardUsages) {
    EXPECT_EQ(HidUsageTable::FromVirtualKey('A'), 0x04);
    EXPECT_EQ(HidUsageTable::FromVirtualKey('Z'), 0x1D);
    EXPECT_EQ(HidUsageTable::FromVirtualKey('1'), 0x1E);
    EXPECT_EQ(HidUsageTable::FromVirtualKey('9'), 0x26);
    EXPECT_EQ(HidUsageTable::FromVirtualKey('0'), 0x27);
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x70), 0x3A); // F1
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x7B), 0x45); // F12
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x7C), 0x68); // F13
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x87), 0x73); // F24
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x60), 0x62); // keypad 0
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x61), 0x59); // keypad 1
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x69), 0x61); // keypad 9
    EXPECT_EQ(HidUsageTable::FromVirtualKey(108), 0x58);  // keypad separator
    EXPECT_EQ(HidUsageTable::FromVirtualKey(226), 0x64);  // OEM 102
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0xBA), 0x33); // semicolon
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0xA0), 0xE1); // left Shift
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x5C), 0xE7); // right Windows
    EXPECT_EQ(HidUsageTable::FromVirtualKey(666), 0x32);
    EXPECT_EQ(HidUsageTable::FromVirtualKey(254), 0xAF);
    EXPECT_EQ(HidUsageTable::FromVirtualKey(301), 0xEC);
    EXPECT_EQ(HidUsageTable::FromVirtualKey(302), 0xEB);
    EXPECT_EQ(HidUsageTable::FromVirtualKey(16), 0);   // generic Shift is not recorded
    EXPECT_EQ(HidUsageTable::FromVirtualKey(0x5F), 0); // Sleep
    EXPECT_EQ(HidUsageTable::FromVirtualKey(-1), 0);
}

TEST_F(KeyAssignmentCommandsTest, ShortcutDownloadsAsSixChunksWithPauses) {
    ConnectCable();
    SaveButton(1, 209, 7, 2); // Ctrl+C
    EXPECT_TRUE(Commands().AssignButton(mode_, 1, 209));
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(Hex(sent[0], 26), "08F001D10104E00106010681E081" + std::string(24, '0'));
    for (size_t k = 1; k < 6; ++k) {
        EXPECT_EQ(sent[k][1], 0xF0 + k);
        EXPECT_TRUE(std::all_of(sent[k].begin() + 2, sent[k].end(), [](uint8_t b) { return !b; }))
            << Hex(sent[k], 64);
    }
    // Each chunk: 8 ms before its reply is read, 20 ms after it.
    std::vector<int> expected;
    for (int k = 0; k < 6; ++k)
        expected.insert(expected.end(), {8, 20});
    EXPECT_EQ(clock_.Pauses(), expected);

    auto played = Played(1, 209);
    ASSERT_EQ(played.events.size(), 4u);
    EXPECT_EQ(played.events[1].usage, 0x06);
    EXPECT_TRUE(played.events[3].release);
}

TEST_F(KeyAssignmentCommandsTest, ShortcutsThirteenAndFourteenHoldThreeKeys) {
    auto image = Commands().BuildImage(2, 210, 7, 14);
    EXPECT_EQ(image.EventCount(), 6);
    const uint8_t expected[] = {2,    210, 1,    6,    0xE2, 1,    0x2C, 1,
                                0x11, 1,   0x11, 0x81, 0x2C, 0x81, 0xE2, 0x81};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), image.Bytes()));
    EXPECT_EQ(Commands().BuildImage(2, 210, 7, 16).EventCount(), 0);
}

TEST_F(KeyAssignmentCommandsTest, MixedDelayMacroPlaysBackWithTheDelaysTheMouseWillWait) {
    const int delays[] = {5, 10, 11, 310, 311, 1550, 1551, 2000, 3100, 3101, 40000};
    const int played[] = {10, 10, 10, 310, 300, 1550, 1500, 2000, 3100, 3000, 31000};
    std::vector<std::array<int, 3>> events;
    for (int i = 0; i < 11; ++i)
        events.push_back({'A' + i, i % 2 ? kRelease : kPress, delays[i]});
    int id = AddMacro(events, 16, 5);
    ConnectReceiver();
    SaveButton(2, 212, 3, id);
    EXPECT_TRUE(Commands().AssignButton(mode_, 2, 212));

    auto seq = Played(2, 212);
    EXPECT_EQ(seq.profile, 2);
    EXPECT_EQ(seq.loopType, 16);
    EXPECT_EQ(seq.playTimes, 5);
    ASSERT_EQ(seq.events.size(), 11u);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(seq.events[i].delayMs, played[i]) << "recorded " << delays[i] << " ms";
        EXPECT_EQ(seq.events[i].usage, 0x04 + i);
        EXPECT_EQ(seq.events[i].release, i % 2 == 1);
    }
    // The receiver frame carries the chunk four bytes later.
    EXPECT_EQ(Hex(Sent()[0], 10), "BBAA998809F012D4050B");
}

TEST_F(KeyAssignmentCommandsTest, OnlyKeyEventsReachTheMouseAndTheImageHoldsSixtySeven) {
    std::vector<std::array<int, 3>> events;
    events.push_back({1, 4, 10}); // a mouse-button record: dropped
    for (int i = 0; i < 68; ++i)
        events.push_back({'B', i % 2 ? kRelease : kPress, 20});
    int id = AddMacro(events);
    auto image = Commands().BuildImage(1, 208, 3, id);
    EXPECT_EQ(image.EventCount(), 67);
    EXPECT_EQ(image.Bytes()[4], 0x05);
    EXPECT_EQ(image.Bytes()[136], 0x05); // the 67th event ends the sent bytes
    EXPECT_EQ(image.Bytes()[137], 0x02); // a press with 20 ms
    EXPECT_EQ(image.Bytes()[138], 0);    // no 68th event

    ConnectCable();
    SaveButton(1, 208, 3, id);
    Commands().AssignButton(mode_, 1, 208);
    auto seq = Played(1, 208);
    EXPECT_EQ(seq.eventCount, 67);
    EXPECT_EQ(seq.events.size(), 67u);
}

TEST_F(KeyAssignmentCommandsTest, RecordedPressAndReleaseBecomeUsageAndEventBytes) {
    int id = AddMacro({{'A', kPress, 500}, {'A', kRelease, 10}});
    auto image = Commands().BuildImage(1, 208, 3, id);
    EXPECT_EQ(CommandFrame::ToHex(image.Bytes(), 8), "01D00102042A0481");
}

TEST_F(KeyAssignmentCommandsTest, MacroWithoutRowSendsItsRecordsWithProfileOnly) {
    int id = AddMacro({{'C', kPress, 10}, {'C', kRelease, 10}}, 32, 9);
    ASSERT_TRUE(store_.DeleteMacro(id));
    // Deleting removed the items too; put records back under the orphaned id.
    auto item = std::make_unique<MacroItemRow>();
    item->macroId = id;
    item->type = kPress;
    item->value = 'D';
    item->delayTime = 30;
    std::vector<std::unique_ptr<MacroItemRow>> items;
    items.push_back(std::move(item));
    store_.SaveMacroItems(std::move(items));

    auto image = Commands().BuildImage(3, 211, 3, id);
    EXPECT_EQ(image.Bytes()[0], 3);
    EXPECT_EQ(image.Bytes()[2], 0);
    EXPECT_EQ(image.EventCount(), 1);
    EXPECT_EQ(image.Bytes()[4], 0x07);
    EXPECT_EQ(image.Bytes()[5], 3);
}

TEST_F(KeyAssignmentCommandsTest, PlainFunctionsUseSetKeyFunctionAndMissingRowsSendNothing) {
    ConnectReceiver();
    SaveButton(1, 210, 6, 236);
    EXPECT_TRUE(Commands().AssignButton(mode_, 1, 210));
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Hex(Sent()[0], 9), "BBAA998809F601D2EC");
    EXPECT_EQ(mouse_->GetState().profiles[1].keyFunctions[210], 236);

    ClearTraffic();
    EXPECT_FALSE(Commands().AssignButton(mode_, 1, 211));
    EXPECT_FALSE(Commands().AssignButton(-1, 1, 210));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(KeyAssignmentCommandsTest, AssignAllSendsEveryRowOfTheProfile) {
    int id = AddMacro({{'E', kPress, 100}, {'E', kRelease, 10}});
    SaveButton(2, 208, 5, 209);
    SaveButton(2, 209, 3, id);
    SaveButton(2, 210, 7, 15);
    SaveButton(1, 211, 5, 208); // another profile: not sent
    ConnectCable();
    EXPECT_EQ(Commands().AssignAllButtons(mode_, 2), 3);
    EXPECT_EQ(Sent().size(), 1u + 6u + 6u);
    auto state = mouse_->GetState();
    EXPECT_EQ(state.profiles[2].keyFunctions[208], 209);
    EXPECT_EQ(Played(2, 209).events.size(), 2u);
    EXPECT_EQ(Played(2, 210).events[1].usage, 0x3D); // Alt+F4
    EXPECT_EQ(state.profiles[1].keyFunctions.count(211), 0u);
}

TEST_F(KeyAssignmentCommandsTest, FailedChunkIsNotRepeatedAndTheRestStillGoOut) {
    int id = AddMacro({{'F', kPress, 10}, {'F', kRelease, 10}});
    SaveButton(1, 213, 3, id);
    ConnectCable();
    mouse_->InjectFault(EmulatedMouse::Fault::WriteTransfersNothing, 3);
    EXPECT_FALSE(Commands().AssignButton(mode_, 1, 213));
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[1][1], 0xF1);
    EXPECT_EQ(sent[2][1], 0xF3); // 0xF2 was lost and not repeated
    // The 20 ms pause follows every chunk, the lost one included.
    auto pauses = clock_.Pauses();
    EXPECT_EQ(std::count(pauses.begin(), pauses.end(), 20), 6);
}

TEST_F(KeyAssignmentCommandsTest, RemovalDuringADownloadEndsWithoutHanging) {
    int id = AddMacro({{'G', kPress, 10}, {'G', kRelease, 10}});
    SaveButton(1, 208, 3, id);
    ConnectCable();
    mouse_->InjectFault(EmulatedMouse::Fault::DisconnectMidExchange, 2);
    EXPECT_FALSE(Commands().AssignButton(mode_, 1, 208));
    EXPECT_EQ(Sent().size(), 2u);
    EXPECT_EQ(mouse_->GetState().profiles[1].macroImages.count(208), 0u);

    // The next status query misses its reply: the rescan finds nothing and shows it offline,
    // while the stored assignment stays as the page saved it.
    DeviceStatusMonitor monitor(*manager_);
    monitor.SetConnection(true, mode_);
    monitor.Poll(601);
    clock_.Advance(DeviceStatusMonitor::kPollIntervalMs);
    ASSERT_TRUE(monitor.Poll(601).rescan);
    monitor.RescanDevices(601);
    EXPECT_FALSE(monitor.Current().connected);
    EXPECT_EQ(monitor.Current().mode, -1);
    KeyAssignmentRow row;
    ASSERT_TRUE(store_.GetButtonAssignment(1, 208, row));
    EXPECT_EQ(row.macroValue, id);
}

TEST_F(KeyAssignmentCommandsTest, DeletedMacroSendsItsButtonsBackToTheirOwnCodes) {
    int id = AddMacro({{'H', kPress, 10}});
    int other = AddMacro({{'J', kPress, 10}});
    SaveButton(1, 209, 3, id);
    SaveButton(3, 212, 3, id);
    SaveButton(2, 210, 3, other);
    ConnectCable();
    ASSERT_TRUE(store_.DeleteMacro(id));
    EXPECT_EQ(Commands().ResetButtonsPlayingMacro(mode_, id), 2);
    KeyAssignmentRow row;
    EXPECT_FALSE(store_.GetButtonAssignment(1, 209, row));
    EXPECT_FALSE(store_.GetButtonAssignment(3, 212, row));
    EXPECT_TRUE(store_.GetButtonAssignment(2, 210, row));
    auto state = mouse_->GetState();
    EXPECT_EQ(state.profiles[1].keyFunctions[209], 209);
    EXPECT_EQ(state.profiles[3].keyFunctions[212], 212);
    EXPECT_EQ(state.profiles[2].keyFunctions.count(210), 0u);
}

} // namespace
