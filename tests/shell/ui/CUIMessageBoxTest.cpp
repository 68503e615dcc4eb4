#include "PageFixture.h"
#include "TempConfigHome.h"

#include "app/files/UiText.h"
#include "app/shell/CUIMessageBox.h"
#include "ui/controls/MText.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

#include <functional>

using namespace Tolva;

namespace {

class CUIMessageBoxTest : public PageTest {
protected:
    void TearDown() override {
        head->SetIdleHandler(nullptr);
        PageTest::TearDown();
    }

    // Shows the box over the fixture's window and runs `person` in it once it waits for input.
    int Answer(int style, std::function<void(CUIMessageBox&)> person) {
        CUIMessageBox box("Restore?", "Caption", style);
        if (!box.Open(host->window.GetSafeHwnd())) return -1;
        EXPECT_EQ(box.Result(), style == CUIMessageBox::kQuestion ? 2 : 1);
        bool done = false;
        head->SetIdleHandler([&] {
            if (done) return;
            done = true;
            person(box);
            // What the person did ran inside the idle call; the waiting loop needs a message to
            // notice that its window is gone.
            Platform::PostMessage(host->window.GetSafeHwnd(), WM_NULL);
        });
        box.ShowModal(SW_SHOW);
        const int result = box.Result();
        head->SetIdleHandler(nullptr);
        return result;
    }
    // The centre of one of the box's controls; (-1, -1) when it has none with that id.
    // A person moves the pointer onto the button before pressing it.
    void Press(NativeWindow* w, Point p) {
        head->MouseMove(w, p);
        head->Click(w, p);
    }
    static Point Centre(CUIMessageBox& box, unsigned id) {
        MControl* c = box.GetControl(id);
        if (!c) return {-1, -1};
        const Rect r = c->GetRect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
};

TEST_F(CUIMessageBoxTest, AQuestionAnswersWithTheNumberOfTheButtonPressed) {
    for (unsigned button : {CUIMessageBox::kFirstButtonId, CUIMessageBox::kSecondButtonId}) {
        const int result = Answer(CUIMessageBox::kQuestion, [&](CUIMessageBox& box) {
            Press(box.GetSafeHwnd(), Centre(box, button));
        });
        EXPECT_EQ(result, button == CUIMessageBox::kFirstButtonId ? 1 : 2);
    }
    EXPECT_TRUE(host->window.IsWindowEnabled());
}

TEST_F(CUIMessageBoxTest, ADismissedQuestionAnswersNoAndEnterDoesNotConfirmIt) {
    const int result = Answer(CUIMessageBox::kQuestion, [&](CUIMessageBox& box) {
        head->KeyDown(box.GetSafeHwnd(), VK_RETURN);
        EXPECT_TRUE(Platform::IsWindow(box.GetSafeHwnd()));
        head->KeyDown(box.GetSafeHwnd(), VK_ESCAPE);
    });
    EXPECT_EQ(result, 2);
    // Closed by the window manager: no button, so no.
    EXPECT_EQ(
        Answer(CUIMessageBox::kQuestion,
               [&](CUIMessageBox& box) { Platform::PostMessage(box.GetSafeHwnd(), WM_CLOSE); }),
        2);
}

TEST_F(CUIMessageBoxTest, ANoticeHasOneCentredButtonAndAnswersOne) {
    const int result = Answer(CUIMessageBox::kNotice, [&](CUIMessageBox& box) {
        EXPECT_EQ(box.GetControl(CUIMessageBox::kSecondButtonId), nullptr);
        const Point centre = Centre(box, CUIMessageBox::kFirstButtonId);
        EXPECT_EQ(centre.x, CUIMessageBox::kWidth / 2);
        Press(box.GetSafeHwnd(), centre);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Answer(CUIMessageBox::kNotice,
                     [&](CUIMessageBox& box) { head->KeyDown(box.GetSafeHwnd(), VK_ESCAPE); }),
              1);
}

} // namespace
