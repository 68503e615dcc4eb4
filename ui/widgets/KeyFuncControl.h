#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"
#include "ui/widgets/KeyFuncItem.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace Tolva {

// An on-screen keyboard of assignable functions: 18 media and application buttons above a full
// 104-key keyboard with keypad. A press picks the function under the pointer.
class TOLVA_API KeyFuncControl : public MPanel {
public:
    static constexpr uint32_t kItemFill = 0xFF515151;
    static constexpr uint32_t kItemOutline = 0xFFB4B4B4;

    KeyFuncControl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                   bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "KeyFuncControl"; }
    void InitControl(PaintManager* manager) override;
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlScroll(int delta, unsigned flags, Point pt) override;

    // The text of every item with `data`; no repaint.
    void SetItemDesc(int data, const std::string& text);
    // The last item matching all three values becomes the checked one; data 0 clears the check.
    void SetItemCheckByItemData(int data, int second, int third);
    // False when nothing has been pressed; otherwise the pressed item's values (`first` is left
    // as it is).
    bool GetCurItemData(int& first, int& data, int& second, int& third, std::string& text) const;
    void ClearItems();
    // Builds the built-in items (after clearing the list).
    void InitItemInfo();
    int GetItemCount() const;
    // Copy of one item; false for an index out of range.
    bool GetItem(int index, KeyFuncItem& out) const;
    int GetHoverItem() const { return hover_; }
    int GetPressedItem() const { return pressed_; }
    int GetCheckedItem() const { return checked_; }
    // Index of the first item containing the window point, -1 when none.
    int HitTest(Point pt) const;

private:
    mutable std::recursive_mutex itemsLock_;
    std::vector<std::unique_ptr<KeyFuncItem>> items_;
    std::atomic<int> hover_{-1};
    std::atomic<int> pressed_{-1};
    std::atomic<int> checked_{-1};
    bool built_ = false;
};

} // namespace Tolva
