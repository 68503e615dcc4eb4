#include "ui/gallery/GallerySamples.h"

#include <memory>

#include "ui/controls/CLogonEdit.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MEditEx.h"
#include "ui/controls/MRichEdit.h"
#include "ui/core/MPanel.h"
#include "ui/gallery/GalleryCanvas.h"

namespace Tolva {

void BuildEditSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    auto caption = [&](int x, int y, const std::string& text) {
        c.Caption(Rect{x, y, x + 300, y + 18}, text);
    };

    // The single-line field in its settings (click one to type).
    int x = 20, y = top;
    struct Field {
        const char* english;
        const char* chinese;
        const char* textEnglish;
        const char* textChinese;
        int kind; // 0 text, 1 tip only, 2 password, 3 number, 4 read only, 5 icon, 6 disabled
    };
    const Field fields[] = {
        {"MEdit: text (click to type)", "MEdit：文本（点击输入）", "Profile 1", "配置 1", 0},
        {"MEdit: tip while empty", "MEdit：空白时的提示", "", "", 1},
        {"MEdit: password", "MEdit：密码", "secret", "secret", 2},
        {"MEdit: digits only, at most 5", "MEdit：仅数字，最多 5 位", "1600", "1600", 3},
        {"MEdit: read only", "MEdit：只读", "Firmware 1.05", "固件 1.05", 4},
        {"MEdit: with an icon", "MEdit：带图标", "C:/macros", "C:/macros", 5},
        {"MEdit: disabled", "MEdit：禁用", "Ctrl+Shift+A", "Ctrl+Shift+A", 6},
    };
    for (const Field& f : fields) {
        caption(x, y, c.Text(f.english, f.chinese));
        auto* e = c.MakeAs<MEdit>("MEdit", Rect{x, y + 20, x + 260, y + 50},
                                  c.Text(f.textEnglish, f.textChinese));
        if (e) {
            e->SetImage("img_edit.png", 4);
            e->SetFontWidth(10);
            e->SetTextRect(Rect{8, 0, 252, 30});
            switch (f.kind) {
            case 1:
                e->SetTipInfo(c.Text("Type a macro name", "输入宏名称"));
                break;
            case 2:
                e->EnablePassWord(true);
                break;
            case 3:
                e->SetNumberOnly(true);
                e->SetLimitText(5);
                break;
            case 4:
                e->SetReadOnly(true);
                break;
            case 5:
                e->SetIconImage("btn_openfile.png", 4);
                e->SetIconRect(Rect{228, 2, 256, 28});
                e->SetTextRect(Rect{8, 0, 224, 30});
                break;
            case 6:
                e->SetEnabled(false);
                break;
            default:
                break;
            }
        }
        y += 70;
    }

    // The windowless editors.
    x = 330;
    y = top;
    caption(x, y,
            c.Text("MRichEdit: several lines with a selection", "MRichEdit：多行文字，带选区"));
    if (auto* r = c.MakeAs<MRichEdit>("MRichEdit", Rect{x, y + 20, x + 420, y + 150})) {
        r->SetFontWidth(11);
        r->SetText(c.Text("Macro notes\nPress and hold the side button to repeat the macro.\n"
                          "Release it to stop.",
                          "宏说明\n按住侧键即可重复执行宏。\n松开按键即停止。"));
        r->SetSel(0, c.IsChinese() ? 3 : 11);
    }
    y += 170;
    caption(x, y, c.Text("MRichEdit: read only", "MRichEdit：只读"));
    if (auto* r = c.MakeAs<MRichEdit>("MRichEdit", Rect{x, y + 20, x + 420, y + 80})) {
        r->SetFontWidth(10);
        r->SetText(c.Text("This text cannot be changed.", "此文字不可更改。"));
        r->SetReadOnly(true);
    }
    y += 100;
    caption(x, y,
            c.Text("MEditEx: search field with tip and icon", "MEditEx：带提示和图标的搜索框"));
    if (auto* e = c.MakeAs<MEditEx>("MEditEx", Rect{x, y + 20, x + 300, y + 52})) {
        e->SetFontWidth(10);
        e->SetTipText(c.Text("Search functions", "搜索功能"));
        e->SetIconImage("imgbtn_edit.png", 4);
    }
    y += 72;
    caption(x, y,
            c.Text("CLogonEdit: framed field with an icon", "CLogonEdit：带边框和图标的输入框"));
    auto* logon = static_cast<CLogonEdit*>(
        c.Add(c.Page()->AddChild(std::make_unique<CLogonEdit>(c.Page(), c.NextId(),
                                                              Rect{x, y + 20, x + 300, y + 54}),
                                 1),
              "CLogonEdit"));
    if (logon) {
        logon->SetFontWidth(10);
        logon->SetTipText(c.Text("User name", "用户名"));
        logon->SetIconImage("icon\\icon_config.png", 1);
    }
    y += 74;
    caption(x, y, c.Text("MEditEx: disabled", "MEditEx：禁用"));
    if (auto* e = c.MakeAs<MEditEx>("MEditEx", Rect{x, y + 20, x + 300, y + 52})) {
        e->SetFontWidth(10);
        e->SetText(c.Text("Not available", "不可用"));
        e->SetEnabled(false);
    }
}

} // namespace Tolva
