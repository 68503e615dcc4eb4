#pragma once

#include "ui/controls/MEdit.h"

// The key edit of the key page. A press does not open a text box: it starts capturing, so the
// keys typed next reach the main window (which hands them to the pages) instead of a native
// entry. It sends 1 and 30 when capture starts and 29 when it ends (the control loses the focus,
// is hidden or disabled, or StopCapture is called); the page shows the captured key's name as
// the text.
class KeyCaptureEdit : public Tolva::MEdit {
public:
    KeyCaptureEdit(Tolva::MObject* parent, unsigned id, const Tolva::Rect& rect)
        : Tolva::MEdit(parent, id, rect) {}

    const char* GetObjectClass() const override { return "MEdit"; }
    void DrawControl(cairo_t* cr, const Tolva::Rect& clip) override;
    int OnControlLButtonDown(unsigned flags, Tolva::Point pt) override;
    void SetControlFocus(bool focus) override;
    void SetControlVisible(bool visible) override;
    void SetControlEnabled(bool enabled) override;

    bool IsCapturing() const { return capturing_; }
    // Ends a running capture (sends 29); nothing otherwise.
    void StopCapture();

private:
    bool capturing_ = false;
};
