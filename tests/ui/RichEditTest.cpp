#include "TolvaFixture.h"

#include "ui/controls/CSpinButton.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MEditEx.h"
#include "ui/controls/MRichEdit.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/TextEditModel.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManager.h"
#include "ui/platform/VirtualKeys.h"

#include <climits>

using namespace Tolva;

namespace TolvaTest {
namespace {

// ---- the text model ----

TEST(TextEditModelTest, LimitCountsCodePointsAndNeverSplitsACharacter) {
    TextEditModel m;
    m.SetLimit(5);
    // 1-, 2-, 3- and 4-byte characters.
    EXPECT_EQ(m.Type("a\xC3\xB1\xE4\xB8\xAD\xF0\x9D\x84\x9Exyz"), 5);
    EXPECT_EQ(m.GetText(), "a\xC3\xB1\xE4\xB8\xAD\xF0\x9D\x84\x9Ex");
    EXPECT_EQ(m.GetLength(), 5);
    EXPECT_EQ(m.Type("z"), 0);
    // Replacing two characters makes room for two of three.
    m.SetSel(1, 3);
    EXPECT_EQ(m.ReplaceSel("\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89"), 2);
    EXPECT_EQ(m.GetText(), "a\xE4\xB8\x80\xE4\xBA\x8C\xF0\x9D\x84\x9Ex");
    // A text that is already longer stays; nothing more goes in.
    m.SetLimit(2);
    EXPECT_EQ(m.GetLength(), 5);
    m.MoveCaret(5, false);
    EXPECT_EQ(m.Type("q"), 0);
    EXPECT_EQ(m.GetTextRange(3, 4), "\xF0\x9D\x84\x9E");
}

TEST(TextEditModelTest, BrokenUtf8BecomesReplacementCharacters) {
    TextEditModel m;
    m.SetText(std::string("\xFF") + "a" + "\xE4\xB8" + "\xC0\xAF" + "\xED\xA0\x80");
    const std::u32string& t = m.Text();
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(t[0], 0xFFFDu);
    EXPECT_EQ(t[1], U'a');
    for (size_t i = 2; i < t.size(); ++i)
        EXPECT_EQ(t[i], 0xFFFDu) << i;
    // What goes out is valid UTF-8 again.
    EXPECT_EQ(TextEditModel::Decode(m.GetText()), t);
}

TEST(TextEditModelTest, LineBreaksAreNormalisedAndDroppedOnASingleLine) {
    TextEditModel m;
    m.SetText("a\r\nb\rc\nd\x01\x7F");
    EXPECT_EQ(m.GetText(), "a\nb\nc\nd");
    m.SetMultiLine(false);
    m.SetText("a\r\nb\rc");
    EXPECT_EQ(m.GetText(), "abc");
}

TEST(TextEditModelTest, ReplacingASelectionInEitherDirection) {
    TextEditModel m;
    m.SetText("hello world");
    m.SetSel(11, 6); // dragged backwards
    int s = 0, e = 0;
    m.GetSel(s, e);
    EXPECT_EQ(s, 6);
    EXPECT_EQ(e, 11);
    EXPECT_EQ(m.GetSelText(), "world");
    EXPECT_EQ(m.Type("there"), 5);
    EXPECT_EQ(m.GetText(), "hello there");
    EXPECT_EQ(m.GetCaret(), 11);
    EXPECT_FALSE(m.HasSelection());
    // Inserting before a selection keeps it on its characters.
    m.SetSel(6, 11);
    m.InsertText(0, ">> ");
    EXPECT_EQ(m.GetSelText(), "there");
}

TEST(TextEditModelTest, SelectionArgumentsOutOfRangeAreClamped) {
    TextEditModel m;
    m.SetText("abcdef");
    int s = 0, e = 0;
    m.SetSel(0, -1);
    m.GetSel(s, e);
    EXPECT_EQ(std::make_pair(s, e), std::make_pair(0, 6));
    m.SetSel(2, 4);
    m.SetSel(-1, 0); // removes the selection, caret at its end
    m.GetSel(s, e);
    EXPECT_EQ(std::make_pair(s, e), std::make_pair(4, 4));
    m.SetSel(1000, 2000);
    m.GetSel(s, e);
    EXPECT_EQ(std::make_pair(s, e), std::make_pair(6, 6));
    m.SetSel(INT_MAX, INT_MIN);
    m.GetSel(s, e);
    EXPECT_EQ(std::make_pair(s, e), std::make_pair(6, 6));
    m.MoveCaret(INT_MIN, false);
    EXPECT_EQ(m.GetCaret(), 0);
    EXPECT_EQ(m.GetTextRange(INT_MIN, INT_MAX), "abcdef");
    EXPECT_EQ(m.GetTextRange(4, 2), "");
    EXPECT_EQ(m.InsertText(INT_MAX, "!"), 1);
    EXPECT_EQ(m.InsertText(-7, "^"), 1);
    EXPECT_EQ(m.GetText(), "^abcdef!");
}

TEST(TextEditModelTest, TypingIsUndoneAtOnceAndACaretMoveStartsANewStep) {
    TextEditModel m;
    m.Type("a");
    m.Type("b");
    m.Type("c");
    m.MoveCaret(1, false);
    m.Type("X");
    EXPECT_EQ(m.GetText(), "aXbc");
    ASSERT_TRUE(m.Undo());
    EXPECT_EQ(m.GetText(), "abc");
    EXPECT_EQ(m.GetCaret(), 1);
    ASSERT_TRUE(m.Undo());
    EXPECT_EQ(m.GetText(), "");
    EXPECT_FALSE(m.Undo());
    ASSERT_TRUE(m.Redo());
    ASSERT_TRUE(m.Redo());
    EXPECT_EQ(m.GetText(), "aXbc");
    EXPECT_FALSE(m.Redo());
    // A new edit after an undo drops what could be redone.
    m.Undo();
    m.Type("Z");
    EXPECT_FALSE(m.CanRedo());
    EXPECT_EQ(m.GetText(), "aZbc"); // typed where the undo put the caret back
}

TEST(TextEditModelTest, BackspacesJoinAndReplaceRestoresTheSelection) {
    TextEditModel m;
    m.SetText("hello world");
    m.Erase(false, false);
    m.Erase(false, false);
    m.Erase(false, true); // the rest of the word
    EXPECT_EQ(m.GetText(), "hello ");
    ASSERT_TRUE(m.Undo());
    EXPECT_EQ(m.GetText(), "hello world");
    EXPECT_FALSE(m.CanUndo());
    m.SetSel(0, 5);
    m.ReplaceSel("HELLO");
    m.Undo();
    EXPECT_EQ(m.GetText(), "hello world");
    EXPECT_EQ(m.GetSelText(), "hello");
    // An edit that cannot be undone leaves no step that would undo the wrong characters.
    m.Type("x");
    m.ReplaceSel("yy", false);
    EXPECT_FALSE(m.CanUndo());
}

TEST(TextEditModelTest, ReadOnlyRefusesThePersonButNotTheProgram) {
    TextEditModel m;
    m.SetText("abc");
    m.SetReadOnly(true);
    EXPECT_EQ(m.Type("x"), -1);
    EXPECT_EQ(m.Erase(false, false), -1);
    m.SelectAll();
    EXPECT_EQ(m.Cut(), "");
    EXPECT_EQ(m.GetText(), "abc");
    EXPECT_EQ(m.ReplaceSel("z"), 1);
    EXPECT_EQ(m.GetText(), "z");
}

// ---- the editor on the headless back end ----

class RichEditTest : public TolvaTest {
protected:
    void Open(int w = 420, int h = 300) {
        ASSERT_TRUE(dlg.Open(w, h));
        win = dlg.GetSafeHwnd();
        dlg.EnableWndDrag(false);
    }
    // A tab page on the dialog holding one editor of the class.
    template <class T> T* OnPage(const std::string& cls, unsigned id, const Rect& r) {
        page = static_cast<MTabLayout*>(dlg.GetPaintManager().CreateControl(
            1, &dlg, "MTabLayout", 50, {0, 0, 420, 300}, "", true, true));
        EXPECT_NE(page, nullptr);
        if (!page) return nullptr;
        return dynamic_cast<T*>(page->CreateControl(cls, id, r));
    }
    void ClickAt(Point p) {
        head->MouseMove(win, p);
        head->Click(win, p);
    }
    void Key(int vk, bool shift = false, bool control = false) {
        head->SetModifiers(shift, control, false);
        head->KeyDown(win, vk);
        head->KeyUp(win, vk);
        head->SetModifiers(false, false, false);
    }
    std::vector<Note> NotesOf(unsigned id) const {
        std::vector<Note> out;
        for (const Note& n : dlg.notes)
            if (n.id == id) out.push_back(n);
        return out;
    }

    ProbeDialog dlg;
    NativeWindow* win = nullptr;
    MTabLayout* page = nullptr;
};

TEST_F(RichEditTest, ClickOnAPagePlacesTheCaretAndSendsPressAndClick) {
    Open();
    auto* edit = OnPage<MRichEdit>("MRichEdit", 10, {20, 20, 300, 120});
    ASSERT_NE(edit, nullptr);
    edit->SetText("abcdef ghijkl");
    // Where the caret stands before character 4 is where a click puts it.
    edit->SetSel(4, 4);
    const Rect at4 = edit->GetCaretRect();
    edit->SetSel(0, 0);
    ClickAt({at4.left + 1, at4.top + at4.Height() / 2});
    int s = -1, e = -1;
    edit->GetSel(s, e);
    EXPECT_EQ(s, 4);
    EXPECT_EQ(e, 4);
    EXPECT_TRUE(edit->IsFocused());
    EXPECT_EQ(NotesOf(10), (std::vector<Note>{{10, 1, 0, 0}, {10, 2, 0, 0}}));
    EXPECT_EQ(dlg.GetPaintManager().GetCurrentCaretObject(), edit);
    EXPECT_TRUE(dlg.GetPaintManager().GetCaret().IsShown());
    // Typed characters and keys reach it inside the page.
    head->Type(win, "XY");
    EXPECT_EQ(edit->GetText(), "abcdXYef ghijkl");
    Key(VK_LEFT, true);
    Key(VK_LEFT, true);
    EXPECT_EQ(edit->GetSelText(), "XY");
    Key(VK_BACK);
    EXPECT_EQ(edit->GetText(), "abcdef ghijkl");
    Key(VK_END, false, true);
    Key(VK_HOME, true, false);
    EXPECT_EQ(edit->GetSelText(), "abcdef ghijkl");
    // A press elsewhere takes the focus and the caret away.
    ClickAt({400, 280});
    EXPECT_FALSE(edit->IsFocused());
    EXPECT_FALSE(dlg.GetPaintManager().GetCaret().IsShown());
    head->Type(win, "Q");
    EXPECT_EQ(edit->GetText(), "abcdef ghijkl");
}

TEST_F(RichEditTest, ClipboardUndoAndMultiLineKeys) {
    Open();
    auto* edit = OnPage<MRichEdit>("MRichEdit", 11, {20, 20, 300, 200});
    ASSERT_NE(edit, nullptr);
    ClickAt({40, 40});
    head->Type(win, "one");
    Key(VK_RETURN);
    head->Type(win, "two");
    EXPECT_EQ(edit->GetText(), "one\ntwo");
    EXPECT_EQ(edit->GetLineCount(), 2);
    Key(VK_UP);
    EXPECT_EQ(edit->LineFromChar(edit->Model().GetCaret()), 0);
    Key('A', false, true);
    Key('C', false, true);
    Key(VK_END, false, true);
    Key('V', false, true);
    EXPECT_EQ(edit->GetText(), "one\ntwoone\ntwo");
    Key('Z', false, true);
    EXPECT_EQ(edit->GetText(), "one\ntwo");
    Key('Y', false, true);
    EXPECT_EQ(edit->GetText(), "one\ntwoone\ntwo");
    Key('A', false, true);
    Key('X', false, true);
    EXPECT_EQ(edit->GetText(), "");
    std::string clip;
    ASSERT_TRUE(Platform::GetClipboardText(clip));
    EXPECT_EQ(clip, "one\ntwoone\ntwo");
    // Read only: keys move, nothing changes.
    edit->SetText("fixed");
    edit->SetReadOnly(true);
    head->Type(win, "zz");
    Key(VK_BACK);
    Key('V', false, true);
    EXPECT_EQ(edit->GetText(), "fixed");
}

TEST_F(RichEditTest, InputMethodTextGoesToTheFocusedEditorOnly) {
    Open();
    auto* edit = OnPage<MRichEdit>("MRichEdit", 12, {20, 20, 300, 120});
    ASSERT_NE(edit, nullptr);
    edit->SetText("ab");
    ClickAt({290, 100}); // after the text
    EXPECT_TRUE(win->IsTextInput());
    head->ImePreedit(win, "ni", 2);
    EXPECT_EQ(edit->GetPreedit(), "ni");
    EXPECT_EQ(edit->GetText(), "ab");
    head->ImePreedit(win, "", 0);
    head->ImeCommit(win, "\xE4\xBD\xA0\xE5\xA5\xBD"); // 你好
    EXPECT_EQ(edit->GetText(), "ab\xE4\xBD\xA0\xE5\xA5\xBD");
    EXPECT_EQ(edit->GetPreedit(), "");
    // One undo takes the committed text back.
    ASSERT_TRUE(edit->Undo());
    EXPECT_EQ(edit->GetText(), "ab");
    // Without the focus nothing arrives, and nothing waits for the next editor either.
    ClickAt({400, 280});
    EXPECT_FALSE(win->IsTextInput());
    head->ImeCommit(win, "x");
    std::string left;
    EXPECT_FALSE(win->TakeImeResult(left));
    ClickAt({290, 100});
    EXPECT_EQ(edit->GetText(), "ab");
}

TEST_F(RichEditTest, PasswordIsNeverDrawnAndNeverCopied) {
    Open();
    auto* secret = static_cast<MRichEdit*>(dlg.GetPaintManager().CreateControl(
        1, &dlg, "MRichEdit", 1, {10, 10, 210, 50}, "", true, true));
    auto* stars = static_cast<MRichEdit*>(dlg.GetPaintManager().CreateControl(
        1, &dlg, "MRichEdit", 2, {10, 60, 210, 100}, "", true, true));
    auto* plain = static_cast<MRichEdit*>(dlg.GetPaintManager().CreateControl(
        1, &dlg, "MRichEdit", 3, {10, 110, 210, 150}, "", true, true));
    ASSERT_TRUE(secret && stars && plain);
    secret->SetPassword(true);
    secret->SetText("secret");
    stars->SetText("******");
    plain->SetText("secret");
    dlg.GetPaintManager().Invalidate();
    dlg.GetPaintManager().UpdateNow();
    cairo_surface_t* frame = head->Frame(win);
    ASSERT_NE(frame, nullptr);
    int same = 0, differs = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            same += PixelAt(frame, 10 + x, 10 + y) == PixelAt(frame, 10 + x, 60 + y);
            differs += PixelAt(frame, 10 + x, 10 + y) != PixelAt(frame, 10 + x, 110 + y);
        }
    EXPECT_EQ(same, 200 * 40);
    EXPECT_GT(differs, 20); // the plain text really looks different
    secret->SetSel(0, -1);
    EXPECT_FALSE(secret->Copy());
    EXPECT_FALSE(secret->Cut());
    EXPECT_EQ(secret->GetText(), "secret");
}

TEST_F(RichEditTest, IndexArgumentsOutOfRangeNeverCrash) {
    Open();
    auto* edit = OnPage<MRichEdit>("MRichEdit", 13, {20, 20, 300, 80});
    auto* spin =
        static_cast<CSpinButton*>(page->CreateControl("CSpinButton", 14, {20, 100, 140, 130}));
    auto* field = static_cast<MEdit*>(page->CreateControl("MEdit", 15, {20, 140, 200, 170}));
    ASSERT_TRUE(edit && spin && field);
    edit->SetText("line one\nline two\nline three");
    for (int v : {-1, 0, 3, 28, 29, 1000, INT_MAX, INT_MIN}) {
        for (int w : {-1, 0, 5, 29, INT_MAX, INT_MIN}) {
            edit->SetSel(v, w);
            int s = 0, e = 0;
            edit->GetSel(s, e);
            EXPECT_GE(s, 0);
            EXPECT_LE(e, edit->GetTextLength());
            EXPECT_LE(s, e);
        }
        EXPECT_GE(edit->LineFromChar(v), 0);
        EXPECT_LT(edit->LineFromChar(v), edit->GetLineCount());
        edit->LineScroll(v, v);
        EXPECT_GE(edit->GetScrollPos().y, 0);
        edit->CharFromPos({v, v});
        edit->InsertText(v, "");
        edit->SetLimitText(v < 0 ? v : 0);
        EXPECT_GE(edit->GetLimitText(), 0);
        spin->SetCurValue(v);
        EXPECT_GE(spin->GetCurValue(), spin->GetMinValue());
        EXPECT_LE(spin->GetCurValue(), spin->GetMaxValue());
        field->SetLimitText(v);
    }
    EXPECT_EQ(edit->InsertText(INT_MAX, "!"), 1);
    EXPECT_EQ(edit->GetText(), "line one\nline two\nline three!");
    spin->SetRange(INT_MAX, INT_MIN);
    EXPECT_EQ(spin->GetMinValue(), INT_MIN);
    spin->SetCurValue(INT_MAX);
    EXPECT_EQ(spin->Step(INT_MAX), INT_MAX);
    spin->SetCurValue(INT_MIN);
    EXPECT_EQ(spin->Step(INT_MIN), INT_MIN);
    edit->SetPasswordChar(0);
    edit->SetPasswordChar(0xD800);
    dlg.GetPaintManager().Invalidate();
    dlg.GetPaintManager().UpdateNow();
}

TEST_F(RichEditTest, SpinFieldTakesDigitsOnlyAndReportsValueChanges) {
    Open();
    auto* spin = OnPage<CSpinButton>("CSpinButton", 20, {20, 20, 140, 50});
    ASSERT_NE(spin, nullptr);
    spin->SetRange(0, 100);
    spin->SetCurValue(42);
    EXPECT_EQ(spin->GetText(), "42");
    const Rect up = spin->UpButtonRect();
    ClickAt({(up.left + up.right) / 2, (up.top + up.bottom) / 2});
    EXPECT_EQ(spin->GetCurValue(), 43);
    EXPECT_EQ(NotesOf(20), (std::vector<Note>{{20, 28, 43, 0}}));
    // Letters are refused, digits over the range are pulled into it on Return.
    ClickAt({30, 35});
    Key(VK_END);
    head->Type(win, "a7b");
    EXPECT_EQ(spin->GetText(), "437");
    Key(VK_RETURN);
    EXPECT_EQ(spin->GetCurValue(), 100);
    EXPECT_EQ(spin->GetText(), "100");
    EXPECT_EQ(NotesOf(20).back(), (Note{20, 28, 100, 0}));
    // An empty field puts the old value back when the focus goes.
    Key('A', false, true);
    Key(VK_BACK);
    ClickAt({400, 280});
    EXPECT_EQ(spin->GetText(), "100");
    // One notification per change of value: 43, then 100.
    std::vector<Note> changes;
    for (const Note& n : NotesOf(20))
        if (n.code == 28) changes.push_back(n);
    EXPECT_EQ(changes, (std::vector<Note>{{20, 28, 43, 0}, {20, 28, 100, 0}}));
}

TEST_F(RichEditTest, SpinFieldOnTheDialogNotifiesOncePerChange) {
    Open();
    auto* spin = static_cast<CSpinButton*>(dlg.GetPaintManager().CreateControl(
        1, &dlg, "CSpinButton", 21, {20, 20, 140, 50}, "", true, true));
    ASSERT_NE(spin, nullptr);
    spin->SetRange(0, 100);
    spin->SetCurValue(42);
    const Rect up = spin->UpButtonRect();
    ClickAt({(up.left + up.right) / 2, (up.top + up.bottom) / 2});
    ClickAt({30, 35});
    Key(VK_END);
    head->Type(win, "7");
    Key(VK_RETURN);
    Key(VK_DOWN);
    head->MouseMove(win, {30, 35});
    head->Wheel(win, 120, {30, 35});
    ClickAt({400, 280});
    std::vector<Note> changes;
    for (const Note& n : NotesOf(21))
        if (n.code == 28) changes.push_back(n);
    EXPECT_EQ(changes, (std::vector<Note>{{21, 28, 43, 0}, {21, 28, 100, 0}, {21, 28, 99, 0}, {21, 28, 100, 0}}));
}

TEST_F(RichEditTest, EditorsMatchTheirReferenceImage) {
    Open(320, 200);
    PaintManager& pm = dlg.GetPaintManager();
    auto* rich = static_cast<MRichEdit*>(
        pm.CreateControl(1, &dlg, "MRichEdit", 1, {10, 10, 310, 80}, "", true, true));
    auto* field = static_cast<MEdit*>(
        pm.CreateControl(1, &dlg, "MEdit", 2, {10, 90, 200, 120}, "Field text", true, true));
    auto* ex = static_cast<MEditEx*>(
        pm.CreateControl(1, &dlg, "MEditEx", 3, {10, 130, 200, 160}, "", true, true));
    auto* spin = static_cast<CSpinButton*>(
        pm.CreateControl(1, &dlg, "CSpinButton", 4, {210, 90, 310, 120}, "", true, true));
    ASSERT_TRUE(rich && field && ex && spin);
    rich->SetText("Tolva edits text\nwith a selection");
    rich->SetSel(6, 11);
    ex->SetTipText("Search");
    ex->SetIconImage("imgbtn_edit.png", 4);
    spin->SetCurValue(42);
    pm.Invalidate();
    pm.UpdateNow();
    EXPECT_EQ(CompareWithReference(head->Frame(win), "edit_controls"), "");
}

} // namespace
} // namespace TolvaTest
