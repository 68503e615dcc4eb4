#include "ui/gallery/GallerySamples.h"

#include "ui/gallery/GalleryCanvas.h"
#include "ui/widgets/KEY_INFO.h"
#include "ui/widgets/KeyFuncControl.h"
#include "ui/widgets/KeyboardCtrl.h"
#include "ui/widgets/KeyboardLayout104.h"

namespace Tolva {

void BuildKeyboardSamples(GalleryCanvas& c) {
    const int top = kPageTop + 10;
    int x = 20, y = top;
    c.Caption(Rect{x, y, x + 900, y + 18},
              c.Text("KeyboardCtrl in per-key colour mode (click a key to switch its colour; "
                     "rest on a key for its tip)",
                     "KeyboardCtrl 单键颜色模式（点击按键切换颜色，停留可显示提示）"));
    if (auto* kb = c.MakeAs<KeyboardCtrl>("KeyboardCtrl", Rect{x, y + 22, x + 940, y + 262})) {
        kb->SetKeyboardImage(kKeyboardPicture);
        kb->SetWidthAndHeight(kKeyboardPictureWidth, kKeyboardPictureHeight);
        for (const KeyboardLayoutKey& k : kKeyboardLayout104)
            kb->AddKeyItem(k.legend, k.legend, static_cast<uint32_t>(k.usage),
                           Rect{k.left, k.top, k.right, k.bottom}.Offset(kKeyboardPictureKeyX,
                                                                         kKeyboardPictureKeyY));
        kb->SetKeyboardCtrlMode(KeyboardCtrl::PerKeyColor);
        const uint32_t rainbow[] = {0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00,
                                    0xFFFF00, 0xFF0000, 0xFF00FF};
        for (KEY_INFO* k : kb->GetKeyItems())
            kb->SetKeyColor(k->keyValue, rainbow[(k->rect.left / 130) % 7]);
        kb->EnableKBTips(true);
        kb->SetTipKey(41, c.Text("Escape", "退出键"),
                      c.Text("Leaves menus and dialogs", "退出菜单和对话框"));
        c.Shown("CKeyboardTips");
    }
    y += 280;
    c.Caption(Rect{x, y, x + 900, y + 18},
              c.Text("KeyFuncControl: pick a function (A is the current one)",
                     "KeyFuncControl：选择功能（当前为 A）"));
    if (auto* func =
            c.MakeAs<KeyFuncControl>("KeyFuncControl", Rect{x, y + 22, x + 910, y + 262})) {
        func->SetItemCheckByItemData(4, 0, 0);
        func->SetFontWidth(9);
    }
}

} // namespace Tolva
