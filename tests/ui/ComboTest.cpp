#include "TolvaFixture.h"

#include "ui/controls/CColorCombo.h"
#include "ui/controls/CComboBoxList.h"
#include "ui/controls/ComboWnd.h"
#include "ui/controls/MComboBox.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class ComboTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(400, 400));
        dlg.EnableWndDrag(false);
        combo = dynamic_cast<MComboBox*>(dlg.CreateControl("MComboBox", 10, {20, 20, 180, 50}));
        ASSERT_NE(combo, nullptr);
        w = dlg.GetSafeHwnd();
    }
    void Fill(int n) {
        for (int i = 0; i < n; ++i)
            combo->AddItem("Item " + std::to_string(i), 100 + i);
    }
    void ClickCombo() {
        head->MouseMove(w, {60, 30});
        head->Click(w, {60, 30});
        head->AdvanceTime(1000); // the next click is not a double click
    }
    ProbeDialog dlg;
    MComboBox* combo = nullptr;
    NativeWindow* w = nullptr;
};

TEST_F(ComboTest, PopupIsTheBoxWidthAndAtMostFiveRowsHighBelowTheBox) {
    Fill(3);
    ClickCombo();
    ASSERT_TRUE(combo->IsDropDownOpen());
    NativeWindow* popup = combo->GetDropDown()->GetSafeHwnd();
    const Rect box = w->ClientToScreen(combo->GetRect());
    EXPECT_EQ(popup->GetWindowRect(), (Rect{box.left, box.bottom, box.right, box.bottom + 102}));
    EXPECT_EQ(combo->GetDropDown()->GetList()->GetItemCount(), 3);

    // A press on the box while the list is open closes it and does not open it again.
    ClickCombo();
    EXPECT_FALSE(combo->IsDropDownOpen());

    Fill(4); // seven items: the list scrolls inside five rows
    ClickCombo();
    ASSERT_TRUE(combo->IsDropDownOpen());
    popup = combo->GetDropDown()->GetSafeHwnd();
    EXPECT_EQ(popup->GetWindowRect().Height(), 5 * 30 + 12);
    EXPECT_TRUE(combo->GetDropDown()->GetList()->VerticalBar()->IsVisible());
    EXPECT_TRUE(dlg.notes.empty());
}

TEST_F(ComboTest, ChoosingARowSelectsItSendsTwoWithTheIndexAndCloses) {
    Fill(3);
    ClickCombo();
    ASSERT_TRUE(combo->IsDropDownOpen());
    NativeWindow* popup = combo->GetDropDown()->GetSafeHwnd();
    // Rows start below the 6-pixel frame: the second row covers y 36..66.
    head->MouseMove(popup, {50, 50});
    head->Click(popup, {50, 50});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{10, 2, 1, 0}}));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->GetTitle(), "Item 1");
    EXPECT_EQ(combo->GetCurData(), 101);
    EXPECT_FALSE(combo->IsDropDownOpen());
}

TEST_F(ComboTest, KeysInTheOpenListMoveAndChoose) {
    Fill(3);
    combo->SetCurSel(0);
    ClickCombo();
    ASSERT_TRUE(combo->IsDropDownOpen());
    head->KeyDown(w, VK_DOWN);
    head->KeyDown(w, VK_DOWN);
    head->KeyDown(w, VK_DOWN); // stays on the last row
    head->KeyDown(w, VK_RETURN);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{10, 2, 2, 0}}));
    EXPECT_EQ(combo->GetCurSel(), 2);
}

TEST_F(ComboTest, AnEmptyComboOpensNothing) {
    ClickCombo();
    EXPECT_FALSE(combo->IsDropDownOpen());
    combo->SetEnabled(false);
    Fill(2);
    ClickCombo();
    EXPECT_FALSE(combo->IsDropDownOpen());
}

TEST_F(ComboTest, SelectionSettersKeepTheirRangesAndNeverNotify) {
    Fill(3);
    EXPECT_EQ(combo->SetCurSel(2), 1);
    EXPECT_EQ(combo->GetTitle(), "Item 2");
    EXPECT_EQ(combo->SetCurSel(3), 0);
    EXPECT_EQ(combo->SetCurSel(-2), 0);
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->SetCurSel(-1), 1);
    EXPECT_EQ(combo->GetTitle(), "");
    EXPECT_EQ(combo->GetCurData(), 0);

    EXPECT_EQ(combo->SelectData(101), 1);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->SelectData(999), 0);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->FindData(102), 2);
    EXPECT_EQ(combo->FindData(5), -1);

    // The current item follows inserts and deletes before it; deleting it clears the title.
    EXPECT_EQ(combo->InsertItem(0, "First", 7), 0);
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(combo->GetCurData(), 101);
    EXPECT_EQ(combo->DeleteItem(0), 1);
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_EQ(combo->SetItemText(1, "Renamed"), 1);
    EXPECT_EQ(combo->GetTitle(), "Renamed");
    EXPECT_EQ(combo->DeleteItem(1), 1);
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetTitle(), "");
    EXPECT_TRUE(dlg.notes.empty());
}

TEST_F(ComboTest, ComboGoingAwayWhileOpenLeavesNoPopupBehind) {
    Fill(3);
    ClickCombo();
    ASSERT_TRUE(combo->IsDropDownOpen());
    NativeWindow* popup = combo->GetDropDown()->GetSafeHwnd();
    EXPECT_TRUE(dlg.GetPaintManager().RemoveControl(combo));
    dlg.GetPaintManager().ReleaseGraveyard();
    Platform::ProcessPending();
    EXPECT_FALSE(Platform::IsWindow(popup));
}

TEST_F(ComboTest, ColourComboPressesAndClicksLikeAButton) {
    auto* colour = dynamic_cast<CColorCombo*>(dlg.GetPaintManager().AddControl(
        std::make_unique<CColorCombo>(&dlg, 11, Rect{20, 100, 120, 130}), 1));
    ASSERT_NE(colour, nullptr);
    colour->SetAreaColor(0xFFFF0000);
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    const Rect area = colour->AreaRect();
    EXPECT_TRUE(Near(head->Pixel(w, {area.left + 5, area.top + 5}), 0xFFFF0000u, 4));
    head->MouseMove(w, {40, 110});
    head->MouseDown(w, MouseButton::Left, {40, 110});
    EXPECT_EQ(colour->GetState(), 2);
    head->MouseUp(w, MouseButton::Left, {40, 110});
    head->AdvanceTime(1000);
    head->MouseMove(w, {40, 110});
    head->MouseDown(w, MouseButton::Left, {40, 110});
    head->MouseUp(w, MouseButton::Left, {300, 300});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{11, 1, 0, 0}, {11, 2, 0, 0}, {11, 1, 0, 0}}));
}

} // namespace
} // namespace TolvaTest
