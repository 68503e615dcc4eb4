#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

#include <string>

namespace Tolva {

// A colour swatch with the shared button behaviour that, with a group name, acts like a radio
// button: a press checks it and unchecks the other swatches of its group.
class TOLVA_API CColorButton : public CButtonBase {
public:
    // Border colours (ARGB).
    static constexpr uint32_t kBorderNormal = 0xFF595959;
    static constexpr uint32_t kBorderChecked = 0xFF3CAF36;
    static constexpr uint32_t kBorderDisabled = 0xFF808080;

    CColorButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CColorButton"; }
    int OnControlLButtonDown(unsigned flags, Point pt) override;

    // Colours are 0x00BBGGRR.
    void SetColor(uint32_t colorRef);
    uint32_t GetColor() const { return color_; }
    // Enabled buttons only; checking resets the group. GetCheck tells the result.
    void SetCheck(bool on) override;
    // Sets the flag without touching the group.
    void SetControlCheck(bool on);
    // Unchecks every other visible, enabled colour button of the same group under the parent.
    void ResetGroupCheck();
    void SetVisibleBorder(bool on);
    bool IsVisibleBorder() const { return visibleBorder_; }

protected:
    // Checked swatches look pressed in every state; the others show their hover state.
    void DrawState(cairo_t* cr, int state, const Rect& box) override;

private:
    uint32_t color_ = 0xFFFFFF;
    bool visibleBorder_ = false;
};

} // namespace Tolva
