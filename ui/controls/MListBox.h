#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"
#include "ui/platform/NativeEdit.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

class MImageList;

// A list of text rows with item data and optional icons, scrolled by the panel's vertical bar,
// with an in-place rename editor (a native edit box over the current row).
// Notifications: 1 press (index), 2 click (index), 3 double click (index), 5 right click
// (index), 29 rename stored (0, index).
class TOLVA_API MListBox : public MPanel, public EditListener {
public:
    MListBox(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
             bool visible = true, bool enabled = true);
    ~MListBox() override;

    const char* GetObjectClass() const override { return "MListBox"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;
    void SetControlVisible(bool visible) override;
    void SetControlEnabled(bool enabled) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlRButtonUp(unsigned flags, Point pt) override;
    int OnControlScroll(int delta, unsigned flags, Point pt) override;

    // Each returns the new item's index; InsertString takes 0..count (-1 otherwise).
    int AddString(const std::string& text, intptr_t data = 0, int image = -1);
    int InsertString(int index, const std::string& text, intptr_t data = 0, int image = -1);
    // Setters return 1, or 0 for an index out of range (nothing changes).
    int ModifyItemString(int index, const std::string& text);
    int SetItemData(int index, intptr_t data);
    int SetItemImage(int index, int image);
    // 0 (or "") for an index out of range.
    intptr_t GetItemData(int index) const;
    std::string GetItemText(int index) const;
    int GetItemCount() const;
    // The first item with exactly this text / data, or -1.
    int FindString(const std::string& text) const;
    int FindItemData(intptr_t data) const;
    // -1 .. count - 1; 0 otherwise. Sends nothing.
    int SetCurSel(int index);
    int GetCurSel() const;
    // Selects the first item with this data: 1, or 0.
    int SetCurData(intptr_t data);
    // The current item's data, 0 without one.
    intptr_t GetCurData() const;
    int DeleteItem(int index);
    void DeleteAllItems();
    // Exchanges two items; the current mark follows the item it was on. 0 when either index
    // is out of range.
    int SwapItem(int a, int b);
    // Row height (at least 1).
    void SetItemHeight(int height);
    int GetItemHeight() const { return itemHeight_; }
    // Where the row of `index` is shown, in window coordinates; empty for an index out of range.
    Rect GetItemRect(int index) const;
    // The row of `index` in this list's own coordinates (what it is given and draws in); empty
    // for an index out of range.
    Rect RowRect(int index) const;
    // The row under a window point, -1 when none.
    int ItemAt(Point pt) const;
    int GetHoverItem() const { return hover_; }
    // Icons by image index (shared with whoever else draws them).
    void SetImageList(std::shared_ptr<MImageList> images);
    std::shared_ptr<MImageList> GetImageList() const { return images_; }

    // The rename editor: only after EnableShowEdit(true), while enabled, with a current item.
    void EnableShowEdit(bool on);
    bool IsShowEditEnabled() const { return editEnabled_; }
    // Opens the editor over the current row's text; false when it cannot open.
    bool ShowEdit();
    // Closes the editor; with `commit` a changed text is stored and 29 (0, index) is sent.
    void CloseEdit(bool commit = true);
    bool IsEditShown() const;
    NativeEdit* GetEdit() const { return edit_.get(); }

    // EditListener: Return stores, Escape drops the change, leaving the box stores.
    void OnEditFocusLost(NativeEdit& edit) override;
    bool OnEditKey(NativeEdit& edit, int virtualKey) override;

protected:
    struct Item {
        std::string text;
        intptr_t data = 0;
        int image = -1;
        Rect row; // window coordinates before scrolling
    };

    // The rectangle rows are laid in (the list less the scroll bar when it shows).
    Rect RowsArea() const;
    // Where the row's text starts and ends inside its rectangle.
    virtual Rect TextRect(const Rect& row, int image) const;
    // Drawn after a row's text (the rename list's edit icon).
    virtual void DrawRowExtra(cairo_t* cr, const Rect& row, int index) {}
    // A press the row's extras take (true stops the normal press).
    virtual bool OnRowExtraPress(int index, Point pt) { return false; }
    void Relayout();
    bool WantsDoubleClick() const { return doubleClick_; }
    void SetWantsDoubleClick(bool on) { doubleClick_ = on; }

    mutable std::recursive_mutex itemsLock_;
    std::vector<Item> items_;
    int cur_ = -1;
    int hover_ = -1;

private:
    void SetHover(int index);

    int itemHeight_ = 30;
    int pressed_ = -1;
    std::shared_ptr<MImageList> images_;
    bool editEnabled_ = false;
    std::unique_ptr<NativeEdit> edit_;
    int editIndex_ = -1;
    bool doubleClick_ = true;
    uint64_t lastPressMs_ = 0;
    int lastPressItem_ = -1;
};

} // namespace Tolva
