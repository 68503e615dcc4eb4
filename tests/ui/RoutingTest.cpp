#include "TolvaFixture.h"

#include "ui/core/MPanel.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class RoutingTest : public TolvaTest {};

TEST_F(RoutingTest, PressAndReleaseInsideSendPressedThenClicked) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.AddButton(7, {10, 10, 110, 40});
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 20});
    head->MouseDown(w, MouseButton::Left, {20, 20});
    head->MouseUp(w, MouseButton::Left, {30, 25});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{7, 1, 0, 0}, {7, 2, 0, 0}}));
}

TEST_F(RoutingTest, ReleaseOutsideSendsOnlyPressedAndDropsTheHover) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    ProbeButton* b = dlg.AddButton(7, {10, 10, 110, 40});
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 20});
    head->MouseDown(w, MouseButton::Left, {20, 20});
    // While the button is held the pressed control keeps the mouse, even outside.
    head->MouseMove(w, {200, 200});
    EXPECT_EQ(b->moves.back(), (Point{200, 200}));
    head->MouseUp(w, MouseButton::Left, {200, 200});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{7, 1, 0, 0}}));
    EXPECT_EQ(dlg.GetPaintManager().GetHoverControl(), nullptr);
    EXPECT_FALSE(dlg.GetPaintManager().IsPressed());
}

TEST_F(RoutingTest, DisabledAndHiddenControlsGetNoInput) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    ProbeButton* off = dlg.AddButton(1, {10, 10, 110, 40});
    ProbeButton* hidden = dlg.AddButton(2, {10, 50, 110, 80});
    off->SetEnabled(false);
    hidden->SetVisible(false);
    NativeWindow* w = dlg.GetSafeHwnd();
    dlg.EnableWndDrag(false);
    head->Click(w, {20, 20});
    head->Click(w, {20, 60});
    EXPECT_TRUE(dlg.notes.empty());
    EXPECT_TRUE(off->moves.empty());
    EXPECT_TRUE(hidden->moves.empty());
}

TEST_F(RoutingTest, TheLastControlUnderThePointerTakesTheHoverAndLeaveClearsIt) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    ProbeButton* below = dlg.AddButton(1, {10, 10, 110, 40});
    ProbeButton* above = dlg.AddButton(2, {50, 10, 150, 40});
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {60, 20});
    EXPECT_EQ(dlg.GetPaintManager().GetHoverControl(), above);
    head->MouseMove(w, {20, 20});
    EXPECT_EQ(dlg.GetPaintManager().GetHoverControl(), below);
    EXPECT_FALSE(above->hovering);
    head->Leave(w);
    EXPECT_EQ(dlg.GetPaintManager().GetHoverControl(), nullptr);
    EXPECT_EQ(below->moves.back(), (Point{-1, -1}));
}

TEST_F(RoutingTest, PressOnEmptySpaceMovesTheWindowOnlyWhenDraggingIsOn) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.AddButton(1, {10, 10, 110, 40});
    NativeWindow* w = dlg.GetSafeHwnd();
    dlg.EnableWndDrag(false);
    head->MouseMove(w, {300, 200});
    head->MouseDown(w, MouseButton::Left, {300, 200});
    EXPECT_FALSE(head->IsMoveDragging());
    head->MouseUp(w, MouseButton::Left, {300, 200});

    dlg.EnableWndDrag(true);
    head->AdvanceTime(1000); // not a double click
    head->MouseMove(w, {300, 200});
    head->MouseDown(w, MouseButton::Left, {300, 200});
    EXPECT_TRUE(head->IsMoveDragging());
    head->MouseUp(w, MouseButton::Left, {300, 200});
    EXPECT_FALSE(head->IsMoveDragging());
    // A press on a control never drags the window.
    head->MouseMove(w, {20, 20});
    head->MouseDown(w, MouseButton::Left, {20, 20});
    EXPECT_FALSE(head->IsMoveDragging());
    head->MouseUp(w, MouseButton::Left, {20, 20});
}

TEST_F(RoutingTest, DoubleClickIsASecondPressUnlessEnabled) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    ProbeButton* b = dlg.AddButton(3, {10, 10, 110, 40});
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 20});
    head->Click(w, {20, 20});
    head->Click(w, {20, 20});
    EXPECT_EQ(dlg.notes,
              (std::vector<Note>{{3, 1, 0, 0}, {3, 2, 0, 0}, {3, 1, 0, 0}, {3, 2, 0, 0}}));
    dlg.notes.clear();
    head->AdvanceTime(2000);
    b->SetDblClk(true);
    head->Click(w, {20, 20});
    head->Click(w, {20, 20});
    ASSERT_GE(dlg.notes.size(), 3u);
    EXPECT_EQ(dlg.notes[2].code, 3);
    EXPECT_EQ(dlg.notes[2].lparam, MakeLParam(20, 20));
}

// A panel scrolled down by 100 pixels: its children see content coordinates, except the
// controls with ids 1 and 2, which see window coordinates.
class ScrollPanelTest : public RoutingTest {
protected:
    void SetUp() override {
        RoutingTest::SetUp();
        ASSERT_TRUE(dlg.Open(400, 400));
        auto owned = std::make_unique<MPanel>(&dlg, 50, Rect{0, 0, 200, 200});
        panel = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(std::move(owned), 1));
        content = static_cast<ProbeButton*>(
            panel->AddChild(std::make_unique<ProbeButton>(panel, 9, Rect{10, 250, 100, 300}), 1));
        panel->UpdateScrollBars();
    }
    ProbeDialog dlg;
    MPanel* panel = nullptr;
    ProbeButton* content = nullptr;
};

TEST_F(ScrollPanelTest, ContentTallerThanThePanelShowsTheBarAndScrollsWithTheWheel) {
    EXPECT_EQ(panel->GetVirtualHeight(), 300);
    ASSERT_TRUE(panel->VerticalBar()->IsVisible());
    EXPECT_FALSE(panel->HorizontalBar()->IsVisible());
    EXPECT_EQ(panel->VerticalBar()->GetRect(), (Rect{195, 0, 200, 200}));
    NativeWindow* w = dlg.GetSafeHwnd();
    const Point screen = w->ClientToScreen(Point{50, 50});
    for (int i = 0; i < 20; ++i)
        head->Wheel(w, -WHEEL_DELTA, {50, 50});
    EXPECT_EQ(panel->VerticalBar()->GetPos(), 300);
    EXPECT_EQ(panel->ScrollOffset().y, 100);
    head->Wheel(w, WHEEL_DELTA, {50, 50});
    EXPECT_EQ(panel->VerticalBar()->GetPos(), 270);
    (void)screen;
    panel->SetEnableScroll(false);
    EXPECT_EQ(panel->ScrollOffset().y, 0);
}

TEST_F(ScrollPanelTest, ScrollBarIdsGetUntranslatedPoints) {
    panel->VerticalBar()->SetPos(300, false);
    ASSERT_EQ(panel->ScrollOffset().y, 100);
    auto* raw = static_cast<ProbeButton*>(
        panel->AddChild(std::make_unique<ProbeButton>(panel, 1, Rect{150, 0, 190, 50}), 1));
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 160});
    ASSERT_FALSE(content->moves.empty());
    EXPECT_EQ(content->moves.back(), (Point{20, 260}));
    ASSERT_FALSE(raw->moves.empty());
    EXPECT_EQ(raw->moves.back(), (Point{20, 160}));
    // The translated point lands in the scrolled content: the press reaches it.
    head->MouseDown(w, MouseButton::Left, {20, 160});
    head->MouseUp(w, MouseButton::Left, {20, 160});
    EXPECT_TRUE(std::find(dlg.notes.begin(), dlg.notes.end(), Note{9, 2, 0, 0}) != dlg.notes.end());
}

TEST_F(RoutingTest, KeysGoToTheHoverControlFirstThenToEveryControl) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    ProbeButton* a = dlg.AddButton(1, {10, 10, 110, 40});
    ProbeButton* b = dlg.AddButton(2, {10, 50, 110, 80});
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 60});
    head->KeyDown(w, 'A');
    ASSERT_EQ(b->keys.size(), 1u);
    EXPECT_EQ(a->keys.size(), 1u);
    EXPECT_EQ(b->keys[0], static_cast<unsigned>('A'));
}

TEST_F(RoutingTest, ModifierNumberFollowsAltShiftControl) {
    head->SetModifiers(false, false, false);
    EXPECT_EQ(PaintManager::ModifierNumber(), 0u);
    head->SetModifiers(true, false, false);
    EXPECT_EQ(PaintManager::ModifierNumber(), 16u);
    head->SetModifiers(true, false, true);
    EXPECT_EQ(PaintManager::ModifierNumber(), 18u);
    head->SetModifiers(false, true, false);
    EXPECT_EQ(PaintManager::ModifierNumber(), 17u);
    head->SetModifiers(false, false, false);
}

} // namespace
} // namespace TolvaTest
