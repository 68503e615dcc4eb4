#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/KeyboardCommands.h"
#include "app/device/MaintenanceCommands.h"
#include "app/store/SettingsDatabase.h"
#include "sim/EmulatedKeyboard.h"
#include "sim/EmulatedKeyboardDecoder.h"
#include "sim/EmulatedKeyboardStateFile.h"
#include "sim/EmulatedMouse.h"
#include "sim/SimHidBus.h"
#include "sim/SimHidFilter.h"
#include "sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

using Family = EmulatedKeyboard::Family;
using Decoder = EmulatedKeyboardDecoder;

namespace {

std::string Zeros(size_t bytes) {
    return std::string(2 * bytes, '0');
}

// A report from hex text, zero-padded to 65 bytes.
CommandFrame::Report FromHex(const std::string& hex) {
    CommandFrame::Report report{};
    for (size_t i = 0; i + 1 < hex.size() && i / 2 < report.size(); i += 2)
        report[i / 2] = static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return report;
}

std::vector<std::string> Hexes(const EmulatedKeyboard& keyboard) {
    std::vector<std::string> out;
    for (const auto& entry : keyboard.Log())
        out.push_back(CommandFrame::ToHex(entry.bytes.data(), entry.bytes.size()));
    return out;
}

// The key table of two keys as it travels: 04 -> 05 and 08 -> E5.
const std::string kTable = "07"
                           "07990408" +
                           Zeros(4) + "0799" + Zeros(6) + "0799" + "05E5" + Zeros(4) + "0799" +
                           Zeros(6) + "0799" + Zeros(6) + "0799" + Zeros(6) + "0799" + Zeros(6) +
                           "0799" + Zeros(6);

// A real store in a temporary folder and the device manager over one emulated keyboard, with the
// keyboard rows of the shipped configuration, on virtual time.
class KeyboardSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-kbsim-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = std::string(pattern) + "/";
        std::filesystem::create_directories(folder_ + "db");
        ASSERT_TRUE(store_.OpenSettingsDatabase(folder_, "keyboard"));
    }
    void TearDown() override {
        commands_.reset();
        manager_.reset();
        store_.CloseSettingsDatabase();
        store_.SetOpenFlag(false);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    static void Register(HidDeviceManager& manager, uint16_t product, int deviceType) {
        char pattern[64];
        std::snprintf(pattern, sizeof pattern, "VID_25A7&PID_%04X&MI_01", product);
        manager.AddSupportedDevice(EmulatedKeyboard::kVendorId, product, EmulatedKeyboard::kRelease,
                                   "keyboard", deviceType, 0, pattern);
    }
    void Connect(Family family) {
        keyboard_ = std::make_shared<EmulatedKeyboard>(family, &clock_);
        manager_ = std::make_unique<HidDeviceManager>(keyboard_, &clock_);
        Register(*manager_, EmulatedKeyboard::kFeatureProductId,
                 EmulatedKeyboard::kFeatureDeviceType);
        Register(*manager_, EmulatedKeyboard::kPrefixedProductId,
                 EmulatedKeyboard::kPrefixedDeviceType);
        manager_->Rescan();
        manager_->SetSelectedDeviceType(keyboard_->DeviceType());
        commands_ = std::make_unique<KeyboardCommands>(*manager_, store_);
        keyboard_->ClearLog();
        clock_.ClearPauses();
    }
    void SaveKey(int keyCode, int type, int value) {
        KeyAssignmentRow row;
        row.profile = 1;
        row.keyCode = keyCode;
        row.macroType = type;
        row.macroValue = value;
        ASSERT_GT(store_.SaveKeyAssignment(row), 0);
    }
    void SaveLight(int mode, int configFunc) {
        LightRow row;
        row.profile = 1;
        row.mode = mode;
        row.brightness = 100;
        row.speed = 2;
        row.direction = 1;
        row.configFunc = configFunc;
        ASSERT_GT(store_.AddLightRow(row), 0);
        ASSERT_TRUE(store_.SetActiveLightMode(1, mode));
    }
    void SaveKeyLights(const std::vector<std::array<int, 2>>& keys) {
        std::vector<std::unique_ptr<KeyLightRow>> rows;
        for (const auto& [key, rgb] : keys) {
            auto row = std::make_unique<KeyLightRow>();
            row->profile = 1;
            row->lightId = KeyboardCommands::kPerKeyLightId;
            row->keyCode = key;
            row->keyRgb = rgb;
            rows.push_back(std::move(row));
        }
        store_.SaveKeyColours(std::move(rows));
    }

    std::string folder_;
    SettingsDatabase store_;
    VirtualClock clock_;
    std::shared_ptr<EmulatedKeyboard> keyboard_;
    std::unique_ptr<HidDeviceManager> manager_;
    std::unique_ptr<KeyboardCommands> commands_;
};

} // namespace

TEST_F(KeyboardSimTest, OnlyTheCommandInterfaceOfTheRightKeyboardIsOpenedAndGreeted) {
    for (Family family : {Family::Feature, Family::Prefixed}) {
        Connect(family);
        auto list = keyboard_->Enumerate();
        ASSERT_EQ(list.size(), 3u);
        EXPECT_EQ(list[2].interfaceName, family == Family::Feature
                                             ? "HID#VID_25A7&PID_FA10&MI_01#SIMHID31"
                                             : "HID#VID_25A7&PID_FA20&MI_01#SIMHID41");
        ASSERT_EQ(manager_->EntryCount(), 1);
        DeviceEntry entry;
        ASSERT_TRUE(manager_->EntryAt(0, entry));
        EXPECT_EQ(entry.deviceType, keyboard_->DeviceType());
        EXPECT_EQ(entry.online, 1) << "the handshake 08 FD is answered from the cable";
        EXPECT_EQ(entry.releaseNumber, EmulatedKeyboard::kRelease);
        EXPECT_EQ(keyboard_->OpenHandleCount(), 1);
        // The status query the worker polls with gets the same answer.
        MaintenanceCommands maintenance(*manager_);
        CommandFrame::Payload reply{};
        ASSERT_TRUE(maintenance.QueryStatus(0, reply));
        EXPECT_EQ(CommandFrame::ToHex(reply.data(), 7), "AA55CC33006403");
        manager_->CloseAll();
        EXPECT_EQ(keyboard_->OpenHandleCount(), 0);
    }
}

TEST_F(KeyboardSimTest, FeatureKeyboardTakesTheKeyTableLightingAndPerKeyLights) {
    Connect(Family::Feature);
    SaveKey(0x04, 2, 0x05);
    SaveKey(0x05, 3, 9); // macro and shortcut keys travel in the download, not the table
    SaveKey(0x06, 7, 2);
    SaveKey(0x08, 5, 0x1E5);
    ASSERT_TRUE(commands_->SendKeyTable(1, 0));
    SaveLight(4, KeyboardCommands::kColourListFlag);
    ASSERT_TRUE(commands_->SendLighting(EmulatedKeyboard::kFeatureDeviceType, 1, 3));
    SaveKeyLights({{0x04, 0x0000FF}, {0x05, 0}, {0x29, 0x010000}});
    ASSERT_TRUE(commands_->SendPerKeyLightTable());

    EXPECT_EQ(Hexes(*keyboard_),
              (std::vector<std::string>{"0776543210" + Zeros(60), kTable, "07FEDCBA" + Zeros(61),
                                        "07FFFF0364020301" + Zeros(57), "0712345678" + Zeros(60),
                                        "07123456780401" + Zeros(58), "07123456780500" + Zeros(58),
                                        "07123456782901" + Zeros(58), "0712345678FE" + Zeros(59)}));
    for (const auto& entry : keyboard_->Log()) {
        EXPECT_TRUE(entry.feature);
        EXPECT_TRUE(entry.command);
    }
    auto state = keyboard_->GetState();
    EXPECT_EQ(state.keyFunctions, (std::map<int, int>{{0x04, 0x05}, {0x08, 0xE5}}));
    EXPECT_EQ(state.keyTables, 1);
    ASSERT_TRUE(state.lighting.set);
    EXPECT_EQ(state.lighting.effect, 3);
    EXPECT_EQ(state.lighting.brightness, 100);
    EXPECT_EQ(state.lighting.speed, 2);
    EXPECT_EQ(state.lighting.colourIndex, 3);
    EXPECT_EQ(state.lighting.direction, 1);
    EXPECT_EQ(state.keyLights, (std::map<int, bool>{{0x04, true}, {0x05, false}, {0x29, true}}));
    EXPECT_EQ(state.keyLightTables, 1);
    EXPECT_EQ(state.unknownReports, 0);

    // A later table replaces the earlier one instead of adding to it.
    KeyAssignmentRow cleared;
    cleared.profile = 1;
    cleared.keyCode = 0x04;
    store_.SaveKeyAssignment(cleared); // no value: the row goes
    ASSERT_TRUE(commands_->SendKeyTable(1, 0));
    EXPECT_EQ(keyboard_->GetState().keyFunctions, (std::map<int, int>{{0x08, 0xE5}}));
    EXPECT_EQ(keyboard_->GetState().keyTables, 2);
}

TEST_F(KeyboardSimTest, RestoringDefaultsClearsWhatEachFamilyKeeps) {
    Connect(Family::Feature);
    SaveKey(0x04, 2, 0x05);
    SaveLight(2, 0);
    ASSERT_TRUE(commands_->SendKeyTable(1, 0));
    ASSERT_TRUE(commands_->SendLighting(EmulatedKeyboard::kFeatureDeviceType, 1, 0));
    keyboard_->ClearLog();
    clock_.ClearPauses();
    ASSERT_TRUE(commands_->RestoreFactoryDefaults(EmulatedKeyboard::kFeatureDeviceType));
    EXPECT_EQ(Hexes(*keyboard_), std::vector<std::string>{"07EFAA" + Zeros(62)});
    EXPECT_EQ(clock_.Pauses(), std::vector<int>{100});
    auto state = keyboard_->GetState();
    EXPECT_EQ(state.factoryResets, 1);
    EXPECT_TRUE(state.keyFunctions.empty());
    EXPECT_FALSE(state.lighting.set);

    Connect(Family::Prefixed);
    ASSERT_TRUE(commands_->SendLighting(EmulatedKeyboard::kPrefixedDeviceType, 1, 3));
    ASSERT_TRUE(keyboard_->GetState().lighting.set);
    ASSERT_TRUE(commands_->RestoreFactoryDefaults(EmulatedKeyboard::kPrefixedDeviceType));
    EXPECT_EQ(Hexes(*keyboard_), (std::vector<std::string>{"00BBAA9988AA01640200000001" + Zeros(52),
                                                           "00BBAA9988AAAAAAAAAAAA" + Zeros(54),
                                                           "00BBAA9988" + Zeros(60)}));
    for (const auto& entry : keyboard_->Log())
        EXPECT_FALSE(entry.feature) << "output reports through WriteCommand";
    state = keyboard_->GetState();
    EXPECT_EQ(state.factoryResets, 1);
    EXPECT_EQ(state.lastResetPauseMs, 1600);
    EXPECT_FALSE(state.lighting.set);
}

TEST_F(KeyboardSimTest, PrefixedKeyboardDecodesLighting) {
    Connect(Family::Prefixed);
    SaveLight(6, KeyboardCommands::kColourListFlag);
    ASSERT_TRUE(commands_->SendLighting(EmulatedKeyboard::kPrefixedDeviceType, 1, 3));
    auto state = keyboard_->GetState();
    ASSERT_TRUE(state.lighting.set);
    EXPECT_EQ(state.lighting.effect, 5);
    EXPECT_EQ(state.lighting.brightness, 100);
    EXPECT_EQ(state.lighting.speed, 2);
    EXPECT_EQ(state.lighting.colourIndex, 0) << "the prefixed frame has no colour list";
    EXPECT_EQ(state.lighting.direction, 1);
    // The feature family's frames mean nothing to it.
    CommandFrame::Report feature = FromHex("07FFFF0364020301");
    manager_->SendFeature(feature.data());
    EXPECT_EQ(keyboard_->GetState().unknownReports, 1);
    EXPECT_EQ(keyboard_->GetState().lighting.effect, 5);
}

TEST(KeyboardDecoder, ExchangesCountOnlyWhenWholeAndInOrder) {
    Decoder decoder(Family::Feature);
    auto feed = [&](const std::string& hex) {
        CommandFrame::Report r = FromHex(hex);
        decoder.Feature(r.data(), r.size());
    };
    // A table without its opening, a closing without a table: nothing is taken.
    feed(kTable);
    feed("07FEDCBA");
    EXPECT_TRUE(decoder.GetState().keyFunctions.empty());
    EXPECT_EQ(decoder.GetState().keyTables, 0);
    EXPECT_EQ(decoder.GetState().unknownReports, 2);
    // An opening and table whose closing never comes leave the old table in place.
    feed("0776543210");
    feed(kTable);
    feed("0776543210");
    feed("07FEDCBA");
    EXPECT_EQ(decoder.GetState().keyTables, 0);
    // A per-key light entry outside its table, and one that says neither lit nor unlit.
    feed("07123456780401");
    feed("0712345678");
    feed("07123456780402");
    feed("0712345678FE");
    EXPECT_TRUE(decoder.GetState().keyLights.empty());
    EXPECT_EQ(decoder.GetState().keyLightTables, 1);
    EXPECT_EQ(decoder.GetState().unknownReports, 5);
    // Another report id, a short report, nothing at all: counted or ignored, never a crash.
    feed("0876543210");
    uint8_t two[2] = {0x07, 0xEF};
    decoder.Feature(two, sizeof two);
    decoder.Feature(nullptr, 65);
    EXPECT_EQ(decoder.GetState().unknownReports, 7);
    EXPECT_EQ(decoder.GetState().factoryResets, 0) << "07 EF without AA is no reset";
}

TEST(KeyboardDecoder, MacroDownloadKeepsOneRecordPerKeyUpTo1200Bytes) {
    Decoder decoder(Family::Feature);
    auto feed = [&](const std::string& hex) {
        CommandFrame::Report r = FromHex(hex);
        decoder.Feature(r.data(), r.size());
    };
    feed("0701234567");
    // Record: key code at byte 2, play count (1 for a shortcut) at byte 3.
    for (int key = 0x10; key < 0x10 + 19; ++key) {
        char record[16];
        std::snprintf(record, sizeof record, "07AA01%02X01", key);
        feed(record);
    }
    EXPECT_EQ(decoder.GetState().macroDownloads, 0) << "the download ends with the key table";
    feed("0776543210");
    auto state = decoder.GetState();
    EXPECT_EQ(state.macroDownloads, 1);
    ASSERT_EQ(state.macroRecords.size(), 18u) << "18 records of 64 bytes fit in 1200";
    EXPECT_EQ(state.recordsDropped, 1);
    ASSERT_EQ(state.macroRecords.count(0x10), 1u);
    EXPECT_EQ(CommandFrame::ToHex(state.macroRecords[0x10].data(), 5), "AA01100100");
    EXPECT_EQ(state.macroRecords.count(0x22), 0u);
    // The next download replaces the records.
    feed("0701234567");
    feed("07AA01300200");
    feed("07FEDCBA");
    EXPECT_EQ(decoder.GetState().macroRecords.size(), 1u);
    EXPECT_EQ(decoder.GetState().recordsDropped, 0);
}

TEST(KeyboardDecoder, PrefixedResetNeedsBothHalvesAndLightingItsZeros) {
    Decoder decoder(Family::Prefixed);
    auto out = [&](const std::string& hex, int64_t at) {
        CommandFrame::Report r = FromHex(hex);
        return decoder.Output(r.data(), r.size(), at);
    };
    EXPECT_FALSE(out("00BBAA9988", 0));
    EXPECT_EQ(decoder.GetState().factoryResets, 0) << "the second half alone";
    EXPECT_FALSE(out("00BBAA9988AA0364020000AA01", 10)); // not the zeros of the lighting frame
    EXPECT_FALSE(decoder.GetState().lighting.set);
    EXPECT_FALSE(out("00BBAA998809FC03", 20)); // the mouse's receiver frame
    EXPECT_EQ(decoder.GetState().unknownReports, 3);
    EXPECT_TRUE(out("0008FD", 30)) << "the status query is answered";
    out("00BBAA9988AAAAAAAAAAAA", 100);
    out("00BBAA9988", 1700);
    EXPECT_EQ(decoder.GetState().factoryResets, 1);
    EXPECT_EQ(decoder.GetState().lastResetPauseMs, 1600);
    uint8_t one[1] = {0};
    EXPECT_FALSE(decoder.Output(one, 1, 0));
    EXPECT_FALSE(decoder.Output(nullptr, 65, 0));
}

TEST_F(KeyboardSimTest, FaultsLoseReportsAndTheKeyboardKeepsTheLastWholeTable) {
    Connect(Family::Feature);
    SaveKey(0x04, 2, 0x05);
    ASSERT_TRUE(commands_->SendKeyTable(1, 0));
    SaveKey(0x08, 5, 0x1E5);
    // The table of the second exchange is refused: its closing finds no table.
    keyboard_->InjectFault(EmulatedKeyboard::Fault::WriteTransfersNothing, 2);
    EXPECT_FALSE(commands_->SendKeyTable(1, 0));
    EXPECT_EQ(keyboard_->GetState().keyFunctions, (std::map<int, int>{{0x04, 0x05}}));
    EXPECT_EQ(keyboard_->Log().size(), 5u) << "the refused report is not logged";

    // An unanswered handshake leaves the keyboard offline, so nothing is sent to it.
    keyboard_->InjectFault(EmulatedKeyboard::Fault::MissingReply);
    manager_->Rescan();
    manager_->SetSelectedDeviceType(EmulatedKeyboard::kFeatureDeviceType);
    EXPECT_EQ(manager_->CurrentDevice(), nullptr);
    EXPECT_FALSE(commands_->RestoreFactoryDefaults(EmulatedKeyboard::kFeatureDeviceType));
    EXPECT_EQ(keyboard_->GetState().factoryResets, 0);

    // Pulled mid-exchange: the first report arrives, the rest fail.
    manager_->Rescan();
    manager_->SetSelectedDeviceType(EmulatedKeyboard::kFeatureDeviceType);
    ASSERT_NE(manager_->CurrentDevice(), nullptr);
    keyboard_->ClearLog();
    keyboard_->InjectFault(EmulatedKeyboard::Fault::UnplugMidExchange);
    EXPECT_FALSE(commands_->SendKeyTable(1, 0));
    EXPECT_EQ(keyboard_->Log().size(), 1u);
    EXPECT_TRUE(keyboard_->Enumerate().empty());
    manager_->Rescan();
    EXPECT_EQ(manager_->EntryCount(), 0);
}

TEST_F(KeyboardSimTest, StateFileKeepsStateAndLogAndRefusesWhatIsNotOurs) {
    Connect(Family::Feature);
    SaveKey(0x04, 2, 0x05);
    SaveLight(3, 0);
    SaveKeyLights({{0x2C, 0xFFFFFF}});
    ASSERT_TRUE(commands_->SendKeyTable(1, 0));
    ASSERT_TRUE(commands_->SendLighting(EmulatedKeyboard::kFeatureDeviceType, 1, 0));
    ASSERT_TRUE(commands_->SendPerKeyLightTable());
    std::string path = EmulatedKeyboard::StatePathBeside(folder_ + "x.state", Family::Feature);
    EXPECT_EQ(path, folder_ + "x.state.keyboard-feature");
    ASSERT_TRUE(keyboard_->SaveState(path));

    VirtualClock later;
    later.Advance(5000);
    EmulatedKeyboard loaded(Family::Feature, &later);
    ASSERT_TRUE(loaded.LoadState(path));
    auto before = keyboard_->GetState();
    auto after = loaded.GetState();
    EXPECT_EQ(after.keyFunctions, before.keyFunctions);
    EXPECT_EQ(after.keyLights, before.keyLights);
    EXPECT_EQ(after.lighting.effect, 2);
    EXPECT_TRUE(after.lighting.set);
    EXPECT_EQ(after.keyTables, 1);
    EXPECT_EQ(Hexes(loaded), Hexes(*keyboard_));
    EXPECT_EQ(loaded.Log().back().timeMs, keyboard_->Log().back().timeMs);

    // Another family's file, a file without the header, a folder, a pipe: refused, unchanged.
    EmulatedKeyboard prefixed(Family::Prefixed, &later);
    EXPECT_FALSE(prefixed.LoadState(path));
    EXPECT_TRUE(prefixed.Log().empty());
    std::ofstream(folder_ + "plain") << "key 4 5\n";
    EXPECT_FALSE(loaded.LoadState(folder_ + "plain"));
    EXPECT_FALSE(loaded.LoadState(folder_));
    ASSERT_EQ(mkfifo((folder_ + "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(loaded.LoadState(folder_ + "fifo"));
    EXPECT_FALSE(loaded.SaveState(folder_ + "fifo"));
    EXPECT_EQ(loaded.GetState().keyFunctions, before.keyFunctions);

    // Lines that do not parse, or carry values no report could, are skipped.
    std::ofstream(folder_ + "odd") << EmulatedKeyboardStateFile::kHeader << "\nfamily feature\n"
                                   << "key 4\nkey 300 1\nkey 7 9\nrecord 5 ABC\nlit 6 1\n"
                                   << "report 1 1 1 0711\nlighting 1 2 3 4 999\n";
    ASSERT_TRUE(loaded.LoadState(folder_ + "odd"));
    EXPECT_EQ(loaded.GetState().keyFunctions, (std::map<int, int>{{7, 9}}));
    EXPECT_EQ(loaded.GetState().keyLights, (std::map<int, bool>{{6, true}}));
    EXPECT_TRUE(loaded.GetState().macroRecords.empty());
    EXPECT_FALSE(loaded.GetState().lighting.set);
    EXPECT_TRUE(loaded.Log().empty());
}

// The prefixed family has no key table on its wire: its keys are taken over by the remapping
// driver, whose tables the keyboard's state keeps across runs.
TEST_F(KeyboardSimTest, StateFileKeepsTheRemapTablesOfTheFilterOnTheKeys) {
    Connect(Family::Prefixed);
    auto filter = std::make_shared<SimHidFilter>();
    keyboard_->AttachFilter(filter);
    ASSERT_TRUE(filter->Open());
    auto table = [](std::vector<int> keys) {
        std::vector<uint8_t> bytes(1024, 0);
        for (size_t i = 0; i < keys.size(); ++i) {
            bytes[4 * i] = static_cast<uint8_t>(keys[i] & 0xFF);
            bytes[4 * i + 1] = static_cast<uint8_t>(keys[i] >> 8);
            bytes[4 * i + 2] = 0x07;
            bytes[4 * i + 3] = 0x02;
        }
        return bytes;
    };
    const std::vector<uint8_t> first = table({5, 0x1A2}), cleared(256, 0), second = table({7});
    for (const auto* t : {&first, &cleared, &second})
        ASSERT_TRUE(
            filter->Control(IHidFilterDevice::kLoadRemapTable, t->data(), t->size(), nullptr, 0));
    const std::vector<std::vector<int>> expected = {{5, 0x1A2}, {}, {7}};
    EXPECT_EQ(keyboard_->RemapTables(), expected);
    EXPECT_TRUE(keyboard_->Log().empty()) << "nothing of it travels on the keyboard's wire";

    const std::string path = folder_ + "p.state.keyboard-prefixed";
    ASSERT_TRUE(keyboard_->SaveState(path));
    ASSERT_TRUE(keyboard_->SaveState(path)) << "a second save of one run";
    EmulatedKeyboard next(Family::Prefixed, &clock_);
    ASSERT_TRUE(next.LoadState(path));
    EXPECT_EQ(next.RemapTables(), expected) << "each table once";
    // The next run's driver adds its own after them.
    auto again = std::make_shared<SimHidFilter>();
    next.AttachFilter(again);
    ASSERT_TRUE(again->Open());
    ASSERT_TRUE(
        again->Control(IHidFilterDevice::kLoadRemapTable, first.data(), first.size(), nullptr, 0));
    EXPECT_EQ(next.RemapTables().size(), 4u);
    EXPECT_EQ(next.RemapTables().back(), (std::vector<int>{5, 0x1A2}));

    // A line with a value no table entry can hold is skipped.
    std::ofstream(folder_ + "odd")
        << EmulatedKeyboardStateFile::kHeader
        << "\nfamily prefixed\nremap 4 70000\nremap 4 x\nremap\nremap 9\n";
    EmulatedKeyboard odd(Family::Prefixed, &clock_);
    ASSERT_TRUE(odd.LoadState(folder_ + "odd"));
    EXPECT_EQ(odd.RemapTables(), (std::vector<std::vector<int>>{{}, {9}}));
}

TEST_F(KeyboardSimTest, MouseAndKeyboardShareOneBusAndEachGetsItsOwnReports) {
    auto mouse =
        std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(true, false), &clock_);
    keyboard_ = std::make_shared<EmulatedKeyboard>(Family::Prefixed, &clock_);
    auto bus = std::make_shared<SimHidBus>();
    bus->Add(mouse);
    bus->Add(keyboard_);
    manager_ = std::make_unique<HidDeviceManager>(bus, &clock_);
    manager_->AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId,
                                 EmulatedMouse::kCableRelease, "mouse", EmulatedMouse::kDeviceType,
                                 0, "VID_25A7&PID_FA07&MI_01");
    Register(*manager_, EmulatedKeyboard::kPrefixedProductId,
             EmulatedKeyboard::kPrefixedDeviceType);
    manager_->Rescan();
    ASSERT_EQ(manager_->EntryCount(), 2);
    EXPECT_EQ(bus->Enumerate().size(), 7u);

    commands_ = std::make_unique<KeyboardCommands>(*manager_, store_);
    manager_->SetSelectedDeviceType(EmulatedKeyboard::kPrefixedDeviceType);
    mouse->ClearLog();
    keyboard_->ClearLog();
    ASSERT_TRUE(commands_->RestoreFactoryDefaults(EmulatedKeyboard::kPrefixedDeviceType));
    EXPECT_EQ(keyboard_->GetState().factoryResets, 1);
    EXPECT_TRUE(mouse->Log().empty());

    manager_->SetSelectedDeviceType(EmulatedMouse::kDeviceType);
    MaintenanceCommands maintenance(*manager_);
    ASSERT_TRUE(maintenance.RestoreFactoryDefaults(0));
    EXPECT_EQ(mouse->GetState().factoryResets, 1);
    EXPECT_EQ(keyboard_->Log().size(), 2u) << "nothing more reached the keyboard";

    // Handles the bus never gave out are refused by every member.
    uint8_t report[65] = {};
    EXPECT_EQ(bus->Write(report, report, sizeof report), -1);
    EXPECT_EQ(bus->SendFeatureReport(nullptr, report, sizeof report), -1);
    EXPECT_EQ(bus->Open("/dev/simhid99"), nullptr);
    manager_->CloseAll();
    EXPECT_EQ(keyboard_->OpenHandleCount(), 0);
    EXPECT_EQ(mouse->OpenHandleCount(), 0);
}
