#include "TolvaFixture.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class DropTarget : public ProbeButton {
public:
    using ProbeButton::ProbeButton;
    int OnControlDrop(MControl* source, Point pt) override {
        droppedFrom = source;
        droppedAt = pt;
        return 1;
    }
    MControl* droppedFrom = nullptr;
    Point droppedAt;
};

class DragDropTest : public TolvaTest {};

TEST_F(DragDropTest, ASmallMoveWithTheButtonHeldDragsTheSourceOntoAnotherControl) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(400, 300));
    ProbeButton* source = dlg.AddButton(1, {10, 10, 60, 60});
    auto* target = static_cast<DropTarget*>(dlg.GetPaintManager().AddControl(
        std::make_unique<DropTarget>(&dlg, 2, Rect{200, 10, 260, 60}), 1));
    source->SetDragDrop(true);
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 20});
    head->MouseDown(w, MouseButton::Left, {20, 20});
    EXPECT_FALSE(dlg.GetPaintManager().IsDragging());
    head->MouseMove(w, {21, 21});
    EXPECT_TRUE(dlg.GetPaintManager().IsDragging());
    head->MouseMove(w, {220, 30});
    head->MouseUp(w, MouseButton::Left, {220, 30});
    EXPECT_FALSE(dlg.GetPaintManager().IsDragging());
    EXPECT_EQ(target->droppedFrom, source);
    EXPECT_EQ(target->droppedAt, (Point{220, 30}));
    // The drag replaced the click: the source saw its press but no click.
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{1, 1, 0, 0}}));
}

TEST_F(DragDropTest, AJumpOnBothAxesOrAControlThatIsNoSourceStartsNothing) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(400, 300));
    ProbeButton* source = dlg.AddButton(1, {10, 10, 100, 100});
    NativeWindow* w = dlg.GetSafeHwnd();
    source->SetDragDrop(true);
    head->MouseMove(w, {20, 20});
    head->MouseDown(w, MouseButton::Left, {20, 20});
    head->MouseMove(w, {30, 30});
    EXPECT_FALSE(dlg.GetPaintManager().IsDragging());
    head->MouseUp(w, MouseButton::Left, {30, 30});
    head->AdvanceTime(1000);

    source->SetDragDrop(false);
    head->MouseMove(w, {20, 20});
    head->MouseDown(w, MouseButton::Left, {20, 20});
    head->MouseMove(w, {21, 20});
    EXPECT_FALSE(dlg.GetPaintManager().IsDragging());
    head->MouseUp(w, MouseButton::Left, {21, 20});
}

} // namespace
} // namespace TolvaTest
