#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

// The list of the mouse's buttons with the function each one has: one row per button, the
// selected row filled in the selection colour.
class TOLVA_API MouseKeyCtrl : public MPanel {
public:
    struct Item {
        std::string name;
        std::string desc;
        int keyValue = 0;
        Rect rect; // widget-relative
    };

    MouseKeyCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MouseKeyCtrl"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    void SetControlRect(const Rect& rect) override;

    // Returns the new item's index.
    int AddItem(const std::string& name, const std::string& desc, int keyValue);
    // Also clears hover and selection. Returns 1.
    int DeleteAllItems();
    int GetItemCount() const;
    // -1 clears the selection; other indices out of range change nothing.
    void SetSelectItem(int index);
    int GetSelectItem() const;
    int GetHoverItem() const;
    // 0 or "" for an index out of range.
    int GetItemKeyValue(int index) const;
    std::string GetItemKeyName(int index) const;
    std::string GetItemKeyDesc(int index) const;
    // Changes every item whose key value is `keyValue` (not the item at an index). Returns 1.
    int SetItemKeyDesc(int keyValue, const std::string& desc);
    // Repaints only when the text changed.
    void SetItemText(int index, const std::string& name);
    void SetScaleValue(float factor);
    float GetScaleValue() const;
    // The row of an item, widget-relative; empty for an index out of range.
    Rect GetItemRect(int index) const;

private:
    // Row rectangles for the current width and scale (caller holds the lock).
    void Layout();
    int HitTest(Point local) const;
    void Repaint();

    mutable std::recursive_mutex itemLock_;
    std::vector<std::unique_ptr<Item>> items_;
    int hover_ = -1;
    int selected_ = -1;
    bool pressed_ = false;
    int rowHeight_ = 27;
    float scale_ = 1.0f;
    uint32_t textColor_ = 0xFFFFFFFF;
};

} // namespace Tolva
