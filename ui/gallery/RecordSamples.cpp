#include "ui/gallery/GallerySamples.h"

#include "ui/controls/CImageButton.h"
#include "ui/gallery/GalleryCanvas.h"
#include "ui/widgets/CRecordList.h"

namespace Tolva {

void BuildRecordSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    int x = 20, y = top;
    c.Caption(Rect{x, y, x + 700, y + 18},
              c.Text("CRecordList: a recorded macro with a scroll bar (click a delay to edit it)",
                     "CRecordList：录制的宏，带滚动条（点击延时可编辑）"));
    auto* list = c.MakeAs<CRecordList>("CRecordList", Rect{x, y + 24, x + 460, y + 324});
    if (list) {
        list->SetFontWidth(10);
        const char* keys[] = {"Ctrl", "C", "C", "Ctrl", "Alt", "Tab", "Tab", "Alt", "Enter"};
        for (int i = 0; i < 9; ++i)
            list->AddString(keys[i], i < 2 || i == 4 || i == 5 || i == 8 ? 2 : 3, 4 + i,
                            10 + 15 * i);
        list->EnableShowEdit(true);
        list->SetCurSel(6);
    }
    // The macro page's buttons beside the list.
    const char* images[] = {"btn_record_up.png", "btn_record_down.png", "btn_record_time.png",
                            "btn_record_del.png"};
    const char* tips[] = {"Move up", "Move down", "Insert a delay", "Delete"};
    const char* tipsChinese[] = {"上移", "下移", "插入延时", "删除"};
    for (int i = 0; i < 4; ++i) {
        auto* b = c.MakeAs<CImageButton>("CImageButton",
                                         Rect{x + 480, y + 24 + 40 * i, x + 508, y + 52 + 40 * i});
        if (!b) continue;
        b->SetImage(images[i], 4);
        b->SetTooltip(c.Text(tips[i], tipsChinese[i]));
    }
    c.Caption(Rect{x + 520, y + 24, x + 900, y + 200},
              c.Text("Key Down and Key Up steps with their delays in milliseconds.",
                     "按下和抬起步骤及其延时（毫秒）。"),
              12);
}

} // namespace Tolva
