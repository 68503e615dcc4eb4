#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

// Call-out labels over the mouse picture: a line from the button's spot to a label that names
// it. The widget's image (2 frames: normal, highlighted) is the label background.
class TOLVA_API MouseCtrl : public MPanel {
public:
    struct Item {
        std::string text;
        int keyValue = 0;
        int side = 0; // 1: label right of the second point; else left of the first point
        Point first;  // unscaled, widget-relative
        Point second;
        Rect label; // widget-relative, scaled
    };

    MouseCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
              bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MouseCtrl"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;

    // Returns the new item's index.
    int AddItem(const std::string& text, int keyValue, int side, Point first, Point second);
    void DeleteAllItems();
    int GetItemCount() const;
    // -1 clears the selection; other indices out of range change nothing.
    void SetSelectItem(int index);
    int GetSelectItem() const;
    int GetHoverItem() const;
    // "" or 0 for an index out of range.
    std::string GetItemText(int index) const;
    // Repaints only when the text changed.
    void SetItemText(int index, const std::string& text);
    int GetItemKeyValue(int index) const;
    void SetScaleValue(float factor);
    float GetScaleValue() const;
    // The label (hit) rectangle, widget-relative; empty for an index out of range.
    Rect GetItemRect(int index) const;
    // Centre of the item's dot, widget-relative; (0, 0) for an index out of range.
    Point GetItemDot(int index) const;

private:
    void Layout();
    int HitTest(Point local) const;
    void Repaint();

    mutable std::recursive_mutex itemLock_;
    std::vector<std::unique_ptr<Item>> items_;
    int hover_ = -1;
    int selected_ = -1;
    bool pressed_ = false;
    float scale_ = 1.0f;
};

} // namespace Tolva
