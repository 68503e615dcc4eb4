#include "ui/gallery/GallerySamples.h"

#include <memory>

#include "ui/controls/CColorCombo.h"
#include "ui/controls/CComboBoxList.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MListBox.h"
#include "ui/core/MPanel.h"
#include "ui/core/Manager.h"
#include "ui/gallery/GalleryCanvas.h"
#include "ui/paint/MImageList.h"

namespace Tolva {

void BuildListSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    auto caption = [&](int x, int y, const std::string& text) {
        c.Caption(Rect{x, y, x + 260, y + 18}, text);
    };

    // Profiles with the rename editor's icon, the current one and a scroll bar.
    int x = 20, y = top;
    caption(x, y, c.Text("DListBox: profiles, rename icon", "DListBox：配置列表，可重命名"));
    if (auto* list = c.MakeAs<DListBox>("DListBox", Rect{x, y + 20, x + 240, y + 220})) {
        auto images = std::make_shared<MImageList>(Manager::GetSkinFolder());
        images->AddImage("icon//icon_circle.png", 1, 1);
        images->SetDrawImgSize(12, 12);
        list->SetImageList(images);
        list->SetFontWidth(10);
        for (int i = 0; i < 9; ++i)
            list->AddString(c.Text("Profile ", "配置 ") + std::to_string(i + 1), i, 0);
        list->EnableShowEdit(true);
        list->SetCurSel(1);
    }
    x += 270;
    caption(x, y, c.Text("MListBox: mouse buttons", "MListBox：鼠标按键"));
    if (auto* list = c.MakeAs<MListBox>("MListBox", Rect{x, y + 20, x + 240, y + 220})) {
        list->SetFontWidth(10);
        const char* english[] = {"Left button", "Right button", "Middle button",
                                 "Backward",    "Forward",      "DPI+"};
        const char* chinese[] = {"左键", "右键", "中键", "后退", "前进", "DPI+"};
        for (int i = 0; i < 6; ++i)
            list->AddString(c.Text(english[i], chinese[i]), 208 + i);
        list->SetCurSel(2);
    }
    x += 270;
    caption(x, y, c.Text("MListBox: disabled", "MListBox：禁用"));
    if (auto* list = c.MakeAs<MListBox>("MListBox", Rect{x, y + 20, x + 240, y + 140})) {
        list->SetFontWidth(10);
        list->AddString(c.Text("Macro 1", "宏 1"));
        list->AddString(c.Text("Macro 2", "宏 2"));
        list->SetCurSel(0);
        list->SetEnabled(false);
    }
    x += 270;
    caption(x, y, c.Text("CComboBoxList: a drop-down's list", "CComboBoxList：下拉列表"));
    if (auto* list =
            c.MakeAs<CComboBoxList>("CComboBoxList", Rect{x, y + 20, x + 240, y + 20 + 162})) {
        list->SetFontWidth(10);
        for (const char* rate : {"125 Hz", "250 Hz", "500 Hz", "1000 Hz", "2000 Hz", "4000 Hz"})
            list->AddItem(rate);
        list->SetCurSel(3);
    }

    // Combo boxes: closed with a choice, with colours, disabled.
    x = 20;
    y = top + 260;
    auto combo = [&](const Rect& r, const std::string& text) {
        caption(r.left, r.top - 20, text);
        auto* b = c.MakeAs<MComboBox>("MComboBox", r);
        if (b) {
            b->SetFontWidth(10);
            b->SetImage("img_combobox.png", 4);
        }
        return b;
    };
    if (MComboBox* b =
            combo(Rect{x, y + 20, x + 220, y + 50},
                  c.Text("MComboBox: report rate (click it)", "MComboBox：回报率（可点击）"))) {
        for (const char* rate : {"125 Hz", "250 Hz", "500 Hz", "1000 Hz"})
            b->AddItem(rate);
        b->SetCurSel(3);
    }
    x += 270;
    if (MComboBox* b = combo(Rect{x, y + 20, x + 220, y + 50},
                             c.Text("MComboBox: colours", "MComboBox：颜色"))) {
        b->AddItem(c.Text("Red", "红色"), 1, {}, 0xFFE0443E);
        b->AddItem(c.Text("Green", "绿色"), 2, {}, 0xFF30C060);
        b->AddItem(c.Text("Blue", "蓝色"), 3, {}, 0xFF2080F0);
        b->SetCurSel(1);
    }
    x += 270;
    if (MComboBox* b = combo(Rect{x, y + 20, x + 220, y + 50},
                             c.Text("MComboBox: disabled", "MComboBox：禁用"))) {
        b->AddItem(c.Text("Key function", "按键功能"));
        b->SetCurSel(0);
        b->SetEnabled(false);
    }

    // Colour combos, closed and open.
    x = 20;
    y += 90;
    const char* colourEnglish[] = {"CColorCombo: closed", "CColorCombo: open"};
    const char* colourChinese[] = {"CColorCombo：收起", "CColorCombo：展开"};
    for (int i = 0; i < 2; ++i) {
        caption(x, y, c.Text(colourEnglish[i], colourChinese[i]));
        auto* cc = static_cast<CColorCombo*>(
            c.Add(c.Page()->AddChild(std::make_unique<CColorCombo>(
                                         c.Page(), c.NextId(), Rect{x, y + 20, x + 120, y + 50}),
                                     1),
                  "CColorCombo"));
        if (cc) {
            cc->SetImage("img_combobox.png", 4);
            cc->SetAreaColor(i ? 0xFF30C060 : 0xFFFDA810);
            cc->SetIsOpen(i == 1);
        }
        x += 270;
    }
}

} // namespace Tolva
