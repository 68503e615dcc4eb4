#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"
#include "ui/platform/NativeEdit.h"
#include "ui/widgets/RecordItem.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Tolva {

class MImageList;

// The steps of a recorded macro, one row each: caption, action and delay columns, with an
// in-place editor for the delay. Rows scroll with the panel's vertical bar.
class TOLVA_API CRecordList : public MPanel, private EditListener {
public:
    // Columns, in widget coordinates.
    static constexpr int kTextX = 0, kTextWidth = 160;
    static constexpr int kActionX = 180, kActionWidth = 100;
    static constexpr int kDelayX = 300, kDelayWidth = 120;
    // The delay an empty editor stands for.
    static constexpr int kEmptyDelay = 10;

    CRecordList(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);
    ~CRecordList() override;

    const char* GetObjectClass() const override { return "CRecordList"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;
    void SetControlVisible(bool visible) override;
    void SetControlEnabled(bool enabled) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlRButtonUp(unsigned flags, Point pt) override;
    int OnControlScroll(int delta, unsigned flags, Point pt) override;
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;

    // Appends a record and scrolls to it; returns its index.
    int AddString(const std::string& text, int action, int value, int delay);
    // The delay of the last record; false when the list is empty.
    bool UpdateDelayTime(int delay);
    // 1, or 0 for an index out of range.
    int DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const;
    // Accepts -1 .. count - 1; 1 on success, 0 otherwise.
    int SetCurSel(int index);
    int GetCurSel() const { return current_; }
    int GetHoverItem() const { return hover_; }
    // Heights below 1 are refused.
    void SetItemHeight(int height);
    int GetItemHeight() const { return itemHeight_; }
    // Icons drawn in the action column (index 0 key down, 1 key up); not owned.
    void SetImageList(MImageList* list);
    // Exchanges two records when both indices are valid and different; no repaint, no
    // notification. False otherwise.
    bool SwapItem(int i, int j);
    // The records stay owned by the list.
    std::vector<RecordItem*> GetRecordItems() const;
    // Copy of one record; false for an index out of range.
    bool GetItem(int index, RecordItem& out) const;

    // Opens the delay editor on the hovered record (editing enabled, widget enabled, a record
    // selected and one hovered). False when it did not open.
    bool ShowEdit();
    // Closes the editor, storing a changed delay (29 with the record's index); false when none
    // was open.
    bool CloseEdit();
    void EnableShowEdit(bool on) { editEnabled_ = on; }
    // The index being edited, -1 when the editor is closed.
    int GetEditIndex() const;
    // The editor (null before it was first opened).
    NativeEdit* GetEditor() const { return editor_.get(); }

    void SetSelectColor(uint32_t argb);
    void SetHoverColor(uint32_t argb);
    void SetBackColor(uint32_t colorRef);

    // How far the rows are scrolled, in pixels.
    int GetScrollOffset() const;
    // Index of the record whose row holds the window point, -1 when none.
    int HitTest(Point pt) const;

private:
    bool OnEditKey(NativeEdit& edit, int virtualKey) override;
    void OnEditFocusLost(NativeEdit& edit) override;

    // Content height, scroll bar range and visibility after the record count changed.
    void UpdateScroll(bool toEnd);
    void SetHover(int index);
    void CancelEdit();
    int IndexOf(const RecordItem* item) const;

    mutable std::recursive_mutex itemsLock_;
    std::vector<std::unique_ptr<RecordItem>> items_;
    int hover_ = -1;
    int current_ = -1;
    RecordItem* editing_ = nullptr; // the record the editor is open on
    int itemHeight_ = 41;
    int first_ = 0;
    int last_ = -1;
    MImageList* images_ = nullptr;
    std::unique_ptr<NativeEdit> editor_;
    bool editEnabled_ = true;
    bool closing_ = false;
    uint32_t selectColor_;
    uint32_t hoverColor_;
    uint32_t textColor_ = 0xFFFFFFFF;
    uint32_t backColor_ = 0x191919;
};

} // namespace Tolva
