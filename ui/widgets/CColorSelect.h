#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MPanel.h"

#include <array>

namespace Tolva {

class CColorButton;

// A column of seven preset colour swatches (ids 631..637) in one group; pressing one reports
// its index and colour.
class TOLVA_API CColorSelect : public MPanel {
public:
    static constexpr unsigned kFirstId = 631;
    static constexpr int kCount = 7;
    static constexpr int kSwatch = 20;
    static constexpr int kPitch = 25;
    static constexpr const char* kGroup = "clr_palette_group";

    CColorSelect(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CColorSelect"; }
    void SetControlRect(const Rect& rect) override;
    LRESULT OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;

    // 0x00BBGGRR.
    void SetSelectColor(uint32_t colorRef) { color_ = colorRef & 0xFFFFFF; }
    uint32_t GetSelectColor() const { return color_; }
    // Checks swatch `index` (0..6) and unchecks the others; -1 unchecks all. False for any
    // other index.
    bool SetColorIndex(int index);
    // The checked swatch, -1 when none is checked.
    int GetColorIndex() const;
    // Null for an index out of range (or a swatch that could not be made).
    CColorButton* GetSwatch(int index) const;

private:
    void Layout();

    std::array<CColorButton*, kCount> swatches_{};
    uint32_t color_ = 0x0000FF;
};

} // namespace Tolva
