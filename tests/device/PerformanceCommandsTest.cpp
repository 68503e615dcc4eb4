#include "app/device/PerformanceCommands.h"

#include "tests/device/CommandSetFixture.h"

namespace {

class PerformanceCommandsTest : public CommandSetFixture {
protected:
    PerformanceCommands Commands() { return PerformanceCommands(*manager_, store_); }
};

TEST_F(PerformanceCommandsTest, ReportRateTravelsInTheFrameOfTheLink) {
    SetConfig(1, "report_rate", "3");
    ConnectCable();
    ASSERT_EQ(mode_, 0);
    EXPECT_TRUE(Commands().SetReportRate(mode_, 1));
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Hex(Sent()[0], 4), "08F80300");
    EXPECT_EQ(mouse_->GetState().profiles[1].reportRate, 3);

    ConnectReceiver();
    ASSERT_EQ(mode_, 2);
    EXPECT_TRUE(Commands().SetReportRate(mode_, 1));
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Hex(Sent()[0], 8), "BBAA998809F80300");
    EXPECT_EQ(mouse_->GetState().profiles[1].reportRate, 3);
}

TEST_F(PerformanceCommandsTest, DpiLevelCarriesZeroBasedStepOnCableAndOneBasedThroughReceiver) {
    SetConfig(1, "dpi_index", "2");
    SetConfig(1, "dpi_group2_value", "1200");
    SetConfig(1, "dpi_group2_rgb", std::to_string(0x0000FF00));
    SetConfig(1, "dpi_color2_value", "2");
    ConnectCable();
    EXPECT_TRUE(Commands().SetDpiLevel(mode_, 1));
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Hex(Sent()[0], 9), "08F902020B00FF0000");
    EXPECT_EQ(mouse_->GetState().profiles[1].dpiLevels[2].dpi, 1200);
    // A plain write: no reply is awaited, so there is no pause before a read.
    EXPECT_TRUE(clock_.Pauses().empty());

    ConnectReceiver();
    EXPECT_TRUE(Commands().SetDpiLevel(mode_, 1));
    EXPECT_EQ(Hex(Sent()[0], 12), "BBAA998809F902020C00FF00");
    EXPECT_EQ(mouse_->GetState().profiles[1].dpiLevels[2].dpi, 1200);
}

TEST_F(PerformanceCommandsTest, ResolutionOutsideTheStepTableIsSentAsAbsent) {
    SetConfig(1, "dpi_index", "0");
    SetConfig(1, "dpi_group0_value", "1250");
    ConnectCable();
    Commands().SetDpiLevel(mode_, 1);
    EXPECT_EQ(Sent()[0][4], 0xFF);
    SetConfig(1, "dpi_group0_value", "24000");
    ClearTraffic();
    Commands().SetDpiLevel(mode_, 1);
    EXPECT_EQ(Sent()[0][4], 239);

    SetConfig(1, "dpi_group0_value", "24100");
    ConnectReceiver();
    Commands().SetDpiLevel(mode_, 1);
    EXPECT_EQ(Sent()[0][8], 0);
}

TEST_F(PerformanceCommandsTest, DebounceIsTheSameMagicFrameOnBothLinks) {
    SetConfig(2, "antishake_time", "7");
    ConnectCable();
    EXPECT_TRUE(Commands().SetDebounceTime(mode_, 2));
    std::string cable = Hex(Sent()[0], 64);
    ConnectReceiver();
    EXPECT_TRUE(Commands().SetDebounceTime(mode_, 2));
    EXPECT_EQ(Hex(Sent()[0], 64), cable);
    EXPECT_EQ(cable.substr(0, 16), "2BAA55CC33030700");
}

TEST_F(PerformanceCommandsTest, WakeUpMethodIsStoredButNeverSentOverTheCable) {
    ConnectCable();
    EXPECT_FALSE(Commands().SetWakeUpMethod(mode_, 2));
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(mouse_->GetState().wakeUpMethod, -1);
    EXPECT_EQ(PerformanceCommands::ConfigInt(store_, 1, "wakeupmethod"), 2);

    ConnectReceiver();
    EXPECT_TRUE(Commands().SetWakeUpMethod(mode_, 1));
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Hex(Sent()[0], 8), "BBAA998809FE0000");
    EXPECT_EQ(PerformanceCommands::ConfigInt(store_, 1, "wakeupmethod"), 1);
    // The main window's other name for the receiver takes the same frame.
    ClearTraffic();
    EXPECT_TRUE(Commands().SetWakeUpMethod(1, 2));
    EXPECT_EQ(Hex(Sent()[0], 7), "BBAA998809FE01");
    EXPECT_EQ(mouse_->GetState().wakeUpMethod, 1);
}

TEST_F(PerformanceCommandsTest, ProfileSwitchIsFollowedBy1000MsAndNothingWithoutDevice) {
    ConnectCable();
    EXPECT_TRUE(Commands().SetActiveProfile(mode_, 3));
    EXPECT_EQ(Hex(Sent()[0], 3), "08F703");
    EXPECT_EQ(mouse_->GetState().activeProfile, 3);
    ASSERT_FALSE(clock_.Pauses().empty());
    EXPECT_EQ(clock_.Pauses().back(), 1000);

    ClearTraffic();
    EXPECT_FALSE(Commands().SetActiveProfile(-1, 2));
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(clock_.Pauses().empty());
}

TEST_F(PerformanceCommandsTest, UnseededProfileSendsZerosAndNoDeviceSendsNothing) {
    ConnectCable();
    // Profile 9 has no configuration rows: every value reads as 0.
    EXPECT_TRUE(Commands().SetReportRate(mode_, 9));
    EXPECT_EQ(Hex(Sent()[0], 3), "08F800");

    mouse_->PlugCable(false);
    ClearTraffic();
    EXPECT_FALSE(Commands().SetReportRate(mode_, 1));
    EXPECT_FALSE(Commands().SetDebounceTime(mode_, 1));
    EXPECT_TRUE(Sent().empty());
    // The stored value stays as the page saved it.
    EXPECT_EQ(PerformanceCommands::ConfigInt(store_, 1, "report_rate"), 0);
}

} // namespace
