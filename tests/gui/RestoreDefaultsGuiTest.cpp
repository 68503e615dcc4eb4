// Restore defaults from the configuration page of the real program under Xvfb: the question box
// answered with its second button sends nothing; answered with its first, the factory-reset
// command reaches the emulated mouse on the wire exactly once.
#include "tests/gui/GuiProgram.h"

#include <sstream>
#include <string>

using namespace GuiProgram;

namespace {

// The restore button of the configuration page (client coordinates of the window).
constexpr int kRestoreX = 220 + 40 + 100, kRestoreY = 110 + 150 + 20 + 3 * 50 + 10 + 17;
// The 380 x 200 question box, centred on the window, and its two buttons.
constexpr int kBoxLeft = (1200 - 380) / 2, kBoxTop = (720 - 200) / 2;
constexpr int kYesX = kBoxLeft + 190 - 60, kNoX = kBoxLeft + 190 + 60, kAnswerY = kBoxTop + 165;

bool BoxShown() {
    std::istringstream ids(Shell("xdotool search --onlyvisible --name '' 2>/dev/null"));
    std::string id;
    while (ids >> id)
        if (Shell("xdotool getwindowgeometry " + id + " 2>/dev/null").find("Geometry: 380x200") !=
            std::string::npos)
            return true;
    return false;
}

class RestoreDefaultsGuiTest : public Fixture {
protected:
    // Reports on the wire that carry the reset command, through the cable or the receiver.
    std::string ResetsOnWire(const std::string& dump) {
        return Json(dump, "sum(1 for r in d['reports'] if not r['feature'] and "
                          "(r['hex'][2:6] == '08FB' or r['hex'][2:14] == 'BBAA998809FB'))");
    }
};

TEST_F(RestoreDefaultsGuiTest, OnlyAConfirmedRestoreSendsTheResetToTheMouse) {
    pid_t pid = 0;
    ASSERT_TRUE(StartAndSelectMouse(pid)) << "the mouse's pages did not open";
    ASSERT_TRUE(WaitForIdle());
    ASSERT_TRUE(OpenTab(5)) << "the configuration page did not open";

    ClickAt(kRestoreX, kRestoreY);
    ASSERT_TRUE(WaitFor(BoxShown)) << "no question box";
    Screenshot(shots_ + "/restore-question.png");
    ClickAt(kNoX, kAnswerY);
    ASSERT_TRUE(WaitFor([] { return !BoxShown(); })) << "the box stayed after the second button";
    ASSERT_TRUE(WaitForIdle());

    ClickAt(kRestoreX, kRestoreY);
    ASSERT_TRUE(WaitFor(BoxShown)) << "no question box the second time";
    ClickAt(kYesX, kAnswerY);
    ASSERT_TRUE(WaitFor([] { return !BoxShown(); })) << "the box stayed after the first button";
    ASSERT_TRUE(WaitForTask()) << "the restore task did not end";

    // The mouse's state reaches its file when the program ends.
    Quit(pid);
    const std::string dump = Ctl("--json sim-dump");
    EXPECT_EQ(Json(dump, "d['factory_resets']"), "1");
    EXPECT_EQ(ResetsOnWire(dump), "1");
}

} // namespace
