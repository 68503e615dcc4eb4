// The pointer and lighting pages in the real window: the report rate, a DPI level's value and
// colour, the screen-colour effect and a lighting effect, checked in the bytes the emulated
// mouse received (its decoded state once the program ended) against the store.
#include "GuiProgram.h"

#include <chrono>
#include <string>
#include <thread>

using namespace GuiProgram;

namespace {

// Window (client) coordinates of the pointer page (layout 502 at 220, 110).
constexpr int kPageLeft = 220, kPageTop = 110;
constexpr int kRate1000X = kPageLeft + 20 + 3 * 105 + 40, kRateY = kPageTop + 267;
constexpr int kLevel3X = kPageLeft + 20 + 2 * 132 + 50, kLevelY = kPageTop + 86;
constexpr int kLevel3SwatchX = kPageLeft + 20 + 2 * 132 + 114, kSwatchY = kPageTop + 36 + 55;
constexpr int kSliderLeft = kPageLeft + 78, kSliderRight = kPageLeft + 866;
constexpr int kSliderY = kPageTop + 177;
// The colour dialog (320 x 260) centred on the window.
constexpr int kPaletteLeft = 440, kPaletteTop = 230;
constexpr int kPresetY = kPaletteTop + 216;
constexpr int kPaletteApplyX = kPaletteLeft + 320 - 54;
// The lighting page's mode list (rows of 36 from 156).
constexpr int kModeX = 355, kModeTop = 156, kModeRow = 36;

class PointerLightingGuiTest : public Fixture {
protected:
    void ChooseMode(int mode) { ClickAt(kModeX, kModeTop + kModeRow * (mode - 1) + kModeRow / 2); }
    // Presses on the DPI slider's thumb at `fromX` and drags it to `toX`.
    void DragSlider(int fromX, int toX) {
        Shell("xdotool mousemove " + std::to_string(kWindowLeft + fromX) + " " +
              std::to_string(kWindowTop + kSliderY) + " sleep 0.2 mousedown 1 sleep 0.2");
        for (int x = fromX; x != toX; x += (toX > fromX ? 20 : -20)) {
            if ((toX > fromX && x > toX) || (toX < fromX && x < toX)) break;
            MoveTo(x, kSliderY);
        }
        MoveTo(toX, kSliderY);
        Shell("xdotool sleep 0.2 mouseup 1 sleep 0.2");
    }
};

TEST_F(PointerLightingGuiTest, RateDpiAndLightingReachTheWire) {
    pid_t pid = 0;
    ASSERT_TRUE(StartAndSelectMouse(pid)) << "the mouse's pages did not open";
    ASSERT_TRUE(WaitForIdle());
    ASSERT_TRUE(OpenTab(3)) << "the pointer page did not open";
    Screenshot(shots_ + "/pointer-page.png");

    ClickAt(kRate1000X, kRateY);
    ASSERT_TRUE(WaitForTask());
    // Level 3 chosen, its value dragged up from 1200 DPI (position 11 of 239).
    ClickAt(kLevel3X, kLevelY);
    ASSERT_TRUE(WaitForTask());
    const int thumb = kSliderLeft + (kSliderRight - kSliderLeft) * 11 / 239;
    DragSlider(thumb, kSliderLeft + (kSliderRight - kSliderLeft) / 2);
    ASSERT_TRUE(WaitForTask());
    // Its colour: the dialog's second preset, applied.
    ClickAt(kLevel3SwatchX, kSwatchY);
    ASSERT_TRUE(WaitFor([] {
        return !Shell("xdotool search --onlyvisible --name '^Mouse PaletteDlg$' 2>/dev/null")
                    .empty();
    })) << "no colour dialog";
    Screenshot(shots_ + "/pointer-palette.png");
    ClickAt(kPaletteLeft + 16 + 25 + 10, kPresetY);
    ClickAt(kPaletteApplyX, kPresetY - 1);
    EXPECT_TRUE(WaitFor([] {
        return Shell("xdotool search --onlyvisible --name '^Mouse PaletteDlg$' 2>/dev/null")
            .empty();
    })) << "the colour dialog stayed";
    ASSERT_TRUE(WaitForTask());
    MoveTo(700, 690);
    Screenshot(shots_ + "/pointer-changed.png");

    // The screen-colour effect: frames at most every 100 ms while the page is shown. Nothing
    // on screen tells when one went out (the sampled spots are the window's own dark ones), so
    // the test gives it fifteen periods.
    ASSERT_TRUE(OpenTab(4)) << "the lighting page did not open";
    ChooseMode(9);
    ASSERT_TRUE(WaitForTask());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Screenshot(shots_ + "/lighting-screen.png");
    // Then a stored effect: Wave.
    ChooseMode(6);
    ASSERT_TRUE(WaitForTask());
    Screenshot(shots_ + "/lighting-wave.png");
    Quit(pid);

    const std::string dump = Ctl("--json sim-dump");
    ASSERT_FALSE(dump.empty());
    const std::string p1 = "[p for p in d['profiles'] if p['profile']==1][0]";
    EXPECT_EQ(Json(dump, p1 + "['report_rate']"), "3");
    EXPECT_EQ(Json(dump, p1 + "['dpi_index']"), "2");
    const std::string level = "[l for l in " + p1 + "['dpi_levels'] if l['level']==2][0]";
    const std::string config = Ctl("--json --profile 1 config get");
    const std::string stored = Json(config, "d['config']['dpi_group2_value']");
    EXPECT_NE(stored, "1200") << "the slider did not move";
    EXPECT_EQ(Json(dump, "str(" + level + "['dpi'])"), stored);
    // The colour on the wire is the stored one (0x00BBGGRR shown as RRGGBB).
    const std::string rgb = Json(config, "d['config']['dpi_group2_rgb']");
    EXPECT_NE(rgb, "16711680") << "the colour did not change";
    EXPECT_EQ(Json(dump, level + "['color']"),
              Json(config, "'%02X%02X%02X' % (int(d['config']['dpi_group2_rgb']) & 255, "
                           "(int(d['config']['dpi_group2_rgb']) >> 8) & 255, "
                           "(int(d['config']['dpi_group2_rgb']) >> 16) & 255)"));
    // Wave is effect 5 on the wire; the screen effect's live frame went before it.
    EXPECT_EQ(Json(dump, p1 + "['lighting']['mode']"), "5");
    EXPECT_NE(Json(dump, "d['live_frame']"), "None");
}

} // namespace
