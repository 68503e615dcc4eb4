#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/TabItemInfo.h"
#include "ui/core/MControlFont.h"

#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

class MTabLayout;

// A tab strip: each tab shows its page control while selected and hides it otherwise. A press
// on a tab sends 9 (index); the release on a tab selects it, which sends 2 (new index). The
// change can slide the selection mark over (control timer key 100, every 30 ms).
class TOLVA_API MTabCtrl : public MControlFont {
public:
    static constexpr uint32_t kAnimateTimer = 100;
    static constexpr uint32_t kAnimateMs = 30;
    static constexpr int kAnimateSteps = 6;
    enum TabType { Horizontal = 0, Vertical = 1 };

    MTabCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
             bool visible = true, bool enabled = true);
    ~MTabCtrl() override;

    const char* GetObjectClass() const override { return "MTabCtrl"; }
    void InitControl(PaintManager* manager) override;
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    int OnControlTimer() override;

    // Appends a tab; `frames` -1 means 3; `width` 0 takes the image's frame width. The page is
    // shown only while the tab is selected. Returns the new index.
    int InsertItem(unsigned id, const std::string& text, const std::string& image = {},
                   MControl* page = nullptr, int frames = -1, int width = 0);
    // Ignores an index out of range or the current one; otherwise selects it, sends 2 (index),
    // shows its page and hides the others. Returns the previous selection (the current one
    // when ignored).
    int SetSelectItem(int index);
    int GetSelectItem() const;
    int GetItemCount() const;
    // 0 for an index out of range.
    unsigned GetItemID(int index) const;
    // A copy; false for an index out of range.
    bool GetItemInfo(int index, TabItemInfo& info) const;
    // The tab's rectangle in window coordinates; empty for an index out of range or a hidden tab.
    Rect GetItemRect(int index) const;
    // The tab under a window point, -1 when none.
    int ItemAt(Point pt) const;
    // The setters return 1, or 0 for an index out of range.
    int SetItemText(int index, const std::string& text);
    int SetItemVisible(int index, bool visible);
    int SetTabTooltip(int index, const std::string& text);
    // Removes the tab (its page stays with its container and is hidden if it was shown).
    int DeleteItem(int index);

    // With a minimum above 0 every tab becomes min(width, max(available / count, minimum))
    // wide, where available is the strip width less the left and right padding; otherwise
    // every tab is `width` wide. The same vertically for heights.
    void SetItemWidth(int width, int minimum = 0, bool refresh = true);
    void SetItemHeight(int height, int minimum = 0, bool refresh = true);
    // The strip's own size (0: the control's).
    void SetTabCtrlWidth(int width);
    void SetTabCtrlHeight(int height);
    void SetLeftRightPading(int left, int right);
    void SetTopBottomPading(int top, int bottom);
    void SetTabType(int type);
    int GetTabType() const { return type_; }
    void EnableAnimateChangeTab(bool on) { animate_ = on; }
    bool IsAnimating() const { return animStep_ > 0; }
    // A new page (an MTabLayout) beside the strip, in the strip's container; null when it
    // cannot be made.
    MTabLayout* CreatePanel(unsigned id, const Rect& rect, bool visible = false);

private:
    void Layout();
    void ApplySizes();
    void ShowPages();
    int VisibleCount() const;
    Rect MarkRect(const Rect& tab) const;

    mutable std::recursive_mutex tabsLock_;
    std::vector<TabItemInfo> tabs_;
    int sel_ = -1;
    int hover_ = -1;
    int pressed_ = -1;
    int type_ = Horizontal;
    int stripWidth_ = 0;
    int stripHeight_ = 0;
    int padLeft_ = 0;
    int padRight_ = 0;
    int padTop_ = 0;
    int padBottom_ = 0;
    int itemWidth_ = 0;
    int minWidth_ = 0;
    int itemHeight_ = 0;
    int minHeight_ = 0;
    bool animate_ = false;
    int animStep_ = 0;
    Rect animFrom_;
    int tipShown_ = -1;
};

} // namespace Tolva
