#include "ui/gallery/GallerySamples.h"

#include <memory>

#include "ui/controls/CTextArea.h"
#include "ui/controls/MText.h"
#include "ui/core/CArea.h"
#include "ui/core/MPanel.h"
#include "ui/gallery/GalleryCanvas.h"

namespace Tolva {

void BuildTextSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    auto caption = [&](int x, int y, const std::string& text) {
        c.Caption(Rect{x, y, x + 360, y + 18}, text);
    };
    auto text = [&](const Rect& r, const std::string& title) {
        auto* t = c.MakeAs<MText>("MText", r, title);
        if (t) t->SetFontWidth(10);
        return t;
    };

    // Left column: the ways MText draws.
    int x = 20, y = top;
    caption(x, y, c.Text("MText: one line", "MText：单行"));
    text(Rect{x, y + 20, x + 360, y + 44}, c.Text("Report rate: 1000 Hz", "回报率：1000 Hz"));
    y += 60;
    caption(x, y, c.Text("MText: wrapped over several lines", "MText：多行自动换行"));
    if (MText* t =
            text(Rect{x, y + 20, x + 360, y + 100},
                 c.Text("Pressing a button on the mouse picture selects it in the list, "
                        "and the function it performs is shown below.",
                        "在鼠标图片上点击一个按键即可在列表中选中它，下方会显示该按键当前执行的"
                        "功能。"))) {
        t->EnableMultiLine(true);
        t->SetTextColor(0xFFC8CCD2);
    }
    y += 116;
    caption(x, y, c.Text("MText: centred vertically, on a background", "MText：垂直居中，带背景"));
    if (MText* t =
            text(Rect{x, y + 20, x + 360, y + 64}, c.Text("No device connected", "未连接设备"))) {
        t->EnableVCenter(true);
        t->SetAlignment(1);
        t->EnableTextBack(true);
    }
    y += 80;
    caption(x, y, c.Text("MText: with a shadow", "MText：带阴影"));
    if (MText* t = text(Rect{x, y + 20, x + 360, y + 52}, "ORMAN-Q410")) {
        t->SetFontWidth(16);
        t->EnableShadow(true);
    }
    y += 68;
    caption(x, y, c.Text("MText: marked words", "MText：高亮文字"));
    if (MText* t = text(Rect{x, y + 20, x + 360, y + 44}, {})) {
        t->SetTitleMarkText(c.Text("Firmware 1.05 is ready to install", "固件 1.05 已可安装"),
                            "1.05");
    }
    y += 60;
    caption(x, y, c.Text("MText: disabled", "MText：禁用"));
    if (MText* t =
            text(Rect{x, y + 20, x + 360, y + 44}, c.Text("Wake-up by any button", "任意键唤醒"))) {
        t->SetTextColor(0xFF5A5F66);
        t->SetEnabled(false);
    }

    // Right column: text areas and plain areas.
    x = 440;
    y = top;
    caption(x, y, c.Text("CTextArea: translucent from left to right", "CTextArea：由左至右半透明"));
    auto* area = static_cast<CTextArea*>(
        c.Add(c.Page()->AddChild(std::make_unique<CTextArea>(
                                     c.Page(), c.NextId(), Rect{x, y + 20, x + 340, y + 80},
                                     c.Text("Profile 1 is active", "配置 1 已启用")),
                                 1),
              "CTextArea"));
    if (area) {
        area->SetFontWidth(11);
        area->SetAlignment(1, 1);
        area->SetTransparent(20, 60, 0xFF10A8FD, false);
    }
    y += 100;
    caption(x, y, c.Text("CTextArea: solid, framed", "CTextArea：实色，带边框"));
    auto* plain = static_cast<CTextArea*>(
        c.Add(c.Page()->AddChild(std::make_unique<CTextArea>(c.Page(), c.NextId(),
                                                             Rect{x, y + 20, x + 340, y + 60},
                                                             c.Text("Saved", "已保存")),
                                 1),
              "CTextArea"));
    if (plain) {
        plain->SetFontWidth(10);
        plain->SetAlignment(1, 1);
        plain->SetTransparent(0, 0, 0xFF1F5A32);
        plain->SetFrame(true, 0xFF30C060);
    }
    y += 80;
    caption(x, y, c.Text("CArea: transparency from top to bottom", "CArea：由上至下渐隐"));
    if (auto* a = c.MakeAs<CArea>("CArea", Rect{x, y + 20, x + 340, y + 80}))
        a->SetTransparent(0, 100, 0xFFFDA810);
    y += 100;
    caption(x, y, c.Text("CArea: framed", "CArea：带边框"));
    if (auto* a = c.MakeAs<CArea>("CArea", Rect{x, y + 20, x + 340, y + 60})) {
        a->SetTransparent(0, 0, 0xFF2A2F36);
        a->SetFrame(true, 0xFF8A9099);
    }
}

} // namespace Tolva
