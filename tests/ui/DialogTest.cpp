#include "TolvaFixture.h"

#include "ui/core/CArea.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/MPanel.h"
#include "ui/core/MenuWnd.h"

#include <cairo.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace Tolva;

namespace TolvaTest {
namespace {

class DialogTest : public TolvaTest {};

TEST_F(DialogTest, ShowModalReturnsTheCloseCode) {
    struct Case {
        void (MDialog::*close)();
        uint32_t result;
    };
    for (Case c : {Case{&MDialog::DoOK, 1}, Case{&MDialog::DoCancel, 2}, Case{&MDialog::DoClose, 2},
                   Case{&MDialog::DoYes, 6}, Case{&MDialog::DoNo, 7}}) {
        ProbeDialog dlg;
        ASSERT_TRUE(dlg.Open());
        (dlg.*c.close)();
        EXPECT_EQ(dlg.ShowModal(), c.result);
        EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    }
}

TEST_F(DialogTest, ModalDialogDisablesItsOwnerUntilItCloses) {
    ProbeDialog owner;
    ASSERT_TRUE(owner.Open());
    ProbeDialog child;
    ASSERT_TRUE(child.Create(owner.GetSafeHwnd(), "child", WS_POPUP, 0, {0, 0, 100, 100}));
    bool ownerWasDisabled = false;
    head->SetIdleHandler([&] {
        ownerWasDisabled = !owner.IsWindowEnabled();
        child.DoYes();
    });
    EXPECT_EQ(child.ShowModal(), 6u);
    head->SetIdleHandler(nullptr);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST_F(DialogTest, WithoutAWindowTheCloseCallsDoNothingAndShowModalFails) {
    ProbeDialog dlg;
    dlg.DoOK();
    EXPECT_EQ(dlg.ShowModal(), 0xFFFFFFFFu);
}

TEST_F(DialogTest, ClassNamesAreCheckedPerHost) {
    using Host = ControlFactory::Host;
    EXPECT_FALSE(ControlFactory::IsAccepted(Host::Dialog, "MouseKeyCtrl"));
    EXPECT_TRUE(ControlFactory::IsAccepted(Host::Panel, "MouseKeyCtrl"));
    EXPECT_TRUE(ControlFactory::IsAccepted(Host::Dialog, "BatteryCtrl"));
    EXPECT_FALSE(ControlFactory::IsAccepted(Host::Panel, "BatteryCtrl"));
    EXPECT_FALSE(ControlFactory::IsAccepted(Host::Dialog, ""));
    EXPECT_FALSE(ControlFactory::IsAccepted(Host::Dialog, "mbutton"));

    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    EXPECT_EQ(dlg.CreateControl("", 1, {0, 0, 10, 10}), nullptr);
    EXPECT_EQ(dlg.CreateControl("NoSuchControl", 1, {0, 0, 10, 10}), nullptr);
    EXPECT_EQ(dlg.CreateControl("MouseKeyCtrl", 1, {0, 0, 10, 10}), nullptr);
    EXPECT_TRUE(dlg.GetControls().empty());

    MControl* area = dlg.CreateArea("CArea", 5, {0, 0, 10, 10});
    ASSERT_NE(area, nullptr);
    EXPECT_TRUE(area->IsClass("WBControl"));
    EXPECT_EQ(area->GetManager(), &dlg.GetPaintManager());
    EXPECT_EQ(dlg.GetPaintManager().GetAreas().size(), 1u);
    EXPECT_TRUE(dlg.GetControls().empty());

    // A panel accepts the panel-only names; registered ones are built there.
    if (!ControlFactory::IsRegistered("MouseKeyCtrl"))
        ControlFactory::Register("MouseKeyCtrl",
                                 [](MObject* p, unsigned id, const Rect& r, const std::string&,
                                    bool, bool) -> std::unique_ptr<MControl> {
                                     return std::make_unique<ProbeButton>(p, id, r);
                                 });
    auto* page = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
        std::make_unique<MPanel>(&dlg, 60, Rect{0, 0, 200, 200}), 1));
    MControl* widget = page->CreateControl("MouseKeyCtrl", 61, {0, 0, 50, 50});
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->GetParantObject(), page);
    EXPECT_EQ(page->CreateControl("BatteryCtrl", 62, {0, 0, 50, 50}), nullptr);
    EXPECT_EQ(dlg.CreateControl("MouseKeyCtrl", 63, {0, 0, 50, 50}), nullptr);
    EXPECT_EQ(dlg.GetControl(61), widget);
    EXPECT_EQ(dlg.GetControl(5), area);
}

TEST_F(DialogTest, PanelPassesChildNotificationsOnUnchanged) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    auto* page = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
        std::make_unique<MPanel>(&dlg, 60, Rect{0, 0, 200, 200}), 1));
    auto* b = static_cast<ProbeButton*>(
        page->AddChild(std::make_unique<ProbeButton>(page, 70, Rect{10, 10, 50, 50}), 1));
    b->SendMessageW(27, 3, 0x00FF00);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{70, 27, 3, 0x00FF00}}));
}

TEST_F(DialogTest, CentringUsesAVisibleReferenceElseTheWorkAreaAndStaysInside) {
    const Rect work{0, 0, 1000, 700};
    EXPECT_EQ(MWindow::CenteredRect({0, 0, 200, 100}, {100, 100, 500, 400}, true, work),
              (Rect{200, 200, 400, 300}));
    EXPECT_EQ(MWindow::CenteredRect({0, 0, 200, 100}, {100, 100, 500, 400}, false, work),
              (Rect{400, 300, 600, 400}));
    // A reference near the edge: the window is pulled back inside.
    EXPECT_EQ(MWindow::CenteredRect({0, 0, 200, 100}, {900, 650, 1000, 700}, true, work),
              (Rect{800, 600, 1000, 700}));
    // Larger than the work area: the top-left corner wins.
    EXPECT_EQ(MWindow::CenteredRect({0, 0, 1200, 800}, {}, false, work), (Rect{0, 0, 1200, 800}));
}

TEST_F(DialogTest, IconByResourceIdComesFromTheSkinAndMenuIsKept) {
    namespace fs = std::filesystem;
    const fs::path home = fs::temp_directory_path() / ("tolva-icon-" + std::to_string(getpid()));
    fs::create_directories(home / "skins" / "theme1");
    cairo_surface_t* png = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 24, 16);
    cairo_surface_write_to_png(png, (home / "skins" / "theme1" / "res_128.png").c_str());
    cairo_surface_destroy(png);
    const char* old = std::getenv("PIVANE_HOME");
    const std::string saved = old ? old : "";
    setenv("PIVANE_HOME", (home.string() + "/").c_str(), 1);

    ProbeDialog dlg;
    EXPECT_FALSE(dlg.SetIcon(128)); // no window yet
    ASSERT_NE(dlg.Create(nullptr, "icon", WS_POPUP, 0, Rect{0, 0, 100, 100}, 7), nullptr);
    EXPECT_EQ(dlg.GetMenu(), 7u);
    // A second Create hands back the same window and keeps what it was made with.
    EXPECT_EQ(dlg.Create(nullptr, "again", WS_POPUP, 0, Rect{0, 0, 50, 50}, 9), dlg.GetSafeHwnd());
    EXPECT_EQ(dlg.GetMenu(), 7u);
    EXPECT_TRUE(dlg.SetIcon(128));
    cairo_surface_t* icon = dlg.GetSafeHwnd()->GetIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(icon), 24);
    EXPECT_EQ(cairo_image_surface_get_height(icon), 16);
    // An id the skin does not carry leaves the icon alone.
    EXPECT_FALSE(dlg.SetIcon(129));
    EXPECT_EQ(dlg.GetSafeHwnd()->GetIcon(), icon);

    if (old)
        setenv("PIVANE_HOME", saved.c_str(), 1);
    else
        unsetenv("PIVANE_HOME");
    fs::remove_all(home);
}

TEST_F(DialogTest, CenterWindowOnTheOwner) {
    head->SetScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1040});
    ProbeDialog owner;
    ASSERT_TRUE(owner.Open(400, 300)); // at (100, 100)
    ProbeDialog child;
    ASSERT_TRUE(child.Create(owner.GetSafeHwnd(), "c", WS_POPUP, 0, {0, 0, 200, 100}));
    child.CenterWindow();
    EXPECT_EQ(child.GetWindowRect(), (Rect{200, 200, 400, 300}));
}

TEST_F(DialogTest, MenuPostsItsMessageWithCheckAndItemIdAndClosesOnClick) {
    if (!ControlFactory::IsRegistered("MenuItem"))
        ControlFactory::Register("MenuItem",
                                 [](MObject* p, unsigned id, const Rect& r, const std::string& t,
                                    bool, bool) -> std::unique_ptr<MControl> {
                                     auto b = std::make_unique<ProbeButton>(p, id, r);
                                     b->SetTitle(t);
                                     return b;
                                 });
    ProbeDialog owner;
    ASSERT_TRUE(owner.Open());
    auto* menu = new MenuWnd(owner.GetSafeHwnd(), {150, 150}, 1825, "", 4, 120, 1);
    menu->SetAutoDelete(true);
    ASSERT_NE(menu->AddMenu("First", 11), nullptr);
    menu->AddSeparator();
    ASSERT_NE(menu->AddMenu("Second", 12), nullptr);
    EXPECT_EQ(menu->GetHeight(), 2 * MenuWnd::kItemHeight + MenuWnd::kSeparatorHeight);
    NativeWindow* w = menu->Show();
    ASSERT_NE(w, nullptr);
    const int y = MenuWnd::kItemHeight + MenuWnd::kSeparatorHeight + 5;
    head->MouseMove(w, {10, y});
    head->MouseDown(w, MouseButton::Left, {10, y});
    head->MouseUp(w, MouseButton::Left, {10, y});
    Platform::ProcessPending();
    EXPECT_FALSE(Platform::IsWindow(w));
    // One choice per click: the press before it posts nothing.
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0].id, 1825u);
    EXPECT_EQ(owner.posted[0].lparam, 12);

    // Pressed on an item and released outside it: no choice, the menu stays open.
    auto* again = new MenuWnd(owner.GetSafeHwnd(), {150, 150}, 1825, "", 4, 120, 1);
    again->SetAutoDelete(true);
    ASSERT_NE(again->AddMenu("First", 11), nullptr);
    NativeWindow* w2 = again->Show();
    ASSERT_NE(w2, nullptr);
    owner.posted.clear();
    head->MouseMove(w2, {10, 5});
    head->MouseDown(w2, MouseButton::Left, {10, 5});
    head->MouseUp(w2, MouseButton::Left, {300, 200});
    Platform::ProcessPending();
    EXPECT_TRUE(owner.posted.empty());
    EXPECT_TRUE(Platform::IsWindow(w2));
    again->CloseWindow();
    Platform::ProcessPending();
}

} // namespace
} // namespace TolvaTest
