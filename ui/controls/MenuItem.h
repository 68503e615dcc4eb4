#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <string>

namespace Tolva {

class MenuWnd;

// One entry of a popup menu: a title, a 4-frame icon strip (normal, hover, pressed, disabled),
// a check mark, a group of items of which one is checked, a separator look and a sub-menu.
// A press sends 7 (wparam check, lparam 1), after a check item toggled or a grouped item got
// checked; the release over the item sends 2 (wparam check). An item with a sub-menu opens it
// instead of sending 2.
class TOLVA_API MenuItem : public MControlFont {
public:
    static constexpr int kLeftMargin = 36;

    MenuItem(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
             bool visible = true, bool enabled = true);
    ~MenuItem() override;

    const char* GetObjectClass() const override { return "MenuItem"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    void SetControlEnabled(bool enabled) override;

    // Makes the item a check item; a grouped item checked here unchecks the rest of its group.
    void SetCheck(bool check);
    bool GetCheck() const { return check_; }
    // Whether a press toggles the check (set by SetCheck; grouped items always check).
    void SetCheckable(bool on) { checkable_ = on; }
    bool IsCheckable() const { return checkable_; }
    void SetGroupName(const std::string& group) { group_ = group; }
    std::string GetGroupName() const { return group_; }
    // Unchecks the other MenuItems of the same group under the same parent.
    void ResetGroupCheck();
    // The item's value: its id, which the menu posts as lparam.
    unsigned GetValue() const { return GetControlID(); }
    void SetSeparator(bool on);
    bool IsSeparator() const { return separator_; }
    // The sub-menu opened by a press (not owned; null for none).
    void SetPopupMenu(MenuWnd* menu) { popup_ = menu; }
    MenuWnd* GetPopupMenu() const { return popup_; }
    // Opens the sub-menu at the item's right edge; false without one or when it cannot open.
    bool ShowPopupMenu();
    // Corner size of the hover frame drawn from the item's image.
    void SetFrameWidth(int width) { frameWidth_ = width < 0 ? 0 : width; }
    int GetFrameWidth() const { return frameWidth_; }
    // 0 normal, 1 hover, 2 pressed, 3 disabled.
    int GetState() const { return state_; }

private:
    void SetState(int state);

    bool check_ = false;
    bool checkable_ = false;
    bool separator_ = false;
    std::string group_;
    MenuWnd* popup_ = nullptr;
    int frameWidth_ = 4;
    int state_ = 0;
};

} // namespace Tolva
