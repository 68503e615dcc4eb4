#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

// The list inside a combo box's popup: rows of 30 pixels with an optional icon and colour
// swatch. A click on a row sends 2 (row index, 19) to the parent.
class TOLVA_API CComboBoxList : public MPanel {
public:
    static constexpr int kRowHeight = 30;
    static constexpr LPARAM kChoiceTag = 19;

    CComboBoxList(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                  bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CComboBoxList"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlKeyDown(unsigned key, unsigned repeat, unsigned modifiers) override;
    void SetTextColor(uint32_t argb) override;

    // Returns the new row's index.
    int AddItem(const std::string& text, const std::string& icon = {}, uint32_t color = 0);
    void DelAllItems();
    int GetItemCount() const;
    // Height of all rows.
    int GetListHeight() const;
    // The highlighted row (-1: none); clamped to the rows.
    void SetCurSel(int index);
    int GetCurSel() const { return cur_; }
    int GetHoverItem() const { return hover_; }
    // The row at a window point, -1 when none.
    int ItemAt(Point pt) const;

private:
    struct Row {
        std::string text;
        std::string icon;
        uint32_t color = 0;
    };
    void SyncScroll();

    mutable std::recursive_mutex rowsLock_;
    std::vector<Row> rows_;
    int hover_ = -1;
    int cur_ = -1;
    int pressed_ = -1;
};

} // namespace Tolva
