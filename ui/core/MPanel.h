#pragma once

#include <atomic>

#include "ui/TolvaApi.h"
#include "ui/controls/MScroll.h"
#include "ui/core/MControlFont.h"

#include <string>

namespace Tolva {

// A container that creates children by class name and scrolls them. Its children 1 and 2 are its
// vertical and horizontal scroll bars; they take untranslated points and do not scroll.
class TOLVA_API MPanel : public MControlFont {
public:
    MPanel(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
           bool visible = true, bool enabled = true);

    // Virtual operations added by panels. Null for an unknown or empty class name.
    virtual MControl* CreateArea(const std::string& className, unsigned id, const Rect& rect,
                                 const std::string& title, bool visible, bool enabled);
    virtual MControl* CreateControl(int kind, MObject* parent, const std::string& className,
                                    unsigned id, const Rect& rect, const std::string& title,
                                    bool visible, bool enabled);
    virtual MControl* CreateControl(const std::string& className, unsigned id, const Rect& rect,
                                    const std::string& title = {}, bool visible = true,
                                    bool enabled = true);
    virtual int OnControlKeyUp(unsigned key, unsigned repeat, unsigned modifiers) { return 0; }

    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void DrawSubControls(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;
    int OnMousePointChange(Point& pt) override;
    int OnControlScroll(int delta, unsigned flags, Point pt) override;
    int OnControlUpdate(const Rect& rect, bool erase, MControl* control) override;
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;

    void SetVirtualHeight(int height);
    void SetVirtualWidth(int width);
    int GetVirtualHeight() const { return virtualHeight_; }
    int GetVirtualWidth() const { return virtualWidth_; }
    void SetEnableScroll(bool on) { scrollEnabled_ = on; }
    bool IsScrollEnabled() const { return scrollEnabled_; }
    // How far the content is scrolled, in pixels.
    Point ScrollOffset() const;
    // The panel's scroll bars (CScrollVertical and CScrollHorizontal, children 1 and 2).
    MScroll* VerticalBar() const { return vbar_; }
    MScroll* HorizontalBar() const { return hbar_; }
    // Recomputes the content size from the children and updates the bars.
    void UpdateScrollBars();

private:
    MScroll* vbar_ = nullptr;
    MScroll* hbar_ = nullptr;
    // Read by the timer thread too (a child's repaint request asks for the scroll offset).
    std::atomic<int> virtualHeight_{0};
    std::atomic<int> virtualWidth_{0};
    std::atomic<bool> scrollEnabled_{true};
};

} // namespace Tolva
