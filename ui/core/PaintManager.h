#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/CIDropTarget.h"
#include "ui/core/Caret.h"
#include "ui/core/ControlList.h"
#include "ui/core/ControlTimers.h"
#include "ui/core/DragTracker.h"
#include "ui/core/MObject.h"
#include "ui/core/QZTimer.h"
#include "ui/paint/ImageCache.h"
#include "ui/paint/MShadow.h"
#include "ui/paint/MessageBanner.h"
#include "ui/platform/Platform.h"

#include <cairo.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Tolva {

class MAirBladder;
class MControl;
class MWindow;

// Background modes: the image once at its natural size, or nine-grid over the client area.
enum enumBackMode { BackModeNormal = 0, BackModeMID = 1 };

// The per-window engine: the window's control lists, input routing, focus, window timers, the
// animation timer, painting and the window's looks.
//
// Calls from other threads: repaint requests, control timers, tool tips, the caret and cursor
// changes made off the window thread are posted to it and run there, never on the caller's
// thread.
class TOLVA_API PaintManager : public QZTimer, public CIDropTarget {
public:
    PaintManager();
    ~PaintManager() override;

    // Binds the manager to its window: skin folder, private fonts, drop target.
    void Init(MWindow* window, NativeWindow* hwnd, MObject* host);
    NativeWindow* GetHwnd() const { return hwnd_; }
    MWindow* GetWindow() const { return window_; }
    MObject* GetHost() const { return host_; }

    // Creation by class name (kind 0 = area, 1 = control) with the dialog's accepted names.
    // Null for an unknown or empty name.
    MControl* CreateControl(int kind, MObject* parent, const std::string& className, unsigned id,
                            const Rect& rect, const std::string& title, bool visible, bool enabled);
    // Adds a control made elsewhere (kind 0 = area, 1 = control); returns it.
    MControl* AddControl(std::unique_ptr<MControl> control, int kind);
    // Removes and deletes a top-level control or area; false when it is not one.
    bool RemoveControl(MControl* control);
    void ClearAllControls();
    void ClearAreaControls();
    void ClearControls();
    std::vector<MControl*> GetControls() const { return controls_.Snapshot(); }
    std::vector<MControl*> GetAreas() const { return areas_.Snapshot(); }
    // The one lock of every control list in this window's tree.
    const ControlList::Lock& GetTreeLock() const { return areas_.GetLock(); }
    // Depth-first: controls, then areas. Null when no control has the id.
    MControl* GetControl(unsigned id) const;
    // Drops every pointer to a control (or its descendants) that is about to be deleted.
    void ForgetControl(MControl* control);
    // Takes a removed control for deletion at the next safe point: the end of the current
    // message, when no list walk of the window thread is under way and no animation tick uses it.
    void Bury(std::unique_ptr<MControl> control);
    // Deletes the buried controls now (window thread, outside any list walk).
    void ReleaseGraveyard();

    // Posted to the window to run work handed over from other threads.
    static constexpr uint32_t kDeferredUpdateMessage = 0x7F31;
    // True on the thread the window was bound on (or before binding).
    bool IsWindowThread() const;
    // Runs `work` now on the window thread, else hands it to the window thread.
    void RunOnWindowThread(std::function<void()> work);
    // Whether the control is still in this manager's tree.
    bool IsLiveControl(const MControl* control) const;

    // The window procedure's share: returns nonzero when the message was handled.
    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam);
    // Tab navigation; true when the message was swallowed.
    bool PreTranslateMessage(const Message& msg);

    // Focus.
    void SetFocusControl(MControl* control);
    MControl* GetFocusControl() const { return focus_; }
    MControl* GetHoverControl() const { return hover_; }
    // The innermost control under the pointer: the hover control's hover chain.
    MControl* GetDeepHoverControl() const;
    // Moves focus to the next (or previous) focusable control; true when the focus changed.
    bool MoveFocus(bool forward);
    void EnableWndDrag(bool on) { windowDrag_ = on; }
    bool IsWndDragEnabled() const { return windowDrag_; }
    bool IsPressed() const { return pressed_; }

    // Window timers of controls (the table is ControlTimers). SetTimer returns 1 when started or
    // restarted, 0 when the same control and key already runs or the native timer cannot start;
    // off the window thread the call is handed over and returns 1. The control's
    // OnControlTimerKey receives the key.
    int SetTimer(MControl* control, uint32_t key, uint32_t elapseMs);
    int KillTimer(MControl* control, uint32_t key);
    int KillTimer(MControl* control);
    void ClearTimers();
    // Native id of a control timer, 0 when none is recorded.
    uint32_t GetNativeTimerId(MControl* control, uint32_t key) const;
    bool IsControlTimerLive(MControl* control, uint32_t key) const;
    ControlTimers& Timers() { return timers_; }

    // Animation timer: controls added here get OnTimer on the timer thread.
    uint32_t SetMTimer(uint32_t periodMs);
    int KillMTimer(uint32_t id);
    uint32_t GetMTimerId() const { return animationTimer_; }
    void AddMTimer(MControl* control);
    void RemoveMTimer(MControl* control);
    // False when no animated control had anything to do: the timer then sleeps until
    // WakeAnimation, so an idle window costs no wake-ups.
    bool OnMTimer(uint32_t id) override;
    using QZTimer::OnMTimer;
    // Called by whatever may start an animation (a repaint request, a control shown or given
    // the run-timer flag); cheap when the timer is awake. Any thread.
    void WakeAnimation();

    // Painting.
    void Invalidate();
    void InvalidateRect(const Rect& rect, bool erase);
    int OnControlUpdate(const Rect& rect, bool erase, MControl* control);
    // Runs pending paints now (window thread).
    void UpdateNow();
    // Draws the update area into the window surface and presents it; 0 when nothing was drawn.
    LRESULT OnPaint();
    // Renders `update` into the window surface without presenting (used by OnPaint).
    void Render(const Rect& update);
    cairo_surface_t* GetSurface() const { return surface_; }
    // Pause after each paint that bounds the repaint rate (15 ms by default).
    void SetPaintPause(int ms) { paintPauseMs_ = ms; }

    // Looks.
    ImageCache& Images() { return images_; }
    const ImgResInfo* AddImgResInfo(const std::string& file, int frames);
    void ClearImgResInfo() { images_.Clear(); }
    bool LoadBKImage(const std::string& file);
    void SetBackMode(int mode, int value);
    int GetBackMode() const { return backMode_; }
    void SetBackColor(uint32_t inner, uint32_t border);
    void SetLayeredWindow(bool on);
    // Pixels of this opaque 0x00BBGGRR colour become transparent (0xFFFFFF: none).
    void SetColorKey(uint32_t colorRef) { colorKey_ = colorRef; }
    uint32_t GetColorKey() const { return colorKey_; }
    bool IsLayered() const { return layered_; }
    void SetDefaultEnabledColor(uint32_t colorRef) { disabledColor_ = colorRef; }
    uint32_t GetDefaultEnabledColor() const { return disabledColor_; }
    void SetScrollResID(int vertical, int horizontal);
    int GetScrollResIDV() const { return scrollV_; }
    int GetScrollResIDH() const { return scrollH_; }
    std::string GetDefaultFontName() const { return defaultFont_; }
    // Private fonts: returns the family name ("" when the file cannot be added).
    std::string AddTempFont(const std::string& family, const std::string& file);
    // The same for a font built into the library: "res_<id>.ttf" in the skin folder.
    std::string AddTempFont(const std::string& family, int resourceId);
    // Adds such a font to the whole process; false when it is missing or unreadable.
    bool AddGDITempFont(int resourceId);
    // The family text is drawn with ("" when it does not exist; such text is not drawn).
    std::string FindTempFont(const std::string& name);
    void ClearTempFont();

    void SetWindowMaxSize(int cx, int cy);
    void SetWindowMixSize(int cx, int cy);

    // Message banner.
    void SetMessage(const std::string& text, const Rect& rect, int level);
    void SetProgress(int percent, const std::string& text, const Rect& rect);
    MessageBanner& Banner() { return banner_; }

    // Tool tip.
    void SetTooltip(const std::string& text, const Rect& rect, unsigned controlId);
    void ClearTooltip();
    unsigned GetTooltipCtrlID() const { return tooltipId_; }
    void SetTooltipCtrlID(unsigned id) { tooltipId_ = id; }
    void SetCursor(const char* name);

    // Balloon tip.
    void SetAirBladderMsg(const std::string& text, Point pt, int type, int mode);
    int ShowAirBladder(bool show, void* owner);
    MAirBladder* GetAirBladder() const { return balloon_.get(); }

    // Drop shadow.
    MShadow* CreateShadow(int size, bool show);
    MShadow* GetShadow() const { return shadow_.get(); }

    // Caret (timer 6553 toggles it).
    void CreateCaret(MObject* owner, int width, int height);
    void ShowCaret(bool show);
    void SetCaretPos(Point pt);
    void DrawCaret(cairo_t* cr);
    MObject* GetCurrentCaretObject() const { return caret_.GetOwner(); }
    const Caret& GetCaret() const { return caret_; }

    // The keyboard modifier number: 18 Alt, else 16 Shift, else 0; 17 OR-ed in for Control.
    static unsigned ModifierNumber();
    // Releases everything bound to the window (final destroy).
    void DestroyData();

    // Drag and drop between controls of the program's windows (this window is the target).
    bool IsDragging() const { return drag_.IsDragging(); }
    const DragTracker& GetDrag() const { return drag_; }
    int DragEnter(CIDataObject& data, Point pt) override;
    int DragOver(CIDataObject& data, Point pt) override;
    void DragLeave() override;
    int Drop(CIDataObject& data, Point pt) override;

private:
    LRESULT RouteWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam);
    void OnMouseMove(WPARAM flags, Point pt);
    void HoverAt(WPARAM flags, Point pt);
    void OnLButtonDown(WPARAM flags, Point pt);
    void OnLButtonUp(WPARAM flags, Point pt);
    void OnButton(uint32_t msg, WPARAM flags, Point pt);
    void OnMouseLeave();
    void OnMouseWheel(WPARAM wparam, LPARAM lparam);
    bool OnKeyDown(unsigned key);
    bool OnKeyUp(unsigned key);
    void OnTimer(uint32_t id);
    void DrawBackground(cairo_t* cr, const Rect& client);
    void ApplyColorKey(const Rect& area);
    void EndDrag(Point pt, bool drop);
    bool OnChar(WPARAM ch, LPARAM lparam);
    MControl* ControlAt(Point pt) const;
    // Every control and area in drawing order, depth-first.
    void WalkDrawOrder(const std::function<bool(MControl*)>& fn) const;

    MWindow* window_ = nullptr;
    NativeWindow* hwnd_ = nullptr;
    MObject* host_ = nullptr;
    ControlList areas_;
    ControlList controls_{areas_.GetLock()};
    // Read by other threads (IsFocusControl); changed on the window thread under stateLock_.
    std::atomic<MControl*> hover_{nullptr};
    std::atomic<MControl*> focus_{nullptr};
    mutable std::recursive_mutex stateLock_;
    bool pressed_ = false;
    bool tracking_ = false;
    bool captured_ = false;
    bool windowDrag_ = true;
    DragTracker drag_;
    MControl* dropTarget_ = nullptr;

    std::unique_ptr<ToolTipWindow> tooltip_;
    std::atomic<unsigned> tooltipId_{0};

    ControlTimers timers_;

    // The tick holds animationLock_ for its whole walk; additions wait in a list of their own so
    // that a window-thread handler inside a list walk never waits for a tick.
    std::mutex animationLock_;
    std::vector<MControl*> animation_;
    std::mutex pendingLock_;
    std::vector<MControl*> pendingAnimation_;
    std::atomic<uint32_t> animationTimer_{0};
    // Set by each tick before it walks the animated controls; a waker that finds it set wakes
    // the timer, so a change made during the walk is never missed.
    std::atomic<bool> animationIdle_{false};

    // Removed controls wait here until the next safe point.
    std::mutex graveyardLock_;
    std::vector<std::unique_ptr<MControl>> graveyard_;
    int dispatchDepth_ = 0;

    // Work from other threads is handed over with a posted message.
    std::atomic<std::thread::id> windowThread_{};
    std::mutex deferredLock_;
    std::vector<std::function<void()>> deferred_;
    int UpdateNowOnWindowThread(const Rect& rect, bool erase, MControl* control);

    ImageCache images_;
    std::shared_ptr<Image> backImage_;
    int backMode_ = BackModeMID;
    int backValue_ = 4;
    uint32_t innerColor_ = 0x050505;
    uint32_t borderColor_ = 0x575757;
    std::atomic<bool> layered_{false};
    uint32_t colorKey_ = 0xFFFFFF;
    uint32_t disabledColor_ = 0x808080;
    std::string defaultFont_ = "Open Sans Semibold";
    int scrollV_ = 102;
    int scrollH_ = 101;
    Size maxSize_;
    Size minSize_;

    cairo_surface_t* surface_ = nullptr;
    int paintPauseMs_ = 15;
    MessageBanner banner_;

    std::unique_ptr<MAirBladder> balloon_;
    void* balloonOwner_ = nullptr;
    std::unique_ptr<MShadow> shadow_;

    Caret caret_;
};

} // namespace Tolva
