#include "ui/gallery/GallerySamples.h"

#include "ui/controls/CSpinButton.h"
#include "ui/controls/MLevelCtrl.h"
#include "ui/controls/MProgress.h"
#include "ui/controls/MScroll.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MSpinButton.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/core/MPanel.h"
#include "ui/gallery/GalleryCanvas.h"

namespace Tolva {

void BuildValueSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    auto caption = [&](int x, int y, const std::string& text) {
        c.Caption(Rect{x, y, x + 320, y + 18}, text);
    };

    // Sliders: live with a scale, and disabled.
    int x = 20, y = top;
    const char* sliderEnglish[] = {"MSlider: brightness (drag it)", "MSlider: disabled"};
    const char* sliderChinese[] = {"MSlider：亮度（可拖动）", "MSlider：禁用"};
    for (int i = 0; i < 2; ++i) {
        caption(x, y, c.Text(sliderEnglish[i], sliderChinese[i]));
        if (auto* s = c.MakeAs<MSlider>("MSlider", Rect{x, y + 22, x + 300, y + 60})) {
            s->SetImage("img_slider_back.png", 1);
            s->SetThumbImage("img_thumb.png", 4);
            s->SetScale(5);
            s->SetProgress(i ? 3 : 7);
            if (i) s->SetEnabled(false);
        }
        y += 76;
    }
    caption(x, y,
            c.Text("MProgress: downloading, with its percentage", "MProgress：下载中，显示百分比"));
    if (auto* p = c.MakeAs<MProgress>("MProgress", Rect{x, y + 22, x + 300, y + 40})) {
        p->SetBackGroundImage("img_progress_bk.png");
        p->SetForeGroundImage("img_progress_fg.png");
        p->SetFontWidth(9);
        p->EnableShowText(true);
        p->SetMaxProgress(100);
        p->SetProgress(62);
    }
    y += 60;
    caption(x, y,
            c.Text("MLevelCtrl: level 3 of 5 (click a level)",
                   "MLevelCtrl：第 3 级，共 5 级（可点击）"));
    if (auto* l = c.MakeAs<MLevelCtrl>("MLevelCtrl", Rect{x, y + 22, x + 300, y + 52})) {
        l->SetRangeValue(1, 5);
        l->SetLevelValue(3);
    }
    y += 72;

    // Spin boxes.
    caption(x, y, c.Text("MSpinButton: value 128 of 0..255", "MSpinButton：数值 128（0..255）"));
    if (auto* s = c.MakeAs<MSpinButton>("MSpinButton", Rect{x, y + 22, x + 120, y + 52})) {
        s->SetFontWidth(10);
        s->SetRange(0, 255);
        s->SetCurValue(128);
    }
    y += 70;
    caption(x, y, c.Text("CSpinButton: delay in ms", "CSpinButton：延时（毫秒）"));
    if (auto* s = c.MakeAs<CSpinButton>("CSpinButton", Rect{x, y + 22, x + 120, y + 52})) {
        s->SetFontWidth(10);
        s->SetRange(1, 9999);
        s->SetCurValue(50);
    }
    y += 70;
    caption(x, y, c.Text("MSpinButton: disabled", "MSpinButton：禁用"));
    if (auto* s = c.MakeAs<MSpinButton>("MSpinButton", Rect{x, y + 22, x + 120, y + 52})) {
        s->SetFontWidth(10);
        s->SetCurValue(4);
        s->SetEnabled(false);
    }

    // A tab strip whose tabs show their own pages.
    x = 400;
    y = top;
    caption(x, y,
            c.Text("MTabCtrl with MTabLayout pages (click a tab)",
                   "MTabCtrl 与 MTabLayout 页面（可点击）"));
    if (auto* tabs = c.MakeAs<MTabCtrl>("MTabCtrl", Rect{x, y + 22, x + 480, y + 82})) {
        tabs->SetFontWidth(9);
        const char* english[] = {"Home", "Keys", "Macro", "Light"};
        const char* chinese[] = {"主页", "按键", "宏", "灯光"};
        const char* icons[] = {"icon\\tab_home.png", "icon\\tab_customkey.png",
                               "icon\\tab_macro.png", "icon\\tab_light.png"};
        for (int i = 0; i < 4; ++i) {
            MTabLayout* page = tabs->CreatePanel(c.NextId(), Rect{x, y + 82, x + 480, y + 230});
            if (page) {
                auto* t = dynamic_cast<MText*>(page->CreateControl(
                    "MText", c.NextId(), Rect{x + 20, y + 100, x + 460, y + 210},
                    c.Text("The page of the ", "这是“") + c.Text(english[i], chinese[i]) +
                        c.Text(" tab.", "”标签的页面。")));
                if (t) t->SetFontWidth(11);
            }
            tabs->InsertItem(static_cast<unsigned>(i + 1), c.Text(english[i], chinese[i]), icons[i],
                             page, -1, 100);
        }
        tabs->SetSelectItem(1);
        c.Shown("MTabLayout");
    }

    // A panel whose content is larger than itself shows its scroll bars.
    y = top + 260;
    caption(x, y,
            c.Text("CScrollVertical and CScrollHorizontal on a panel",
                   "面板上的 CScrollVertical 与 CScrollHorizontal"));
    if (auto* panel = c.MakeAs<MPanel>("MTabLayout", Rect{x, y + 22, x + 300, y + 162})) {
        auto* t = dynamic_cast<MText*>(panel->CreateControl(
            "MText", c.NextId(), Rect{x + 8, y + 28, x + 560, y + 420},
            c.Text("A long text on a small panel. Scroll with the wheel or drag the bars to see "
                   "the rest of it. Panels keep their children in content coordinates, and the "
                   "bars move the content under the panel's own rectangle.",
                   "小面板上的一段长文字。滚动鼠标滚轮或拖动滚动条即可查看其余内容。面板以内容坐标"
                   "保存子控件，滚动条在面板矩形内移动内容。")));
        if (t) {
            t->SetFontWidth(12);
            t->EnableMultiLine(true);
        }
        panel->SetVirtualHeight(400);
        panel->SetVirtualWidth(560);
        panel->UpdateScrollBars();
        if (panel->VerticalBar() && panel->VerticalBar()->IsVisible()) c.Shown("CScrollVertical");
        if (panel->HorizontalBar() && panel->HorizontalBar()->IsVisible())
            c.Shown("CScrollHorizontal");
    }
}

} // namespace Tolva
