// The keyboard tasks of the worker (key table 6, lighting 7, per-key lights 8, the remap table
// and a macro key 11) against the emulated keyboards of both families, on virtual time.
#include "WorkerFixture.h"

#include "app/device/CommandFrame.h"
#include "app/device/HidUsbFilter.h"
#include "app/device/KeyRemapCompanion.h"
#include "app/device/VirtualHidReports.h"
#include "app/files/ApplicationConfig.h"
#include "app/shell/ShellOptions.h"
#include "app/shell/ShellServices.h"
#include "app/store/KeyLightRow.h"
#include "app/store/MacroItemRow.h"
#include "app/store/ProfileRow.h"
#include "sim/EmulatedKeyboard.h"
#include "sim/SimHidFilter.h"
#include "sim/SimVirtualHid.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>
#include <unistd.h>

namespace {

using Family = EmulatedKeyboard::Family;

class KeyboardWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-kbworker-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        folder_ = std::string(made) + "/";
        std::filesystem::create_directories(folder_ + "db");
    }
    void TearDown() override {
        if (companion_) companion_->Stop();
        worker_.reset();
        companion_.reset();
        manager_.reset();
        if (store_.IsSettingsOpen()) store_.CloseSettingsDatabase();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    // Start-up and the choice of the keyboard, traffic forgotten afterwards.
    void Start(Family family) {
        keyboard_ = std::make_shared<EmulatedKeyboard>(family, &clock_);
        manager_ = std::make_unique<HidDeviceManager>(keyboard_, &clock_);
        const char* source = std::getenv("PIVANE_SOURCE_DIR");
        const std::string program = std::string(source ? source : ".") + "/data/";
        ApplicationConfig config;
        ASSERT_TRUE(config.Load(program + "config.xml", manager_.get()));
        companion_ = std::make_unique<KeyRemapCompanion>(filter_, reports_, clock_);
        CThreadBasic::Setup setup;
        setup.manager = manager_.get();
        setup.store = &store_;
        setup.clock = &clock_;
        setup.dataFolder = folder_;
        setup.programFolder = program;
        setup.lookup = [](int id) { return std::to_string(id); };
        setup.checkUpdates = false;
        setup.companion = companion_.get();
        worker_ = std::make_unique<CThreadBasic>(setup, window_);
        CThreadBasic* worker = worker_.get();
        ASSERT_TRUE(companion_->Start([worker](int) { worker->AddTask(11); }));
        worker_->AddTask(CThreadBasic::kDelayedRescan);
        Drain();
        const int type = keyboard_->DeviceType();
        worker_->ChooseDevice(type, keyboard_->Name());
        worker_->AddTask(CThreadBasic::kSwitchDevice);
        Drain();
        ASSERT_EQ(worker_->ShownDeviceType(), type);
        keyboard_->ClearLog();
    }
    void Drain() {
        for (int i = 0; i < 200 && !worker_->Queue().Empty(); ++i)
            worker_->RunPass();
    }
    void Run(int task) {
        worker_->AddTask(task);
        Drain();
    }
    // Hex of the first n bytes of every report the keyboard took.
    std::vector<std::string> Reports(size_t n) const {
        std::vector<std::string> out;
        for (const auto& r : keyboard_->Log())
            out.push_back(CommandFrame::ToHex(r.bytes.data(), n));
        return out;
    }
    void Assign(int keyCode, int type, int value, int flags = 0) {
        KeyAssignmentRow row;
        row.macroValue2 = flags;
        row.profile = worker_->CurrentProfile();
        row.keyCode = keyCode;
        row.macroType = type;
        row.macroValue = value;
        ASSERT_GT(store_.SaveKeyAssignment(row), 0);
    }

    std::string folder_;
    VirtualClock clock_;
    std::shared_ptr<EmulatedKeyboard> keyboard_;
    std::unique_ptr<HidDeviceManager> manager_;
    SettingsDatabase store_;
    RecordingWindow window_;
    SimHidFilter filterDevice_;
    HidUsbFilter filter_{filterDevice_};
    SimVirtualHid virtualDevice_;
    VirtualHidReports reports_{virtualDevice_};
    std::unique_ptr<KeyRemapCompanion> companion_;
    std::unique_ptr<CThreadBasic> worker_;
};

TEST_F(KeyboardWorkerTest, SequenceKeysThenTheKeyTable) {
    Start(Family::Feature);
    Assign(4, 2, 0x3A);    // A plays F1
    Assign(5, 7, 2);       // B: shortcut 2, a record of the macro download
    Assign(41, 5, 1);      // Esc: left button
    Assign(6, 2, 0x1B, 1); // C plays Ctrl+X: the table has no room for Ctrl
    Run(CThreadBasic::kKeyboardKeyTable);
    const std::vector<std::string> sent = Reports(17);
    ASSERT_EQ(sent.size(), 6u);
    const std::string zeros8(8, '0');
    EXPECT_EQ(sent[0], "0701234567" + std::string(24, '0'));
    // Type, events, key, plays, then the events: Ctrl+C down and up.
    EXPECT_EQ(sent[1], std::string("0707040501E00106010681E081") + zeros8);
    EXPECT_EQ(sent[2], std::string("0702040601E0011B011B81E081") + zeros8);
    EXPECT_EQ(sent[3], "0776543210" + std::string(24, '0'));
    // Key codes 04 29, then their values 3A 01 from data byte 12 (the third group).
    EXPECT_EQ(sent[4], std::string("0707990429000000000799000000000000"));
    EXPECT_EQ(CommandFrame::ToHex(keyboard_->Log()[4].bytes.data() + 17, 8), "07993A0100000000");
    EXPECT_EQ(sent[5], "07FEDCBA" + std::string(26, '0'));
    // The table waits 50 ms after the records.
    EXPECT_GE(keyboard_->Log()[3].timeMs - keyboard_->Log()[2].timeMs, 50);
    const EmulatedKeyboard::State state = keyboard_->GetState();
    EXPECT_EQ(state.keyFunctions.at(4), 0x3A);
    EXPECT_EQ(state.keyFunctions.at(41), 1);
    EXPECT_EQ(state.keyFunctions.count(6), 0u);
    EXPECT_EQ(state.macroRecords.size(), 2u);
    EXPECT_EQ(state.unknownReports, 0);
    EXPECT_GE(window_.WaitClosed(), 1);
}

TEST_F(KeyboardWorkerTest, LightingInEachFamilysFrame) {
    for (Family family : {Family::Feature, Family::Prefixed}) {
        Start(family);
        const int profile = worker_->CurrentProfile();
        LightRow row;
        ASSERT_TRUE(store_.GetLightRow(profile, 1, row)) << "seeded from the layout file";
        row.brightness = 3;
        row.speed = 1;
        row.direction = 1;
        row.colorIndex = 5;
        ASSERT_TRUE(store_.UpdateLightRow(profile, 1, row));
        ASSERT_TRUE(store_.SetActiveLightMode(profile, 1));
        worker_->SetColourListIndex(5);
        Run(CThreadBasic::kKeyboardLighting);
        const std::vector<std::string> sent = Reports(12);
        ASSERT_EQ(sent.size(), 1u);
        if (family == Family::Feature)
            EXPECT_EQ(sent[0], "07FFFF000301050100000000"); // the wave has the colour list
        else
            EXPECT_EQ(sent[0], "00BBAA9988AA000301000000");
        EXPECT_EQ(keyboard_->GetState().lighting.brightness, 3);
        TearDown();
        SetUp();
    }
}

TEST_F(KeyboardWorkerTest, PerKeyLightTableOnlyForTheFeatureFamily) {
    Start(Family::Feature);
    std::vector<std::unique_ptr<KeyLightRow>> rows;
    for (int key : {4, 5}) {
        auto row = std::make_unique<KeyLightRow>();
        row->profile = worker_->CurrentProfile();
        row->lightId = 128;
        row->keyCode = key;
        row->keyRgb = key == 4 ? 0x00FF00 : 0;
        rows.push_back(std::move(row));
    }
    ASSERT_EQ(store_.SaveKeyColours(std::move(rows)), 2);
    Run(CThreadBasic::kKeyboardKeyLights);
    EXPECT_EQ(Reports(8), (std::vector<std::string>{"0712345678000000", "0712345678040100",
                                                    "0712345678050000", "0712345678FE0000"}));
}

TEST_F(KeyboardWorkerTest, RestoreDefaultsSendsEachFamilysOwnResetNeverTheMouseFrame) {
    for (Family family : {Family::Feature, Family::Prefixed}) {
        Start(family);
        Run(CThreadBasic::kRestoreDefaults);
        const std::vector<std::string> sent = Reports(11);
        if (family == Family::Feature) {
            EXPECT_EQ(sent, (std::vector<std::string>{"07EFAA" + std::string(16, '0')}));
        } else {
            ASSERT_EQ(sent.size(), 2u);
            EXPECT_EQ(sent[0], "00BBAA9988AAAAAAAAAAAA");
            EXPECT_EQ(sent[1], "00BBAA9988" + std::string(12, '0'));
            EXPECT_GE(keyboard_->Log()[1].timeMs - keyboard_->Log()[0].timeMs, 1600);
        }
        EXPECT_EQ(keyboard_->GetState().factoryResets, 1);
        EXPECT_EQ(keyboard_->GetState().unknownReports, 0);
        TearDown();
        SetUp();
    }
}

// A keyboard has no profile command: choosing a profile in its list sends what the new profile
// holds in the keyboard's own frames (never the mouse's 08 F7) and hands its keys to the driver.
TEST_F(KeyboardWorkerTest, ProfileSwitchSendsTheKeyboardsOwnFramesOfTheNewProfile) {
    for (Family family : {Family::Feature, Family::Prefixed}) {
        Start(family);
        ProfileRow added;
        added.name = "Profile 9";
        const int second = store_.AddProfile(added);
        ASSERT_GT(second, 0);
        worker_->SetCurrentProfile(second);
        Assign(4, 2, 0x3A);
        ASSERT_EQ(store_.CountLightRows(second), 0);
        LightRow light;
        light.profile = second;
        light.mode = 2;
        light.brightness = 1;
        light.speed = 3;
        ASSERT_GT(store_.AddLightRow(light), 0);
        ASSERT_TRUE(store_.SetActiveLightMode(second, 2));
        Run(CThreadBasic::kActivateProfile);
        const std::vector<std::string> sent = Reports(12);
        for (const std::string& r : sent)
            EXPECT_EQ(r.find("08F7"), std::string::npos) << r;
        EXPECT_EQ(keyboard_->GetState().unknownReports, 0);
        EXPECT_TRUE(keyboard_->GetState().lighting.set);
        EXPECT_EQ(keyboard_->GetState().lighting.effect, 1);
        EXPECT_EQ(keyboard_->GetState().lighting.brightness, 1);
        if (family == Family::Feature) {
            EXPECT_EQ(keyboard_->GetState().keyFunctions, (std::map<int, int>{{4, 0x3A}}));
            EXPECT_EQ(keyboard_->GetState().keyLightTables, 1);
        }
        EXPECT_EQ(filterDevice_.InterceptedKeys(), std::vector<int>{4});
        EXPECT_GE(window_.Reloads(), 1);
        TearDown();
        SetUp();
    }
}

// Restore defaults empties the store's key rows first; the driver must let go of those keys too,
// or they would go on playing the old functions.
TEST_F(KeyboardWorkerTest, RestoreDefaultsLetsTheDriverGoOfTheKeys) {
    Start(Family::Prefixed);
    Assign(4, 2, 0x3A);
    Run(CThreadBasic::kKeyboardKeyTable);
    ASSERT_EQ(filterDevice_.InterceptedKeys(), std::vector<int>{4});
    ASSERT_TRUE(store_.DeleteProfileKeyAssignments(worker_->CurrentProfile()));
    Run(CThreadBasic::kRestoreDefaults);
    EXPECT_TRUE(filterDevice_.InterceptedKeys().empty());
    EXPECT_EQ(companion_->MappedKeyCount(), 0u);
    EXPECT_FALSE(companion_->HandleKeyEvent(HidUsbFilter::KeyEvent{4, 0, true}));
}

TEST_F(KeyboardWorkerTest, KeyTableLoadsTheRemapTableAndAMacroKeyPlays) {
    Start(Family::Feature);
    const int macro = store_.CreateMacro("Macro 1");
    ASSERT_GT(macro, 0);
    std::vector<std::unique_ptr<MacroItemRow>> items;
    for (int type : {2, 3}) {
        auto item = std::make_unique<MacroItemRow>();
        item->macroId = macro;
        item->recordIndex = static_cast<int>(items.size());
        item->type = type;
        item->value = 'B';
        item->delayTime = 20;
        items.push_back(std::move(item));
    }
    ASSERT_GE(store_.SaveMacroItems(std::move(items)), 0);
    Assign(4, 2, 0x3A);
    Assign(5, 3, macro);
    Run(CThreadBasic::kKeyboardKeyTable);
    ASSERT_FALSE(keyboard_->GetState().macroRecords.empty());
    EXPECT_EQ(filterDevice_.InterceptedKeys(), (std::vector<int>{4, 5}));
    EXPECT_EQ(companion_->MappedKeyCount(), 2u);

    // The macro key queues task 11; the worker plays B down and up through report 1.
    virtualDevice_.ClearPackets();
    EXPECT_TRUE(companion_->HandleKeyEvent(HidUsbFilter::KeyEvent{5, 0, true}));
    EXPECT_EQ(companion_->PendingMacro(), macro);
    ASSERT_FALSE(worker_->Queue().Empty());
    Drain();
    bool pressed = false, released = false;
    for (const auto& packet : virtualDevice_.Packets()) {
        if (packet[1] != 1) continue;
        const bool down = (packet[3 + 0x05 / 8] >> (0x05 % 8)) & 1;
        if (down) pressed = true;
        if (pressed && !down) released = true;
    }
    EXPECT_TRUE(pressed && released);
}

// The program's services with the emulated prefixed keyboard on real time: its key assignments
// reach the remapping driver (the keyboard's wire has no frame for them), and a key with a
// software function, pressed on the keyboard, asks the window to perform it.
class SoftwareWindow : public RecordingWindow {
public:
    void SoftwareFunctionPressed(int id) override { pressed = id; }
    std::atomic<int> pressed{0};
};

TEST_F(KeyboardWorkerTest, ThePrefixedKeyboardsKeysGoThroughTheRemappingDriver) {
    ShellOptions options;
    options.simulatedKeyboard = "prefixed";
    HidDeviceManager manager(nullptr);
    SoftwareWindow window;
    ShellServices services(manager, store_);
    const char* source = std::getenv("PIVANE_SOURCE_DIR");
    ASSERT_TRUE(
        services.Start(options, {std::string(source ? source : ".") + "/data/", folder_}, window));
    auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 1000 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return done();
    };
    ASSERT_TRUE(waitFor([&] { return window.LastState().present; }));
    CThreadBasic& worker = *services.Worker();
    worker.ChooseDevice(EmulatedKeyboard::kPrefixedDeviceType, EmulatedKeyboard::kPrefixedName);
    worker.AddTask(CThreadBasic::kSwitchDevice);
    ASSERT_TRUE(waitFor([&] { return window.SwitchedType() == 301; }));
    ASSERT_TRUE(waitFor([&] { return worker.Queue().Empty() && store_.IsSettingsOpen(); }));

    const int page = store_.AddKeyExtraData("www.example.org", "", 9);
    ASSERT_GT(page, 0);
    KeyAssignmentRow row;
    row.profile = worker.CurrentProfile();
    row.keyCode = 0x0A;
    row.macroType = 9;
    row.macroValue = page;
    ASSERT_GT(store_.SaveKeyAssignment(row), 0);
    services.Link().SimulatedKeyboard()->ClearLog();
    worker.AddTask(CThreadBasic::kKeyboardKeyTable);
    SimHidFilter& driver = *services.Link().SimulatedFilter();
    ASSERT_TRUE(waitFor([&] { return driver.InterceptedKeys() == std::vector<int>{0x0A}; }));
    ASSERT_TRUE(waitFor([&] { return worker.Queue().Empty(); }));
    for (const auto& report : services.Link().SimulatedKeyboard()->Log())
        EXPECT_EQ(CommandFrame::ToHex(report.bytes.data(), 3), "0008FD")
            << "only status queries reach the keyboard itself";

    driver.PushEvent(0x0A, true);
    driver.PushEvent(0x0A, false);
    EXPECT_TRUE(waitFor([&] { return window.pressed == page; }));
    services.Stop();
    EXPECT_EQ(services.Link().SimulatedKeyboard()->RemapTables().back(), std::vector<int>{})
        << "the driver's table is cleared at the end";
}

} // namespace
