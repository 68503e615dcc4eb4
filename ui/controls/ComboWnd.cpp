#include "ui/controls/ComboWnd.h"

#include "ui/controls/CComboBoxList.h"
#include "ui/controls/MComboBox.h"

namespace Tolva {

void ComboWnd::InitUI(const Rect& rect) {
    manager_.ClearAllControls();
    list_ = nullptr;
    if (!combo_) return;
    const int frame = MComboBox::kPopupFrame / 2;
    auto* list = dynamic_cast<CComboBoxList*>(
        CreateControl("CComboBoxList", kListId,
                      Rect{rect.left, rect.top + frame, rect.right, rect.bottom - frame}));
    if (!list) return;
    list_ = list;
    list->SetFont(combo_->GetTextFont(), combo_->GetFontWidth(), combo_->GetFontStyle());
    list->SetTextColor(combo_->GetTextColor());
    const int n = combo_->GetItemCount();
    for (int i = 0; i < n; ++i) {
        const MComboBox::Item item = combo_->GetItem(i);
        list->AddItem(item.text, item.icon, item.color);
    }
    list->SetCurSel(combo_->GetCurSel());
}

LRESULT ComboWnd::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id == kListId && code == 2 && lparam == CComboBoxList::kChoiceTag && combo_) {
        // Closing is posted: the list that sent this is still inside its own handler.
        CloseWindow();
        combo_->OnDropDownChoice(static_cast<int>(wparam));
        return 1;
    }
    return 0;
}

void ComboWnd::OnDestroyMessage(NativeWindow* hwnd) {
    list_ = nullptr;
    if (combo_) combo_->OnDropDownClosed();
    MPopupWnd::OnDestroyMessage(hwnd);
}

} // namespace Tolva
