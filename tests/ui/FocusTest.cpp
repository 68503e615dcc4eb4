#include "TolvaFixture.h"

#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class FocusTest : public TolvaTest {
protected:
    bool Tab(bool shift = false) {
        head->SetModifiers(shift, false, false);
        Message msg{dlg.GetSafeHwnd(), WM_KEYDOWN, static_cast<WPARAM>(VK_TAB), 0};
        const bool swallowed = dlg.PreTranslateMessage(&msg);
        head->SetModifiers(false, false, false);
        return swallowed;
    }
    ProbeDialog dlg;
};

TEST_F(FocusTest, TabMovesToTheNextFocusableControlAndWraps) {
    ASSERT_TRUE(dlg.Open());
    ProbeButton* a = dlg.AddButton(1, {0, 0, 10, 10});
    ProbeButton* skip = dlg.AddButton(2, {0, 20, 10, 30});
    ProbeButton* c = dlg.AddButton(3, {0, 40, 10, 50});
    ProbeButton* off = dlg.AddButton(4, {0, 60, 10, 70});
    a->SetTabStop(true);
    c->SetTabStop(true);
    off->SetTabStop(true);
    off->SetEnabled(false);
    (void)skip;
    EXPECT_TRUE(Tab());
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), a);
    EXPECT_TRUE(Tab());
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), c);
    EXPECT_TRUE(a->IsFocused() == false && c->IsFocused());
    EXPECT_TRUE(Tab());
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), a);
    EXPECT_TRUE(Tab(true));
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), c);
}

TEST_F(FocusTest, WithoutFocusableControlsTabDropsTheFocusOrPassesOn) {
    ASSERT_TRUE(dlg.Open());
    ProbeButton* a = dlg.AddButton(1, {0, 0, 10, 10});
    dlg.SetFocusControl(a);
    ASSERT_TRUE(a->IsFocused());
    // Someone held the focus: it goes and the key is swallowed.
    EXPECT_TRUE(Tab());
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), nullptr);
    EXPECT_FALSE(a->IsFocused());
    // Nobody held it: the key passes on.
    EXPECT_FALSE(Tab());
}

TEST_F(FocusTest, TheOnlyFocusableControlKeepsFocusAndTheKeyPassesOn) {
    ASSERT_TRUE(dlg.Open());
    ProbeButton* a = dlg.AddButton(1, {0, 0, 10, 10});
    a->SetTabStop(true);
    EXPECT_TRUE(Tab());
    EXPECT_FALSE(Tab());
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), a);
}

TEST_F(FocusTest, PressMovesFocusAndAPressElsewhereTakesItAway) {
    ASSERT_TRUE(dlg.Open());
    ProbeButton* a = dlg.AddButton(1, {10, 10, 60, 60});
    NativeWindow* w = dlg.GetSafeHwnd();
    dlg.EnableWndDrag(false);
    head->MouseMove(w, {20, 20});
    head->Click(w, {20, 20});
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), a);
    head->AdvanceTime(1000);
    head->MouseMove(w, {300, 200});
    head->Click(w, {300, 200});
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), nullptr);
    EXPECT_FALSE(a->IsFocused());
}

} // namespace
} // namespace TolvaTest
