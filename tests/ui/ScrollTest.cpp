#include "TolvaFixture.h"

#include "ui/controls/CScrollHorizontal.h"
#include "ui/controls/CScrollVertical.h"
#include "ui/core/MPanel.h"
#include "ui/core/Manager.h"

#include <cstdio>

using namespace Tolva;

namespace TolvaTest {
namespace {

// A panel that remembers what its bars tell it.
class NotedPanel : public MPanel {
public:
    using MPanel::MPanel;
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override {
        if (code == 8) notes.push_back({id, code, wparam, lparam});
        return MPanel::OnBaseMessage(id, code, wparam, lparam);
    }
    std::vector<Note> notes;
};

class ScrollTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(400, 400));
        panel = static_cast<NotedPanel*>(dlg.GetPaintManager().AddControl(
            std::make_unique<NotedPanel>(&dlg, 50, Rect{0, 0, 200, 200}), 1));
        content = static_cast<ProbeButton*>(
            panel->AddChild(std::make_unique<ProbeButton>(panel, 9, Rect{10, 250, 100, 400}), 1));
        panel->UpdateScrollBars();
        Platform::ProcessPending();
    }
    std::vector<Note> ScrollNotes() const { return panel->notes; }
    ProbeDialog dlg;
    NotedPanel* panel = nullptr;
    ProbeButton* content = nullptr;
};

TEST_F(ScrollTest, PanelBarsAreTheSkinnedScrollClassesWithIdsOneAndTwo) {
    MScroll* v = panel->VerticalBar();
    MScroll* h = panel->HorizontalBar();
    ASSERT_NE(dynamic_cast<CScrollVertical*>(v), nullptr);
    ASSERT_NE(dynamic_cast<CScrollHorizontal*>(h), nullptr);
    EXPECT_EQ(panel->GetControl(1), v);
    EXPECT_EQ(panel->GetControl(2), h);
    EXPECT_EQ(v->GetImagePath(), "img_scroll_v.png");
    EXPECT_EQ(h->GetImagePath(), "img_scroll_h.png");
    EXPECT_EQ(v->GetRect().Width(), MScroll::kThickness);
    EXPECT_EQ(h->GetRect().Height(), MScroll::kThickness);
    EXPECT_EQ(v->GetScrollMaxRange(), 400);
    EXPECT_EQ(v->GetScrollSize(), 200);
    // Clearing the panel's children leaves its bars.
    panel->RemoveAllControl();
    EXPECT_EQ(panel->VerticalBar(), v);
    EXPECT_EQ(panel->GetControl(1), v);
    EXPECT_FALSE(panel->RemoveControl(v));
    EXPECT_EQ(panel->GetControl(9), nullptr);
}

TEST_F(ScrollTest, DraggingTheThumbScrollsTheContentAndNotifiesTheNewPosition) {
    MScroll* v = panel->VerticalBar();
    ASSERT_TRUE(v->IsVisible());
    const Rect thumb = v->ThumbRect();
    EXPECT_EQ(thumb, (Rect{195, 0, 200, 100})); // half the content is visible
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {197, 10});
    EXPECT_EQ(v->GetThumbState(), 1);
    head->MouseDown(w, MouseButton::Left, {197, 10});
    EXPECT_EQ(v->GetThumbState(), 2);
    head->MouseMove(w, {197, 60});
    head->MouseMove(w, {197, 300}); // beyond the end: clamped
    head->MouseUp(w, MouseButton::Left, {197, 300});
    EXPECT_EQ(v->GetPos(), 400);
    EXPECT_EQ(panel->ScrollOffset().y, 200);
    const auto notes = ScrollNotes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], (Note{1, 8, 200, 0}));
    EXPECT_EQ(notes[1], (Note{1, 8, 400, 0}));
    // The content is drawn shifted: its top now sits at 250 - 200.
    Platform::ProcessPending();
    EXPECT_TRUE(Near(head->Pixel(w, {20, 60}), 0xFF3060A0));
}

TEST_F(ScrollTest, RowsFinalPositionAndInfoStayInsideTheRange) {
    MScroll* v = panel->VerticalBar();
    v->SetLineStep(30);
    EXPECT_EQ(v->ScrollRow(2), 60);
    EXPECT_EQ(v->ScrollRow(-5), 0);
    EXPECT_EQ(v->ScrollRow(-1), 0); // unchanged: no second notification
    EXPECT_TRUE(v->SetScrollFinalPos());
    EXPECT_EQ(v->GetScrollCurrentPos(), 400);
    EXPECT_FALSE(v->SetScrollFinalPos());
    EXPECT_EQ(ScrollNotes().size(), 3u);
    // Moving by call does not notify.
    EXPECT_TRUE(v->SetScrollCurrentPos(-10));
    EXPECT_EQ(v->GetPos(), 0);
    v->SetScrollInfo(100, 50, 500);
    EXPECT_EQ(v->GetPos(), 100);
    v->SetScrollMaxRange(40);
    EXPECT_EQ(v->GetPos(), 40);
    v->SetScrollInfo(-3, -3, -3);
    EXPECT_EQ(v->GetScrollMaxRange(), 0);
    EXPECT_EQ(v->GetPos(), 0);
    EXPECT_EQ(v->ThumbRect(), v->GetRect());
    EXPECT_EQ(ScrollNotes().size(), 3u);
}

TEST_F(ScrollTest, ScrollResourceIdsReskinTheBars) {
    MScroll* v = panel->VerticalBar();
    // An id with no image keeps the strip the bar has.
    EXPECT_EQ(v->SetScrollResID(9999), 0);
    EXPECT_EQ(v->GetImagePath(), "img_scroll_v.png");
    EXPECT_EQ(v->ImageForResID(MScroll::kHorizontalResID), "res_101.png");
    // A strip of the application's own in the skin folder, for the vertical bars.
    const std::string file = Manager::GetSkinFolder() + "res_9101.png";
    cairo_surface_t* strip = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 40);
    ASSERT_EQ(cairo_surface_write_to_png(strip, file.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(strip);
    dlg.SetScrollResID(9101, MScroll::kHorizontalResID);
    EXPECT_EQ(v->GetImagePath(), "res_9101.png");
    EXPECT_EQ(panel->HorizontalBar()->GetImagePath(), "img_scroll_h.png");
    auto* later = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
        std::make_unique<MPanel>(&dlg, 60, Rect{200, 0, 300, 100}), 1));
    EXPECT_EQ(later->VerticalBar()->GetImagePath(), "res_9101.png");
    dlg.SetScrollResID(MScroll::kVerticalResID, MScroll::kHorizontalResID);
    EXPECT_EQ(later->VerticalBar()->GetImagePath(), "img_scroll_v.png");
    std::remove(file.c_str());
}

} // namespace
} // namespace TolvaTest
