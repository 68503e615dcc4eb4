#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

class ComboWnd;

// A drop-down list: the box shows the current item's text; a click opens the items in a popup
// ("ComboWnd") below the box. Choosing an item there selects it and sends 2 (item index).
class TOLVA_API MComboBox : public MControlFont {
public:
    static constexpr int kRowHeight = 30;
    static constexpr int kVisibleRows = 5;
    static constexpr int kPopupFrame = 12;

    struct Item {
        std::string text;
        std::string icon;
        uint32_t color = 0; // ARGB; 0 draws no swatch
        intptr_t data = 0;
    };

    MComboBox(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
              bool visible = true, bool enabled = true);
    ~MComboBox() override;

    const char* GetObjectClass() const override { return "MComboBox"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    void SetControlEnabled(bool enabled) override;
    void SetControlVisible(bool visible) override;

    // Returns the new item's index.
    int AddItem(const std::string& text, intptr_t data = 0, const std::string& icon = {},
                uint32_t color = 0);
    // `index` 0..count (count appends); -1 when out of range.
    int InsertItem(int index, const std::string& text, intptr_t data = 0,
                   const std::string& icon = {}, uint32_t color = 0);
    // The setters return 1, or 0 for an index out of range (nothing changes).
    int SetItemText(int index, const std::string& text);
    int SetItemData(int index, intptr_t data);
    // 0 for an index out of range.
    intptr_t GetItemData(int index) const;
    std::string GetItemText(int index) const;
    // A copy of the item (empty for an index out of range).
    Item GetItem(int index) const;
    int GetItemCount() const;
    int DeleteItem(int index);
    void DelAllItems();
    // -1 .. count - 1 (the title becomes the item's text, empty for -1); 0 otherwise. Repaints,
    // sends nothing.
    int SetCurSel(int index);
    int GetCurSel() const;
    // The current item's data; 0 without a current item.
    intptr_t GetCurData() const;
    // The first item with this data, or -1.
    int FindData(intptr_t data) const;
    // Selects the first item with this data: 1, or 0 (nothing changes).
    int SelectData(intptr_t data);

    // The popup's background image (nine-grid) and the scroll bar images of its list.
    void SetBackImage(const std::string& file);
    void SetScrollResID(int vertical, int horizontal);
    // Nine-grid insets for the box image.
    void SetShowModeMID(int left, int top, int right, int bottom);
    // Where the text goes, relative to the box's top-left corner (empty: the whole box less the
    // arrow).
    void SetTextRect(const Rect& rect);

    // Opens the popup below the box (nothing without items); closes it.
    bool ShowDropDown();
    // `now` destroys the window at once (never from inside the popup's own handlers).
    void CloseDropDown(bool now = false);
    bool IsDropDownOpen() const;
    ComboWnd* GetDropDown() const { return popup_.get(); }
    // Screen rectangle the popup takes: the box's width, min(count, 5) x 30 + 12 high.
    Rect DropDownRect() const;

    // From the popup: the person chose `index`; the popup went away.
    void OnDropDownChoice(int index);
    void OnDropDownClosed();

private:
    void SetState(int state);

    mutable std::recursive_mutex itemsLock_;
    std::vector<Item> items_;
    int cur_ = -1;
    std::unique_ptr<ComboWnd> popup_;
    std::string backImage_;
    int scrollV_ = 0;
    int scrollH_ = 0;
    Rect mid_{6, 6, 6, 6};
    bool midSet_ = false;
    Rect textRect_;
    int state_ = 0;
    bool pressed_ = false;
    // A press that closed the popup must not open it again on its release.
    bool closedByPress_ = false;
};

} // namespace Tolva
