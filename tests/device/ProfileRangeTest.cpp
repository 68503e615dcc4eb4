#include "app/device/KeyAssignmentCommands.h"
#include "app/device/PerformanceCommands.h"
#include "sim/MacroImageDecoder.h"

#include "tests/device/CommandSetFixture.h"

namespace {

constexpr int kPress = 2;
constexpr int kRelease = 3;

class ProfileRangeTest : public CommandSetFixture {
protected:
    KeyAssignmentCommands Keys() { return KeyAssignmentCommands(*manager_, store_); }
    PerformanceCommands Performance() { return PerformanceCommands(*manager_, store_); }
};

// Profile 17 OR loop type 16 is 17, whose low four bits name profile 1: sending it would
// overwrite profile 1's button on the mouse. Nothing is sent instead, and profile 1 keeps its
// macro.
TEST_F(ProfileRangeTest, ProfilesBeyondFifteenNeverReachAnotherProfilesSlot) {
    ConnectCable();
    const int first = AddMacro({{'A', kPress, 10}, {'A', kRelease, 10}});
    const int looped = AddMacro({{'B', kPress, 10}, {'B', kRelease, 10}}, 16);
    SaveButton(1, 210, 3, first);
    ASSERT_TRUE(Keys().AssignButton(mode_, 1, 210));
    const auto before = mouse_->GetState().profiles[1].macroImages[210];
    ASSERT_FALSE(before.empty());

    SaveButton(17, 210, 3, looped);
    SaveButton(17, 211, 5, 209);
    ClearTraffic();
    EXPECT_FALSE(Keys().AssignButton(mode_, 17, 210));
    EXPECT_FALSE(Keys().AssignButton(mode_, 17, 211));
    EXPECT_EQ(Keys().AssignAllButtons(mode_, 17), 0);
    EXPECT_FALSE(Performance().SetActiveProfile(mode_, 16));
    EXPECT_FALSE(Performance().SetActiveProfile(mode_, 0));
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(mouse_->GetState().profiles[1].macroImages[210], before);
    EXPECT_EQ(mouse_->GetState().activeProfile, 1);
}

TEST_F(ProfileRangeTest, FifteenIsTheLastProfileSent) {
    ConnectReceiver();
    const int macro = AddMacro({{'C', kPress, 10}, {'C', kRelease, 10}}, 32, 3);
    SaveButton(15, 212, 3, macro);
    EXPECT_TRUE(Keys().AssignButton(mode_, 15, 212));
    EXPECT_TRUE(Performance().SetActiveProfile(mode_, 15));
    const auto state = mouse_->GetState();
    EXPECT_EQ(state.activeProfile, 15);
    const auto played = MacroImageDecoder::Decode(state.profiles.at(15).macroImages.at(212));
    EXPECT_EQ(played.playTimes, 3);
}

} // namespace
