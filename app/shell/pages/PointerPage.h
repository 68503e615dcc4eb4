#pragma once

#include "app/platform/PointerSettings.h"
#include "app/shell/pages/ShellPage.h"
#include "ui/platform/Geometry.h"

#include <array>
#include <memory>
#include <string>

class MousePaletteDlg;

namespace Tolva {
class CCheckButton;
class CRadioButton;
class DPIControl;
class MControl;
class MControlFont;
class MSlider;
class MText;
} // namespace Tolva

// Page 8 of the mouse family (layout 502): the mouse's report rate, debounce time and seven DPI
// levels with their colours, kept per profile in the store and sent by worker tasks 16, 17 and
// 18; and the desktop's pointer settings, applied at once through PointerSettings and never
// stored.
class PointerPage : public ShellPage {
public:
    static constexpr int kPageId = 8;
    static constexpr unsigned kLayoutId = 502;
    static constexpr unsigned kReportRateFirst = 525; // 525..528: 125, 250, 500, 1000 Hz
    static constexpr unsigned kSpeedSlider = 530;
    static constexpr unsigned kPrecisionBox = 532;
    static constexpr unsigned kScrollSlider = 534;
    static constexpr unsigned kOneScreenBox = 536;
    static constexpr unsigned kDoubleClickSlider = 538;
    static constexpr unsigned kDebounceSlider = 541;
    static constexpr unsigned kLevelFirst = 544; // 544..550
    static constexpr unsigned kDpiSlider = 551;
    static constexpr int kLevelCount = 7;
    static constexpr int kRateCount = 4;
    static constexpr int kDpiPositions = 240;
    // The page's own labels (no notifications).
    static constexpr unsigned kDpiLabel = 8201;
    static constexpr unsigned kSpeedValue = 8202;
    static constexpr unsigned kScrollValue = 8203;
    static constexpr unsigned kDoubleClickValue = 8204;
    static constexpr unsigned kDebounceValue = 8205;
    // Over a pointer control that cannot be applied, carrying the reason as its tool tip (a
    // disabled control takes no pointer input, so it cannot show a tip itself): 8210 + index in
    // speed, precision, scroll lines, one screen, double-click order.
    static constexpr unsigned kReasonCoverFirst = 8210;

    // Without settings the desktop's own are used.
    explicit PointerPage(PageHost& host, std::unique_ptr<PointerSettings> settings = nullptr);
    ~PointerPage() override;

    int PageId() const override { return kPageId; }
    void Build() override;
    bool OnNotify(unsigned id, int code, Tolva::WPARAM wparam, Tolva::LPARAM lparam) override;
    void Reload() override;
    void ApplyTexts() override;

    // Slider position p (0..239) stands for (p + 1) x 100 DPI; -1 for a value that is no step.
    static int DpiAtPosition(int position);
    static int PositionOfDpi(int dpi);

    // The level the DPI slider edits (0..6), -1 when none is selected.
    int SelectedLevel() const { return level_; }
    // The DPI colour dialog while it is open, else null.
    MousePaletteDlg* PaletteDialog() const { return palette_; }

private:
    void BuildDpi(Tolva::MControl& layout);
    void BuildPerformance(Tolva::MControl& layout);
    void BuildPointer(Tolva::MControl& layout);
    Tolva::MText* AddLabel(Tolva::MControl& layout, unsigned id, const Tolva::Rect& rect,
                           int size = 11, uint32_t argb = 0xFFD8DCE2);

    void OnReportRate(int rate);
    void OnLevel(int index, int code, Tolva::LPARAM part);
    void OnDpiSlider(int code, int position);
    void OnSpeed(int position);
    void OnPrecision();
    void OnScrollLines(int position);
    void OnOneScreen();
    void OnDoubleClick(int position);

    // Makes the level the one the slider edits and stores "dpi_index"; queues task 18 on request.
    void SelectLevel(int index, bool queue);
    void OpenPalette(int index);
    void ShowDpi(int dpi);
    void LoadPointerSettings();
    // Enables the control or disables it with the reason's cover; false when not applied.
    bool ShowReach(int index, PointerSettings::Setting setting, Tolva::MControl* control);
    void ShowAllReach();
    void ShowScrollLines(int lines);

    int ReadInt(const std::string& key);
    // False when the store refused (the page then shows what the store holds).
    bool Store(const std::string& key, int value);

    std::unique_ptr<PointerSettings> settings_;
    MousePaletteDlg* palette_ = nullptr;
    int level_ = -1;
    int dpi_ = 0;

    std::array<Tolva::CRadioButton*, kRateCount> rates_{};
    std::array<Tolva::DPIControl*, kLevelCount> levels_{};
    Tolva::MSlider* dpiSlider_ = nullptr;
    Tolva::MText* dpiLabel_ = nullptr;
    Tolva::MSlider* debounce_ = nullptr;
    Tolva::MText* debounceValue_ = nullptr;
    Tolva::MSlider* speed_ = nullptr;
    Tolva::MText* speedValue_ = nullptr;
    Tolva::CCheckButton* precision_ = nullptr;
    Tolva::MSlider* scroll_ = nullptr;
    Tolva::MText* scrollValue_ = nullptr;
    Tolva::CCheckButton* oneScreen_ = nullptr;
    Tolva::MSlider* doubleClick_ = nullptr;
    Tolva::MText* doubleClickValue_ = nullptr;
    std::array<Tolva::MText*, 5> covers_{};
    // Captions whose texts follow the language: control and text number.
    struct Caption {
        Tolva::MControlFont* control;
        int text;
    };
    std::array<Caption, 9> captions_{};
    int captionCount_ = 0;
};
