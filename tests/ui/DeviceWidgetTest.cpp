#include "TolvaFixture.h"

#include "ui/core/MPanel.h"
#include "ui/widgets/BatteryCtrl.h"
#include "ui/widgets/CDeviceCtrl.h"
#include "ui/widgets/DPIControl.h"
#include "ui/widgets/DownloadButton.h"
#include "ui/widgets/MouseCtrl.h"
#include "ui/widgets/MouseKeyCtrl.h"
#include "ui/widgets/MouseLight.h"
#include "ui/widgets/UpgradeButton.h"

#include <climits>

using namespace Tolva;

namespace TolvaTest {
namespace {

// Colours of the generated skin the pixel checks look for.
constexpr uint32_t kBatteryFill = 0xFF3DDC84;
constexpr uint32_t kDownloadTrack = 0xFF23282F;
constexpr uint32_t kDownloadFill = 0xFF10A8FD;

class DeviceWidgetTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        ASSERT_TRUE(dlg.Open(480, 320));
        dlg.EnableWndDrag(false);
        page = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
            std::make_unique<MPanel>(&dlg, 504, Rect{0, 160, 480, 320}), 1));
        w = dlg.GetSafeHwnd();
    }
    void Paint() {
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
    }
    void Click(Point p) {
        head->AdvanceTime(1000);
        head->MouseMove(w, p);
        head->MouseDown(w, MouseButton::Left, p);
        head->MouseUp(w, MouseButton::Left, p);
    }
    uint32_t Px(int x, int y) { return head->Pixel(w, {x, y}); }
    BatteryCtrl* AddBattery(const Rect& r) {
        auto* b = static_cast<BatteryCtrl*>(dlg.CreateControl("BatteryCtrl", 47, r));
        if (!b) return nullptr;
        EXPECT_EQ(b->SetImage("icon\\icon_battery_bkg.png", 1), 1);
        EXPECT_EQ(b->SetBatteryIcon("icon\\icon_batteryvalue.png", "icon\\icon_charge.png"), 1);
        return b;
    }

    ProbeDialog dlg;
    MPanel* page = nullptr;
    NativeWindow* w = nullptr;
};

TEST_F(DeviceWidgetTest, BatteryShowsLevelTextAndFillOrTheChargingIcon) {
    BatteryCtrl* b = AddBattery({20, 20, 100, 40});
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetBatteryLevel(), 100);
    // Text drawn in a clear colour leaves the fill free to check.
    b->SetTextColor(0x00FFFFFF);
    b->SetBatteryInfo(80, 0);
    EXPECT_EQ(b->GetTitle(), "80%");
    EXPECT_EQ(b->GetFillWidth(), 32 * 80 / 100);
    Paint();
    // The 32 x 14 fill sits 3 pixels in from the outline's top-left corner.
    EXPECT_TRUE(Near(Px(20 + 3 + 24, 20 + 10), kBatteryFill)) << std::hex << Px(47, 30);
    EXPECT_FALSE(Near(Px(20 + 3 + 27, 20 + 10), kBatteryFill, 40));

    b->SetBatteryInfo(80, 1);
    EXPECT_EQ(b->GetTitle(), "");
    EXPECT_EQ(b->GetFillWidth(), 0);
    Platform::ProcessPending();
    EXPECT_FALSE(Near(Px(20 + 3 + 10, 20 + 10), kBatteryFill, 40));
    // The charging icon at outline width + 5, centred: its bolt is yellow.
    const uint32_t bolt = Px(20 + 40 + 5 + 8, 20 + 10);
    EXPECT_GT((bolt >> 16) & 0xFF, 0xC0u) << std::hex << bolt;
    EXPECT_LT(bolt & 0xFF, 0x90u) << std::hex << bolt;

    // A level that is no percentage is kept within the gauge.
    b->SetBatteryInfo(255, 0);
    EXPECT_EQ(b->GetBatteryLevel(), 100);
    EXPECT_EQ(b->GetTitle(), "100%");
    b->SetBatteryInfo(0, 0);
    EXPECT_EQ(b->GetTitle(), "");
    EXPECT_EQ(b->SetImage("icon\\no_such_battery.png", 1), 0);
}

TEST_F(DeviceWidgetTest, BatteryIsADialogControlAndRunsOnTheAnimationTimer) {
    EXPECT_EQ(page->CreateControl("BatteryCtrl", 1, {0, 0, 50, 20}), nullptr);
    BatteryCtrl* b = AddBattery({20, 20, 100, 40});
    ASSERT_NE(b, nullptr);
    ASSERT_NE(dlg.SetMTimer(10), 0u);
    b->SetBatteryInfo(50, 1);
    const int before = b->GetChargePulse();
    for (int i = 0; i < 40; ++i)
        head->TickPeriodicTimers();
    Platform::ProcessPending();
    EXPECT_LT(b->GetChargePulse(), before);
    // Not charging: the tick leaves the icon alone.
    b->SetBatteryInfo(50, 0);
    for (int i = 0; i < 40; ++i)
        head->TickPeriodicTimers();
    EXPECT_EQ(b->GetChargePulse(), before);
}

CDeviceCtrl* AddDeviceList(MPanel* page, const Rect& r) {
    auto* list = static_cast<CDeviceCtrl*>(page->CreateControl("CDeviceCtrl", 56, r));
    if (!list) return nullptr;
    EXPECT_EQ(list->SetImage("img_device_state.png", 2), 1);
    list->AddDevice("ORMAN-Q410 (cable)", 1, 0, 601, false);
    list->AddDevice("ORMAN-Q410 (receiver)", 2, 0, 601, false);
    list->AddDevice("ORMAN-K7", 3, 0, 300, true);
    return list;
}

TEST_F(DeviceWidgetTest, DeviceRowsByStateAndTheCurrentRecord) {
    CDeviceCtrl* list = AddDeviceList(page, {20, 170, 260, 310});
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetConnectCount(), 1);
    EXPECT_EQ(list->GetCurDeviceType(), 0); // no current record yet
    list->SetDeviceState(601, 1);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(list->GetCurDeviceType(), 601);
    EXPECT_EQ(list->GetConnectCount(), 3);
    // Active devices first, then the available one.
    EXPECT_EQ(list->GetItemRect(0), (Rect{0, 0, 240, 38}));
    EXPECT_EQ(list->GetItemRect(1), (Rect{0, 43, 240, 81}));
    EXPECT_EQ(list->GetItemRect(2), (Rect{0, 86, 240, 124}));

    Click({100, 170 + 86 + 10});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{56, 1, 2, 0}}));
    EXPECT_EQ(list->GetCurDeviceType(), 300);
    EXPECT_EQ(w->GetCursor(), CursorShape::Hand);
    head->MouseMove(w, {100, 170 + 130});
    EXPECT_EQ(w->GetCursor(), CursorShape::Arrow);
    // Below the rows nothing is pressed.
    dlg.notes.clear();
    Click({100, 170 + 130});
    EXPECT_TRUE(dlg.notes.empty());

    // A type that goes away is hidden and its rows move up.
    list->SetDeviceState(601, 0);
    EXPECT_EQ(list->GetConnectCount(), 1);
    EXPECT_EQ(list->GetItemRect(2), (Rect{0, 0, 240, 38}));
    EXPECT_EQ(list->GetItemRect(0), Rect{});
    list->SetDeviceState(601, 9); // not a state
    EXPECT_EQ(list->GetDeviceState(0), 0);

    list->ResetAllState();
    EXPECT_EQ(list->GetConnectCount(), 0);
    EXPECT_EQ(list->GetCurDeviceType(), 0);
    list->ClearList();
    list->SetSelectItem(12);
    EXPECT_EQ(list->GetCurSel(), 0);
    EXPECT_EQ(list->GetCurDeviceType(), 0); // current index on an empty list
}

TEST_F(DeviceWidgetTest, NothingIsDrawnWithoutAConnectedDevice) {
    CDeviceCtrl* list = AddDeviceList(page, {20, 170, 260, 310});
    ASSERT_NE(list, nullptr);
    list->SetDeviceState(300, 0);
    Paint();
    const uint32_t empty = Px(100, 170 + 20);
    list->SetDeviceState(300, 2);
    Platform::ProcessPending();
    EXPECT_NE(Px(100, 170 + 20), empty);
}

TEST_F(DeviceWidgetTest, DownloadAt45PercentFillsThatShareAndShowsTheText) {
    auto* d = static_cast<DownloadButton*>(
        page->CreateControl("DownloadButton", 610, {20, 180, 220, 214}, "Download"));
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->SetImage("btn_download.png", 4), 1);
    d->SetDownloadProcess(45);
    EXPECT_EQ(d->GetFillWidth(), 90);
    Paint();
    EXPECT_TRUE(Near(Px(20 + 50, 180 + 17), kDownloadFill, 4)) << std::hex << Px(70, 197);
    EXPECT_TRUE(Near(Px(20 + 170, 180 + 17), kDownloadTrack, 4)) << std::hex << Px(190, 197);
    // Text "45%" in the middle: something other than fill or track shows there.
    bool text = false;
    for (int x = 20 + 80; x < 20 + 120; ++x)
        for (int y = 180 + 10; y < 180 + 24; ++y)
            if (!Near(Px(x, y), kDownloadFill, 30) && !Near(Px(x, y), kDownloadTrack, 30))
                text = true;
    EXPECT_TRUE(text);
    d->SetDownloadProcess(250);
    EXPECT_EQ(d->GetDownloadProcess(), 100);
    // Still a button: press and click.
    Click({40, 190});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{610, 1, 0, 0}, {610, 2, 0, 0}}));
    d->SetDownloadProcess(0);
    EXPECT_EQ(d->GetFillWidth(), 0);
}

TEST_F(DeviceWidgetTest, UpgradeStatusAddsTheRedBadge) {
    auto* u = static_cast<UpgradeButton*>(
        page->CreateControl("UpgradeButton", 611, {20, 180, 140, 214}, "Upgrade"));
    ASSERT_NE(u, nullptr);
    ASSERT_EQ(u->SetImage("btn_upgrade.png", 4), 1);
    Paint();
    const Point badge{20 + 120 - 13, 180 + 8};
    EXPECT_FALSE(Near(Px(badge.x, badge.y), 0xFFFF0000u, 10));
    u->SetUpgradeStatus(3);
    EXPECT_EQ(u->GetUpgradeStatus(), 3);
    Platform::ProcessPending();
    EXPECT_TRUE(Near(Px(badge.x, badge.y), 0xFFFF0000u, 10)) << std::hex << Px(badge.x, badge.y);
    // Every state carries it.
    head->MouseMove(w, {40, 190});
    head->MouseDown(w, MouseButton::Left, {40, 190});
    EXPECT_TRUE(Near(Px(badge.x, badge.y), 0xFFFF0000u, 10));
    head->MouseUp(w, MouseButton::Left, {40, 190});
    EXPECT_EQ(dlg.notes, (std::vector<Note>{{611, 1, 0, 0}, {611, 2, 0, 0}}));
}

TEST_F(DeviceWidgetTest, DeviceIndicesOutOfRangeGiveNothing) {
    CDeviceCtrl* list = AddDeviceList(page, {20, 170, 260, 310});
    ASSERT_NE(list, nullptr);
    for (int bad : {-1, 3, 1 << 20, INT_MIN, INT_MAX}) {
        EXPECT_EQ(list->GetDeviceState(bad), 0);
        EXPECT_EQ(list->GetDeviceName(bad), "");
        EXPECT_EQ(list->GetDeviceValue1(bad), 0);
        EXPECT_EQ(list->GetDeviceValue2(bad), 0);
        EXPECT_EQ(list->GetItemRect(bad), Rect{});
        list->SetSelectItem(bad);
    }
    EXPECT_EQ(list->GetDeviceValue1(2), 3);
    Paint();
}

// Reference images: one representative state per widget.
TEST_F(DeviceWidgetTest, RepresentativeStatesMatchTheirReferenceImages) {
    ProbeDialog strip;
    ASSERT_TRUE(strip.Open(640, 110));
    auto* dpiPage = static_cast<MPanel*>(strip.GetPaintManager().AddControl(
        std::make_unique<MPanel>(&strip, 502, Rect{0, 0, 640, 110}), 1));
    const uint32_t colours[7] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 7; ++i) {
        auto* level = static_cast<DPIControl*>(
            dpiPage->CreateControl("DPIControl", 544 + i, {8 + 90 * i, 10, 90 + 90 * i, 90},
                                   "DPI " + std::to_string(i + 1)));
        ASSERT_NE(level, nullptr);
        level->SetDPIValue(400 * (i + 1) * (i + 1));
        level->SetColor(colours[i]);
        if (i == 5) level->SetCheck(false);
    }
    static_cast<DPIControl*>(strip.GetControl(546))->SetCheckState(1);
    strip.GetPaintManager().Invalidate();
    Platform::ProcessPending();
    EXPECT_EQ(CompareWithReference(head->Frame(strip.GetSafeHwnd()), "dpi_strip_level3"), "");

    BatteryCtrl* charging = AddBattery({20, 20, 100, 40});
    ASSERT_NE(charging, nullptr);
    charging->SetBatteryInfo(80, 1);
    BatteryCtrl* shown = AddBattery({140, 20, 220, 40});
    shown->SetBatteryInfo(80, 0);
    // Two devices: the mouse active, the keyboard available.
    auto* list =
        static_cast<CDeviceCtrl*>(page->CreateControl("CDeviceCtrl", 56, {20, 170, 260, 310}));
    ASSERT_NE(list, nullptr);
    list->SetImage("img_device_state.png", 2);
    list->AddDevice("ORMAN-Q410", 1, 0, 601, true);
    list->AddDevice("ORMAN-K7", 2, 0, 300, true);
    list->SetDeviceState(601, 1);
    auto* u = static_cast<UpgradeButton*>(
        page->CreateControl("UpgradeButton", 611, {300, 180, 440, 214}, "Upgrade"));
    u->SetImage("btn_upgrade.png", 4);
    u->SetUpgradeStatus(1);
    auto* d = static_cast<DownloadButton*>(
        page->CreateControl("DownloadButton", 610, {300, 240, 440, 274}, "Download"));
    d->SetImage("btn_download.png", 4);
    d->SetDownloadProcess(45);
    Paint();
    EXPECT_EQ(CompareWithReference(head->Frame(w), "battery_devices_upgrade"), "");
}

} // namespace
} // namespace TolvaTest
