#include "TolvaFixture.h"

#include "ui/controls/CButtonBase.h"
#include "ui/controls/CGifPicture.h"
#include "ui/controls/CIconButton.h"
#include "ui/controls/CPhotoFrame.h"
#include "ui/controls/CSliderPicture.h"
#include "ui/controls/CTextArea.h"
#include "ui/controls/CTextButton.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MPicture.h"
#include "ui/controls/MText.h"
#include "ui/controls/PictureDrawer.h"
#include "ui/core/CArea.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"

#include <climits>
#include <memory>

using namespace Tolva;

namespace TolvaTest {
namespace {

// The button family, texts and pictures as a person sees them, against reference images.
class ControlLookTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        // A face every machine with the program's fonts has, so that pictures compare.
        font = Manager::GetFontName();
        Manager::SetFontName("Open Sans");
    }
    void TearDown() override {
        TolvaTest::TearDown();
        Manager::SetFontName(font);
    }
    template <class T>
    T* Make(const char* cls, unsigned id, const Rect& r, const char* title = "") {
        auto* c = dynamic_cast<T*>(dlg.CreateControl(cls, id, r, title));
        EXPECT_NE(c, nullptr) << cls;
        if (auto* f = dynamic_cast<MControlFont*>(c)) f->SetFontWidth(10);
        return c;
    }
    cairo_surface_t* Render() {
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
        return head->Frame(dlg.GetSafeHwnd());
    }

    ProbeDialog dlg;
    std::string font;
};

TEST_F(ControlLookTest, ButtonFamilyInItsStatesMatchesItsReference) {
    ASSERT_TRUE(dlg.Open(560, 260));
    const char* classes[] = {"MButton",      "CIconButton",   "CTextButton", "CCheckButton",
                             "CRadioButton", "CSwitchButton", "CHelpButton"};
    // Columns: normal, hover, pressed, disabled, checked.
    unsigned id = 10;
    for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 5; ++col) {
            const int x = 10 + col * 110, y = 10 + row * 35;
            const bool help = row == 6;
            const Rect r = help ? Rect{x, y + 4, x + 20, y + 24} : Rect{x, y, x + 100, y + 28};
            auto* b = Make<CButtonBase>(classes[row], id++, r, help ? "" : "Apply");
            ASSERT_NE(b, nullptr);
            b->SetAlignment(row >= 3 ? 0 : 1, 1);
            if (row <= 1) b->SetImage("btn_apply.png", 4);
            if (help) b->SetImage("btn_help.png", 4);
            if (row == 1) static_cast<CIconButton*>(b)->SetIconImage("icon\\icon_config.png", 1);
            if (row == 2)
                static_cast<CTextButton*>(b)->SetTextButtonColor(0xFFC8CCD2, 0xFF10A8FD, 0xFF0B78B8,
                                                                 0xFF5A5F66);
            if (col == 4) b->SetCheck(true);
            if (col == 3) b->SetEnabled(false);
            if (col == 1 || col == 2) b->ShowState(col);
        }
    }
    cairo_surface_t* frame = Render();
    EXPECT_EQ(CompareWithReference(frame, "button_family_states"), "");
    // A disabled push button is drawn from its disabled frame, not the normal one.
    EXPECT_NE(PixelAt(frame, 60, 14), PixelAt(frame, 390, 14));
}

TEST_F(ControlLookTest, TextsMatchTheirReference) {
    ASSERT_TRUE(dlg.Open(420, 260));
    auto* one = Make<MText>("MText", 1, {10, 10, 410, 30}, "Report rate: 1000 Hz");
    auto* wrapped =
        Make<MText>("MText", 2, {10, 40, 210, 120},
                    "Pressing a button on the mouse picture selects it in the list below.");
    wrapped->EnableMultiLine(true);
    auto* centred = Make<MText>("MText", 3, {220, 40, 410, 120}, "No device");
    centred->SetAlignment(1);
    centred->EnableVCenter(true);
    centred->EnableTextBack(true);
    auto* marked = Make<MText>("MText", 4, {10, 130, 410, 150}, "");
    marked->SetTitleMarkText("Firmware 1.05 is ready", "1.05");
    auto* shadow = Make<MText>("MText", 5, {10, 160, 410, 190}, "ORMAN-Q410");
    shadow->SetFontWidth(16);
    shadow->EnableShadow(true);
    auto* area = static_cast<CTextArea*>(dlg.GetPaintManager().AddControl(
        std::make_unique<CTextArea>(&dlg, 6, Rect{10, 200, 200, 250}, "Saved"), 1));
    area->SetFontWidth(10);
    area->SetAlignment(1, 1);
    area->SetTransparent(0, 0, 0xFF1F5A32);
    area->SetFrame(true, 0xFF30C060);
    auto* fade = Make<CArea>("CArea", 7, {220, 200, 410, 250});
    fade->SetTransparent(0, 100, 0xFFFDA810);
    ASSERT_TRUE(one && wrapped && centred && marked && shadow && fade);
    EXPECT_EQ(CompareWithReference(Render(), "texts"), "");
}

TEST_F(ControlLookTest, PicturesMatchTheirReference) {
    ASSERT_TRUE(dlg.Open(560, 200));
    const int modes[] = {PictureDrawer::Stretch, PictureDrawer::Center, PictureDrawer::MID,
                         PictureDrawer::Custom};
    const char* files[] = {"icon\\bg_logo1.png", "icon\\icon_config.png", "bk_prompt.png",
                           "mouse\\mouse_q410.png"};
    for (int i = 0; i < 4; ++i) {
        auto* p = Make<MPicture>("MPicture", 1 + i, Rect{10 + 135 * i, 10, 135 + 135 * i, 90});
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(p->SetImage(files[i]), 1);
        p->SetShowMode(modes[i]);
        if (i == 2) p->SetShowModeMID(20, 20, 20, 20);
        if (i == 3) p->SetCustomRect(Rect{70, 40, 230, 130});
    }
    auto* frame = Make<CPhotoFrame>("CPhotoFrame", 5, {10, 100, 130, 190});
    ASSERT_NE(frame, nullptr);
    frame->SetPhotoFrame("btn_apply.png", 4, 4);
    frame->SetImage("icon\\bg_logo1.png");
    auto* gif = Make<CGifPicture>("CGifPicture", 6, {150, 100, 230, 190});
    ASSERT_NE(gif, nullptr);
    gif->SetImage("loading\\loading.gif", 1);
    gif->SetShowMode(PictureDrawer::Center);
    gif->SetRunState(false, 2);
    cairo_surface_t* shot = Render();
    EXPECT_EQ(CompareWithReference(shot, "pictures"), "");
    // The picture shows inside its frame: the frame strip's opaque middle does not cover it.
    EXPECT_FALSE(Near(PixelAt(shot, 70, 145), PixelAt(shot, 12, 145), 16));
}

// Counts, states and frame numbers out of range never crash a button, text or picture, and
// change nothing that can be seen.
TEST_F(ControlLookTest, CountsStatesAndFramesOutOfRangeChangeNothing) {
    ASSERT_TRUE(dlg.Open(420, 200));
    auto* push = Make<MButton>("MButton", 1, {10, 10, 110, 40}, "Apply");
    auto* icon = Make<CIconButton>("CIconButton", 2, {120, 10, 220, 40}, "Icon");
    auto* text = Make<CTextButton>("CTextButton", 3, {230, 10, 330, 40}, "Text");
    auto* picture = Make<MPicture>("MPicture", 4, {10, 50, 110, 150});
    auto* slide = Make<CSliderPicture>("CSliderPicture", 5, {120, 50, 220, 150});
    auto* label = Make<MText>("MText", 6, {230, 50, 410, 150}, "Label");
    ASSERT_TRUE(push && icon && text && picture && slide && label);
    for (int bad : {-1, 0, 5, 1 << 20, INT_MAX, INT_MIN}) {
        push->SetImage("btn_apply.png", bad);
        push->SetIconImage("icon\\icon_config.png", bad);
        icon->SetIconImage("icon\\icon_config.png", bad);
        slide->SetImage("btn_apply.png", bad);
        picture->SetImage("btn_apply.png", bad);
        EXPECT_EQ(picture->SetFrameIndex(bad == 0 ? -1 : bad), 0) << bad;
        EXPECT_EQ(text->GetTextButtonColor(bad == 0 ? 4 : bad), 0u) << bad;
        push->ShowState(bad == 0 ? 4 : bad);
        EXPECT_EQ(push->GetState(), 0) << bad;
        label->SetFontWidth(bad);
        EXPECT_GT(label->GetFontWidth(), 0) << bad;
        EXPECT_LE(label->GetFontWidth(), MControlFont::kMaxFontSize) << bad;
        Render();
    }
    label->SetFontWidth(10);
    picture->SetImage("btn_apply.png", 4);
    EXPECT_EQ(picture->SetFrameIndex(3), 1);
    EXPECT_EQ(picture->SetFrameIndex(4), 0);
    EXPECT_EQ(picture->GetFrameIndex(), 3);
    push->ShowState(2);
    EXPECT_EQ(push->GetState(), 2);
    Render();
}

} // namespace
} // namespace TolvaTest
