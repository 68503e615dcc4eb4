#include "TolvaFixture.h"

#include "ui/paint/MShadow.h"
#include "ui/paint/MessageBanner.h"

#include <map>

using namespace Tolva;

namespace TolvaTest {
namespace {

// A banner on hooks that record the timers instead of starting them.
class BannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBanner::Hooks hooks;
        hooks.startTimer = [this](uint32_t id, uint32_t ms) { running[id] = ms; };
        hooks.stopTimer = [this](uint32_t id) { running.erase(id); };
        hooks.repaint = [this](const Rect* r) { ++repaints; };
        hooks.clientRect = [] { return Rect{0, 0, 400, 300}; };
        banner.SetHooks(hooks);
    }
    // Fires `id` while it runs, at most `limit` times; returns how many times it fired.
    int Run(uint32_t id, int limit = 1000) {
        int n = 0;
        while (running.count(id) && n < limit) {
            banner.OnTimer(id);
            ++n;
        }
        return n;
    }
    MessageBanner banner;
    std::map<uint32_t, uint32_t> running;
    int repaints = 0;
};

TEST_F(BannerTest, ProgressAnimatesInStepsOfTwoEveryTenMilliseconds) {
    banner.SetProgress(50, "Downloading", {});
    EXPECT_EQ(banner.Progress(), 0);
    ASSERT_EQ(running.at(MessageBanner::kStepTimer), 10u);
    banner.OnTimer(MessageBanner::kStepTimer);
    EXPECT_EQ(banner.Progress(), 2);
    EXPECT_EQ(Run(MessageBanner::kStepTimer), 24);
    EXPECT_EQ(banner.Progress(), 50);
    EXPECT_FALSE(running.count(MessageBanner::kFadeTimer));
    // The default rectangle spans the client width near the bottom.
    EXPECT_EQ(banner.GetRect(), (Rect{0, 240, 400, 298}));
}

TEST_F(BannerTest, SmallStepsJumpAndTheSameTargetIsIgnored) {
    banner.SetProgress(3, "x", {});
    EXPECT_EQ(banner.Progress(), 3);
    EXPECT_FALSE(running.count(MessageBanner::kStepTimer));
    const int before = repaints;
    banner.SetProgress(3, "x", {});
    EXPECT_EQ(repaints, before);
    // Odd distances stop at the target instead of running past it.
    banner.SetProgress(20, "x", {});
    Run(MessageBanner::kStepTimer);
    EXPECT_EQ(banner.Progress(), 20);
}

TEST_F(BannerTest, ReachingOneHundredFadesOutInTwentyFourTicks) {
    banner.SetProgress(96, "x", {});
    Run(MessageBanner::kStepTimer);
    banner.SetProgress(100, "x", {});
    EXPECT_EQ(banner.Progress(), 100);
    ASSERT_EQ(running.at(MessageBanner::kFadeTimer), 50u);
    EXPECT_EQ(Run(MessageBanner::kFadeTimer, 23), 23);
    EXPECT_EQ(banner.Alpha(), 25);
    EXPECT_EQ(Run(MessageBanner::kFadeTimer), 1);
    EXPECT_EQ(banner.Alpha(), 0);
    EXPECT_EQ(banner.Progress(), 0);
    // The next operation can show its completion again, animated from 0.
    banner.SetProgress(100, "again", {});
    EXPECT_TRUE(running.count(MessageBanner::kStepTimer));
    EXPECT_EQ(Run(MessageBanner::kStepTimer), 50);
    EXPECT_TRUE(running.count(MessageBanner::kFadeTimer));
}

TEST_F(BannerTest, MessageShowsAtFullAlphaAndBoundsItsDisplayTime) {
    banner.SetProgress(100, "x", {});
    Run(MessageBanner::kStepTimer);
    ASSERT_TRUE(running.count(MessageBanner::kFadeTimer));
    banner.SetMessage("Saved", {10, 10, 210, 70}, MsgInfo);
    EXPECT_FALSE(running.count(MessageBanner::kFadeTimer));
    EXPECT_EQ(running.at(MessageBanner::kShowTimer), 3000u);
    EXPECT_EQ(banner.Alpha(), 255);
    EXPECT_EQ(banner.Text(), "Saved");
    banner.OnTimer(MessageBanner::kShowTimer);
    EXPECT_FALSE(running.count(MessageBanner::kShowTimer));
    EXPECT_EQ(banner.Alpha(), 255);
}

class WindowBannerTest : public TolvaTest {};

TEST_F(WindowBannerTest, ProgressBarIsDrawnAndFadesOnTheWindowClock) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(300, 200));
    dlg.SetProgress(100, "Done", {});
    head->AdvanceTime(10 * 25);
    EXPECT_EQ(dlg.GetPaintManager().Banner().Progress(), 50);
    head->AdvanceTime(10 * 25);
    ASSERT_EQ(dlg.GetPaintManager().Banner().Progress(), 100);
    Platform::ProcessPending();
    // The bar: 3 pixels at bottom - 16, filled to the full width for 100 %.
    EXPECT_TRUE(Near(head->Pixel(dlg.GetSafeHwnd(), {150, 200 - 2 - 15}), 0xFFFFE100u));
    head->AdvanceTime(50 * 23);
    EXPECT_EQ(dlg.GetPaintManager().Banner().Alpha(), 25);
    head->AdvanceTime(50);
    EXPECT_EQ(dlg.GetPaintManager().Banner().Alpha(), 0);
    Platform::ProcessPending();
    EXPECT_TRUE(Near(head->Pixel(dlg.GetSafeHwnd(), {150, 183}), 0xFE050505u));
}

TEST(ShadowTest, SettersRejectValuesOutsideTheirRanges) {
    MShadow shadow;
    EXPECT_EQ(shadow.SetSize(36), 0);
    EXPECT_EQ(shadow.SetSize(-36), 0);
    EXPECT_EQ(shadow.GetSize(), 0);
    EXPECT_EQ(shadow.SetSize(-35), 1);
    EXPECT_EQ(shadow.SetDarkness(255), 1);
    EXPECT_EQ(shadow.SetDarkness(256), 0);
    EXPECT_EQ(shadow.GetDarkness(), 255);
    EXPECT_EQ(shadow.SetSharpness(-1), 0);
    EXPECT_EQ(shadow.SetSharpness(35), 1);
    EXPECT_EQ(shadow.SetPosition(35, -36), 0);
    EXPECT_EQ(shadow.GetPosition(), (Point{5, 5}));
    EXPECT_EQ(shadow.SetPosition(-35, 35), 1);
}

TEST(ShadowTest, KernelIsFlatInsideAndFadesToTheRadius) {
    // size 10, sharpness 4: inner 6, radius 10.
    EXPECT_EQ(MShadow::KernelAlpha(0, 10, 4, 150), 150);
    EXPECT_EQ(MShadow::KernelAlpha(5.9, 10, 4, 150), 150);
    EXPECT_EQ(MShadow::KernelAlpha(6, 10, 4, 150), 150);
    EXPECT_EQ(MShadow::KernelAlpha(8, 10, 4, 150), 90);
    EXPECT_EQ(MShadow::KernelAlpha(10.5, 10, 4, 150), 0);
    std::vector<std::pair<int, int>> rows(20, {0, 29});
    cairo_surface_t* s = MShadow::BuildBitmap(rows, 30, 0, 5, 200, 0x0000FF);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(s), 40);
    EXPECT_EQ(cairo_image_surface_get_height(s), 30);
    // Inside the region: full darkness in the (premultiplied) shadow colour.
    EXPECT_EQ(PixelAt(s, 20, 15), 0xC8FF0000u);
    EXPECT_EQ(PixelAt(s, 0, 0), 0u);
    EXPECT_GT(PixelAt(s, 3, 15) >> 24, 0u);
    EXPECT_LT(PixelAt(s, 3, 15) >> 24, 200u);
    cairo_surface_destroy(s);
}

} // namespace
} // namespace TolvaTest
