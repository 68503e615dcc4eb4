#include "TolvaFixture.h"

#include "ui/controls/MenuItem.h"
#include "ui/core/MenuWnd.h"

using namespace Tolva;

namespace TolvaTest {
namespace {

class MenuItemTest : public TolvaTest {
protected:
    MenuItem* Add(unsigned id, int top, const std::string& text) {
        return static_cast<MenuItem*>(dlg.GetPaintManager().AddControl(
            std::make_unique<MenuItem>(&dlg, id, Rect{0, top, 200, top + 30}, text), 1));
    }
    void Click(Point p) {
        NativeWindow* w = dlg.GetSafeHwnd();
        head->MouseMove(w, p);
        head->MouseDown(w, MouseButton::Left, p);
        head->MouseUp(w, MouseButton::Left, p);
    }
    ProbeDialog dlg;
};

TEST_F(MenuItemTest, PressSendsSevenWithTheCheckAndReleaseSendsTwo) {
    ASSERT_TRUE(dlg.Open(300, 200));
    MenuItem* plain = Add(11, 0, "Open");
    MenuItem* check = Add(12, 30, "Autostart");
    check->SetCheckable(true);
    Click({10, 10});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{11, 7, 0, 1}, {11, 2, 0, 0}}));
    EXPECT_FALSE(plain->GetCheck());
    dlg.notes.clear();
    Click({10, 40});
    EXPECT_TRUE(check->GetCheck());
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{12, 7, 1, 1}, {12, 2, 1, 0}}));
    // Pressed inside, released outside: no click.
    dlg.notes.clear();
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {10, 40});
    head->MouseDown(w, MouseButton::Left, {10, 40});
    head->MouseUp(w, MouseButton::Left, {250, 150});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{12, 7, 0, 1}}));
}

TEST_F(MenuItemTest, GroupedItemsKeepOneCheckedAndSeparatorsTakeNoClicks) {
    ASSERT_TRUE(dlg.Open(300, 200));
    MenuItem* a = Add(21, 0, "Exit");
    MenuItem* sep = Add(22, 30, "");
    MenuItem* b = Add(23, 60, "Minimize");
    a->SetGroupName("close");
    b->SetGroupName("close");
    a->SetCheck(true);
    sep->SetSeparator(true);
    EXPECT_TRUE(sep->IsSeparator());
    Click({10, 70});
    EXPECT_TRUE(b->GetCheck());
    EXPECT_FALSE(a->GetCheck());
    dlg.notes.clear();
    Click({10, 40});
    EXPECT_TRUE(dlg.notes.empty());
    b->SetCheck(false);
    a->SetCheck(true);
    EXPECT_FALSE(b->GetCheck());
    EXPECT_EQ(a->GetValue(), 21u);
}

TEST_F(MenuItemTest, MenuWindowAddressesItsItemsByText) {
    ASSERT_TRUE(dlg.Open());
    auto* menu = new MenuWnd(dlg.GetSafeHwnd(), {150, 150}, 1826, "", 4, 120, 1);
    menu->SetAutoDelete(true);
    MenuItem* item = menu->AddMenu("Exit", 31, "icon\\icon_config.png");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetImageCount(), 4);
    EXPECT_EQ(menu->GetItem("Exit"), item);
    EXPECT_TRUE(menu->SetItemCheck("Exit", true));
    EXPECT_TRUE(item->GetCheck());
    EXPECT_FALSE(menu->SetItemCheck("Nothing", true));
    EXPECT_TRUE(menu->SetItemEnable("Exit", false));
    EXPECT_EQ(item->GetState(), 3);
    EXPECT_TRUE(menu->SetItemTitle("Exit", "Quit"));
    EXPECT_EQ(item->GetTitle(), "Quit");
    EXPECT_EQ(menu->GetItem("Exit"), nullptr);
    NativeWindow* w = menu->Show();
    ASSERT_NE(w, nullptr);
    menu->CloseWindow();
    Platform::ProcessPending();
    EXPECT_FALSE(Platform::IsWindow(w));
}

TEST_F(MenuItemTest, AnItemWithASubMenuOpensItInsteadOfClicking) {
    ASSERT_TRUE(dlg.Open(300, 200));
    MenuItem* item = Add(41, 0, "More");
    MenuWnd sub(dlg.GetSafeHwnd(), {0, 0}, 1827, "", 4, 100, 1);
    sub.AddMenu("Inner", 42);
    item->SetPopupMenu(&sub);
    Click({10, 10});
    ASSERT_NE(sub.GetSafeHwnd(), nullptr);
    // At the item's right edge, in screen coordinates (the dialog is at 100, 100).
    EXPECT_EQ(sub.GetWindowRect().left, 300);
    EXPECT_EQ(sub.GetWindowRect().top, 100);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{41, 7, 0, 1}}));
}

} // namespace
} // namespace TolvaTest
