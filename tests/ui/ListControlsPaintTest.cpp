#include "TolvaFixture.h"

#include "ui/controls/CColorCombo.h"
#include "ui/controls/CComboBoxList.h"
#include "ui/controls/ComboWnd.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MListBox.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MSpinButton.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/controls/MTabLayout.h"
#include "ui/core/Manager.h"
#include "ui/paint/MImageList.h"

#include <climits>
#include <cstdlib>

using namespace Tolva;

namespace TolvaTest {
namespace {

class ListControlsPaintTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(480, 320));
        dlg.EnableWndDrag(false);
        w = dlg.GetSafeHwnd();
    }
    cairo_surface_t* Render() {
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
        if (const char* dir = std::getenv("TOLVA_SAVE_FRAMES"))
            head->SaveFrame(w, std::string(dir) + "/" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                   ".png");
        return head->Frame(w);
    }
    ProbeDialog dlg;
    NativeWindow* w = nullptr;
};

TEST_F(ListControlsPaintTest, ComboSliderAndSpinMatchTheirReference) {
    auto* combo = dynamic_cast<MComboBox*>(dlg.CreateControl("MComboBox", 1, {20, 20, 200, 50}));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->SetImage("img_combobox.png", 4), 1);
    combo->AddItem("1000 Hz", 1000);
    combo->AddItem("Red", 1, {}, 0xFFE0443E);
    combo->SetCurSel(0);
    auto* colour = dynamic_cast<CColorCombo*>(dlg.GetPaintManager().AddControl(
        std::make_unique<CColorCombo>(&dlg, 2, Rect{220, 20, 320, 50}), 1));
    colour->SetAreaColor(0xFF30C060);
    auto* slider = dynamic_cast<MSlider*>(dlg.CreateControl("MSlider", 3, {20, 80, 300, 120}));
    ASSERT_EQ(slider->SetImage("img_slider_back.png", 1), 1);
    ASSERT_EQ(slider->SetThumbImage("img_thumb.png", 4), 1);
    slider->SetScale(5);
    slider->SetProgress(7);
    auto* off = dynamic_cast<MSlider*>(dlg.CreateControl("MSlider", 4, {20, 130, 300, 170}));
    off->SetThumbImage("img_thumb.png", 4);
    off->SetProgress(3);
    off->SetEnabled(false);
    auto* spin =
        dynamic_cast<MSpinButton*>(dlg.CreateControl("MSpinButton", 5, {20, 190, 120, 220}));
    spin->SetRange(0, 255);
    spin->SetCurValue(128);
    EXPECT_EQ(CompareWithReference(Render(), "combo_slider_spin"), "");
    // The slider's filled track reaches the thumb in the selection colour.
    const Rect thumb = slider->ThumbRect();
    EXPECT_TRUE(Near(head->Pixel(w, {thumb.left - 4, 100}), 0xFF10A8FDu, 24));
    EXPECT_TRUE(Near(head->Pixel(w, {240, 35}), 0xFF30C060u, 4));
}

TEST_F(ListControlsPaintTest, OpenDropDownMatchesItsReference) {
    auto* combo = dynamic_cast<MComboBox*>(dlg.CreateControl("MComboBox", 1, {20, 20, 200, 50}));
    for (const char* t : {"125 Hz", "250 Hz", "500 Hz", "1000 Hz", "2000 Hz", "4000 Hz"})
        combo->AddItem(t);
    combo->SetCurSel(2);
    ASSERT_TRUE(combo->ShowDropDown());
    NativeWindow* popup = combo->GetDropDown()->GetSafeHwnd();
    head->MouseMove(popup, {60, 6 + 30 * 3 + 10});
    Platform::ProcessPending();
    if (const char* dir = std::getenv("TOLVA_SAVE_FRAMES"))
        head->SaveFrame(popup, std::string(dir) + "/dropdown.png");
    EXPECT_EQ(CompareWithReference(head->Frame(popup), "combo_dropdown"), "");
}

TEST_F(ListControlsPaintTest, RenameListAndTabStripMatchTheirReference) {
    auto* tabs = dynamic_cast<MTabCtrl*>(dlg.CreateControl("MTabCtrl", 6, {0, 0, 480, 60}));
    auto* page = tabs->CreatePanel(7, {0, 60, 480, 320});
    ASSERT_NE(page, nullptr);
    tabs->InsertItem(1, "Home", "icon\\tab_home.png", page, -1, 80);
    tabs->InsertItem(2, "Keys", "icon\\tab_customkey.png", nullptr, -1, 80);
    tabs->InsertItem(3, "Macro", "icon\\tab_macro.png", nullptr, -1, 80);
    tabs->InsertItem(4, "Light", {}, nullptr, -1, 80);
    tabs->SetSelectItem(0);
    auto* list = dynamic_cast<DListBox*>(page->CreateControl("DListBox", 8, {20, 80, 240, 260}));
    ASSERT_NE(list, nullptr);
    auto images = std::make_shared<MImageList>(Manager::GetSkinFolder());
    ASSERT_EQ(images->AddImage("icon//icon_circle.png", 1, 1), 0);
    images->SetDrawImgSize(12, 12);
    list->SetImageList(images);
    for (int i = 0; i < 8; ++i)
        list->AddString("Profile " + std::to_string(i + 1), i, 0);
    list->EnableShowEdit(true);
    list->SetCurSel(1);
    auto* plain = dynamic_cast<MListBox*>(page->CreateControl("MListBox", 9, {260, 80, 460, 200}));
    plain->AddString("Left button");
    plain->AddString("Right button");
    head->MouseMove(w, {300, 80 + 45});
    EXPECT_EQ(CompareWithReference(Render(), "lists_and_tabs"), "");
}

// Every operation that takes an index is given -1, the count and a large value: nothing
// changes, nothing breaks, and 0 (or the documented empty value) comes back.
TEST_F(ListControlsPaintTest, IndexesOutOfRangeChangeNothing) {
    auto* combo = dynamic_cast<MComboBox*>(dlg.CreateControl("MComboBox", 1, {20, 20, 200, 50}));
    combo->AddItem("a", 5);
    auto* page = dynamic_cast<MTabLayout*>(dlg.CreateControl("MTabLayout", 2, {0, 60, 480, 320}));
    auto* dlist = dynamic_cast<DListBox*>(page->CreateControl("DListBox", 3, {20, 80, 240, 260}));
    auto* mlist = dynamic_cast<MListBox*>(page->CreateControl("MListBox", 4, {260, 80, 460, 260}));
    auto* tabs = dynamic_cast<MTabCtrl*>(dlg.CreateControl("MTabCtrl", 5, {0, 0, 480, 20}));
    auto* clist = dynamic_cast<CComboBoxList*>(dlg.CreateControl("CComboBoxList", 6, {0, 0, 9, 9}));
    ASSERT_TRUE(combo && page && dlist && mlist && tabs && clist);
    dlist->AddString("x", 1);
    mlist->AddString("y", 2);
    tabs->InsertItem(1, "t");
    clist->AddItem("c");
    for (MListBox* list : {static_cast<MListBox*>(dlist), mlist}) {
        for (int bad : {-1, 1, INT_MAX}) {
            EXPECT_EQ(list->ModifyItemString(bad, "z"), 0);
            EXPECT_EQ(list->SetItemData(bad, 9), 0);
            EXPECT_EQ(list->SetItemImage(bad, 0), 0);
            EXPECT_EQ(list->GetItemData(bad), 0);
            EXPECT_EQ(list->GetItemText(bad), "");
            EXPECT_EQ(list->DeleteItem(bad), 0);
            EXPECT_EQ(list->SwapItem(bad, 0), 0);
            EXPECT_EQ(list->SwapItem(0, bad), 0);
            EXPECT_TRUE(list->GetItemRect(bad).IsEmpty());
            EXPECT_TRUE(list->RowRect(bad).IsEmpty());
            if (bad != -1) {
                EXPECT_EQ(list->SetCurSel(bad), 0);
            }
            EXPECT_EQ(list->InsertString(bad == 1 ? 2 : bad, "w"), -1);
        }
        EXPECT_EQ(list->SetCurSel(-2), 0);
        EXPECT_EQ(list->GetItemCount(), 1);
        EXPECT_EQ(list->GetCurData(), 0);
    }
    for (int bad : {-1, 1, INT_MAX}) {
        EXPECT_EQ(combo->SetItemText(bad, "z"), 0);
        EXPECT_EQ(combo->SetItemData(bad, 1), 0);
        EXPECT_EQ(combo->GetItemData(bad), 0);
        EXPECT_EQ(combo->GetItemText(bad), "");
        EXPECT_EQ(combo->DeleteItem(bad), 0);
        if (bad != -1) {
            EXPECT_EQ(combo->SetCurSel(bad), 0);
        }
        EXPECT_EQ(combo->InsertItem(bad == 1 ? 2 : bad, "w"), -1);

        EXPECT_EQ(tabs->SetSelectItem(bad), -1);
        EXPECT_EQ(tabs->GetItemID(bad), 0u);
        TabItemInfo info;
        EXPECT_FALSE(tabs->GetItemInfo(bad, info));
        EXPECT_TRUE(tabs->GetItemRect(bad).IsEmpty());
        EXPECT_EQ(tabs->SetItemText(bad, "z"), 0);
        EXPECT_EQ(tabs->SetItemVisible(bad, false), 0);
        EXPECT_EQ(tabs->SetTabTooltip(bad, "z"), 0);
        EXPECT_EQ(tabs->DeleteItem(bad), 0);

        clist->SetCurSel(bad);
        EXPECT_EQ(clist->GetCurSel(), -1);
    }
    EXPECT_EQ(combo->GetItemCount(), 1);
    EXPECT_EQ(tabs->GetItemCount(), 1);
    EXPECT_TRUE(dlg.notes.empty());
    Render(); // drawing after all of it still works
}

} // namespace
} // namespace TolvaTest
