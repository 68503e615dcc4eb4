#include "app/shell/KeyCaptureEdit.h"

#include "ui/core/Manager.h"

using namespace Tolva;

void KeyCaptureEdit::DrawControl(cairo_t* cr, const Rect& clip) {
    MEdit::DrawControl(cr, clip);
    if (!capturing_) return;
    // The outline says the field is waiting for a key.
    const Rect r = GetRect();
    const uint32_t c = Manager::GetSelectColor();
    cairo_save(cr);
    cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                          (c & 0xFF) / 255.0, 1.0);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, r.left + 0.5, r.top + 0.5, r.Width() - 1.0, r.Height() - 1.0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

int KeyCaptureEdit::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    if (!capturing_ && IsEnabled()) {
        capturing_ = true;
        UpdateControl(true);
        SendMessageW(1, 0, 0);
        SendMessageW(30, 0, 0);
    }
    return 1;
}

void KeyCaptureEdit::StopCapture() {
    if (!capturing_) return;
    capturing_ = false;
    UpdateControl(true);
    SendMessageW(29, 0, 0);
}

void KeyCaptureEdit::SetControlFocus(bool focus) {
    MEdit::SetControlFocus(focus);
    if (!focus) StopCapture();
}

void KeyCaptureEdit::SetControlVisible(bool visible) {
    if (!visible) StopCapture();
    MEdit::SetControlVisible(visible);
}

void KeyCaptureEdit::SetControlEnabled(bool enabled) {
    if (!enabled) StopCapture();
    MEdit::SetControlEnabled(enabled);
}
