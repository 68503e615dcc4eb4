#include "app/device/KeyboardCommands.h"
#include "app/device/CommandFrame.h"
#include "app/device/HidBackend.h"
#include "app/device/HidDeviceManager.h"
#include "app/store/SettingsDatabase.h"
#include "sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A keyboard's vendor interface as the HID layer shows it: it answers the handshake and logs
// every output and feature report with the virtual time it arrived.
class RecordingKeyboard final : public HidBackend {
public:
    static constexpr uint16_t kVendor = 0x1234;
    static constexpr uint16_t kProduct = 0x5678;
    static constexpr const char* kPath = "/dev/hidraw4";

    struct Sent {
        int64_t timeMs = 0;
        bool feature = false;
        std::string hex; // all 65 bytes
    };

    explicit RecordingKeyboard(Clock& clock) : clock_(clock) {}

    std::vector<HidInterfaceInfo> Enumerate() override {
        HidInterfaceInfo info;
        info.path = kPath;
        info.interfaceName = ComposeInterfaceName(kVendor, kProduct, 1, kPath);
        info.vendorId = kVendor;
        info.productId = kProduct;
        info.usagePage = 0xFF02;
        info.usage = 0x0002;
        info.interfaceNumber = 1;
        return {info};
    }
    Handle Open(const std::string& path) override { return path == kPath ? this : nullptr; }
    void Close(Handle) override {}
    int Write(Handle, const uint8_t* data, size_t length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (length >= 3 && data[1] == 0x08 && data[2] == 0xFD) {
            answer_ = true; // the handshake
            return static_cast<int>(length);
        }
        sent_.push_back({clock_.NowMs(), false, CommandFrame::ToHex(data, length)});
        return static_cast<int>(length);
    }
    int ReadTimeout(Handle, uint8_t* data, size_t length, int) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!answer_ || length < 64) return 0;
        answer_ = false;
        CommandFrame::Payload reply = CommandFrame::StatusReply(90, CommandFrame::kLinkCable);
        std::copy(reply.begin(), reply.end(), data);
        return 64;
    }
    int SendFeatureReport(Handle, const uint8_t* data, size_t length) override {
        std::lock_guard<std::mutex> lock(mutex_);
        sent_.push_back({clock_.NowMs(), true, CommandFrame::ToHex(data, length)});
        return static_cast<int>(length);
    }
    std::string ManufacturerString(Handle) override { return "Test"; }
    std::string ProductString(Handle) override { return "Keyboard"; }

    std::vector<Sent> Log() {
        std::lock_guard<std::mutex> lock(mutex_);
        return sent_;
    }

private:
    Clock& clock_;
    std::mutex mutex_;
    bool answer_ = false;
    std::vector<Sent> sent_;
};

std::string Zeros(size_t bytes) {
    return std::string(2 * bytes, '0');
}

class KeyboardCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-keyboard-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = std::string(pattern) + "/";
        std::filesystem::create_directories(folder_ + "db");
        ASSERT_TRUE(store_.OpenSettingsDatabase(folder_, "keyboard"));
    }
    void TearDown() override {
        manager_.reset();
        store_.CloseSettingsDatabase();
        store_.SetOpenFlag(false);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    // The keyboard of the given device type, connected and selected.
    void Connect(int deviceType) {
        keyboard_ = std::make_shared<RecordingKeyboard>(clock_);
        manager_ = std::make_unique<HidDeviceManager>(keyboard_, &clock_);
        manager_->AddSupportedDevice(RecordingKeyboard::kVendor, RecordingKeyboard::kProduct, 0,
                                     "Keyboard", deviceType, 0, "MI_01");
        manager_->Rescan();
        manager_->SetSelectedDeviceType(deviceType);
        ASSERT_NE(manager_->CurrentDevice(), nullptr);
        commands_ = std::make_unique<KeyboardCommands>(*manager_, store_);
        clock_.ClearPauses();
    }
    void SaveKey(int keyCode, int type, int value, int profile = 1, int fnLayer = 0) {
        KeyAssignmentRow row;
        row.profile = profile;
        row.fnLayer = fnLayer;
        row.keyCode = keyCode;
        row.macroType = type;
        row.macroValue = value;
        ASSERT_GT(store_.SaveKeyAssignment(row), 0);
    }
    void SaveLight(int profile, int mode, int configFunc) {
        LightRow row;
        row.profile = profile;
        row.mode = mode;
        row.brightness = 100;
        row.speed = 2;
        row.direction = 1;
        row.configFunc = configFunc;
        row.colorValue = 0x0000FF;
        ASSERT_GT(store_.AddLightRow(row), 0);
        ASSERT_TRUE(store_.SetActiveLightMode(profile, mode));
    }
    std::vector<std::string> Hexes() {
        std::vector<std::string> out;
        for (const auto& sent : keyboard_->Log())
            out.push_back(sent.hex);
        return out;
    }

    std::string folder_;
    SettingsDatabase store_;
    VirtualClock clock_;
    std::shared_ptr<RecordingKeyboard> keyboard_;
    std::unique_ptr<HidDeviceManager> manager_;
    std::unique_ptr<KeyboardCommands> commands_;
};

TEST_F(KeyboardCommandsTest, KeyTableIsThreeFeatureReportsAfterTheMacroPause) {
    Connect(150);
    SaveKey(0x04, 2, 0x05);
    SaveKey(0x05, 3, 9); // a macro key: not in the table
    SaveKey(0x06, 7, 2); // a shortcut key: not in the table
    SaveKey(0x07, 0, 1); // no function: not in the table
    SaveKey(0x08, 5, 0x1E5);
    SaveKey(0x09, 2, 0x06, 2);    // another profile
    SaveKey(0x0A, 2, 0x06, 1, 1); // another fn layer
    ASSERT_TRUE(commands_->SendKeyTable(1, 0));
    EXPECT_EQ(clock_.Pauses(), std::vector<int>{50});
    auto log = keyboard_->Log();
    ASSERT_EQ(log.size(), 3u);
    for (const auto& sent : log) {
        EXPECT_TRUE(sent.feature);
        EXPECT_EQ(sent.timeMs, log[0].timeMs) << "no pauses between the three";
    }
    EXPECT_EQ(log[0].hex, "0776543210" + Zeros(60));
    // Key codes 04 08, then (from data byte 12) their values 05 E5 (one byte each).
    std::string table = "07"
                        "07990408" +
                        Zeros(4) + "0799" + Zeros(6) + "0799" + "05E5" + Zeros(4) + "0799" +
                        Zeros(6) + "0799" + Zeros(6) + "0799" + Zeros(6) + "0799" + Zeros(6) +
                        "0799" + Zeros(6);
    EXPECT_EQ(log[1].hex, table);
    EXPECT_EQ(log[2].hex, "07FEDCBA" + Zeros(61));
}

TEST_F(KeyboardCommandsTest, KeyTableCarriesTheFirstTwelveKeys) {
    std::vector<KeyAssignmentRow> rows;
    for (int i = 0; i < 14; ++i) {
        KeyAssignmentRow row;
        row.keyCode = 0x10 + i;
        row.macroType = 2;
        row.macroValue = 0x40 + i;
        rows.push_back(row);
    }
    auto reports = KeyboardCommands::BuildKeyTable(rows);
    ASSERT_EQ(reports.size(), 3u);
    std::string data;
    for (int group = 0; group < 8; ++group) {
        EXPECT_EQ(reports[1][1 + 8 * group], 0x07);
        EXPECT_EQ(reports[1][2 + 8 * group], 0x99);
        data += CommandFrame::ToHex(&reports[1][3 + 8 * group], 6);
    }
    EXPECT_EQ(data, "101112131415161718191A1B"
                    "404142434445464748494A4B" +
                        Zeros(24));
}

TEST_F(KeyboardCommandsTest, FeatureFamilyLightingCarriesTheColourListOnlyWhenFlagged) {
    Connect(150);
    SaveLight(1, 4, 0x100);
    ASSERT_TRUE(commands_->SendLighting(150, 1, 3));
    SaveLight(2, 4, 0xFF); // bit 8 clear
    ASSERT_TRUE(commands_->SendLighting(150, 2, 3));
    EXPECT_EQ(Hexes(), (std::vector<std::string>{"07FFFF0364020301" + Zeros(57),
                                                 "07FFFF0364020001" + Zeros(57)}));
    EXPECT_TRUE(keyboard_->Log()[0].feature);
}

TEST_F(KeyboardCommandsTest, PrefixedFamilyLightingIsAnOutputReport) {
    Connect(300);
    SaveLight(1, 4, 0x100);
    ASSERT_TRUE(commands_->SendLighting(300, 1, 3));
    auto log = keyboard_->Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_FALSE(log[0].feature);
    EXPECT_EQ(log[0].hex, "00"
                          "BBAA9988"
                          "AA"
                          "036402"
                          "000000"
                          "01" +
                              Zeros(52));
}

TEST_F(KeyboardCommandsTest, NoActiveLightRowSendsNothing) {
    Connect(150);
    EXPECT_FALSE(commands_->SendLighting(150, 1, 0));
    EXPECT_TRUE(keyboard_->Log().empty());
}

TEST_F(KeyboardCommandsTest, PerKeyLightTableListsEveryKeyOfLight128) {
    Connect(150);
    std::vector<std::unique_ptr<KeyLightRow>> rows;
    auto add = [&](int lightId, int key, int rgb) {
        auto row = std::make_unique<KeyLightRow>();
        row->profile = 1;
        row->lightId = lightId;
        row->keyCode = key;
        row->keyRgb = rgb;
        rows.push_back(std::move(row));
    };
    add(128, 0x04, 0x0000FF);
    add(128, 0x05, 0);
    add(7, 0x06, 0x00FF00); // another light row
    add(128, 0x29, 0x010000);
    store_.SaveKeyColours(std::move(rows));
    ASSERT_TRUE(commands_->SendPerKeyLightTable());
    EXPECT_EQ(Hexes(),
              (std::vector<std::string>{"0712345678" + Zeros(60), "07123456780401" + Zeros(58),
                                        "07123456780500" + Zeros(58), "07123456782901" + Zeros(58),
                                        "0712345678FE" + Zeros(59)}));
    EXPECT_TRUE(clock_.Pauses().empty());
}

TEST_F(KeyboardCommandsTest, PrefixedResetWaits1600MsBetweenItsTwoReports) {
    Connect(300);
    ASSERT_TRUE(commands_->RestoreFactoryDefaults(300));
    auto log = keyboard_->Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].hex, "00"
                          "BBAA9988"
                          "AAAAAAAAAAAA" +
                              Zeros(54));
    EXPECT_EQ(log[1].hex, "00"
                          "BBAA9988" +
                              Zeros(60));
    EXPECT_EQ(log[1].timeMs - log[0].timeMs, 1600);
    EXPECT_EQ(clock_.Pauses(), std::vector<int>{1600});
}

TEST_F(KeyboardCommandsTest, FeatureResetIsFollowedBy100Ms) {
    Connect(150);
    ASSERT_TRUE(commands_->RestoreFactoryDefaults(150));
    auto log = keyboard_->Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].feature);
    EXPECT_EQ(log[0].hex, "07EFAA" + Zeros(62));
    EXPECT_EQ(clock_.Pauses(), std::vector<int>{100});
}

TEST_F(KeyboardCommandsTest, WithoutAKeyboardNothingIsSent) {
    Connect(150);
    manager_->SetSelectedDeviceType(300); // no keyboard of that type is connected
    EXPECT_FALSE(commands_->SendKeyTable(1, 0));
    EXPECT_FALSE(commands_->RestoreFactoryDefaults(300));
    EXPECT_TRUE(keyboard_->Log().empty());
}

} // namespace
