#include "tests/device/CommandSetFixture.h"

#include "app/store/ProfileDefaults.h"

#include <cstdlib>
#include <filesystem>

void CommandSetFixture::SetUp() {
    char pattern[] = "/tmp/pivane-cmds-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = std::string(pattern) + "/";
    std::filesystem::create_directories(folder_ + "db");
    ASSERT_TRUE(store_.OpenSettingsDatabase(folder_, "test"));
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    ASSERT_EQ(ProfileDefaults::LoadOrCreateProfiles(store_, "Profile", 601, profiles), 3);
    // Until a test connects the mouse, commands go to a manager with nothing open.
    manager_ = std::make_unique<HidDeviceManager>(nullptr, &clock_);
}

void CommandSetFixture::TearDown() {
    manager_.reset();
    store_.CloseSettingsDatabase();
    store_.SetOpenFlag(false);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

void CommandSetFixture::Connect(const EmulatedMouse::Fixture& fixture) {
    mouse_ = std::make_shared<EmulatedMouse>(fixture, &clock_);
    manager_ = std::make_unique<HidDeviceManager>(mouse_, &clock_);
    manager_->AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kCableProductId,
                                 EmulatedMouse::kCableRelease, EmulatedMouse::kName,
                                 EmulatedMouse::kDeviceType, 0, EmulatedMouse::kInterfacePattern);
    manager_->AddSupportedDevice(EmulatedMouse::kVendorId, EmulatedMouse::kReceiverProductId,
                                 EmulatedMouse::kReceiverRelease, EmulatedMouse::kName,
                                 EmulatedMouse::kDeviceType, 2, EmulatedMouse::kInterfacePattern);
    manager_->Rescan();
    manager_->SetSelectedDeviceType(EmulatedMouse::kDeviceType);
    mode_ = manager_->ConnectedMode();
    ClearTraffic();
}

std::vector<CommandFrame::Payload> CommandSetFixture::Sent() const {
    std::vector<CommandFrame::Payload> out;
    for (const auto& entry : mouse_->Log())
        if (entry.command && !entry.feature) out.push_back(CommandFrame::PayloadOf(entry.bytes));
    return out;
}

void CommandSetFixture::ClearTraffic() {
    mouse_->ClearLog();
    clock_.ClearPauses();
}

std::string CommandSetFixture::Hex(const CommandFrame::Payload& payload, size_t n) {
    return CommandFrame::ToHex(payload.data(), n);
}

void CommandSetFixture::SetConfig(int profile, const std::string& key, const std::string& value) {
    ASSERT_TRUE(store_.SetConfigValue(profile, key, value));
}

void CommandSetFixture::SaveButton(int profile, int keyCode, int macroType, int macroValue) {
    KeyAssignmentRow row;
    row.profile = profile;
    row.keyCode = keyCode;
    row.macroType = macroType;
    row.macroValue = macroValue;
    row.macroDesc = "test";
    store_.SaveButtonAssignment(row);
}

int CommandSetFixture::AddMacro(const std::vector<std::array<int, 3>>& events, int loopType,
                                int playTimes) {
    MacroRow macro;
    macro.name = "Macro";
    macro.playTimes = playTimes;
    macro.delayType = 1;
    macro.loopType = loopType;
    int id = store_.AddMacro(macro);
    std::vector<std::unique_ptr<MacroItemRow>> items;
    int index = 0;
    for (const auto& e : events) {
        auto item = std::make_unique<MacroItemRow>();
        item->macroId = id;
        item->value = e[0];
        item->type = e[1];
        item->delayTime = e[2];
        item->recordIndex = index++;
        items.push_back(std::move(item));
    }
    store_.SaveMacroItems(std::move(items));
    return id;
}
