#include "TolvaFixture.h"

#include "ui/controls/DListBox.h"
#include "ui/controls/MListBox.h"
#include "ui/controls/MTabLayout.h"
#include "ui/platform/VirtualKeys.h"

#include <algorithm>

using namespace Tolva;

namespace TolvaTest {
namespace {

// A DListBox of five 30-pixel rows on a page at (10, 10); the list itself sits at (20, 20).
class ListBoxTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(400, 400));
        dlg.EnableWndDrag(false);
        page = dynamic_cast<MTabLayout*>(dlg.CreateControl("MTabLayout", 50, {10, 10, 390, 390}));
        ASSERT_NE(page, nullptr);
        list = dynamic_cast<DListBox*>(page->CreateControl("DListBox", 12, {20, 20, 220, 220}));
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < 5; ++i)
            list->AddString("Profile " + std::to_string(i + 1), 10 + i);
        w = dlg.GetSafeHwnd();
    }
    // The middle of row `i`.
    static Point Row(int i) { return {60, 20 + i * 30 + 15}; }
    void Press(Point p) {
        head->MouseMove(w, p);
        head->MouseDown(w, MouseButton::Left, p);
    }
    void Release(Point p) { head->MouseUp(w, MouseButton::Left, p); }
    bool Has(const Note& n) const {
        return std::find(dlg.notes.begin(), dlg.notes.end(), n) != dlg.notes.end();
    }

    ProbeDialog dlg;
    MTabLayout* page = nullptr;
    DListBox* list = nullptr;
    NativeWindow* w = nullptr;
};

TEST_F(ListBoxTest, TheRenameListIsMadeOnlyInsidePanels) {
    EXPECT_EQ(dlg.CreateControl("DListBox", 13, {0, 0, 10, 10}), nullptr);
    EXPECT_NE(dlg.CreateControl("MListBox", 14, {0, 0, 10, 10}), nullptr);
}

TEST_F(ListBoxTest, PressReleaseAndRightReleaseCarryTheRowIndex) {
    head->MouseMove(w, Row(2));
    EXPECT_EQ(list->GetHoverItem(), 2);
    Press(Row(2));
    EXPECT_EQ(list->GetCurSel(), 2);
    Release(Row(2));
    head->AdvanceTime(1000);
    head->MouseMove(w, Row(4));
    head->MouseDown(w, MouseButton::Right, Row(4));
    head->MouseUp(w, MouseButton::Right, Row(4));
    // A press on a row and a release on another one is no click.
    head->AdvanceTime(1000);
    Press(Row(0));
    Release(Row(1));
    EXPECT_EQ(dlg.notes,
              (std::vector<Note>{{12, 1, 2, 0}, {12, 2, 2, 0}, {12, 5, 4, 0}, {12, 1, 0, 0}}));
    // Below the last row there is no item.
    head->MouseMove(w, {60, 200});
    EXPECT_EQ(list->GetHoverItem(), -1);
}

TEST_F(ListBoxTest, ClosingTheEditorWithAChangedTextStoresItAndSendsTwentyNine) {
    EXPECT_FALSE(list->ShowEdit()); // not enabled yet
    list->EnableShowEdit(true);
    EXPECT_FALSE(list->ShowEdit()); // no current item
    list->SetCurSel(1);
    ASSERT_TRUE(list->ShowEdit());
    NativeEdit* edit = list->GetEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->IsVisible());
    EXPECT_TRUE(edit->HasFocus());
    EXPECT_EQ(edit->GetText(), "Profile 2");
    // Over the current row's text, inside the list.
    const Rect row = list->GetItemRect(1);
    EXPECT_GE(edit->GetRect().top, row.top);
    EXPECT_LE(edit->GetRect().bottom, row.bottom);
    EXPECT_GT(edit->GetRect().left, row.left);

    head->EditType(edit, "Work"); // everything was selected: typing replaces it
    Press(Row(3));
    Release(Row(3));
    EXPECT_FALSE(edit->IsVisible());
    EXPECT_EQ(list->GetItemText(1), "Work");
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_TRUE(Has({12, 29, 0, 1}));
    EXPECT_TRUE(Has({12, 1, 3, 0}));
}

TEST_F(ListBoxTest, AnUnchangedOrAbandonedEditStoresNothing) {
    list->EnableShowEdit(true);
    list->SetCurSel(0);
    ASSERT_TRUE(list->ShowEdit());
    Press(Row(2));
    Release(Row(2));
    ASSERT_TRUE(list->ShowEdit());
    head->EditType(list->GetEdit(), "Dropped");
    head->EditKey(list->GetEdit(), VK_ESCAPE);
    EXPECT_FALSE(list->IsEditShown());
    EXPECT_EQ(list->GetItemText(2), "Profile 3");
    ASSERT_TRUE(list->ShowEdit());
    head->EditType(list->GetEdit(), "Kept");
    head->EditKey(list->GetEdit(), VK_RETURN);
    EXPECT_EQ(list->GetItemText(2), "Kept");
    EXPECT_EQ(std::count_if(dlg.notes.begin(), dlg.notes.end(),
                            [](const Note& n) { return n.code == 29; }),
              1);
    list->SetEnabled(false);
    EXPECT_FALSE(list->ShowEdit());
}

TEST_F(ListBoxTest, DeletingTheEditedRowDropsTheEditWithoutStoringIntoAnotherRow) {
    list->EnableShowEdit(true);
    list->SetCurSel(1);
    ASSERT_TRUE(list->ShowEdit());
    head->EditType(list->GetEdit(), "Lost");
    EXPECT_EQ(list->DeleteItem(1), 1);
    EXPECT_FALSE(list->IsEditShown());
    EXPECT_EQ(list->GetCurSel(), -1);
    for (int i = 0; i < list->GetItemCount(); ++i)
        EXPECT_NE(list->GetItemText(i), "Lost");
}

TEST_F(ListBoxTest, TheEditIconOnTheCurrentRowOpensTheEditor) {
    list->EnableShowEdit(true);
    list->SetCurSel(0);
    const Rect icon = list->EditIconRect(list->RowRect(0));
    ASSERT_FALSE(icon.IsEmpty());
    const Point at{icon.left + icon.Width() / 2, icon.top + icon.Height() / 2};
    Press(at);
    Release(at);
    EXPECT_TRUE(list->IsEditShown());
}

TEST_F(ListBoxTest, RowsThatDoNotFitScrollUnderTheBar) {
    for (int i = 5; i < 12; ++i)
        list->AddString("Profile " + std::to_string(i + 1), 10 + i);
    ASSERT_TRUE(list->VerticalBar()->IsVisible());
    EXPECT_EQ(list->GetVirtualHeight(), 12 * 30);
    // The rows leave room for the bar.
    EXPECT_EQ(list->RowRect(0).right, 220 - list->VerticalBar()->GetRect().Width());
    head->MouseMove(w, Row(1));
    for (int i = 0; i < 20; ++i)
        head->Wheel(w, -WHEEL_DELTA, Row(1));
    EXPECT_EQ(list->ScrollOffset().y, 12 * 30 - 200);
    EXPECT_EQ(list->GetItemRect(11).bottom, 220);
    Press({60, 205});
    Release({60, 205});
    EXPECT_TRUE(Has({12, 2, 11, 0}));
}

TEST_F(ListBoxTest, SwapKeepsTheCurrentMarkOnItsItem) {
    list->SetCurSel(1);
    EXPECT_EQ(list->SwapItem(1, 2), 1);
    EXPECT_EQ(list->GetCurSel(), 2);
    EXPECT_EQ(list->GetCurData(), 11);
    EXPECT_EQ(list->GetItemText(1), "Profile 3");
    EXPECT_EQ(list->SwapItem(1, 5), 0);
    EXPECT_EQ(list->FindString("Profile 2"), 2);
    EXPECT_EQ(list->FindItemData(14), 4);
    EXPECT_EQ(list->SetCurData(14), 1);
    EXPECT_EQ(list->GetCurSel(), 4);
    EXPECT_EQ(list->DeleteItem(0), 1);
    EXPECT_EQ(list->GetCurSel(), 3);
    EXPECT_EQ(list->InsertString(0, "Zero", 9), 0);
    EXPECT_EQ(list->GetCurSel(), 4);
    EXPECT_EQ(list->GetCurData(), 14);
}

TEST_F(ListBoxTest, PlainListReportsADoubleClickWithTheRow) {
    auto* plain = dynamic_cast<MListBox*>(dlg.CreateControl("MListBox", 20, {230, 20, 380, 200}));
    ASSERT_NE(plain, nullptr);
    plain->AddString("A");
    plain->AddString("B");
    const Point b{260, 20 + 45};
    head->MouseMove(w, b);
    head->Click(w, b);
    head->Click(w, b);
    EXPECT_TRUE(Has({20, 3, 1, 0}));
    // The rename list takes no double clicks.
    dlg.notes.clear();
    head->AdvanceTime(1000);
    head->MouseMove(w, Row(0));
    head->Click(w, Row(0));
    head->Click(w, Row(0));
    EXPECT_FALSE(
        std::any_of(dlg.notes.begin(), dlg.notes.end(), [](const Note& n) { return n.code == 3; }));
}

} // namespace
} // namespace TolvaTest
