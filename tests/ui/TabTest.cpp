#include "TolvaFixture.h"

#include "ui/controls/MTabCtrl.h"
#include "ui/controls/MTabLayout.h"

#include <algorithm>

using namespace Tolva;

namespace TolvaTest {
namespace {

class TabTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(400, 300));
        dlg.EnableWndDrag(false);
        tabs = dynamic_cast<MTabCtrl*>(dlg.CreateControl("MTabCtrl", 40, {0, 0, 300, 40}));
        ASSERT_NE(tabs, nullptr);
        w = dlg.GetSafeHwnd();
    }
    void AddTabs(int n) {
        for (int i = 0; i < n; ++i) {
            MTabLayout* page = tabs->CreatePanel(60 + i, {0, 40, 400, 300});
            ASSERT_NE(page, nullptr);
            pages.push_back(page);
            tabs->InsertItem(i, "Tab " + std::to_string(i), {}, page, -1, 60);
        }
    }
    ProbeDialog dlg;
    MTabCtrl* tabs = nullptr;
    std::vector<MTabLayout*> pages;
    NativeWindow* w = nullptr;
};

TEST_F(TabTest, SelectingTheCurrentTabChangesNothingAndANewOneShowsOnlyItsPage) {
    AddTabs(3);
    EXPECT_EQ(tabs->SetSelectItem(0), -1);
    dlg.notes.clear();
    EXPECT_EQ(tabs->SetSelectItem(0), 0);
    EXPECT_TRUE(dlg.notes.empty());
    EXPECT_EQ(tabs->SetSelectItem(2), 0);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{40, 2, 2, 0}}));
    EXPECT_EQ(tabs->GetSelectItem(), 2);
    EXPECT_FALSE(pages[0]->IsVisible());
    EXPECT_FALSE(pages[1]->IsVisible());
    EXPECT_TRUE(pages[2]->IsVisible());
    dlg.notes.clear();
    EXPECT_EQ(tabs->SetSelectItem(3), 2);
    EXPECT_EQ(tabs->SetSelectItem(-1), 2);
    EXPECT_TRUE(dlg.notes.empty());
}

TEST_F(TabTest, ItemWidthFollowsTheAvailableWidthBetweenTheMinimumAndTheWidth) {
    AddTabs(4);
    tabs->SetLeftRightPading(10, 10); // 280 available, 70 per tab
    tabs->SetItemWidth(100, 50);
    EXPECT_EQ(tabs->GetItemRect(0), (Rect{10, 0, 80, 40}));
    EXPECT_EQ(tabs->GetItemRect(3), (Rect{220, 0, 290, 40}));
    tabs->SetItemWidth(60, 50);
    EXPECT_EQ(tabs->GetItemRect(1).Width(), 60);
    AddTabs(4); // 35 per tab is below the minimum
    tabs->SetItemWidth(100, 50);
    EXPECT_EQ(tabs->GetItemRect(7).Width(), 50);
    tabs->SetItemWidth(45, 0); // no minimum: the width itself
    EXPECT_EQ(tabs->GetItemRect(7), (Rect{10 + 7 * 45, 0, 10 + 8 * 45, 40}));
    // Heights follow the same rule.
    tabs->SetTabType(MTabCtrl::Vertical);
    tabs->SetTopBottomPading(0, 0);
    tabs->SetItemHeight(30, 4);
    EXPECT_EQ(tabs->GetItemRect(0).Height(), 5); // 40 / 8
    // A hidden tab takes no room.
    tabs->SetTabType(MTabCtrl::Horizontal);
    tabs->SetItemHeight(0);
    tabs->SetItemVisible(0, false);
    EXPECT_TRUE(tabs->GetItemRect(0).IsEmpty());
    EXPECT_EQ(tabs->GetItemRect(1).left, 10);
}

TEST_F(TabTest, ImageStripGivesTheWidthWithThreeFramesByDefault) {
    ASSERT_EQ(tabs->InsertItem(1, "", "icon\\tab_home.png", nullptr, -1, 0), 0);
    TabItemInfo info;
    ASSERT_TRUE(tabs->GetItemInfo(0, info));
    EXPECT_EQ(info.frames, 3);
    EXPECT_EQ(info.frameWidth, 144 / 3);
    EXPECT_EQ(tabs->GetItemRect(0).Width(), 48);
}

TEST_F(TabTest, PressSendsNineAndReleaseSelectsWithTheAnimationOnTimerHundred) {
    AddTabs(3);
    tabs->SetSelectItem(0);
    tabs->EnableAnimateChangeTab(true);
    dlg.notes.clear();
    head->MouseMove(w, {150, 20}); // tab 2 covers 120..180
    head->MouseDown(w, MouseButton::Left, {150, 20});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{40, 9, 2, 0}}));
    head->MouseUp(w, MouseButton::Left, {150, 20});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{40, 9, 2, 0}, {40, 2, 2, 0}}));
    EXPECT_TRUE(pages[2]->IsVisible());
    EXPECT_TRUE(dlg.GetPaintManager().IsControlTimerLive(tabs, MTabCtrl::kAnimateTimer));
    EXPECT_TRUE(tabs->IsAnimating());
    head->AdvanceTime(MTabCtrl::kAnimateMs * (MTabCtrl::kAnimateSteps + 1));
    EXPECT_FALSE(tabs->IsAnimating());
    EXPECT_FALSE(dlg.GetPaintManager().IsControlTimerLive(tabs, MTabCtrl::kAnimateTimer));
}

TEST_F(TabTest, DeletingTheSelectedTabHidesItsPage) {
    AddTabs(3);
    tabs->SetSelectItem(1);
    EXPECT_EQ(tabs->DeleteItem(1), 1);
    EXPECT_EQ(tabs->GetSelectItem(), -1);
    EXPECT_FALSE(pages[1]->IsVisible());
    EXPECT_EQ(tabs->GetItemID(1), 2u);
    EXPECT_EQ(tabs->SetSelectItem(1), -1);
    EXPECT_TRUE(pages[2]->IsVisible());
}

} // namespace
} // namespace TolvaTest
