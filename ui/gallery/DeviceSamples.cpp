#include "ui/gallery/GallerySamples.h"

#include <string>

#include "ui/gallery/GalleryCanvas.h"
#include "ui/widgets/BatteryCtrl.h"
#include "ui/widgets/CDeviceCtrl.h"
#include "ui/widgets/DPIControl.h"
#include "ui/widgets/DownloadButton.h"
#include "ui/widgets/MouseCtrl.h"
#include "ui/widgets/MouseKeyCtrl.h"
#include "ui/widgets/MouseLight.h"
#include "ui/widgets/UpgradeButton.h"

namespace Tolva {

void BuildDeviceSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    auto caption = [&](int x, int y, const std::string& text) {
        c.Caption(Rect{x, y, x + 420, y + 18}, text);
    };

    // The mouse key page: call-outs and light zones over the picture, the button list beside.
    // The buttons as the shipped layout file places them, on a picture 70 pixels in.
    struct Button {
        const char* english;
        const char* chinese;
        const char* function;
        const char* functionChinese;
        int key, side;
        Point first, second;
    };
    const Button buttons[] = {
        {"Left Button", "左键", "Left click", "左键单击", 208, 0, {20, 60}, {118, 92}},
        {"Right Button", "右键", "Right click", "右键单击", 209, 1, {182, 92}, {280, 60}},
        {"Middle Button", "中键", "Middle click", "中键单击", 210, 1, {150, 84}, {280, 120}},
        {"Back Button", "后退键", "Backward", "后退", 211, 0, {20, 200}, {104, 196}},
        {"Forward Button", "前进键", "Forward", "前进", 212, 0, {20, 140}, {104, 160}},
        {"DPI Button", "DPI键", "DPI cycle", "DPI 循环", 213, 1, {150, 130}, {280, 180}},
    };
    constexpr int dx = 70;
    int x = 20, y = top;
    caption(x, y,
            c.Text("MouseCtrl over MouseLight: call-outs and light zones (point at a label)",
                   "MouseCtrl 与 MouseLight：按键标注与灯光区域（可指向标签）"));
    if (auto* light =
            c.MakeAs<MouseLight>("MouseLight", Rect{x + dx, y + 24, x + dx + 300, y + 294})) {
        light->SetImage("mouse\\mouse_q410.png", 1);
        const Rect zones[3] = {{140, 225, 160, 235}, {96, 100, 104, 140}, {196, 100, 204, 140}};
        const uint32_t colours[3] = {0x00FF8000, 0x000000FF, 0x0000FF00};
        for (int i = 0; i < 3; ++i) {
            light->AddItem(i, zones[i]);
            light->SetLightColor(i, colours[i]);
        }
    }
    if (auto* callouts = c.MakeAs<MouseCtrl>("MouseCtrl", Rect{x, y + 24, x + 440, y + 294})) {
        callouts->SetImage("img_key_bkg.png", 2);
        for (const Button& b : buttons)
            callouts->AddItem(c.Text(b.english, b.chinese), b.key, b.side,
                              Point{b.first.x + dx, b.first.y}, Point{b.second.x + dx, b.second.y});
        callouts->SetSelectItem(0);
    }
    caption(x + 470, y, c.Text("MouseKeyCtrl: buttons and functions", "MouseKeyCtrl：按键与功能"));
    if (auto* list =
            c.MakeAs<MouseKeyCtrl>("MouseKeyCtrl", Rect{x + 470, y + 24, x + 720, y + 220})) {
        for (const Button& b : buttons)
            list->AddItem(c.Text(b.english, b.chinese), c.Text(b.function, b.functionChinese),
                          b.key);
        list->SetSelectItem(0);
    }

    // A DPI strip of seven levels, the third one active and the sixth switched off.
    y = top + 370;
    caption(x, y,
            c.Text("DPIControl: seven levels, level 3 active, level 6 off",
                   "DPIControl：七个档位，第 3 档启用，第 6 档关闭"));
    const uint32_t colours[7] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    DPIControl* third = nullptr;
    for (int i = 0; i < 7; ++i) {
        auto* level = c.MakeAs<DPIControl>("DPIControl",
                                           Rect{x + 140 * i, y + 20, x + 140 * i + 130, y + 100},
                                           c.Text("Level ", "档位 ") + std::to_string(i + 1));
        if (!level) continue;
        level->SetDPIValue(400 * (i + 1) * (i + 1));
        level->SetColor(colours[i]);
        if (i == 5) level->SetCheck(false);
        if (i == 2) third = level;
    }
    if (third) third->SetCheckState(1);

    // Battery, devices and the upgrade page's buttons.
    x = 780;
    y = top;
    caption(x, y, c.Text("BatteryCtrl: 80 %, and 80 % charging", "BatteryCtrl：80%，以及充电中"));
    for (int i = 0; i < 2; ++i) {
        auto* b = c.MakeAs<BatteryCtrl>("BatteryCtrl",
                                        Rect{x + 140 * i, y + 24, x + 140 * i + 80, y + 44});
        if (!b) continue;
        b->SetImage("icon\\icon_battery_bkg.png", 1);
        b->SetBatteryIcon("icon\\icon_batteryvalue.png", "icon\\icon_charge.png");
        b->SetFontWidth(9);
        b->SetBatteryInfo(80, i);
    }
    y += 70;
    caption(x, y,
            c.Text("CDeviceCtrl: the mouse active, a keyboard available",
                   "CDeviceCtrl：鼠标使用中，键盘可用"));
    if (auto* list = c.MakeAs<CDeviceCtrl>("CDeviceCtrl", Rect{x, y + 24, x + 260, y + 110})) {
        list->SetImage("img_device_state.png", 2);
        list->SetFontWidth(10);
        list->AddDevice("ORMAN-Q410", 1, 0, 601, true);
        list->AddDevice("ORMAN-K7", 2, 0, 300, true);
        list->SetDeviceState(601, 1);
    }
    y += 130;
    caption(x, y, c.Text("UpgradeButton: an update waits", "UpgradeButton：有可用更新"));
    if (auto* u = c.MakeAs<UpgradeButton>("UpgradeButton", Rect{x, y + 24, x + 160, y + 58},
                                          c.Text("Check for updates", "检查更新"))) {
        u->SetImage("btn_upgrade.png", 4);
        u->SetFontWidth(10);
        u->SetAlignment(1, 1);
        u->SetUpgradeStatus(1);
    }
    y += 80;
    caption(x, y,
            c.Text("DownloadButton: 45 % downloaded, and idle",
                   "DownloadButton：已下载 45%，以及空闲"));
    for (int i = 0; i < 2; ++i) {
        auto* d = c.MakeAs<DownloadButton>("DownloadButton",
                                           Rect{x + 180 * i, y + 24, x + 180 * i + 160, y + 58},
                                           c.Text("Download", "下载"));
        if (!d) continue;
        d->SetImage("btn_download.png", 4);
        d->SetFontWidth(10);
        d->SetAlignment(1, 1);
        if (i == 0) d->SetDownloadProcess(45);
    }
}

} // namespace Tolva
