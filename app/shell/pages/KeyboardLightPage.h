#pragma once

#include "app/shell/pages/ShellPage.h"
#include "app/store/LightRow.h"
#include "ui/platform/Geometry.h"

#include <array>
#include <cstdint>
#include <vector>

namespace Tolva {
class CColorButton;
class CRadioButton;
class DListBox;
class KeyboardCtrl;
class MButton;
class MControl;
class MSlider;
class MText;
} // namespace Tolva

// The keyboard family's lighting page (layout 52): the light modes of the layout file, the
// active mode's brightness, speed, direction and colour, a preview on the keyboard picture
// (the shipped animation of the mode, its colour, or the per-key colours), and the per-key
// colours of the custom mode, painted by clicking keys or dragging a frame over them. A change
// is stored at once and sent: the mode's settings by task 7, the per-key table by task 8.
class KeyboardLightPage : public ShellPage {
public:
    static constexpr unsigned kLayoutId = 52;
    static constexpr unsigned kModeList = 70;
    static constexpr unsigned kPreview = 71;
    static constexpr unsigned kModeTitle = 72;
    static constexpr unsigned kBrightnessLabel = 73;
    static constexpr unsigned kBrightnessSlider = 74;
    static constexpr unsigned kSpeedLabel = 75;
    static constexpr unsigned kSpeedSlider = 76;
    static constexpr unsigned kDirectionLabel = 77;
    static constexpr unsigned kDirectionLeft = 78;
    static constexpr unsigned kDirectionRight = 79;
    static constexpr unsigned kColourLabel = 80;
    static constexpr unsigned kKeyHint = 82;
    static constexpr unsigned kSelectAll = 83;
    static constexpr unsigned kClearKeys = 85;
    static constexpr unsigned kFirstSwatch = 180; // 180 to 187: the colour list
    static constexpr int kSwatchCount = 8;

    // Light mode attribute bits of the layout file.
    static constexpr int kBrightnessBit = 0x01;
    static constexpr int kSpeedBit = 0x02;
    static constexpr int kDirectionBit = 0x04;
    static constexpr int kColourListBit = 0x100;
    static constexpr int kMusicBit = 0x200;
    static constexpr int kPerKeyBit = 0x800;
    static constexpr int kMaxBrightness = 4;
    static constexpr int kMaxSpeed = 4;
    // The per-key table's light id in the store.
    static constexpr int kPerKeyLightId = 128;
    // Preview modes of the keyboard picture.
    static constexpr int kAnimationPreview = 102;
    static constexpr int kColourPreview = 103;
    static constexpr int kMusicPreview = 104;

    // The colour list, 0x00BBGGRR; the index is what the device is told.
    static const std::array<uint32_t, kSwatchCount>& Colours();

    explicit KeyboardLightPage(PageHost& host);
    ~KeyboardLightPage() override;

    int PageId() const override { return 3; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;

    // The operations behind the controls; false when nothing changed.
    bool SelectMode(int mode);
    int CurrentMode() const { return row_.mode; }
    const LightRow& CurrentRow() const { return row_; }
    bool SetBrightness(int value);
    bool SetSpeed(int value);
    bool SetDirection(int direction);
    bool SelectColour(int index);
    // Custom mode: a key's colour (0 puts it out); every key; the stored table is resent.
    bool SetKeyColour(int keyValue, uint32_t colour);
    bool SetAllKeyColours(uint32_t colour);
    // The stored per-key colour of a key (0 when it has none).
    uint32_t StoredKeyColour(int keyValue) const;

    Tolva::KeyboardCtrl* Preview() const { return preview_; }
    Tolva::DListBox* Modes() const { return modes_; }

private:
    bool IsKeyboardShown() const;
    void FillModes();
    void ShowRow();
    void ShowPreview();
    void LoadPerKeyColours();
    bool StoreRow();
    bool StorePerKeyTable();
    void OnPreviewRelease(int code, int keyValue);

    LightRow row_;
    Tolva::KeyboardCtrl* preview_ = nullptr;
    Tolva::DListBox* modes_ = nullptr;
    Tolva::MSlider* brightness_ = nullptr;
    Tolva::MSlider* speed_ = nullptr;
    Tolva::CRadioButton* left_ = nullptr;
    Tolva::CRadioButton* right_ = nullptr;
    Tolva::MText* keyHint_ = nullptr;
    Tolva::MButton* selectAll_ = nullptr;
    Tolva::MButton* clear_ = nullptr;
    std::array<Tolva::CColorButton*, kSwatchCount> swatches_{};
    std::vector<std::pair<Tolva::MControl*, int>> captions_; // control, text number
    std::vector<Tolva::MControl*> brightnessGroup_, speedGroup_, directionGroup_, colourGroup_,
        perKeyGroup_;
    // The settings rows in their order, each with its controls' rectangles as built; the shown
    // ones are stacked without the gaps of hidden ones.
    struct SettingsRow {
        std::vector<std::pair<Tolva::MControl*, Tolva::Rect>> controls;
        int top = 0;   // as built
        int pitch = 0; // to the next row as built
    };
    std::vector<SettingsRow> rows_;
    void StackRows(const std::vector<bool>& shown);
};
