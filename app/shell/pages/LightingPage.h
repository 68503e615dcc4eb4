#pragma once

#include "app/shell/pages/ShellPage.h"
#include "app/store/LightRow.h"
#include "app/store/MusicLayerRow.h"
#include "ui/platform/Geometry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class Visualizer;

namespace Tolva {
class CCheckButton;
class CColorButton;
class CirclePalette;
class CRadioButton;
class DListBox;
class MControl;
class MControlFont;
class MEdit;
class MouseLight;
class MPalette;
class MSlider;
class MText;
} // namespace Tolva

// Page 9 of the mouse family (layout 503): the lighting effect of the current profile with its
// brightness, speed, direction and colours as the layout file's light modes offer them, stored
// per profile and sent by worker task 15; and the live effects: the selected mode's attribute
// bits become the worker's lighting flags, and the page owns the music visualizer whose picture
// the worker samples.
class LightingPage : public ShellPage {
public:
    static constexpr int kPageId = 9;
    static constexpr unsigned kLayoutId = 503;

    // Attribute bits of a light mode.
    static constexpr int kBrightnessBit = 0x01;
    static constexpr int kSpeedBit = 0x02;
    static constexpr int kDirectionBit = 0x04;
    static constexpr int kColourBit = 0x20;
    static constexpr int kOptionBit = 0x40;
    static constexpr int kAreasBit = 0x80;
    static constexpr int kMusicBit = 0x200;
    static constexpr int kScreenBit = 0x400;

    // Control ids (555..602 belong to this page).
    static constexpr unsigned kModeTitle = 555;
    static constexpr unsigned kModeList = 556;
    static constexpr unsigned kMousePicture = 557;
    static constexpr unsigned kBrightnessLabel = 560;
    static constexpr unsigned kBrightnessSlider = 561;
    static constexpr unsigned kBrightnessValue = 562;
    static constexpr unsigned kSpeedLabel = 563;
    static constexpr unsigned kSpeedSlider = 564;
    static constexpr unsigned kSpeedValue = 565;
    static constexpr unsigned kDirectionLabel = 566;
    static constexpr unsigned kDirectionLeft = 567;
    static constexpr unsigned kDirectionRight = 568;
    static constexpr unsigned kColourLabel = 570;
    static constexpr unsigned kColourWheel = 571;
    static constexpr unsigned kRedEdit = 572;  // 572..574 red, green, blue
    static constexpr unsigned kRedLabel = 575; // 575..577
    static constexpr unsigned kOptionBox = 578;
    static constexpr unsigned kAreaLabel = 580;
    static constexpr unsigned kAreaFirst = 586; // 586..591
    static constexpr unsigned kAreaPalette = 592;
    static constexpr unsigned kScreenNote = 593; // the screen effect cannot read the screen
    static constexpr unsigned kApply = 599;
    static constexpr int kAreaCount = 6;
    static constexpr int kZoneCount = 7;
    // The program's own record of each profile's chosen mode ("light_mode"): the store's active
    // flag is one for all profiles, so choosing a mode in one profile clears the others'.
    static constexpr const char* kModeKey = "light_mode";

    explicit LightingPage(PageHost& host);
    ~LightingPage() override;

    int PageId() const override { return kPageId; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    bool OnWindowMessage(uint32_t msg, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;
    void OnActivate() override;

    // The selected mode's number and attribute bits (0 when none).
    int SelectedMode() const { return mode_; }
    int Attributes() const { return attributes_; }
    // The music visualizer once started (kStartVisualizer), else null.
    Visualizer* GetVisualizer() const { return visualizer_.get(); }
    // The configuration key of an area colour (0..5).
    static std::string AreaKey(int area);
    // The picture's zones take a live frame's colours while a live mode is shown.
    void ShowLiveColours(const std::array<uint32_t, kZoneCount>& colours);

private:
    void BuildControls(Tolva::MControl& layout);
    Tolva::MText* AddLabel(Tolva::MControl& layout, unsigned id, const Tolva::Rect& rect, int size,
                           uint32_t argb);
    void FillModes();
    int ChooseModeForProfile() const;
    // Shows the mode; with `store` it becomes the profile's mode and task 15 follows.
    void SelectMode(int mode, bool store);
    void ShowGroups();
    void ShowRow(const LightRow& row);
    void ShowPicture();
    void ShowColour(uint32_t colour, bool edits);
    void HandFlagsToWorker();
    void LoadMusicLayer();
    void StartVisualizer();
    void ApplyMusicSettings();

    void OnSlider(bool brightness, int position);
    void OnDirection(int direction);
    void OnOption();
    void OnWheel(uint32_t colour);
    void OnColourEdits();
    void OnArea(int area);
    void OnAreaPalette();

    // Reads the (profile, mode) row, lets `change` alter it, writes it back; then task 15.
    template <typename Change> void ChangeRow(Change change);
    // Task 15 with the waiting dialog, only while the worker has nothing queued: a send that
    // is still queued sends whatever is stored when it runs.
    void QueueSend();
    int ReadInt(const std::string& key, int fallback);

    std::unique_ptr<Visualizer> visualizer_;
    MusicLayerRow music_;
    int mode_ = 0;
    int attributes_ = 0;
    int area_ = 0;
    bool reloading_ = false;
    bool screenReadable_ = true;
    uint32_t colour_ = 0;
    std::array<uint32_t, kAreaCount> areas_{};

    Tolva::DListBox* modes_ = nullptr;
    Tolva::MouseLight* picture_ = nullptr;
    Tolva::MSlider* brightness_ = nullptr;
    Tolva::MSlider* speed_ = nullptr;
    Tolva::MText* brightnessValue_ = nullptr;
    Tolva::MText* speedValue_ = nullptr;
    Tolva::CRadioButton* left_ = nullptr;
    Tolva::CRadioButton* right_ = nullptr;
    Tolva::CirclePalette* wheel_ = nullptr;
    std::array<Tolva::MEdit*, 3> edits_{};
    Tolva::CCheckButton* option_ = nullptr;
    std::array<Tolva::CColorButton*, kAreaCount> areaButtons_{};
    Tolva::MPalette* areaPalette_ = nullptr;
    Tolva::MText* screenNote_ = nullptr;
    // Controls by group: shown or hidden by the mode's attribute bits.
    std::array<Tolva::MControl*, 3> brightnessGroup_{};
    std::array<Tolva::MControl*, 3> speedGroup_{};
    std::array<Tolva::MControl*, 3> directionGroup_{};
    std::array<Tolva::MControl*, 8> colourGroup_{};
    std::array<Tolva::MControl*, 8> areaGroup_{};
    struct Caption {
        Tolva::MControlFont* control;
        int text;
    };
    std::array<Caption, 12> captions_{};
    int captionCount_ = 0;
};
