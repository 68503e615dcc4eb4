#include "TolvaFixture.h"

#include "ui/controls/CCheckButton.h"
#include "ui/controls/CGifPicture.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/CSwitchButton.h"
#include "ui/controls/CTimerButton.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MLevelCtrl.h"
#include "ui/controls/MProgress.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class ButtonTest : public TolvaTest {
protected:
    // A person moves the pointer onto a control before clicking it.
    void ClickAt(NativeWindow* w, Point p) {
        head->MouseMove(w, p);
        head->Click(w, p);
    }
};

TEST_F(ButtonTest, CheckBoxTogglesOnlyOnAReleaseInsideAfterAPress) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    auto* box =
        dynamic_cast<CCheckButton*>(dlg.CreateControl("CCheckButton", 5, {10, 10, 150, 40}, "Box"));
    ASSERT_NE(box, nullptr);
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 20});
    head->MouseDown(w, MouseButton::Left, {20, 20});
    head->MouseUp(w, MouseButton::Left, {25, 22});
    EXPECT_TRUE(box->GetCheck());
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{5, 2, 0, 0}}));
    head->MouseMove(w, {20, 20});
    head->MouseDown(w, MouseButton::Left, {20, 20});
    head->MouseMove(w, {300, 200});
    head->MouseUp(w, MouseButton::Left, {300, 200});
    EXPECT_TRUE(box->GetCheck());
    EXPECT_EQ(dlg.notes.size(), 1u);
}

TEST_F(ButtonTest, RadioGroupOfThreeKeepsOneChecked) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    CRadioButton* r[3];
    for (int i = 0; i < 3; ++i) {
        r[i] = dynamic_cast<CRadioButton*>(
            dlg.CreateControl("CRadioButton", 10 + i, {10, 10 + 40 * i, 150, 40 + 40 * i}));
        ASSERT_NE(r[i], nullptr);
        r[i]->SetGroupName("g");
    }
    auto* other =
        dynamic_cast<CRadioButton*>(dlg.CreateControl("CRadioButton", 20, {200, 10, 300, 40}));
    other->SetGroupName("h");
    other->SetControlCheck(true);
    r[0]->SetControlCheck(true);
    ClickAt(dlg.GetSafeHwnd(), {20, 100});
    EXPECT_FALSE(r[0]->GetCheck());
    EXPECT_FALSE(r[1]->GetCheck());
    EXPECT_TRUE(r[2]->GetCheck());
    EXPECT_TRUE(other->GetCheck());
    ASSERT_FALSE(dlg.notes.empty());
    EXPECT_EQ(dlg.notes.back(), (Note{12, 2, 0, 0}));
}

TEST_F(ButtonTest, PushButtonStatesAndSwitchState) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    auto* b = dynamic_cast<MButton*>(dlg.CreateControl("MButton", 3, {10, 10, 110, 40}, "Go"));
    auto* s =
        dynamic_cast<CSwitchButton*>(dlg.CreateControl("CSwitchButton", 4, {10, 60, 110, 90}));
    ASSERT_NE(b, nullptr);
    ASSERT_NE(s, nullptr);
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 20});
    EXPECT_EQ(b->GetState(), CButtonBase::Hover);
    head->MouseDown(w, MouseButton::Left, {20, 20});
    EXPECT_EQ(b->GetState(), CButtonBase::Pressed);
    head->MouseUp(w, MouseButton::Left, {20, 20});
    EXPECT_EQ(b->GetState(), CButtonBase::Hover);
    b->SetEnabled(false);
    EXPECT_EQ(b->GetState(), CButtonBase::Disabled);
    b->SetEnabled(true);
    EXPECT_EQ(b->GetState(), CButtonBase::Normal);
    ClickAt(w, {20, 70});
    ClickAt(w, {20, 70});
    EXPECT_EQ(dlg.notes,
              (std::vector<Note>{{3, 1, 0, 0}, {3, 2, 0, 0}, {4, 2, 0, 1}, {4, 2, 0, 0}}));
}

TEST_F(ButtonTest, TimerButtonClicksItselfTenSecondsAfterTheStart) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.SetMTimer(10);
    auto* t = dynamic_cast<CTimerButton*>(
        dlg.CreateControl("CTimerButton", 8, {10, 10, 110, 40}, "Wait"));
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->SetRun(true), 1);
    for (int ms = 10; ms < 10000; ms += 10) {
        head->AdvanceTime(10);
        head->TickPeriodicTimers();
    }
    EXPECT_TRUE(dlg.notes.empty());
    head->AdvanceTime(10);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{8, 2, 0, 0}}));
    EXPECT_FALSE(t->IsRun());
    head->AdvanceTime(20000);
    EXPECT_EQ(dlg.notes.size(), 1u);
}

TEST_F(ButtonTest, GifStepsEveryFifthTickAndLevelClickSetsTheLevel) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.SetMTimer(10);
    auto* gif = dynamic_cast<CGifPicture*>(dlg.CreateControl("CGifPicture", 9, {10, 10, 60, 60}));
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(gif->SetImage("loading\\loading.gif"), 1);
    const int frames = gif->GetFrameCount();
    ASSERT_GE(frames, 2);
    for (int bad : {-1, frames, 1 << 30})
        EXPECT_EQ(gif->SetRunState(true, bad), 0);
    ASSERT_EQ(gif->SetRunState(true, 0), 1);
    for (int i = 0; i < 4; ++i)
        head->TickPeriodicTimers();
    EXPECT_EQ(gif->GetCurrentFrame(), 0);
    head->TickPeriodicTimers();
    EXPECT_EQ(gif->GetCurrentFrame(), 1);
    for (int i = 0; i < 5 * (frames - 1); ++i)
        head->TickPeriodicTimers();
    EXPECT_EQ(gif->GetCurrentFrame(), 0);
    ASSERT_EQ(gif->SetImage("btn_apply.png"), 1);
    EXPECT_EQ(gif->SetRunState(true, 0), 0);

    auto* level =
        dynamic_cast<MLevelCtrl*>(dlg.CreateControl("MLevelCtrl", 6, {100, 100, 200, 130}));
    ASSERT_NE(level, nullptr);
    for (int bad : {-1, 0, 6, 1 << 30})
        EXPECT_EQ(level->SetLevelValue(bad), 0);
    EXPECT_EQ(level->GetLevelValue(), 1);
    ClickAt(dlg.GetSafeHwnd(), {170, 115});
    EXPECT_EQ(level->GetLevelValue(), 4);
    ASSERT_FALSE(dlg.notes.empty());
    EXPECT_EQ(dlg.notes.back(), (Note{6, 2, 4, 0}));

    auto* bar = dynamic_cast<MProgress*>(dlg.CreateControl("MProgress", 7, {10, 200, 210, 210}));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->SetProgress(-1), 0);
    EXPECT_EQ(bar->SetProgress(1 << 30), 100);
    EXPECT_EQ(bar->DoneWidth(200), 200);
    EXPECT_EQ(bar->SetMaxProgress(0), 0);
}

} // namespace
} // namespace TolvaTest
