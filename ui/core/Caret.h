#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"

#include <cairo.h>

#include <cstdint>

namespace Tolva {

class MObject;
class NativeWindow;

// The one text caret of a window: a rectangle that blinks on the window timer 6553 while shown.
// Window thread only.
class TOLVA_API Caret {
public:
    static constexpr uint32_t kTimerId = 6553;

    // The window the caret blinks in (null unbinds it).
    void Bind(NativeWindow* window) { window_ = window; }
    // A new caret replaces the old one and starts hidden.
    void Create(MObject* owner, int width, int height);
    // Showing needs an owner; false when refused.
    bool Show(bool show);
    void SetPos(Point pt);
    // The blink: called by the caret's timer.
    void Toggle();
    // Drawn inverted, so that it shows on any background.
    void Draw(cairo_t* cr) const;
    // Hides it and forgets its owner.
    void Release();

    MObject* GetOwner() const { return owner_; }
    Rect GetRect() const { return rect_; }
    bool IsShown() const { return shown_; }
    bool IsLit() const { return on_; }

private:
    void Repaint(const Rect& r) const;
    void RestartBlink() const;

    NativeWindow* window_ = nullptr;
    MObject* owner_ = nullptr;
    Rect rect_;
    bool shown_ = false;
    bool on_ = false;
};

} // namespace Tolva
