#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MObject.h"
#include "ui/core/MWindow.h"
#include "ui/core/PaintManager.h"

#include <string>

namespace Tolva {

class MControl;

// A top-level window hosting windowless controls through its paint manager. Control
// notifications arrive in OnMessage; the close protocol posts the user close message with the
// dialog's result, which ShowModal returns.
class TOLVA_API MDialog : public MWindow, public MObject {
public:
    MDialog();
    ~MDialog() override;

    const char* GetClassNameW() const override { return "MDialog"; }
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;
    int OnControlUpdate(const Rect& rect, bool erase, MControl* control) override;

    // Null for an unknown or empty class name.
    MControl* CreateControl(const std::string& className, unsigned id, const Rect& rect,
                            const std::string& title = {}, bool visible = true,
                            bool enabled = true);
    MControl* CreateArea(const std::string& className, unsigned id, const Rect& rect,
                         const std::string& title = {}, bool visible = true, bool enabled = true);
    MControl* GetControl(unsigned id) const { return manager_.GetControl(id); }
    std::vector<MControl*> GetControls() const { return manager_.GetControls(); }
    void SetFocusControl(MControl* control) { manager_.SetFocusControl(control); }
    uint32_t SetMTimer(uint32_t periodMs) { return manager_.SetMTimer(periodMs); }
    int KillMTimer(uint32_t id) { return manager_.KillMTimer(id); }
    PaintManager& GetPaintManager() { return manager_; }

    // Close protocol: post the user close message with 1, 2, 2, 6 or 7 (nothing without a window).
    void DoOK() { PostClose(1); }
    void DoCancel() { PostClose(2); }
    void DoClose() { PostClose(2); }
    void DoYes() { PostClose(6); }
    void DoNo() { PostClose(7); }

    void EnableWndDrag(bool on) { manager_.EnableWndDrag(on); }
    void SetLayeredWindow(bool on) { manager_.SetLayeredWindow(on); }
    void SetBackMode(int mode, int value) { manager_.SetBackMode(mode, value); }
    bool LoadBKImage(const std::string& file) { return manager_.LoadBKImage(file); }
    void SetBackColor(uint32_t inner, uint32_t border) { manager_.SetBackColor(inner, border); }
    // Constant alpha (255 = opaque) and colour key (0xFFFFFF = none) of the window.
    void SetTranslucent(int alpha, uint32_t colorKey);
    void SetupBackTranslucent();
    void SetMessage(const std::string& text, const Rect& rect, int level) {
        manager_.SetMessage(text, rect, level);
    }
    void SetProgress(int percent, const std::string& text, const Rect& rect) {
        manager_.SetProgress(percent, text, rect);
    }
    MShadow* CreateShadow(int size, bool show) { return manager_.CreateShadow(size, show); }
    void SetTooltip(const std::string& text, const Rect& rect) {
        manager_.SetTooltip(text, rect, manager_.GetTooltipCtrlID());
    }
    void ClearTooltip() { manager_.ClearTooltip(); }
    void SetTooltipCtrlID(unsigned id) { manager_.SetTooltipCtrlID(id); }
    unsigned GetTooltipCtrlID() const { return manager_.GetTooltipCtrlID(); }
    void SetAirBladderMsg(const std::string& text, Point pt, int type) {
        manager_.SetAirBladderMsg(text, pt, type, 0);
    }
    void SetScrollResID(int vertical, int horizontal) {
        manager_.SetScrollResID(vertical, horizontal);
    }

    // Window-side virtual operations (hooks for the application).
    const char* GetWindowClassName() const override { return "MDialog"; }
    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override;
    bool PreTranslateMessage(Message* msg) override;
    void OnInitDialog() override;
    void OnDestroyMessage(NativeWindow* hwnd) override;
    virtual Point GetAirBladderPoint(MControl* control, int type);
    virtual void OnMinimize();
    virtual void OnMaximize() {}
    virtual void InitUI(const Rect& rect) {}
    virtual void UISize(const Rect& rect) {}
    virtual LRESULT OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) { return 0; }
    virtual LRESULT OnUserCloseWindow(WPARAM wparam, LPARAM lparam);
    virtual LRESULT OnCreate(LPARAM createStruct) { return 0; }
    virtual LRESULT OnSize(WPARAM type, int cx, int cy);
    virtual LRESULT OnMouseMove(WPARAM flags, Point pt) { return 0; }
    virtual LRESULT OnMouseLeave() { return 0; }
    virtual LRESULT OnMouseHover(WPARAM flags, Point pt) { return 0; }
    virtual LRESULT OnMouseWheel(WPARAM wparam, LPARAM lparam) { return 0; }
    virtual LRESULT OnLButtonDown(WPARAM flags, Point pt) { return 0; }
    virtual LRESULT OnLButtonUp(WPARAM flags, Point pt) { return 0; }
    virtual LRESULT OnLButtonDblClk(WPARAM flags, Point pt) { return 0; }
    virtual LRESULT OnRButtonDown(WPARAM flags, Point pt) { return 0; }
    virtual LRESULT OnRButtonUp(WPARAM flags, Point pt) { return 0; }
    virtual LRESULT OnRButtonDblClk(WPARAM flags, Point pt) { return 0; }
    virtual LRESULT OnKeyDown(WPARAM key, LPARAM lparam) { return 0; }
    virtual LRESULT OnNcHitTest(Point pt) { return 0; }
    virtual LRESULT OnGetMinMaxInfo(LPARAM info) { return 0; }
    virtual LRESULT OnNcCalcSize(WPARAM wparam, LPARAM lparam) { return 0; }
    virtual LRESULT OnNcActivate(bool active) { return 0; }
    virtual LRESULT OnWindowPosChanging(LPARAM pos) { return 0; }
    virtual LRESULT OnWindowPosChanged(LPARAM pos) { return 0; }
    virtual LRESULT OnPaint() { return 0; }
    virtual LRESULT OnTimer(uint32_t id) { return 0; }
    virtual LRESULT OnNcPaint() { return 0; }
    // 1 lets the window close; 0 keeps it open (a modal loop goes on).
    virtual LRESULT OnClose() { return 1; }
    virtual LRESULT OnDestroy() { return 0; }
    virtual void PostNcDestroy() {}

protected:
    PaintManager manager_;

private:
    void PostClose(WPARAM code);

    int alpha_ = 255;
    uint32_t colorKey_ = 0xFFFFFF;
};

} // namespace Tolva
