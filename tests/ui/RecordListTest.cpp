#include "TolvaFixture.h"

#include "ui/core/MPanel.h"
#include "ui/core/Manager.h"
#include "ui/platform/VirtualKeys.h"
#include "ui/widgets/CRecordList.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

constexpr WPARAM kNone = static_cast<WPARAM>(-1);

// A record list 450 x 300 at (10, 10) inside a page panel, as the macro page holds it.
class RecordListTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        // A face every machine with the program's fonts has, so that pictures compare.
        font = Manager::GetFontName();
        Manager::SetFontName("Open Sans");
        ASSERT_TRUE(dlg.Open(500, 340));
        dlg.EnableWndDrag(false);
        page = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
            std::make_unique<MPanel>(&dlg, 900, Rect{0, 0, 500, 340}), 1));
        list = dynamic_cast<CRecordList*>(
            page->CreateControl("CRecordList", 500, Rect{10, 10, 460, 310}));
        ASSERT_NE(list, nullptr);
        w = dlg.GetSafeHwnd();
    }
    // Window point on row `row` as it is drawn now, at column x `x` of the list.
    Point RowPoint(int row, int x) const {
        return {10 + x, 10 + row * list->GetItemHeight() - list->GetScrollOffset() + 20};
    }
    void Press(Point p) {
        head->MouseMove(w, p);
        head->Click(w, p);
    }
    std::vector<Note> NotesWithCode(int code) const {
        std::vector<Note> out;
        for (const Note& n : dlg.notes)
            if (n.code == code) out.push_back(n);
        return out;
    }

    void TearDown() override {
        TolvaTest::TearDown();
        Manager::SetFontName(font);
    }

    std::string font;
    ProbeDialog dlg;
    MPanel* page = nullptr;
    CRecordList* list = nullptr;
    NativeWindow* w = nullptr;
};

TEST_F(RecordListTest, IsCreatedByNameOnlyInsideAPanel) {
    EXPECT_EQ(dlg.CreateControl("CRecordList", 501, Rect{0, 0, 100, 100}), nullptr);
    EXPECT_STREQ(list->GetObjectClass(), "CRecordList");
}

TEST_F(RecordListTest, TheEighthRecordShowsTheScrollBarAndScrollsToTheEnd) {
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(list->AddString("K" + std::to_string(i), 2, 4 + i, 10 * i), i);
    // 7 x 41 = 287 still fits into 300.
    EXPECT_FALSE(list->VerticalBar()->IsVisible());
    EXPECT_EQ(list->GetScrollOffset(), 0);
    EXPECT_EQ(list->AddString("K7", 3, 11, 70), 7);
    EXPECT_TRUE(list->VerticalBar()->IsVisible());
    EXPECT_EQ(list->VerticalBar()->GetRange(), 8 * 41);
    // Scrolled to the end: the last row ends at the list's bottom edge.
    EXPECT_EQ(list->GetScrollOffset(), 8 * 41 - 300);
    EXPECT_EQ(list->HitTest({100, 309}), 7);
    EXPECT_EQ(list->HitTest({100, 10}), 0);
    // Going back to seven hides the bar and the rows start at the top again.
    EXPECT_EQ(list->DeleteItem(7), 1);
    EXPECT_FALSE(list->VerticalBar()->IsVisible());
    EXPECT_EQ(list->GetScrollOffset(), 0);
}

TEST_F(RecordListTest, UpdateDelayTimeChangesOnlyTheLastRecord) {
    EXPECT_FALSE(list->UpdateDelayTime(25));
    list->AddString("A", 2, 4, 100);
    list->AddString("A", 3, 4, 101);
    list->AddString("B", 2, 5, 102);
    EXPECT_TRUE(list->UpdateDelayTime(25));
    std::vector<RecordItem*> items = list->GetRecordItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0]->delay, 100);
    EXPECT_EQ(items[1]->delay, 101);
    EXPECT_EQ(items[2]->delay, 25);
    EXPECT_EQ(items[2]->text, "B");
    EXPECT_EQ(items[2]->action, 2);
    EXPECT_EQ(items[2]->value, 5);
}

TEST_F(RecordListTest, PressAndRightClickSelectAndNotify) {
    list->AddString("A", 2, 4, 10);
    list->AddString("A", 3, 4, 20);
    Press(RowPoint(1, 50));
    EXPECT_EQ(list->GetCurSel(), 1);
    // Below the last row is empty space: nothing is selected any more.
    Press({60, 250});
    EXPECT_EQ(list->GetCurSel(), -1);
    head->MouseMove(w, RowPoint(0, 200));
    head->MouseDown(w, MouseButton::Right, RowPoint(0, 200));
    head->MouseUp(w, MouseButton::Right, RowPoint(0, 200));
    EXPECT_EQ(list->GetCurSel(), 0);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{500, 1, 1, 0}, {500, 1, kNone, 0}, {500, 5, 0, 0}}));
}

TEST_F(RecordListTest, TheDelayEditorTakesAnEmptyTextAsTen) {
    list->AddString("A", 2, 4, 50);
    list->AddString("A", 3, 4, 60);
    list->AddString("B", 2, 5, 10);
    // x 350 lies in the delay column (300..420).
    Press(RowPoint(1, 350));
    ASSERT_NE(list->GetEditor(), nullptr);
    NativeEdit* edit = list->GetEditor();
    EXPECT_TRUE(edit->IsVisible());
    EXPECT_EQ(edit->GetText(), "60");
    EXPECT_EQ(list->GetEditIndex(), 1);
    const Rect box = edit->GetRect();
    EXPECT_EQ(box.left, 10 + 300);
    EXPECT_EQ(box.right, 10 + 420);
    head->EditKey(edit, VK_BACK); // the text was all selected
    EXPECT_EQ(edit->GetText(), "");
    dlg.notes.clear();
    // Pressing another record closes the editor first.
    Press(RowPoint(0, 50));
    EXPECT_FALSE(edit->IsVisible());
    EXPECT_EQ(list->GetEditIndex(), -1);
    EXPECT_EQ(list->GetRecordItems()[1]->delay, 10);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{500, 29, 0, 1}, {500, 1, 0, 0}}));

    // A record whose delay is 10 already stays as it is and nothing is sent.
    dlg.notes.clear();
    Press(RowPoint(2, 400));
    ASSERT_TRUE(edit->IsVisible());
    head->EditKey(edit, VK_BACK);
    head->EditLoseFocus(edit);
    EXPECT_FALSE(edit->IsVisible());
    EXPECT_TRUE(NotesWithCode(29).empty());

    // Typed digits are stored on Return.
    Press(RowPoint(0, 310));
    head->EditType(edit, "1234");
    head->EditKey(edit, VK_RETURN);
    EXPECT_EQ(list->GetRecordItems()[0]->delay, 1234);
    EXPECT_EQ(NotesWithCode(29), (std::vector<Note>{{500, 29, 0, 0}}));
}

TEST_F(RecordListTest, EditorOpenOnADeletedRecordWritesNowhere) {
    list->AddString("A", 2, 4, 50);
    list->AddString("B", 2, 5, 60);
    Press(RowPoint(0, 350));
    NativeEdit* edit = list->GetEditor();
    ASSERT_NE(edit, nullptr);
    head->EditType(edit, "999");
    ASSERT_EQ(list->DeleteItem(0), 1);
    EXPECT_FALSE(edit->IsVisible());
    EXPECT_FALSE(list->CloseEdit());
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetRecordItems()[0]->delay, 60);
    // Escape leaves the delay as it was.
    Press(RowPoint(0, 350));
    head->EditType(edit, "5");
    head->EditKey(edit, VK_ESCAPE);
    EXPECT_EQ(list->GetRecordItems()[0]->delay, 60);
    EXPECT_TRUE(NotesWithCode(29).empty());
}

TEST_F(RecordListTest, SwapAndIndexArgumentsOutOfRangeChangeNothing) {
    list->AddString("A", 2, 4, 1);
    list->AddString("B", 2, 5, 2);
    list->AddString("C", 2, 6, 3);
    const std::vector<RecordItem*> before = list->GetRecordItems();
    EXPECT_FALSE(list->SwapItem(0, 0));
    EXPECT_FALSE(list->SwapItem(-1, 2));
    EXPECT_FALSE(list->SwapItem(0, 3));
    EXPECT_FALSE(list->SwapItem(1 << 30, 0));
    EXPECT_EQ(list->GetRecordItems(), before);
    EXPECT_TRUE(list->SwapItem(0, 2));
    EXPECT_EQ(list->GetRecordItems()[0]->text, "C");
    EXPECT_EQ(list->GetRecordItems()[2]->text, "A");

    for (int bad : {-1, 3, 1 << 30, -(1 << 30)}) {
        EXPECT_EQ(list->DeleteItem(bad), 0) << bad;
        RecordItem copy;
        EXPECT_FALSE(list->GetItem(bad, copy)) << bad;
    }
    for (int bad : {-2, 3, 1 << 30})
        EXPECT_EQ(list->SetCurSel(bad), 0) << bad;
    EXPECT_EQ(list->SetCurSel(2), 1);
    EXPECT_EQ(list->SetCurSel(-1), 1);
    EXPECT_EQ(list->GetItemCount(), 3);
    list->SetItemHeight(0);
    list->SetItemHeight(-5);
    EXPECT_EQ(list->GetItemHeight(), 41);
    // ShowEdit needs a selected and a hovered record.
    EXPECT_FALSE(list->ShowEdit());
    list->DeleteAllItems();
    EXPECT_FALSE(list->UpdateDelayTime(1));
    EXPECT_EQ(list->HitTest({50, 30}), -1);
}

TEST_F(RecordListTest, ListWithAScrollBarLooksAsBefore) {
    const char* keys[] = {"A", "S", "D", "F", "Ctrl", "Shift", "Space", "Enter", "Esc"};
    for (int i = 0; i < 9; ++i)
        list->AddString(keys[i], i % 2 ? 3 : 2, 4 + i, 10 + 15 * i);
    list->SetCurSel(6);
    head->MouseMove(w, RowPoint(5, 80));
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    EXPECT_TRUE(list->VerticalBar()->IsVisible());
    EXPECT_EQ(CompareWithReference(head->Frame(w), "record_list_scrolled"), "");
}

} // namespace
} // namespace TolvaTest
