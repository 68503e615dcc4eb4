#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <atomic>

namespace Tolva {

// A combo box face that shows a colour instead of a text: the owner opens its own picker on the
// click. Notifications: 1 press, 2 click.
class TOLVA_API CColorCombo : public MControlFont {
public:
    CColorCombo(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CColorCombo"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;
    int OnControlLButtonDown(unsigned flags, Point pt) override;
    int OnControlLButtonUp(unsigned flags, Point pt) override;
    int OnControlSetCursor(unsigned flags, Point pt) override;
    void SetControlEnabled(bool enabled) override;

    // ARGB.
    void SetAreaColor(uint32_t argb);
    uint32_t GetAreaColor() const { return color_; }
    // The arrow points up while the owner's picker is open.
    void SetIsOpen(bool open);
    bool GetIsOpen() const { return open_; }
    // 0 normal, 1 hover, 2 pressed, 3 disabled.
    int GetState() const { return state_; }
    // The colour area inside the face, in window coordinates.
    Rect AreaRect() const;

private:
    void SetState(int state);

    std::atomic<uint32_t> color_{0xFFFFFFFF};
    std::atomic<bool> open_{false};
    std::atomic<int> state_{0};
    bool pressed_ = false;
};

} // namespace Tolva
