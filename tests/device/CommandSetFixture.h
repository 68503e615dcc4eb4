#pragma once

#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "app/store/SettingsDatabase.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A real settings store with the three factory profiles in a temporary folder, and the device
// manager over the emulated mouse on virtual time.
class CommandSetFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds mouse and manager for the fixture (cable and/or receiver) and rescans.
    void Connect(const EmulatedMouse::Fixture& fixture);
    void ConnectCable() { Connect(EmulatedMouse::Fixture::Default(true, false)); }
    void ConnectReceiver() { Connect(EmulatedMouse::Fixture::Default(false, true)); }

    // Payloads of the reports that reached the mouse's command interfaces since the last
    // ClearTraffic (handshakes included unless cleared).
    std::vector<CommandFrame::Payload> Sent() const;
    void ClearTraffic();
    // "08F803..." of the first n payload bytes.
    static std::string Hex(const CommandFrame::Payload& payload, size_t n);
    void SetConfig(int profile, const std::string& key, const std::string& value);
    void SaveButton(int profile, int keyCode, int macroType, int macroValue);
    // A macro with key events from (virtual key, type, delay) triples; returns its id.
    int AddMacro(const std::vector<std::array<int, 3>>& events, int loopType = 0,
                 int playTimes = 1);

    std::string folder_;
    SettingsDatabase store_;
    VirtualClock clock_;
    std::shared_ptr<EmulatedMouse> mouse_;
    std::unique_ptr<HidDeviceManager> manager_;
    int mode_ = -1;
};
