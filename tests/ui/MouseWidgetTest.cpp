#include "TolvaFixture.h"

#include "ui/controls/CCheckButton.h"
#include "ui/core/MPanel.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/DPIControl.h"
#include "ui/widgets/MouseCtrl.h"
#include "ui/widgets/MouseKeyCtrl.h"
#include "ui/widgets/MouseLight.h"

#include <climits>

using namespace Tolva;

namespace TolvaTest {
namespace {

constexpr WPARAM kNone = static_cast<WPARAM>(-1);
constexpr uint32_t kSelect = 0xFF10A8FD;
constexpr uint32_t kGrey = 0xFF6D6D6D;

// A dialog with one page panel over its whole client area, as the program's pages are.
class MouseWidgetTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(640, 400));
        dlg.EnableWndDrag(false);
        page = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
            std::make_unique<MPanel>(&dlg, 501, Rect{0, 0, 640, 400}), 1));
        w = dlg.GetSafeHwnd();
    }
    void Paint() {
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
    }
    void Press(Point p) {
        head->AdvanceTime(1000); // never a double click
        head->MouseMove(w, p);
        head->MouseDown(w, MouseButton::Left, p);
    }
    void Release(Point p) { head->MouseUp(w, MouseButton::Left, p); }
    uint32_t Px(int x, int y) { return head->Pixel(w, {x, y}); }

    ProbeDialog dlg;
    MPanel* page = nullptr;
    NativeWindow* w = nullptr;
};

MouseKeyCtrl* AddKeyList(MPanel* page, const Rect& r) {
    auto* list = static_cast<MouseKeyCtrl*>(page->CreateControl("MouseKeyCtrl", 516, r));
    if (!list) return nullptr;
    list->AddItem("Left button", "Left click", 208);
    list->AddItem("Right button", "Right click", 209);
    list->AddItem("Middle button", "Middle click", 210);
    list->AddItem("Backward", "Backward", 211);
    return list;
}

TEST_F(MouseWidgetTest, KeyListRowsFollowTheScaleAndTheThirdRowStartsAt64) {
    MouseKeyCtrl* list = AddKeyList(page, {20, 20, 320, 220});
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetItemRect(2), (Rect{0, 64, 300, 91}));
    list->SetScaleValue(2.0f);
    // Rows of 54 with a pitch of 59.
    EXPECT_EQ(list->GetItemRect(1), (Rect{0, 59, 300, 113}));
    list->SetScaleValue(0.0f); // refused: it would stack every row on the first
    EXPECT_EQ(list->GetScaleValue(), 2.0f);
    list->SetScaleValue(1.0f);

    // Selection is filled in the selection colour, other rows in grey, the hovered row outlined.
    list->SetSelectItem(1);
    head->MouseMove(w, {200, 20 + 64 + 10});
    Paint();
    EXPECT_EQ(list->GetHoverItem(), 2);
    EXPECT_EQ(Px(300, 20 + 32 + 3), kSelect);
    EXPECT_EQ(Px(300, 20 + 3), kGrey);
    EXPECT_EQ(Px(200, 20 + 64 + 1), kSelect); // outline of the hovered row
    EXPECT_EQ(Px(200, 20 + 64 + 13), kGrey);  // its inside
    EXPECT_NE(Px(300, 20 + 61), kGrey);       // the gap between rows is not a row
}

TEST_F(MouseWidgetTest, KeyListPressOnAnItemSelectsAndClicksOnEmptySpaceSendsNoClick) {
    MouseKeyCtrl* list = AddKeyList(page, {20, 20, 320, 220});
    ASSERT_NE(list, nullptr);
    Press({100, 20 + 64 + 5});
    Release({100, 20 + 64 + 5});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{516, 1, 2, 0}, {516, 2, 2, 0}}));
    EXPECT_EQ(list->GetSelectItem(), 2);

    dlg.notes.clear();
    // The gap between the second and third rows, and the space below the last row.
    Press({100, 20 + 61});
    Release({100, 20 + 61});
    Press({100, 200});
    Release({100, 200});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{516, 1, kNone, 0}, {516, 1, kNone, 0}}));
    EXPECT_EQ(list->GetSelectItem(), -1);

    // A press on an item that ends over empty space reports no click with index -1.
    dlg.notes.clear();
    Press({100, 25});
    head->MouseMove(w, {100, 200});
    Release({100, 200});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{516, 1, 0, 0}}));
}

TEST_F(MouseWidgetTest, KeyListDescriptionsChangeByKeyValue) {
    MouseKeyCtrl* list = AddKeyList(page, {20, 20, 320, 220});
    ASSERT_NE(list, nullptr);
    list->AddItem("Second left", "Left click", 208);
    EXPECT_EQ(list->SetItemKeyDesc(208, "Macro 1"), 1);
    EXPECT_EQ(list->GetItemKeyDesc(0), "Macro 1");
    EXPECT_EQ(list->GetItemKeyDesc(4), "Macro 1");
    EXPECT_EQ(list->GetItemKeyDesc(1), "Right click");
    // An index equal to a key value is not what the call addresses.
    EXPECT_EQ(list->SetItemKeyDesc(1, "nobody"), 1);
    EXPECT_EQ(list->GetItemKeyDesc(1), "Right click");
    list->SetSelectItem(2);
    EXPECT_EQ(list->DeleteAllItems(), 1);
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->GetSelectItem(), -1);
}

TEST_F(MouseWidgetTest, CallOutLabelsSitBySideAndScale) {
    auto* callouts =
        static_cast<MouseCtrl*>(page->CreateControl("MouseCtrl", 517, {0, 0, 400, 300}));
    ASSERT_NE(callouts, nullptr);
    ASSERT_EQ(callouts->SetImage("img_key_bkg.png", 2), 1);
    EXPECT_EQ(callouts->AddItem("Right button", 209, 1, {100, 50}, {150, 40}), 0);
    EXPECT_EQ(callouts->AddItem("Backward", 211, 0, {100, 150}, {160, 170}), 1);
    EXPECT_EQ(callouts->GetItemRect(0), (Rect{151, 27, 217, 53}));
    EXPECT_EQ(callouts->GetItemDot(0), (Point{100, 50}));
    // The other side: label left of the first point, the dot on the second.
    EXPECT_EQ(callouts->GetItemRect(1), (Rect{33, 137, 99, 163}));
    EXPECT_EQ(callouts->GetItemDot(1), (Point{160, 170}));
    Paint();
    EXPECT_EQ(Px(100, 50), kGrey);
    callouts->SetSelectItem(0);
    Paint();
    EXPECT_EQ(Px(100, 50), 0xFFFFFFFFu);

    callouts->SetScaleValue(1.5f);
    EXPECT_EQ(callouts->GetItemRect(0), (Rect{227, 41, 326, 80}));
    EXPECT_EQ(callouts->GetItemDot(0), (Point{150, 75}));
}

TEST_F(MouseWidgetTest, CallOutPressAndReleaseOnALabelSelectIt) {
    auto* callouts =
        static_cast<MouseCtrl*>(page->CreateControl("MouseCtrl", 517, {0, 0, 400, 300}));
    ASSERT_NE(callouts, nullptr);
    callouts->AddItem("Left button", 208, 1, {100, 50}, {150, 40});
    callouts->AddItem("DPI", 213, 1, {100, 100}, {150, 100});
    Press({180, 100});
    Release({180, 100});
    EXPECT_EQ(callouts->GetSelectItem(), 1);
    Press({20, 250});
    Release({20, 250});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{517, 1, 1, 0}, {517, 2, 1, 0}, {517, 1, kNone, 0}}));
    EXPECT_EQ(callouts->GetSelectItem(), -1);
}

TEST_F(MouseWidgetTest, LightZonesFillTheirEllipsesOpaque) {
    auto* light =
        static_cast<MouseLight*>(page->CreateControl("MouseLight", 560, {100, 100, 300, 300}));
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->AddItem(0, {10, 10, 60, 40}), 0);
    EXPECT_EQ(light->AddItem(5, {100, 100, 140, 180}), 1);
    light->SetLightColor(0, 0x000000FF); // red, as 0x00BBGGRR
    light->SetLightColor(1, 0xAA00FF00); // the high byte never makes it see-through
    EXPECT_EQ(light->GetLightColor(0, 0), 0x000000FFu);
    light->UpdateControl(false); // the caller repaints
    Platform::ProcessPending();
    Paint();
    EXPECT_EQ(Px(100 + 35, 100 + 25), 0xFFFF0000u);
    EXPECT_EQ(Px(100 + 120, 100 + 140), 0xFF00FF00u);
    // Corners of a zone's rectangle lie outside its ellipse.
    EXPECT_NE(Px(100 + 11, 100 + 11), 0xFFFF0000u);
    light->DeleteAllItems();
    EXPECT_EQ(light->GetItemCount(), 0);
}

// Seven levels as on the pointer page, ids 544 to 550.
class DpiStripTest : public MouseWidgetTest {
protected:
    void SetUp() override {
        MouseWidgetTest::SetUp();
        for (int i = 0; i < 7; ++i) {
            auto* level = static_cast<DPIControl*>(
                page->CreateControl("DPIControl", 544 + i, {10 + 88 * i, 20, 90 + 88 * i, 95},
                                    "DPI " + std::to_string(i + 1)));
            ASSERT_NE(level, nullptr);
            level->SetDPIValue(800 * (i + 1));
            levels.push_back(level);
        }
    }
    std::vector<int> States() const {
        std::vector<int> s;
        for (DPIControl* l : levels)
            s.push_back(l->GetCheckState());
        return s;
    }
    std::vector<DPIControl*> levels;
};

TEST_F(DpiStripTest, ChildrenAndDefaults) {
    DPIControl* l = levels[0];
    EXPECT_TRUE(l->IsClass("DPIControl"));
    EXPECT_EQ(l->GetGroupName(), "DPIControl");
    ASSERT_NE(l->GetControl(30), nullptr);
    ASSERT_NE(l->GetControl(31), nullptr);
    EXPECT_EQ(l->GetControl(30)->GetRect(), (Rect{10, 50, 34, 95}));
    EXPECT_EQ(l->GetControl(31)->GetRect(), (Rect{70, 55, 90, 90}));
    EXPECT_EQ(l->GetLevelRect(), (Rect{12, 55, 68, 90}));
    EXPECT_EQ(l->GetTextRect(), (Rect{15, 56, 60, 87}));
    EXPECT_EQ(l->GetCheck(), 1);
    EXPECT_TRUE(l->GetSwatch()->GetCheck());
    EXPECT_EQ(l->GetTitleEx(), "800");
    DPIControl fresh(nullptr, 1, {0, 0, 80, 75});
    EXPECT_EQ(fresh.GetDPIValue(), 500);
    EXPECT_EQ(fresh.GetColor(), 0x0000FFu);
    l->SetColor(0x00FF8000);
    EXPECT_EQ(l->GetColor(), 0x00FF8000u);
    EXPECT_EQ(l->GetSwatch()->GetColor(), 0x00FF8000u);
}

TEST_F(DpiStripTest, SetCheckStateLeavesExactlyOneActiveLevelInTheGroup) {
    // Five of the group; the other two belong to another group and keep their state.
    levels[5]->SetGroupName("other");
    levels[6]->SetGroupName("other");
    levels[5]->SetCheckState(1);
    levels[0]->SetCheckState(1);
    levels[2]->SetCheckState(1);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 1, 0, 0, 1, 0}));
    levels[4]->SetCheckState(1);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 0, 0, 1, 1, 0}));
    levels[4]->SetCheckState(7); // not a state
    EXPECT_EQ(levels[4]->GetCheckState(), 1);
}

TEST_F(DpiStripTest, TheShownFrameFollowsTheCheckState) {
    Paint();
    DPIControl* l = levels[3];
    const Rect level = l->GetLevelRect();
    const Point probe{level.right - 4, level.top + 4};
    const uint32_t inactive = Px(probe.x, probe.y);
    l->SetCheckState(1);
    Platform::ProcessPending();
    const uint32_t active = Px(probe.x, probe.y);
    EXPECT_NE(active, inactive);
    levels[1]->SetCheckState(1);
    Platform::ProcessPending();
    EXPECT_EQ(Px(probe.x, probe.y), inactive);
}

TEST_F(DpiStripTest, LevelBoxAndSwatchNotifyWithTheirLParam) {
    levels[4]->SetCheckState(1);
    DPIControl* l = levels[0];
    const Rect level = l->GetLevelRect();
    const Point inLevel{level.left + 30, level.top + 10};
    Press(inLevel);
    // The press clears the group; the pressed level waits for the application.
    EXPECT_EQ(States(), (std::vector<int>(7, 0)));
    Release(inLevel);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{544, 1, 0, 3}, {544, 2, 0, 3}}));

    dlg.notes.clear();
    const Rect box = l->GetControl(30)->GetRect();
    const Point inBox{box.left + 8, (box.top + box.bottom) / 2};
    Press(inBox);
    Release(inBox);
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{544, 2, 0, 1}, {30, 2, 0, 0}}));
    EXPECT_EQ(l->GetCheck(), 0);

    dlg.notes.clear();
    const Rect sw = l->GetControl(31)->GetRect();
    const Point inSwatch{sw.left + 10, sw.top + 10};
    Press(inSwatch);
    Release(inSwatch);
    EXPECT_EQ(dlg.notes,
              (std::vector<Note>{{544, 1, 0, 2}, {31, 1, 0, 0}, {544, 2, 0, 2}, {31, 2, 0, 0}}));
}

TEST_F(DpiStripTest, EnabledBoxOnADisabledBoxKeepsItsValue) {
    DPIControl* l = levels[0];
    EXPECT_EQ(l->SetCheck(false), 0);
    l->GetEnableBox()->SetEnabled(false);
    EXPECT_EQ(l->SetCheck(true), 0);
    EXPECT_EQ(l->GetCheck(), 0);
}

TEST_F(DpiStripTest, AttachedEditWindowCarriesTheValueAndReportsThroughTheLevel) {
    DPIControl* l = levels[1];
    std::unique_ptr<NativeEdit> edit = Platform::CreateEdit(w);
    ASSERT_NE(edit, nullptr);
    l->SetEditWindow(edit.get());
    l->SetDPIValue(3200); // hidden edit: not written
    EXPECT_EQ(edit->GetText(), "");
    edit->Show(true);
    edit->SetFocus();
    l->SetDPIValue(4000);
    EXPECT_EQ(edit->GetText(), "4000");
    head->EditType(edit.get(), "0");
    EXPECT_EQ(l->GetDPIValue(), 40000);
    EXPECT_EQ(l->GetTitleEx(), "40000");
    edit->SetText("12ab"); // not a number: the value stays
    EXPECT_EQ(l->GetDPIValue(), 40000);
    head->EditLoseFocus(edit.get());
    ASSERT_GE(dlg.notes.size(), 2u);
    EXPECT_EQ(dlg.notes.front(), (Note{545, 26, 0, 0}));
    EXPECT_EQ(dlg.notes.back(), (Note{545, 29, 0, 0}));
    l->SetEditWindow(nullptr);
    EXPECT_EQ(edit->GetListener(), nullptr);
}

// Every call that takes an index, with indices outside the list: nothing changes, no crash,
// getters give 0 or "".
TEST_F(MouseWidgetTest, IndicesOutOfRangeChangeNothing) {
    MouseKeyCtrl* list = AddKeyList(page, {20, 20, 320, 220});
    auto* callouts =
        static_cast<MouseCtrl*>(page->CreateControl("MouseCtrl", 517, {0, 0, 400, 300}));
    auto* light =
        static_cast<MouseLight*>(page->CreateControl("MouseLight", 560, {0, 0, 200, 200}));
    ASSERT_TRUE(list && callouts && light);
    callouts->AddItem("Left button", 208, 1, {100, 50}, {150, 40});
    light->AddItem(0, {0, 0, 20, 20});
    light->SetLightColor(0, 0x123456);
    list->SetSelectItem(1);
    callouts->SetSelectItem(0);
    for (int bad : {-2, -1, 4, 1 << 20, INT_MIN, INT_MAX}) {
        const int badCallout = bad == 4 ? 1 : bad;
        EXPECT_EQ(list->GetItemKeyValue(bad), 0);
        EXPECT_EQ(list->GetItemKeyName(bad), "");
        EXPECT_EQ(list->GetItemKeyDesc(bad), "");
        EXPECT_EQ(list->GetItemRect(bad), Rect{});
        list->SetItemText(bad, "x");
        if (bad != -1) list->SetSelectItem(bad);
        EXPECT_EQ(callouts->GetItemText(badCallout), "");
        EXPECT_EQ(callouts->GetItemKeyValue(badCallout), 0);
        EXPECT_EQ(callouts->GetItemRect(badCallout), Rect{});
        EXPECT_EQ(callouts->GetItemDot(badCallout), Point{});
        callouts->SetItemText(badCallout, "x");
        if (badCallout != -1) callouts->SetSelectItem(badCallout);
        light->SetLightColor(badCallout, 0xFFFFFF);
        EXPECT_EQ(light->GetLightColor(badCallout, 0), 0u);
    }
    EXPECT_EQ(list->GetSelectItem(), 1);
    EXPECT_EQ(callouts->GetSelectItem(), 0);
    EXPECT_EQ(light->GetLightColor(0, 0), 0x123456u);
    EXPECT_EQ(list->GetItemKeyName(3), "Backward");
    Paint();
}

} // namespace
} // namespace TolvaTest

namespace TolvaTest {
namespace {

// The mouse key page as a person sees it: the button list, and the mouse picture with its
// call-outs and light zones.
TEST_F(MouseWidgetTest, MousePageMatchesItsReferenceImage) {
    MouseKeyCtrl* list = AddKeyList(page, {450, 40, 630, 200});
    ASSERT_NE(list, nullptr);
    list->AddItem("Forward", "Forward", 212);
    list->AddItem("DPI+", "DPI cycle", 213);
    list->SetSelectItem(0);
    // The picture 70 pixels in, so that the labels on the left have room.
    auto* light =
        static_cast<MouseLight*>(page->CreateControl("MouseLight", 560, {70, 40, 370, 310}));
    ASSERT_NE(light, nullptr);
    ASSERT_EQ(light->SetImage("mouse\\mouse_q410.png", 1), 1);
    const Rect zones[3] = {{140, 225, 160, 235}, {96, 100, 104, 140}, {196, 100, 204, 140}};
    const uint32_t colours[3] = {0x00FF8000, 0x000000FF, 0x0000FF00};
    for (int i = 0; i < 3; ++i) {
        light->AddItem(i, zones[i]);
        light->SetLightColor(i, colours[i]);
    }
    auto* callouts =
        static_cast<MouseCtrl*>(page->CreateControl("MouseCtrl", 517, {0, 40, 440, 310}));
    ASSERT_NE(callouts, nullptr);
    ASSERT_EQ(callouts->SetImage("img_key_bkg.png", 2), 1);
    const int dx = 70;
    callouts->AddItem("Left button", 208, 0, {68, 60}, {118 + dx, 92});
    callouts->AddItem("Right button", 209, 1, {182 + dx, 92}, {300, 60});
    callouts->AddItem("Middle", 210, 1, {150 + dx, 84}, {300, 110});
    callouts->AddItem("DPI+", 213, 1, {150 + dx, 130}, {300, 160});
    callouts->AddItem("Forward", 212, 0, {68, 140}, {104 + dx, 160});
    callouts->AddItem("Backward", 211, 0, {68, 200}, {104 + dx, 196});
    callouts->SetSelectItem(0);
    head->MouseMove(w, {340, 40 + 110}); // hover on "Middle"
    Paint();
    EXPECT_EQ(callouts->GetHoverItem(), 2);
    EXPECT_EQ(CompareWithReference(head->Frame(w), "mouse_key_page"), "");
}

} // namespace
} // namespace TolvaTest
