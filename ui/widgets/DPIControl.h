#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"
#include "ui/platform/NativeEdit.h"

#include <atomic>
#include <mutex>
#include <string>

namespace Tolva {

class CCheckButton;
class CColorButton;

// One DPI level of the strip: a caption, the level's value on its background, an enabled box
// (child 30) and a colour swatch (child 31). One level of a group is the active one (check
// state 1); making a level active clears the others of the same group.
class TOLVA_API DPIControl : public MPanel, public EditListener {
public:
    static constexpr unsigned kEnableBoxId = 30;
    static constexpr unsigned kSwatchId = 31;

    DPIControl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
               bool visible = true, bool enabled = true);
    ~DPIControl() override;

    const char* GetClassNameW() const override { return "DPIControl"; }
    const char* GetObjectClass() const override { return "DPIControl"; }
    void InitControl(PaintManager* manager) override;
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;
    void OnEditChanged(NativeEdit& edit) override;
    void OnEditFocusLost(NativeEdit& edit) override;

    // Ignored when equal; also shown in the attached edit window while it is visible.
    void SetDPIValue(int value);
    // The attached edit window's number while it is visible (and kept), else the stored value.
    int GetDPIValue();
    // 0x00BBGGRR; the swatch shows it.
    void SetColor(uint32_t colorRef);
    uint32_t GetColor() const;
    // 1 makes this the active level of its group (the others go to 0); 0 and 1 only.
    void SetCheckState(int state);
    int GetCheckState() const { return checkState_; }
    // The enabled box. On a disabled box nothing changes; returns the box's value.
    int SetCheck(bool on);
    int GetCheck() const;
    // Every other level of the same group under the same parent goes to check state 0.
    void ResetGroupCheck();
    void SetGroupName(const std::string& name);
    std::string GetGroupName() const;
    // The value as "%d".
    std::string GetTitleEx() const;
    // Where the value is drawn, in window coordinates.
    Rect GetTextRect() const;
    // The level area (press target), in window coordinates.
    Rect GetLevelRect() const;
    // An edit window laid over the value (owned by the caller; null detaches). It reports text
    // changes (26) and focus loss (29) through this level.
    void SetEditWindow(NativeEdit* edit);
    CCheckButton* GetEnableBox() const { return box_; }
    CColorButton* GetSwatch() const { return swatch_; }

private:
    void PlaceChildren(const Rect& r);
    // Sets the state without touching the group (used by the group walk).
    void StoreCheckState(int state);

    mutable std::mutex valueLock_;
    std::string group_ = "DPIControl";
    NativeEdit* edit_ = nullptr;
    CCheckButton* box_ = nullptr;
    CColorButton* swatch_ = nullptr;
    std::atomic<int> value_{500};
    std::atomic<uint32_t> color_{0x0000FF};
    std::atomic<int> checkState_{0};
    bool pressed_ = false;
};

} // namespace Tolva
