#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPopupWnd.h"

namespace Tolva {

class CComboBoxList;
class MComboBox;

// The drop-down window of a combo box: a CComboBoxList over the whole window, less a 6-pixel
// frame at the top and bottom.
class TOLVA_API ComboWnd : public MPopupWnd {
public:
    static constexpr unsigned kListId = 100;

    explicit ComboWnd(MComboBox* combo) : combo_(combo) {}

    const char* GetWindowClassName() const override { return "ComboWnd"; }
    const char* GetClassNameW() const override { return "ComboWnd"; }
    void InitUI(const Rect& rect) override;
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;
    void OnDestroyMessage(NativeWindow* hwnd) override;

    CComboBoxList* GetList() const { return list_; }
    // The combo is going away: the popup no longer reports to it.
    void DetachCombo() { combo_ = nullptr; }

private:
    MComboBox* combo_ = nullptr;
    CComboBoxList* list_ = nullptr;
};

} // namespace Tolva
