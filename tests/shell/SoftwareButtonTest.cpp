#include "app/device/CommandFrame.h"
#include "app/device/DeviceStatusMonitor.h"

#include "WorkerFixture.h"

#include <vector>

namespace {

class SoftwareWindow : public RecordingWindow {
public:
    void SoftwareFunctionPressed(int id) override { ids.push_back(id); }
    std::vector<int> ids;
};

class SoftwareButtonTest : public WorkerFixture {
protected:
    EmulatedMouse::Link CurrentLink() const {
        return manager_->ConnectedMode() == CommandFrame::kModeWired
                   ? EmulatedMouse::Link::Cable
                   : EmulatedMouse::Link::Receiver;
    }
    void Assign(int profile, int keyCode, int type, int value) {
        KeyAssignmentRow row;
        row.profile = profile;
        row.keyCode = keyCode;
        row.macroType = type;
        row.macroValue = value;
        row.macroDesc = "f";
        ASSERT_GT(store_.SaveButtonAssignment(row), 0);
    }
};

TEST(ButtonReportTest, OnlyTheButtonSignatureCarriesAKey) {
    const auto report = CommandFrame::ButtonReport(2, 211);
    EXPECT_EQ(CommandFrame::ButtonReportKey(report.data(), report.size()), 211);
    EXPECT_FALSE(CommandFrame::HasStatusSignature(report.data(), report.size()));
    const auto status = CommandFrame::StatusReply(80, 3);
    EXPECT_EQ(CommandFrame::ButtonReportKey(status.data(), status.size()), 0);
    EXPECT_EQ(CommandFrame::ButtonReportKey(report.data(), 5), 0);
    EXPECT_EQ(CommandFrame::ButtonReportKey(nullptr, 64), 0);
}

// The mouse reports the press; the worker looks the button up in the current profile and hands
// a software function (and nothing else) to the window.
TEST_F(SoftwareButtonTest, APressedButtonsSoftwareFunctionReachesTheWindow) {
    StartAndChooseMouse();
    const int page = store_.AddKeyExtraData("example.com", "", 9);
    ASSERT_GT(page, 0);
    Assign(2, 211, 9, page);
    Assign(2, 212, 5, 209);
    SoftwareWindow window;
    CThreadBasic worker(MakeSetup(), window);
    worker.SetShownDeviceType(EmulatedMouse::kDeviceType);
    worker.SetCurrentProfile(2);

    mouse_->PressButton(CurrentLink(), 211);
    worker.RunPass();
    EXPECT_EQ(window.ids, std::vector<int>{page});
    mouse_->PressButton(CurrentLink(), 212); // a plain mouse function
    worker.RunPass();
    EXPECT_EQ(window.ids.size(), 1u);
    worker.SetCurrentProfile(1); // the button does something else there
    mouse_->PressButton(CurrentLink(), 211);
    worker.RunPass();
    EXPECT_EQ(window.ids.size(), 1u);
    EXPECT_EQ(mouse_->PendingInput(CurrentLink()), 0u);
}

// A status report still counts while button reports come and go.
TEST_F(SoftwareButtonTest, StatusReportsAreStillTaken) {
    StartAndChooseMouse();
    DeviceStatusMonitor monitor(*manager_);
    monitor.SetConnection(true, manager_->ConnectedMode());
    mouse_->PressButton(CurrentLink(), 213);
    const auto pressed = monitor.Poll(EmulatedMouse::kDeviceType);
    EXPECT_EQ(pressed.pressedButton, 213);
    EXPECT_FALSE(pressed.rescan);
    mouse_->SetBattery(55);
    mouse_->SendNotification(CurrentLink());
    const auto status = monitor.Poll(EmulatedMouse::kDeviceType);
    EXPECT_EQ(status.pressedButton, 0);
    EXPECT_TRUE(status.batteryChanged);
    EXPECT_EQ(monitor.Current().battery, 55);
}

} // namespace
