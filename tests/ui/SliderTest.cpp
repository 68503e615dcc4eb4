#include "TolvaFixture.h"

#include "ui/controls/MSlider.h"
#include "ui/controls/MSpinButton.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

// A slider 216 wide at x 20 with the default 16 x 27 thumb: the thumb travels 200 pixels.
class SliderTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(400, 200));
        dlg.EnableWndDrag(false);
        slider = dynamic_cast<MSlider*>(dlg.CreateControl("MSlider", 30, {20, 50, 236, 80}));
        ASSERT_NE(slider, nullptr);
        w = dlg.GetSafeHwnd();
    }
    ProbeDialog dlg;
    MSlider* slider = nullptr;
    NativeWindow* w = nullptr;
};

TEST_F(SliderTest, ThumbSitsAtBothEndsAndInProportionBetween) {
    EXPECT_EQ(slider->GetMinProgress(), 0);
    EXPECT_EQ(slider->GetMaxProgress(), 10);
    EXPECT_EQ(slider->GetThumbSize(), (Size{16, 27}));
    EXPECT_EQ(slider->ThumbRect().left, 20);
    slider->SetProgress(10);
    EXPECT_EQ(slider->ThumbRect(), (Rect{220, 51, 236, 78}));
    slider->SetProgress(5);
    EXPECT_EQ(slider->ThumbRect().left, 120);
    // A DPI-like range keeps its ends too.
    ASSERT_EQ(slider->SetMaxProgress(24000), 1);
    ASSERT_EQ(slider->SetMinProgress(100), 1);
    EXPECT_EQ(slider->GetProgress(), 100);
    EXPECT_EQ(slider->ThumbRect().left, 20);
    slider->SetProgress(24000);
    EXPECT_EQ(slider->ThumbRect().left, 220);
}

TEST_F(SliderTest, SetProgressClampsIgnoresNegativeAndNeverNotifies) {
    EXPECT_EQ(slider->SetProgress(4), 4);
    EXPECT_EQ(slider->SetProgress(50), 10);
    EXPECT_EQ(slider->SetProgress(-1), 10);
    EXPECT_EQ(slider->SetProgress(10), 10);
    EXPECT_EQ(slider->SetMaxProgress(-5), 0); // below the minimum
    EXPECT_EQ(slider->GetMaxProgress(), 10);
    EXPECT_TRUE(dlg.notes.empty());
}

TEST_F(SliderTest, PointerToValueUsesTheRangePlusOne) {
    // minimum + (x - left) x 11 / 200, clamped.
    EXPECT_EQ(slider->ValueAtPoint(20), 0);
    EXPECT_EQ(slider->ValueAtPoint(38), 0);
    EXPECT_EQ(slider->ValueAtPoint(39), 1);
    EXPECT_EQ(slider->ValueAtPoint(120), 5);
    EXPECT_EQ(slider->ValueAtPoint(219), 10);
    EXPECT_EQ(slider->ValueAtPoint(235), 10);
    EXPECT_EQ(slider->ValueAtPoint(0), 0);
}

TEST_F(SliderTest, PressBesideTheThumbJumpsAndDragsWhenTheThumbLandsUnderThePointer) {
    head->MouseMove(w, {125, 65});
    head->MouseDown(w, MouseButton::Left, {125, 65}); // value 5: thumb 120..136 holds the pointer
    EXPECT_EQ(slider->GetProgress(), 5);
    EXPECT_TRUE(slider->IsDragging());
    head->MouseMove(w, {400, 65}); // past the end
    EXPECT_EQ(slider->GetProgress(), 10);
    head->MouseUp(w, MouseButton::Left, {400, 65});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{30, 8, 5, 0}, {30, 8, 10, 0}, {30, 2, 0, 0}}));

    // At 10 the thumb sits at 220..236: a press at 30 jumps to 0, where the thumb (20..36)
    // is under the pointer again.
    dlg.notes.clear();
    head->AdvanceTime(1000);
    head->MouseMove(w, {30, 65});
    head->MouseDown(w, MouseButton::Left, {30, 65});
    EXPECT_EQ(slider->GetProgress(), 0);
    EXPECT_TRUE(slider->IsDragging());
    head->MouseUp(w, MouseButton::Left, {30, 65});

    // A jump that leaves the thumb away from the pointer does not drag.
    dlg.notes.clear();
    head->AdvanceTime(1000);
    head->MouseMove(w, {218, 65});
    head->MouseDown(w, MouseButton::Left, {218, 65}); // value 10: thumb at 220
    EXPECT_EQ(slider->GetProgress(), 10);
    EXPECT_FALSE(slider->IsDragging());
    head->MouseMove(w, {60, 65});
    EXPECT_EQ(slider->GetProgress(), 10);
    head->MouseUp(w, MouseButton::Left, {60, 65});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{30, 8, 10, 0}, {30, 2, 0, 0}}));
}

TEST_F(SliderTest, DisabledSliderTakesNoInput) {
    slider->SetEnabled(false);
    head->MouseMove(w, {125, 65});
    head->Click(w, {125, 65});
    EXPECT_EQ(slider->GetProgress(), 0);
    EXPECT_TRUE(dlg.notes.empty());
}

class SpinTest : public SliderTest {};

TEST_F(SpinTest, ButtonsAndArrowKeysStepInsideTheRange) {
    auto* spin =
        dynamic_cast<MSpinButton*>(dlg.CreateControl("MSpinButton", 31, {20, 100, 120, 130}));
    ASSERT_NE(spin, nullptr);
    spin->SetRange(255, 0); // put in order
    EXPECT_EQ(spin->GetMinValue(), 0);
    EXPECT_EQ(spin->GetMaxValue(), 255);
    spin->SetCurValue(254);
    const Rect up = spin->UpButtonRect();
    const Point upAt{up.left + 4, up.top + 4};
    head->MouseMove(w, upAt);
    head->Click(w, upAt);
    head->AdvanceTime(1000);
    head->Click(w, upAt); // at the maximum: no change, no notification
    EXPECT_EQ(spin->GetCurValue(), 255);
    head->KeyDown(w, VK_DOWN);
    EXPECT_EQ(spin->GetCurValue(), 254);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{31, 28, 255, 0}, {31, 28, 254, 0}}));

    // Typing goes through the field's editor, clamped into the range.
    head->AdvanceTime(1000);
    head->Click(w, {40, 115});
    ASSERT_TRUE(spin->IsEditShown());
    head->EditType(spin->GetEdit(), "999");
    head->EditKey(spin->GetEdit(), VK_RETURN);
    EXPECT_EQ(spin->GetCurValue(), 255);
    head->AdvanceTime(1000);
    head->Click(w, {40, 115});
    head->EditType(spin->GetEdit(), "");
    head->EditKey(spin->GetEdit(), VK_RETURN); // empty keeps the value
    EXPECT_EQ(spin->GetCurValue(), 255);
}

} // namespace
} // namespace TolvaTest
