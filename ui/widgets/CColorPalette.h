#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"

#include <array>

namespace Tolva {

class CColorButton;
class MPalette;
class MSpinButton;
class MEdit;

// A full colour picker: eight preset swatches, a hue/brightness field, a preview swatch, red,
// green and blue value boxes and the colour as text. A colour picked in any part updates the
// others and is reported with notification 27 (0, colour).
class TOLVA_API CColorPalette : public MPanel {
public:
    static constexpr unsigned kFirstSwatchId = 631;
    static constexpr int kSwatchCount = 8;
    static constexpr unsigned kPaletteId = 620;
    static constexpr unsigned kPreviewId = 622;
    static constexpr unsigned kRedId = 654, kGreenId = 655, kBlueId = 656;
    static constexpr unsigned kTextId = 657;
    static constexpr int kPaletteWidth = 233;
    static constexpr int kPaletteHeight = 150;
    static constexpr const char* kGroup = "clr_palette_group";

    CColorPalette(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                  bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CColorPalette"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    void SetControlRect(const Rect& rect) override;
    void SetTextColor(uint32_t argb) override;
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;

    // 0x00BBGGRR; every part shows it; nothing is sent.
    void SetSelectColor(uint32_t colorRef);
    uint32_t GetSelectColor() const { return color_; }
    // The thumb of the colour field; 0 when it cannot be loaded.
    int SetThumbImage(const std::string& file);
    // Repaints the picker with all its parts.
    void UpdateControlEx(bool erase = true);

    // The parts (null when one could not be made). Swatch indices run 0..7.
    CColorButton* GetSwatch(int index) const;
    MPalette* GetPalette() const { return palette_; }
    CColorButton* GetPreview() const { return preview_; }
    MSpinButton* GetSpin(int channel) const;
    MEdit* GetTextEdit() const { return text_; }

    // The colour as the text box shows it ("RRGGBB") and back; false when the text is not six
    // hexadecimal digits (an optional leading '#' is allowed).
    static std::string ColorText(uint32_t colorRef);
    static bool ParseColorText(const std::string& text, uint32_t& colorRef);

private:
    void Layout();
    // Shows `colorRef` in every part except `source`.
    void Show(uint32_t colorRef, const MControl* source);
    void Pick(uint32_t colorRef, const MControl* source);

    std::array<CColorButton*, kSwatchCount> swatches_{};
    MPalette* palette_ = nullptr;
    CColorButton* preview_ = nullptr;
    std::array<MSpinButton*, 3> spins_{};
    MEdit* text_ = nullptr;
    uint32_t color_ = 0x0000FF;
    bool showing_ = false;
};

} // namespace Tolva
