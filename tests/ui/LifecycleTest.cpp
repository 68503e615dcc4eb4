#include "TolvaFixture.h"

#include "ui/core/MAirBladder.h"
#include "ui/core/MPanel.h"
#include "ui/core/MPopupWnd.h"
#include "ui/core/Manager.h"
#include "ui/paint/FontRegistry.h"
#include "ui/paint/MShadow.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class LifecycleTest : public TolvaTest {};

// A dialog that removes the clicked control from inside its own notification.
class SelfRemovingDialog : public ProbeDialog {
public:
    LRESULT OnMessage(unsigned id, int code, WPARAM w, LPARAM l) override {
        ProbeDialog::OnMessage(id, code, w, l);
        if (code == 2) GetPaintManager().RemoveControl(GetControl(id));
        return 0;
    }
};

TEST_F(LifecycleTest, AControlRemovedDuringItsOwnNotificationGoesSafely) {
    SelfRemovingDialog dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.AddButton(5, {10, 10, 60, 60});
    dlg.AddButton(6, {100, 10, 160, 60});
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 20});
    head->Click(w, {20, 20});
    EXPECT_EQ(dlg.GetControl(5), nullptr);
    EXPECT_NE(dlg.GetControl(6), nullptr);
    EXPECT_EQ(dlg.GetPaintManager().GetHoverControl(), nullptr);
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), nullptr);
    // Input keeps flowing to what is left.
    head->AdvanceTime(1000);
    head->MouseMove(w, {110, 20});
    head->Click(w, {110, 20});
    EXPECT_EQ(dlg.notes.back(), (Note{6, 2, 0, 0}));
}

TEST_F(LifecycleTest, InitUiGetsTheClientAreaAndSizeChangesReachUiSize) {
    struct Sized : ProbeDialog {
        void InitUI(const Rect& r) override { init = r; }
        void UISize(const Rect& r) override { sizes.push_back(r); }
        Rect init;
        std::vector<Rect> sizes;
    } dlg;
    ASSERT_TRUE(dlg.Create(nullptr, "s", WS_POPUP, 0, {50, 50, 350, 250}));
    EXPECT_EQ(dlg.init, (Rect{0, 0, 300, 200}));
    dlg.MoveWindow(50, 50, 400, 260);
    Platform::ProcessPending();
    ASSERT_FALSE(dlg.sizes.empty());
    EXPECT_EQ(dlg.sizes.back(), (Rect{0, 0, 400, 260}));
}

TEST_F(LifecycleTest, TranslucencyMakesTheWindowLayered) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.SetTranslucent(255, 0xFFFFFF);
    EXPECT_FALSE(dlg.GetSafeHwnd()->IsLayered());
    dlg.SetTranslucent(200, 0xFFFFFF);
    EXPECT_TRUE(dlg.GetSafeHwnd()->IsLayered());
    EXPECT_EQ(dlg.GetSafeHwnd()->GetOpacity(), 200);
}

TEST_F(LifecycleTest, ColourKeyedPixelsBecomeTransparent) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(200, 100));
    dlg.AddButton(1, {10, 10, 50, 50}, 0xFFFF00FF); // magenta
    dlg.AddButton(2, {60, 10, 100, 50}, 0xFF00FF00);
    dlg.SetTranslucent(255, 0xFF00FF); // 0x00BBGGRR magenta
    EXPECT_TRUE(dlg.GetSafeHwnd()->IsLayered());
    dlg.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), {20, 20}), 0u);
    EXPECT_EQ(head->Pixel(dlg.GetSafeHwnd(), {70, 20}), 0xFF00FF00u);
}

TEST_F(LifecycleTest, RepaintRequestsCoverOldAndNewPlacesAndSkipNoChanges) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(400, 300));
    ProbeButton* b = dlg.AddButton(1, {10, 10, 50, 50});
    Platform::ProcessPending();
    NativeWindow* w = dlg.GetSafeHwnd();
    ASSERT_TRUE(w->GetUpdateRect().IsEmpty());
    b->SetRect(100, 100, 140, 140);
    EXPECT_EQ(w->GetUpdateRect(), (Rect{10, 10, 140, 140}));
    Platform::ProcessPending();
    b->SetVisible(true); // unchanged: nothing to do
    b->SetEnabled(true);
    EXPECT_TRUE(w->GetUpdateRect().IsEmpty());
    b->SetVisible(false);
    EXPECT_EQ(w->GetUpdateRect(), (Rect{100, 100, 140, 140}));
    Platform::ProcessPending();
    // A layered window is always painted whole.
    dlg.SetLayeredWindow(true);
    Platform::ProcessPending();
    b->SetVisible(true);
    EXPECT_EQ(w->GetUpdateRect().Intersect(w->GetClientRect()), w->GetClientRect());
}

TEST_F(LifecycleTest, ScrolledChildrenAskForTheirShownPlace) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(400, 400));
    auto* panel = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
        std::make_unique<MPanel>(&dlg, 50, Rect{0, 0, 200, 200}), 1));
    auto* child = static_cast<ProbeButton*>(
        panel->AddChild(std::make_unique<ProbeButton>(panel, 9, Rect{10, 250, 100, 300}), 1));
    panel->UpdateScrollBars();
    panel->VerticalBar()->SetPos(300, false);
    Platform::ProcessPending();
    child->UpdateControl(true);
    EXPECT_EQ(dlg.GetSafeHwnd()->GetUpdateRect(), (Rect{10, 150, 100, 200}));
    Platform::ProcessPending();
    panel->VerticalBar()->SetPos(0, false);
    Platform::ProcessPending();
    child->UpdateControl(true);
    // Scrolled out of sight: nothing to repaint.
    EXPECT_TRUE(dlg.GetSafeHwnd()->GetUpdateRect().IsEmpty());
}

TEST_F(LifecycleTest, TooltipFollowsTheHoveredControl) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    ProbeButton* b = dlg.AddButton(4, {10, 10, 60, 60});
    b->SetTooltip("Apply the change");
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {20, 20});
    EXPECT_EQ(dlg.GetTooltipCtrlID(), 4u);
    head->MouseMove(w, {300, 200});
    EXPECT_EQ(dlg.GetTooltipCtrlID(), 0u);
}

TEST_F(LifecycleTest, BalloonOwnerRulesAndPlacement) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    PaintManager& pm = dlg.GetPaintManager();
    pm.SetAirBladderMsg("Saved", {500, 300}, 2, 0);
    ASSERT_NE(pm.GetAirBladder(), nullptr);
    EXPECT_EQ(pm.GetAirBladder()->GetWindowRect(), MAirBladder::Placement({500, 300}, 2));
    int a = 0, b = 0;
    EXPECT_EQ(pm.ShowAirBladder(true, &a), 1);
    EXPECT_TRUE(pm.GetAirBladder()->IsWindowVisible());
    // Someone else cannot hide another owner's balloon.
    EXPECT_EQ(pm.ShowAirBladder(false, &b), 0);
    EXPECT_TRUE(pm.GetAirBladder()->IsWindowVisible());
    EXPECT_EQ(pm.ShowAirBladder(false, &a), 1);
    EXPECT_FALSE(pm.GetAirBladder()->IsWindowVisible());
    EXPECT_EQ(MAirBladder::Placement({500, 300}, 0).left, 500);
    EXPECT_EQ(MAirBladder::Placement({500, 300}, 1).right, 500);
}

TEST_F(LifecycleTest, BalloonStaysInsideTheWorkAreaPointingAtItsAnchor) {
    const Rect work{0, 0, 1000, 800};
    const Size size{MAirBladder::kWidth, MAirBladder::kHeight};
    // No room on the right: the arrow moves to the right edge and the balloon to the left.
    MAirBladder::Layout l = MAirBladder::Arrange({900, 400}, 0, size, work);
    EXPECT_EQ(l.type, 1);
    EXPECT_EQ(l.window.right, 900);
    // No room on either side: it keeps the side asked for.
    EXPECT_EQ(MAirBladder::Arrange({500, 400}, 0, Size{600, 60}, work).type, 0);
    // Near the top it slides down; the arrow still points at the anchor.
    l = MAirBladder::Arrange({500, 20}, 0, size, work);
    EXPECT_EQ(l.window.top, 0);
    EXPECT_EQ(l.arrowAt, 20);
    EXPECT_EQ(MAirBladder::Arrange({500, 20}, 0, size, Rect{}).arrowAt, MAirBladder::kHeight / 2);
    // Hanging below an anchor near the left edge.
    l = MAirBladder::Arrange({50, 100}, 2, size, work);
    EXPECT_EQ(l.window.left, 0);
    EXPECT_EQ(l.window.top, 100);
    EXPECT_EQ(l.arrowAt, 50);
    // The arrow never leaves the rounded body.
    EXPECT_EQ(MAirBladder::Arrange({2, 100}, 2, size, work).arrowAt, MAirBladder::kArrow);

    EXPECT_EQ(MAirBladder::FitSize("Saved", 0), size);
    const std::string saved = Manager::GetFontName();
    std::string family;
    for (const char* f : {"Open Sans", "DejaVu Sans", "Liberation Sans"})
        if (family.empty() && FontRegistry::Instance().HasFamily(f)) family = f;
    if (family.empty()) GTEST_SKIP() << "no text font";
    Manager::SetFontName(family);
    const Size big = MAirBladder::FitSize(
        "The profile could not be written to the mouse because it was unplugged while saving; "
        "plug it in again and apply the profile once more.",
        0);
    Manager::SetFontName(saved);
    // Wider than the default, but wrapped at the widest a balloon gets.
    EXPECT_GT(big.cx, MAirBladder::kWidth);
    EXPECT_LE(big.cx, MAirBladder::kMaxWidth);
    EXPECT_GT(big.cy, MAirBladder::kHeight);
}

TEST_F(LifecycleTest, PopupWindowForwardsNotificationsToItsParent) {
    ProbeDialog owner;
    ASSERT_TRUE(owner.Open());
    MPopupWnd popup;
    ASSERT_NE(popup.CreatePopup(owner.GetSafeHwnd(), {120, 120, 220, 220}, &owner), nullptr);
    auto* b = static_cast<ProbeButton*>(popup.GetPaintManager().AddControl(
        std::make_unique<ProbeButton>(&popup, 33, Rect{0, 0, 50, 50}), 1));
    b->SendMessageW(2, 1, 19);
    EXPECT_EQ(owner.notes, (std::vector<Note>{{33, 2, 1, 19}}));
    popup.CloseWindow();
    Platform::ProcessPending();
    EXPECT_EQ(popup.GetSafeHwnd(), nullptr);
}

TEST_F(LifecycleTest, ShadowWindowSitsBehindTheDialogAndFollowsIt) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(300, 200)); // at (100, 100)
    MShadow* shadow = dlg.CreateShadow(10, true);
    ASSERT_NE(shadow, nullptr);
    ASSERT_NE(shadow->GetWindow(), nullptr);
    EXPECT_TRUE(shadow->GetWindow()->IsVisible());
    // Radius max(size 10, sharpness 5) around the dialog, offset by (5, 5).
    EXPECT_EQ(shadow->GetWindow()->GetWindowRect(), (Rect{95, 95, 415, 315}));
    dlg.MoveWindow(200, 150, 300, 200);
    Platform::ProcessPending();
    EXPECT_EQ(shadow->GetWindow()->GetWindowRect(), (Rect{195, 145, 515, 365}));
    EXPECT_EQ(shadow->SetPosition(0, 0), 1);
    EXPECT_EQ(shadow->GetWindow()->GetWindowRect(), (Rect{190, 140, 510, 360}));
    shadow->SetShadowShow(false);
    EXPECT_FALSE(shadow->GetWindow()->IsVisible());
}

TEST_F(LifecycleTest, AltF4IsSwallowedByTheProcessLoop) {
    Message msg{nullptr, WM_SYSKEYDOWN, static_cast<WPARAM>(VK_F1 + 3), 0};
    head->SetModifiers(false, false, true);
    EXPECT_FALSE(Manager::PreTranslateMessage(msg)); // F4 itself is not down yet
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    head->KeyDown(dlg.GetSafeHwnd(), VK_F1 + 3);
    EXPECT_TRUE(Manager::PreTranslateMessage(msg));
    head->KeyUp(dlg.GetSafeHwnd(), VK_F1 + 3);
    head->SetModifiers(false, false, false);
}

} // namespace
} // namespace TolvaTest
