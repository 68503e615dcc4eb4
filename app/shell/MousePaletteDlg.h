#pragma once

#include "ui/core/MDialog.h"

#include <array>
#include <cstdint>

namespace Tolva {
class CirclePalette;
class CColorButton;
class MEdit;
} // namespace Tolva

// The DPI colour dialog of the pointer page: a colour ring, red, green and blue boxes, a row of
// preset colours (group "DPI_COLOR") and an apply button. It opens with a level's colour and
// preset and hands back the chosen ones. Black is a colour like any other: whether the person
// applied is told apart from the colour.
class MousePaletteDlg : public Tolva::MDialog {
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 260;
    static constexpr uint32_t kStyle = 0x96000000;
    static constexpr const char* kWindowName = "Mouse PaletteDlg";
    static constexpr const char* kPresetGroup = "DPI_COLOR";
    static constexpr int kPresetCount = 8;

    static constexpr unsigned kCloseButton = 1;
    static constexpr unsigned kWheel = 2;
    static constexpr unsigned kRedEdit = 3; // green 4, blue 5
    static constexpr unsigned kApplyButton = 6;
    static constexpr unsigned kCaption = 7;
    static constexpr unsigned kPresetFirst = 11; // 11..18

    // 0x00BBGGRR; the preset index is what "dpi_color%d_value" keeps.
    static const std::array<uint32_t, kPresetCount>& Presets();

    // `colour` 0x00BBGGRR; `preset` is handed back unchanged when the chosen colour is none of
    // the presets.
    MousePaletteDlg(uint32_t colour, int preset);

    // Creates the window centred on the owner; false when it cannot be made.
    bool Open(Tolva::NativeWindow* owner);
    // Open, then the modal loop. True when the person applied a colour.
    bool DoModal(Tolva::NativeWindow* owner);

    uint32_t GetColor() const { return colour_; }
    int GetPreset() const;
    bool IsApplied() const { return applied_; }

    void InitUI(const Tolva::Rect& rect) override;
    Tolva::LRESULT OnMessage(unsigned id, int code, Tolva::WPARAM wparam,
                             Tolva::LPARAM lparam) override;

private:
    // Shows the colour everywhere but in the part it came from (0: everywhere).
    void ShowColour(uint32_t colour, unsigned from);
    void ReadEdits();

    uint32_t colour_ = 0;
    int preset_ = 0;
    bool applied_ = false;
    Tolva::CirclePalette* wheel_ = nullptr;
    std::array<Tolva::MEdit*, 3> edits_{};
    std::array<Tolva::CColorButton*, kPresetCount> presets_{};
};
