#include "app/shell/MacroRecorder.h"
#include "app/files/Language.h"
#include "app/shell/MacroNames.h"
#include "sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kA = 0x41, kB = 0x42;

class MacroRecorderTest : public ::testing::Test {
protected:
    VirtualClock clock;
    MacroRecorder recorder{clock};

    MacroRecorder::Result Down(int vk) {
        return recorder.OnKey(vk, std::string(1, char(vk)), false);
    }
    MacroRecorder::Result Up(int vk) { return recorder.OnKey(vk, std::string(1, char(vk)), true); }
    std::vector<int> Delays() const {
        std::vector<int> delays;
        for (const MacroEvent& e : recorder.Events())
            delays.push_back(e.delay);
        return delays;
    }
};

TEST_F(MacroRecorderTest, HeldKeyRecordsOneDownWithTheWholeHoldingTimeBeforeItsUp) {
    recorder.Start(MacroRecorder::kRecordedDelays, 10);
    EXPECT_EQ(Down(kA), MacroRecorder::Result::Recorded);
    // The keyboard repeats after 500 ms, then every 33 ms, until the key is let go at 1000 ms.
    clock.Advance(500);
    EXPECT_EQ(Down(kA), MacroRecorder::Result::Ignored);
    for (int i = 0; i < 14; ++i) {
        clock.Advance(33);
        EXPECT_EQ(Down(kA), MacroRecorder::Result::Ignored);
    }
    clock.Advance(1000 - (500 + 33 * 14));
    EXPECT_EQ(Up(kA), MacroRecorder::Result::Recorded);

    ASSERT_EQ(recorder.Events().size(), 2u);
    EXPECT_EQ(recorder.Events()[0].type, MacroEvent::kKeyDown);
    EXPECT_EQ(recorder.Events()[0].code, kA);
    EXPECT_EQ(recorder.Events()[0].name, "A");
    EXPECT_EQ(recorder.Events()[1].type, MacroEvent::kKeyUp);
    EXPECT_EQ(Delays(), (std::vector<int>{1000, MacroRecorder::kNewEventDelay}));
    EXPECT_EQ(recorder.PreviousDelaySet(), 1000);
}

TEST_F(MacroRecorderTest, PausesAreCappedAndTheFirstEventWaitsForNothing) {
    clock.Advance(5000); // time before the recording starts does not count
    recorder.Start(MacroRecorder::kRecordedDelays, 10);
    Down(kA);
    clock.Advance(120);
    Up(kA);
    clock.Advance(60000);
    Down(kB);
    clock.Advance(31000);
    Up(kB);
    EXPECT_EQ(Delays(), (std::vector<int>{120, 31000, 31000, 0}));
}

TEST_F(MacroRecorderTest, DelayTypesTwoAndThreeIgnoreTheMeasuredPauses) {
    recorder.Start(MacroRecorder::kNoDelays, 10);
    for (int vk : {kA, kB}) {
        Down(vk);
        clock.Advance(300);
        Up(vk);
        clock.Advance(700);
    }
    EXPECT_EQ(Delays(), (std::vector<int>{0, 0, 0, 0}));

    recorder.Start(MacroRecorder::kFixedDelay, 50);
    EXPECT_TRUE(recorder.Events().empty());
    for (int vk : {kA, kB}) {
        Down(vk);
        clock.Advance(300);
        Up(vk);
        clock.Advance(700);
    }
    EXPECT_EQ(Delays(), (std::vector<int>{50, 50, 50, 0}));
}

TEST_F(MacroRecorderTest, TheSixtiethEventEndsTheRecording) {
    recorder.Start(MacroRecorder::kRecordedDelays, 10);
    for (int i = 0; i < 29; ++i) {
        ASSERT_EQ(Down(kA), MacroRecorder::Result::Recorded);
        clock.Advance(10);
        ASSERT_EQ(Up(kA), MacroRecorder::Result::Recorded);
        clock.Advance(10);
    }
    EXPECT_EQ(Down(kB), MacroRecorder::Result::Recorded);
    EXPECT_TRUE(recorder.IsRecording());
    EXPECT_EQ(Up(kB), MacroRecorder::Result::Full);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.Events().size(), 60u);
    EXPECT_EQ(Down(kA), MacroRecorder::Result::Ignored);
    EXPECT_EQ(recorder.Events().size(), 60u);
}

TEST_F(MacroRecorderTest, IgnoresKeysOutsideARecordingAndReleasesItNeverSawPressed) {
    EXPECT_EQ(Down(kA), MacroRecorder::Result::Ignored);
    recorder.Start(MacroRecorder::kRecordedDelays, 10);
    // A was held when recording began: its release would play back without a press.
    EXPECT_EQ(Up(kA), MacroRecorder::Result::Ignored);
    EXPECT_EQ(recorder.OnKey(0, "", false), MacroRecorder::Result::Ignored);
    EXPECT_TRUE(recorder.Events().empty());
    Down(kB);
    recorder.Stop();
    // A new recording forgets that B was held.
    recorder.Start(MacroRecorder::kRecordedDelays, 10);
    EXPECT_EQ(Down(kB), MacroRecorder::Result::Recorded);
}

TEST(MacroNamesTest, NewNamesTakeTheSmallestFreeNumberUpToAThousand) {
    EXPECT_EQ(MacroNames::Unique("Macro", {}), "Macro 1");
    EXPECT_EQ(MacroNames::Unique("Macro", {"Macro 1", "Macro 3", "Macro 10"}), "Macro 2");
    EXPECT_EQ(MacroNames::Unique("Macro", {"Macro 2", "Other"}), "Macro 1");
    std::vector<std::string> all;
    for (int n = 1; n <= 999; ++n)
        all.push_back("Macro " + std::to_string(n));
    EXPECT_EQ(MacroNames::Unique("Macro", all), "Macro 1000");
    all.push_back("Macro 1000");
    EXPECT_EQ(MacroNames::Unique("Macro", all), "Macro 1000");
}

TEST(MacroNamesTest, CopiesAppendADashAndANumber) {
    EXPECT_EQ(MacroNames::Copy("Macro 1", {"Macro 1"}), "Macro 1 - 1");
    EXPECT_EQ(MacroNames::Copy("Macro 1", {"Macro 1", "Macro 1 - 1"}), "Macro 1 - 2");
    EXPECT_EQ(MacroNames::Copy("Macro 1 - 1", {"Macro 1", "Macro 1 - 1"}), "Macro 1 - 1 - 1");
}

TEST(MacroNamesTest, DefaultNamesShowInTheInterfaceLanguage) {
    const std::string zh = "\xE5\xAE\x8F"; // 宏
    EXPECT_EQ(MacroNames::Display("Macro 3", Language::kChinese, zh), zh + " 3");
    EXPECT_EQ(MacroNames::Display(zh + " 3", Language::kEnglish, "Macro"), "Macro 3");
    EXPECT_EQ(MacroNames::Display("Macro 3", Language::kEnglish, "Macro"), "Macro 3");
    EXPECT_EQ(MacroNames::Display("My macro", Language::kChinese, zh), "My macro");
    EXPECT_EQ(MacroNames::Display("Macro 3", Language::kChinese, ""), "Macro 3");
}

} // namespace
