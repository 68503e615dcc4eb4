#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <atomic>
#include <string>

namespace Tolva {

// The state machine every button shares (push, check, radio, switch, icon, timer and the device
// buttons built on it): normal, hover, pressed and disabled states, the notifications 1 and 2, the
// hot key, and the check flag with its group. Drawing caches the four states side by side, so a
// state change only copies another part of the cache.
class TOLVA_API CButtonBase : public MControlFont {
public:
    enum State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

    CButtonBase(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlKeyDown(unsigned key, unsigned repeat, unsigned modifiers) override;
    void SetControlEnabled(bool enabled) override;
    void SetControlVisible(bool visible) override;

    int GetState() const { return state_; }
    // Shows the look of a state (0..3) without any input, for previews; the next pointer input
    // moves the button on as usual. Out-of-range states are ignored.
    void ShowState(int state);
    // Hot key (a virtual key) with its modifier number (0, 16 Shift, 18 Alt, |17 Control).
    void SetHotKey(unsigned key, unsigned modifiers = 0);
    unsigned GetHotKey() const { return hotKey_; }
    unsigned GetHotKeyModifiers() const { return hotModifiers_; }

    // Check flag (check-type buttons; others keep it for their own use). Repaints on a change.
    virtual void SetCheck(bool check);
    bool GetCheck() const { return checked_; }
    void SetGroupName(const std::string& group);
    std::string GetGroupName() const;
    // Unchecks every other button of the same class and group under the same parent.
    void ResetGroupCheck();

    // Corner size of the nine-grid face (default 8).
    void SetFrameSize(int size);
    int GetFrameSize() const { return frameSize_; }
    // Where the title goes, relative to the button's top-left corner; empty: the whole button.
    void SetTextRect(const Rect& rect);
    Rect GetTextRect() const { return textRect_; }

protected:
    // Draws the look of `state` into `box` (the cache's part for that state, local coordinates).
    virtual void DrawState(cairo_t* cr, int state, const Rect& box);
    // A release inside after a press: check-type buttons change their check here. Returns the
    // lparam of notification 2.
    virtual LPARAM OnClick() { return 0; }
    // Hot key taken: push buttons click, check-type buttons act only with the focus.
    virtual int OnHotKey();
    // Whether a press sends notification 1 (check-type buttons send only 2).
    virtual bool SendsPress() const { return true; }
    // Nonzero for check-type buttons: hot key toggles, notification 7.
    virtual bool IsCheckType() const { return false; }
    // The image frame for a state: the state itself, or 4 more when checked and the strip has 8.
    int FrameFor(int state) const;
    // The common face: image strip nine-grid over `box`, the icon strip and the title.
    void DrawFace(cairo_t* cr, int state, const Rect& box);
    // Title box for `box` (the text rectangle when one is set).
    Rect TitleBox(const Rect& box) const;
    uint32_t TitleColor(int state) const;
    void SetState(int state);

    // Icon strip drawn left of the title (centred without a title).
    int SetIconStrip(const std::string& file, int frames);
    std::shared_ptr<Image> icon_;
    int iconFrames_ = 1;

private:
    std::atomic<int> state_{Normal};
    std::atomic<bool> checked_{false};
    bool tracking_ = false; // a press went down on this button and is not yet released
    unsigned hotKey_ = 0;
    unsigned hotModifiers_ = 0;
    std::string group_;
    int frameSize_ = 8;
    Rect textRect_;
};

} // namespace Tolva
