#include "ui/gallery/GallerySamples.h"

#include "ui/controls/CButtonBase.h"
#include "ui/controls/CIconButton.h"
#include "ui/controls/CImageButton.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/CTextButton.h"
#include "ui/controls/CTimerButton.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MenuItem.h"
#include "ui/core/MPanel.h"
#include "ui/gallery/GalleryCanvas.h"

namespace Tolva {

void BuildButtonSamples(GalleryCanvas& c) {
    int y = kPageTop + 8;
    c.StateHeadings(y);
    y += 24;
    constexpr int kRow = 44, kHeight = 30;
    auto face = [](CButtonBase* b, int points) {
        b->SetFontWidth(points);
        b->SetAlignment(1, 1);
    };
    // Boxes and switches read from the left, as a form does.
    auto box = [](CButtonBase* b) {
        b->SetFontWidth(10);
        b->SetAlignment(0, 1);
    };
    c.StateRow("MButton", y, kHeight, c.Text("Apply", "应用"), false, [&](CButtonBase* b) {
        face(b, 10);
        b->SetImage("btn_apply.png", 4);
    });
    y += kRow;
    c.StateRow("CImageButton", y, 32, {}, false, [&](CButtonBase* b) {
        b->SetImage("imgbtn_add.png", 4);
        b->SetRect(Rect{b->GetRect().left, y, b->GetRect().left + 32, y + 32});
        static_cast<CImageButton*>(b)->SetAlrBladderMode(true, c.Text("Add a profile", "新建配置"));
    });
    y += kRow;
    c.StateRow("CTextButton", y, kHeight, c.Text("Restore defaults", "恢复默认设置"), false,
               [&](CButtonBase* b) {
                   face(b, 10);
                   static_cast<CTextButton*>(b)->SetTextButtonColor(0xFFC8CCD2, 0xFF10A8FD,
                                                                    0xFF0B78B8, 0xFF5A5F66);
               });
    y += kRow;
    c.StateRow("CIconButton", y, 36, c.Text("Settings", "设置"), true, [&](CButtonBase* b) {
        face(b, 10);
        b->SetImage("btn_apply.png", 4);
        auto* icon = static_cast<CIconButton*>(b);
        icon->SetIconImage("icon\\icon_config.png", 1);
        icon->EnableCheck(true);
        icon->SetTips(c.Text("Device settings", "设备设置"));
    });
    y += kRow;
    c.StateRow("CTimerButton", y, kHeight, c.Text("Search (10 s)", "搜索（10 秒）"), false,
               [&](CButtonBase* b) {
                   face(b, 10);
                   b->SetImage("btn_apply.png", 4);
               });
    y += kRow;
    c.StateRow("CHelpButton", y, 20, {}, false, [&](CButtonBase* b) {
        b->SetImage("btn_help.png", 4);
        b->SetRect(Rect{b->GetRect().left, y + 5, b->GetRect().left + 20, y + 25});
        b->SetTooltip(c.Text("What is this?", "这是什么？"));
    });
    y += kRow - 10;
    c.StateRow("CCheckButton", y, kHeight, c.Text("Start with the system", "开机自动启动"), true,
               [&](CButtonBase* b) { box(b); });
    y += kRow - 6;
    c.StateRow("CRadioButton", y, kHeight, c.Text("Wired (USB)", "有线 (USB)"), true,
               [&](CButtonBase* b) {
                   box(b);
                   // Each radio in a group of its own, so that the checked one stays checked.
                   b->SetGroupName("gallery-radio-" + std::to_string(b->GetControlID()));
               });
    y += kRow - 6;
    c.StateRow("CSwitchButton", y, kHeight, c.Text("Lighting", "灯光"), true,
               [&](CButtonBase* b) { box(b); });
    y += kRow + 6;

    // A menu as a popup shows it: items with a check, a separator and a disabled entry.
    c.Caption(Rect{20, y, GalleryCanvas::kStateLeft - 10, y + 30}, "MenuItem", 13, 0xFFE0E0E0);
    const char* english[] = {"Show window", "Start minimised", "", "Exit"};
    const char* chinese[] = {"显示窗口", "最小化启动", "", "退出"};
    int x = GalleryCanvas::kStateLeft;
    for (int i = 0; i < 4; ++i) {
        auto* item = c.MakeAs<MenuItem>("MenuItem", Rect{x, y, x + 180, y + (i == 2 ? 9 : 30)},
                                        c.Text(english[i], chinese[i]));
        if (!item) continue;
        item->SetFontWidth(10);
        if (i == 1) item->SetCheck(true);
        if (i == 2) item->SetSeparator(true);
        if (i == 3) item->SetEnabled(false);
        x += 180 + GalleryCanvas::kStateGap;
    }
    y += 50;

    // The popup windows, each opened by its button.
    c.Caption(Rect{20, y, GalleryCanvas::kStateLeft - 10, y + 30}, c.Text("Windows", "窗口"), 13,
              0xFFE0E0E0);
    const unsigned ids[] = {kOpenLoadingId, kOpenBalloonId, kOpenPopupId};
    const char* opensEnglish[] = {"Loading window", "Balloon tip", "Popup window"};
    const char* opensChinese[] = {"加载窗口", "气泡提示", "弹出窗口"};
    x = GalleryCanvas::kStateLeft;
    for (int i = 0; i < 3; ++i) {
        auto* b = dynamic_cast<MButton*>(
            c.Page()->CreateControl("MButton", ids[i], Rect{x, y, x + 180, y + 30},
                                    c.Text(opensEnglish[i], opensChinese[i])));
        if (b) {
            b->SetFontWidth(10);
            b->SetAlignment(1, 1);
            b->SetImage("btn_apply.png", 4);
        }
        x += 180 + GalleryCanvas::kStateGap;
    }
    c.Shown("LoadingWnd");
    c.Shown("MAirBladder");
    c.Shown("MPopupWnd");
}

} // namespace Tolva
