#include "TolvaFixture.h"

#include "ui/controls/MEdit.h"
#include "ui/controls/MTabLayout.h"
#include "ui/core/PaintManager.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class EditTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(400, 300));
        win = dlg.GetSafeHwnd();
        dlg.EnableWndDrag(false);
        // On a page, as the pages of the program hold them.
        page = dlg.GetPaintManager().CreateControl(1, &dlg, "MTabLayout", 50, {0, 0, 400, 300}, "",
                                                   true, true);
        ASSERT_NE(page, nullptr);
        edit = dynamic_cast<MEdit*>(
            static_cast<MTabLayout*>(page)->CreateControl("MEdit", 7, {20, 20, 220, 50}, "old"));
        ASSERT_NE(edit, nullptr);
    }
    void ClickAt(Point p) {
        head->MouseMove(win, p);
        head->Click(win, p);
    }
    std::vector<int> Codes() const {
        std::vector<int> out;
        for (const Note& n : dlg.notes)
            if (n.id == 7) out.push_back(n.code);
        return out;
    }

    ProbeDialog dlg;
    NativeWindow* win = nullptr;
    MControl* page = nullptr;
    MEdit* edit = nullptr;
};

TEST_F(EditTest, ReturnCommitsAChangedTextWithItsNotifications) {
    ClickAt({60, 35});
    ASSERT_TRUE(edit->IsEditShown());
    NativeEdit* box = edit->GetNativeEdit();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsVisible());
    EXPECT_EQ(box->GetText(), "old");
    // Over the text, in window coordinates.
    EXPECT_TRUE(edit->GetRect().Contains({box->GetRect().left, box->GetRect().top}));
    EXPECT_EQ(Codes(), (std::vector<int>{1, 30, 2}));
    head->EditType(box, "new");
    EXPECT_EQ(edit->GetEditText(), "new"); // what the box holds while open
    head->EditKey(box, VK_RETURN);
    EXPECT_FALSE(edit->IsEditShown());
    EXPECT_FALSE(box->IsVisible());
    EXPECT_EQ(edit->GetEditText(), "new");
    EXPECT_EQ(Codes(), (std::vector<int>{1, 30, 2, 26, 29}));
}

TEST_F(EditTest, EscapeAndAnUnchangedTextSendOnlyClosed) {
    ClickAt({60, 35});
    head->EditType(edit->GetNativeEdit(), "typed");
    head->EditKey(edit->GetNativeEdit(), VK_ESCAPE);
    EXPECT_EQ(edit->GetEditText(), "old");
    ClickAt({60, 35});
    head->EditKey(edit->GetNativeEdit(), VK_RETURN);
    EXPECT_EQ(Codes(), (std::vector<int>{1, 30, 2, 29, 1, 30, 2, 29}));
}

TEST_F(EditTest, APressElsewhereClosesAndCommits) {
    ClickAt({60, 35});
    head->EditType(edit->GetNativeEdit(), "moved");
    ClickAt({300, 250});
    EXPECT_FALSE(edit->IsEditShown());
    EXPECT_EQ(edit->GetEditText(), "moved");
    EXPECT_EQ(Codes(), (std::vector<int>{1, 30, 2, 26, 29}));
}

TEST_F(EditTest, NumberOnlyRefusesLettersAndTheLimitCountsCharacters) {
    edit->SetNumberOnly(true);
    edit->SetLimitText(3);
    ClickAt({60, 35});
    head->EditType(edit->GetNativeEdit(), "a1b2c3d4");
    EXPECT_EQ(edit->GetNativeEdit()->GetText(), "123");
    head->EditKey(edit->GetNativeEdit(), VK_RETURN);
    EXPECT_EQ(edit->GetEditText(), "123");
    edit->SetNumberOnly(false);
    edit->SetEditText("");
    ClickAt({60, 35});
    head->EditType(edit->GetNativeEdit(), "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\xE5\xB9\x95");
    EXPECT_EQ(edit->GetNativeEdit()->GetText(), "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97");
}

TEST_F(EditTest, CharMessagesReportEveryChange) {
    edit->EnableCharMessage(true);
    ClickAt({60, 35});
    head->EditType(edit->GetNativeEdit(), "a");
    head->EditType(edit->GetNativeEdit(), "b");
    EXPECT_EQ(Codes(), (std::vector<int>{1, 30, 2, 26, 26}));
    // Escape takes the live changes back, and says so.
    head->EditKey(edit->GetNativeEdit(), VK_ESCAPE);
    EXPECT_EQ(edit->GetEditText(), "old");
    EXPECT_EQ(Codes(), (std::vector<int>{1, 30, 2, 26, 26, 26, 29}));
}

TEST_F(EditTest, TheIconSendsPressAndClickWithoutOpeningTheBox) {
    ASSERT_EQ(edit->SetIconImage("imgbtn_edit.png", 4), 1);
    const Rect icon = edit->GetIconRect();
    ASSERT_FALSE(icon.IsEmpty());
    EXPECT_LE(icon.right, edit->GetRect().right);
    ClickAt({(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2});
    EXPECT_FALSE(edit->IsEditShown());
    EXPECT_EQ(Codes(), (std::vector<int>{9, 31}));
    // The text stays clear of the icon.
    ClickAt({30, 35});
    EXPECT_LE(edit->GetNativeEdit()->GetRect().right, icon.left);
}

TEST_F(EditTest, DisabledFieldsDoNotOpenAndPasswordsDrawMasked) {
    edit->SetEnabled(false);
    ClickAt({60, 35});
    EXPECT_FALSE(edit->IsEditShown());
    EXPECT_TRUE(Codes().empty());
    edit->SetEnabled(true);

    auto* stars = static_cast<MEdit*>(
        static_cast<MTabLayout*>(page)->CreateControl("MEdit", 8, {20, 70, 220, 100}, "******"));
    ASSERT_NE(stars, nullptr);
    edit->SetEditText("secret");
    edit->EnablePassWord(true);
    dlg.GetPaintManager().Invalidate();
    dlg.GetPaintManager().UpdateNow();
    cairo_surface_t* frame = head->Frame(win);
    int differ = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 200; ++x)
            differ += PixelAt(frame, 20 + x, 20 + y) != PixelAt(frame, 20 + x, 70 + y);
    EXPECT_EQ(differ, 0);
    // The box masks too.
    ClickAt({60, 35});
    EXPECT_EQ(edit->GetNativeEdit()->GetText(), "secret");
}

} // namespace
} // namespace TolvaTest
