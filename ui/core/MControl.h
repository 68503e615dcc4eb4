#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/ControlList.h"
#include "ui/core/MObject.h"

#include <cairo.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

class PaintManager;

// A windowless control: an id and a rectangle in window client coordinates, drawn into its
// window's surface and fed with the window's input by the paint manager.
class TOLVA_API MControl : public MObject {
public:
    // The kinds of input the routing function carries.
    enum class Input {
        MouseMove,
        LButtonDown,
        LButtonUp,
        LButtonDblClk,
        RButtonDown,
        RButtonUp,
        RButtonDblClk,
        Wheel,
    };

    MControl(MObject* parent, unsigned id, const Rect& rect, bool visible = true,
             bool enabled = true);
    ~MControl() override;
    MControl(const MControl&) = delete;
    MControl& operator=(const MControl&) = delete;

    const char* GetClassNameW() const override { return "WBControl"; }
    // A panel passes its children's notifications on; a plain control does the same.
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;
    int OnControlUpdate(const Rect& rect, bool erase, MControl* control) override;

    // Virtual operations.
    virtual void InitControl(PaintManager* manager) {}
    virtual bool PtInRect(Point pt) const;
    virtual void DrawControl(cairo_t* cr, const Rect& clip) = 0;
    virtual void DrawSubControls(cairo_t* cr, const Rect& clip);
    virtual int IsDraw(Point pt) { return 1; }
    // Marks the drawing cache valid (`update` true) or stale; `children` does the same below.
    virtual void SetUpdate(bool update, bool children);
    virtual void SetControlFocus(bool focus);
    virtual void InitUI(const Rect& rect) {}
    // Translates a point before it goes to the children (a scrolled panel adds its offset).
    virtual int OnMousePointChange(Point& pt) { return 0; }
    virtual int OnCheckMouseResponse(unsigned flags, Point pt) { return 1; }
    virtual LRESULT OnWindowMessage(unsigned msg, WPARAM wparam, LPARAM lparam) { return 0; }
    virtual LRESULT OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) { return 0; }
    virtual void SetControlRect(const Rect& rect);
    virtual void SetControlVisible(bool visible);
    virtual void SetControlWndVisible(bool visible) {}
    virtual void SetControlEnabled(bool enabled);
    virtual int OnControlTimer() { return 0; }
    // The timer hook with the tick's key: the key given to PaintManager::SetTimer for a control
    // timer, kAnimationTick for the animation timer. Children with run-timer set get their
    // parent's key. The default calls OnControlTimer().
    virtual int OnControlTimerKey(uint32_t key) { return OnControlTimer(); }
    // A surface the caller owns afterwards, or null (no drag image).
    virtual cairo_surface_t* GetControlDropBitmap();
    virtual int OnControlMouseMove(unsigned flags, Point pt) { return 0; }
    virtual int OnControlSetCursor(unsigned flags, Point pt) { return 0; }
    virtual int OnControlLButtonDown(unsigned flags, Point pt) { return 0; }
    virtual int OnControlLButtonUp(unsigned flags, Point pt) { return 0; }
    virtual int OnControlLButtonDblClk(unsigned flags, Point pt) { return 0; }
    virtual int OnControlScroll(int delta, unsigned flags, Point pt) { return 0; }
    virtual int OnControlRButtonDown(unsigned flags, Point pt) { return 0; }
    virtual int OnControlRButtonUp(unsigned flags, Point pt) { return 0; }
    virtual int OnControlRButtonDblClk(unsigned flags, Point pt) { return 0; }
    virtual int OnControlKeyDown(unsigned key, unsigned repeat, unsigned modifiers) { return 0; }
    virtual void OnPositionChange() {}
    virtual void InvalidateRect(const Rect& rect, bool erase);
    // Another control of the program was dragged and dropped here.
    virtual int OnControlDrop(MControl* source, Point pt) { return 0; }

    // The one routing function for pointer input: hover child, capture by a child, enabled and
    // visible checks, point translation, then the protected hooks above. Returns nonzero when
    // the control or a child reacted.
    int RouteInput(Input kind, unsigned flags, Point pt, int delta = 0);
    int OnMouseMove(unsigned flags, Point pt) { return RouteInput(Input::MouseMove, flags, pt); }
    int OnLButtonDown(unsigned f, Point pt) { return RouteInput(Input::LButtonDown, f, pt); }
    int OnLButtonUp(unsigned f, Point pt) { return RouteInput(Input::LButtonUp, f, pt); }
    int OnLButtonDblClk(unsigned f, Point pt) { return RouteInput(Input::LButtonDblClk, f, pt); }
    int OnRButtonDown(unsigned f, Point pt) { return RouteInput(Input::RButtonDown, f, pt); }
    int OnRButtonUp(unsigned f, Point pt) { return RouteInput(Input::RButtonUp, f, pt); }
    int OnRButtonDblClk(unsigned f, Point pt) { return RouteInput(Input::RButtonDblClk, f, pt); }
    int OnMouseWheel(int delta, unsigned f, Point pt) {
        return RouteInput(Input::Wheel, f, pt, delta);
    }
    // Keys: the control's own hook first, then its children in order. 0 when nobody took it.
    int OnKeyDown(unsigned key, unsigned repeat, unsigned modifiers);
    // The key animation ticks are delivered with.
    static constexpr uint32_t kAnimationTick = 0xFFFFFFFFu;
    // Timer tick: the control's hook, then every visible child with run-timer set. True when
    // any of them had something to do.
    bool OnTimer(uint32_t key = kAnimationTick);
    // The key of the tick being delivered on this thread (kAnimationTick outside a tick), for
    // OnControlTimer overrides that need it.
    static uint32_t CurrentTimerKey();
    // Draws child areas, the control and its visible child controls when it meets `clip`.
    void Draw(cairo_t* cr, const Rect& clip);

    // Geometry and flags.
    void SetRect(const Rect& rect);
    void SetRect(int l, int t, int r, int b) { SetRect(Rect{l, t, r, b}); }
    Rect GetRect() const;
    void SetVisible(bool visible) { SetVisible(visible, true); }
    void SetVisible(bool visible, bool redraw);
    bool IsVisible() const { return visible_; }
    // True only when this control and every ancestor control are visible.
    bool IsParentVisible() const;
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return enabled_; }
    void SetRresponse(bool response) { response_ = response; }
    bool GetRresponse() const { return response_; }
    void SetTabStop(bool on) { tabStop_ = on; }
    bool IsTabStop() const { return tabStop_; }
    void SetDragDrop(bool on) { dragDrop_ = on; }
    bool IsDragDrop() const { return dragDrop_; }
    void SetRunTimer(bool on);
    bool IsRunTimer() const { return runTimer_; }
    void SetDblClk(bool on) { dblClk_ = on; }
    bool GetDblClk() const { return dblClk_; }
    bool IsUpdate() const { return update_; }

    void SetTooltip(const std::string& text);
    void SetTooltip(const std::string& text, const Rect& rect);
    void ClearTooltip();
    std::string GetTooltip() const;
    void SetCursorEx(const char* cursorName);

    unsigned GetControlID() const { return id_; }
    MObject* GetParantObject() const { return parent_; }
    void SetParent(MObject* parent) { parent_ = parent; }
    // Sets the manager of this control and its children and runs InitControl. The subtree's
    // lists take the window's lock first; a control joins one window only.
    void SetManager(PaintManager* manager);
    PaintManager* GetManager() const { return manager_; }
    // The parent when it is a control, else null.
    MControl* GetParentControl() const;

    // Children. GetControl searches depth-first (controls, then areas); null when not found.
    std::vector<MControl*> GetControls() const { return controls_.Snapshot(); }
    std::vector<MControl*> GetAreas() const { return areas_.Snapshot(); }
    ControlList& ControlsList() { return controls_; }
    ControlList& AreasList() { return areas_; }
    MControl* GetControl(unsigned id) const;
    // Adds an owned child (kind 0 = area, 1 = control); returns it, or null for a null child.
    MControl* AddChild(std::unique_ptr<MControl> child, int kind);
    // Removes and deletes a child; false when it is not a child of this control or is kept.
    bool RemoveControl(MControl* control);
    // Removes and deletes every child control except the kept ones (a panel's scroll bars).
    void RemoveAllControl();
    // A kept child belongs to its parent's own make-up and is never removed on request.
    void SetKeptChild(bool kept) { kept_ = kept; }
    bool IsKeptChild() const { return kept_; }
    MControl* GetHoverChild() const { return hoverChild_; }

    // Repaint requests go to the parent.
    void UpdateControl(bool erase = false, bool now = false);
    void UpdateControl(const Rect& rect, bool erase, bool now);
    void UpdateAControl(bool erase = false) { UpdateControl(erase, false); }
    // Sends a notification with this control's id to the parent; 0 without a parent.
    LRESULT SendMessageW(int code, WPARAM wparam = 0, LPARAM lparam = 0);
    void AddMTimer();
    bool IsFocusControl() const;
    bool IsFocused() const { return focused_; }
    void OnFocus(bool focus) { SetControlFocus(focus); }

    // Forgets a descendant that is about to be deleted (hover and capture bookkeeping).
    void ForgetDescendant(const MControl* control);

protected:
    // The drawing cache: re-created when the size differs; returns true when the caller must
    // redraw it (stale or new), and marks it valid.
    bool UpdateMemDC(int cx, int cy);
    cairo_surface_t* MemSurface() const { return memSurface_; }
    // Frees the memory DC of a control that draws without one.
    void DropMemDC();
    // Copies the cache to the window surface at the control's rectangle.
    void BlitCache(cairo_t* cr, const Rect& clip);
    // Paints through the cache: paint runs (in window coordinates) only when the cache is stale
    // or key, everything the picture depends on, differs from the last picture's.
    void DrawThroughCache(cairo_t* cr, const Rect& clip, const std::string& key,
                          const std::function<void(cairo_t*)>& paint);
    // Point given to a child: untranslated for the scroll bars (ids 1 and 2).
    static Point ChildPoint(const MControl* child, Point raw, Point translated);

    MObject* parent_ = nullptr;
    PaintManager* manager_ = nullptr;
    unsigned id_ = 0;
    std::atomic<bool> visible_{true};
    std::atomic<bool> enabled_{true};
    std::atomic<bool> response_{true};
    std::atomic<bool> tabStop_{false};
    std::atomic<bool> dragDrop_{false};
    std::atomic<bool> runTimer_{false};
    std::atomic<bool> dblClk_{false};
    std::atomic<bool> update_{false};
    std::atomic<bool> focused_{false};
    bool kept_ = false;

private:
    void ShareTreeLock(const ControlList::Lock& lock);

    mutable std::mutex stateLock_; // rectangle and tool tip, read by the timer thread
    Rect rect_;
    std::string tooltip_;
    // Both lists share one lock, until the control joins a window: then the window's.
    ControlList areas_;
    ControlList controls_{areas_.GetLock()};
    // Routing runs on the window thread; a removal elsewhere clears these.
    std::atomic<MControl*> hoverChild_{nullptr};
    std::atomic<bool> capturedByChild_{false};
    cairo_surface_t* memSurface_ = nullptr;
    std::string cacheKey_;
};

} // namespace Tolva
