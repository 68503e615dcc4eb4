#include "app/shell/pages/PointerPage.h"

#include "app/device/DpiStepTable.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/MousePaletteDlg.h"
#include "app/store/FactoryConfiguration.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/CCheckButton.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/core/MDialog.h"
#include "ui/widgets/DPIControl.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>

using namespace Tolva;

namespace {

using Setting = PointerSettings::Setting;
using Reach = PointerSettings::Reach;

constexpr const char* kRateKey = "report_rate";
constexpr const char* kDebounceKey = "antishake_time";
constexpr const char* kIndexKey = "dpi_index";
constexpr const char* kRateGroup = "report_rate";
constexpr const char* kRateTitles[] = {"125Hz", "250Hz", "500Hz", "1000Hz"};

constexpr uint32_t kHeadingColour = 0xFFF0F2F5;
constexpr uint32_t kValueColour = 0xFF10A8FD;
constexpr int kDoubleClickBase = 200;
constexpr int kDoubleClickSpan = 700; // 200..900 ms
constexpr int kScrollSpan = 20;       // more lines than this read as one screen at a time
constexpr int kOneScreenOffLines = 3;

// Texts of the pointer page (language section KB.DIALOG).
constexpr int kTextSpeed = 801;
constexpr int kTextRate = 802;
constexpr int kTextPrecision = 803;
constexpr int kTextScroll = 804;
constexpr int kTextOneScreen = 805;
constexpr int kTextDpi = 806;
constexpr int kTextDebounce = 807;
constexpr int kTextDoubleClick = 808;
constexpr int kTextLevels = 809;

std::string ReachText(Reach reach) {
    switch (reach) {
    case Reach::NoDisplay:
        return UiText::Dialog(9801);
    case Reach::NoDesktopSetting:
        return UiText::Dialog(9802);
    case Reach::Kept:
        return UiText::Dialog(9803);
    default:
        return {};
    }
}

Rect At(const Rect& origin, int l, int t, int r, int b) {
    return {origin.left + l, origin.top + t, origin.left + r, origin.top + b};
}

MSlider* MakeSlider(MPanel& layout, unsigned id, const Rect& rect, int maximum) {
    auto* slider = static_cast<MSlider*>(layout.CreateControl("MSlider", id, rect));
    if (!slider) return nullptr;
    slider->SetImage("img_slider_back.png", 1);
    slider->SetThumbImage("img_thumb.png", 4);
    slider->SetMaxProgress(maximum);
    return slider;
}

void SetValueText(MText* label, int value) {
    if (label) label->SetTitle(std::to_string(value));
}

} // namespace

PointerPage::PointerPage(PageHost& host, std::unique_ptr<PointerSettings> settings)
    : ShellPage(host), settings_(std::move(settings)) {
    if (!settings_) settings_ = PointerSettings::ForDesktop();
}

PointerPage::~PointerPage() = default;

int PointerPage::DpiAtPosition(int position) {
    if (position < 0 || position >= kDpiPositions) return -1;
    return (position + 1) * 100;
}

int PointerPage::PositionOfDpi(int dpi) {
    return DpiStepTable::Position(dpi) - 1;
}

MText* PointerPage::AddLabel(MControl& layout, unsigned id, const Rect& rect, int size,
                             uint32_t argb) {
    auto* label =
        static_cast<MText*>(static_cast<MPanel&>(layout).CreateControl("MText", id, rect));
    if (!label) return nullptr;
    label->SetFontWidth(size);
    label->SetTextColor(argb);
    label->EnableVCenter(true);
    return label;
}

void PointerPage::Build() {
    MTabLayout* layout = host_.FindLayout(kLayoutId);
    if (!layout || levels_[0]) return;
    BuildDpi(*layout);
    BuildPerformance(*layout);
    BuildPointer(*layout);
}

void PointerPage::BuildDpi(MControl& layout) {
    auto& panel = static_cast<MPanel&>(layout);
    const Rect o = layout.GetRect();
    if (MText* heading = AddLabel(layout, 0, At(o, 20, 8, 480, 36), 13, kHeadingColour))
        captions_[captionCount_++] = {heading, kTextLevels};
    for (int i = 0; i < kLevelCount; ++i) {
        const int left = 20 + i * 132;
        auto* level = static_cast<DPIControl*>(
            panel.CreateControl("DPIControl", kLevelFirst + static_cast<unsigned>(i),
                                At(o, left, 36, left + 124, 116), "DPI " + std::to_string(i + 1)));
        levels_[static_cast<size_t>(i)] = level;
    }
    dpiLabel_ = AddLabel(layout, kDpiLabel, At(o, 20, 128, 480, 156), 12, kHeadingColour);
    if (MText* low = AddLabel(layout, 0, At(o, 20, 162, 70, 192), 10)) {
        low->SetTitle("100");
        low->SetAlignment(TextStyle::Far);
    }
    dpiSlider_ = MakeSlider(panel, kDpiSlider, At(o, 78, 162, 866, 192), kDpiPositions - 1);
    if (MText* high = AddLabel(layout, 0, At(o, 874, 162, 940, 192), 10)) high->SetTitle("24000");
}

void PointerPage::BuildPerformance(MControl& layout) {
    auto& panel = static_cast<MPanel&>(layout);
    const Rect o = layout.GetRect();
    if (MText* label = AddLabel(layout, 0, At(o, 20, 220, 440, 246), 12, kHeadingColour))
        captions_[captionCount_++] = {label, kTextRate};
    for (int i = 0; i < kRateCount; ++i) {
        const int left = 20 + i * 105;
        auto* radio = static_cast<CRadioButton*>(
            panel.CreateControl("CRadioButton", kReportRateFirst + static_cast<unsigned>(i),
                                At(o, left, 254, left + 100, 280), kRateTitles[i]));
        if (radio) {
            radio->SetGroupName(kRateGroup);
            radio->SetFontWidth(11);
        }
        rates_[static_cast<size_t>(i)] = radio;
    }
    if (MText* label = AddLabel(layout, 0, At(o, 20, 310, 440, 336), 12, kHeadingColour))
        captions_[captionCount_++] = {label, kTextDebounce};
    // The debounce range is the slider's own (0..10).
    debounce_ = MakeSlider(panel, kDebounceSlider, At(o, 20, 344, 360, 374), 10);
    debounceValue_ = AddLabel(layout, kDebounceValue, At(o, 372, 344, 440, 374), 11, kValueColour);
}

void PointerPage::BuildPointer(MControl& layout) {
    auto& panel = static_cast<MPanel&>(layout);
    const Rect o = layout.GetRect();
    struct Row {
        int text;
        unsigned slider, value;
        int maximum, top;
    };
    const Row rows[] = {
        {kTextSpeed, kSpeedSlider, kSpeedValue, PointerSettings::kMaxSpeed - 1, 220},
        {kTextScroll, kScrollSlider, kScrollValue, kScrollSpan, 330},
        {kTextDoubleClick, kDoubleClickSlider, kDoubleClickValue, kDoubleClickSpan, 440},
    };
    for (const Row& row : rows) {
        if (MText* label =
                AddLabel(layout, 0, At(o, 500, row.top, 940, row.top + 26), 12, kHeadingColour))
            captions_[captionCount_++] = {label, row.text};
        MSlider* slider =
            MakeSlider(panel, row.slider, At(o, 500, row.top + 30, 860, row.top + 60), row.maximum);
        MText* value = AddLabel(layout, row.value, At(o, 872, row.top + 30, 940, row.top + 60), 11,
                                kValueColour);
        if (row.slider == kSpeedSlider) speed_ = slider, speedValue_ = value;
        if (row.slider == kScrollSlider) scroll_ = slider, scrollValue_ = value;
        if (row.slider == kDoubleClickSlider) doubleClick_ = slider, doubleClickValue_ = value;
    }
    precision_ = static_cast<CCheckButton*>(
        panel.CreateControl("CCheckButton", kPrecisionBox, At(o, 500, 290, 940, 316)));
    oneScreen_ = static_cast<CCheckButton*>(
        panel.CreateControl("CCheckButton", kOneScreenBox, At(o, 500, 400, 940, 426)));
    for (CCheckButton* box : {precision_, oneScreen_}) {
        if (!box) continue;
        box->SetFontWidth(11);
        captions_[captionCount_++] = {box, box == precision_ ? kTextPrecision : kTextOneScreen};
    }
    // Covers last, so that they lie over the controls they explain.
    const MControl* covered[] = {speed_, precision_, scroll_, oneScreen_, doubleClick_};
    for (size_t i = 0; i < covers_.size(); ++i) {
        if (!covered[i]) continue;
        covers_[i] = static_cast<MText*>(
            panel.CreateControl("MText", kReasonCoverFirst + static_cast<unsigned>(i),
                                covered[i]->GetRect(), "", false, true));
        // Static text takes no pointer input by default; the cover must, to show its tip.
        if (covers_[i]) covers_[i]->SetRresponse(true);
    }
}

void PointerPage::ApplyTexts() {
    for (int i = 0; i < captionCount_; ++i)
        captions_[static_cast<size_t>(i)].control->SetTitle(
            UiText::Dialog(captions_[static_cast<size_t>(i)].text));
    ShowDpi(dpi_);
    ShowAllReach();
}

int PointerPage::ReadInt(const std::string& key) {
    std::string text;
    if (!host_.Store().GetConfigValue(host_.CurrentProfile(), key, text)) return 0;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value < INT32_MIN || value > INT32_MAX) return 0;
    return static_cast<int>(value);
}

bool PointerPage::Store(const std::string& key, int value) {
    if (host_.Store().SetConfigValue(host_.CurrentProfile(), key, std::to_string(value)))
        return true;
    Reload();
    return false;
}

void PointerPage::Reload() {
    const int rate = ReadInt(kRateKey);
    for (int i = 0; i < kRateCount; ++i) {
        CRadioButton* radio = rates_[static_cast<size_t>(i)];
        if (radio) radio->SetCheck(i == rate);
    }
    const int debounce = ReadInt(kDebounceKey);
    if (debounce_) debounce_->SetProgress(std::max(0, debounce));
    SetValueText(debounceValue_, debounce_ ? debounce_->GetProgress() : debounce);

    for (int i = 0; i < kLevelCount; ++i) {
        DPIControl* level = levels_[static_cast<size_t>(i)];
        if (!level) continue;
        level->SetDPIValue(ReadInt(FactoryConfiguration::DpiValueKey(i)));
        level->SetColor(static_cast<uint32_t>(ReadInt(FactoryConfiguration::DpiRgbKey(i))));
    }
    const int index = ReadInt(kIndexKey);
    level_ = index >= 0 && index < kLevelCount ? index : -1;
    if (level_ >= 0 && levels_[static_cast<size_t>(level_)]) {
        DPIControl* level = levels_[static_cast<size_t>(level_)];
        level->SetCheckState(1);
        const int dpi = level->GetDPIValue();
        const int position = PositionOfDpi(dpi);
        if (dpiSlider_ && position >= 0) dpiSlider_->SetProgress(position);
        ShowDpi(dpi);
    } else {
        for (DPIControl* level : levels_)
            if (level) level->SetCheckState(0);
        ShowDpi(dpiSlider_ ? DpiAtPosition(dpiSlider_->GetProgress()) : 0);
    }
    LoadPointerSettings();
}

void PointerPage::ShowDpi(int dpi) {
    dpi_ = dpi;
    if (!dpiLabel_) return;
    char text[300];
    std::snprintf(text, sizeof text, "%s  %d", UiText::Dialog(kTextDpi).c_str(), dpi);
    dpiLabel_->SetTitle(text);
}

bool PointerPage::OnNotify(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id >= kReportRateFirst && id < kReportRateFirst + kRateCount) {
        if (code == 2) OnReportRate(static_cast<int>(id - kReportRateFirst));
    } else if (id == kDebounceSlider) {
        const int position = debounce_ ? debounce_->GetProgress() : static_cast<int>(wparam);
        if (code == 8) SetValueText(debounceValue_, position);
        if (code == 2 && Store(kDebounceKey, position))
            host_.QueueTask(CThreadBasic::kDebounceTime);
    } else if (id >= kLevelFirst && id < kLevelFirst + kLevelCount) {
        OnLevel(static_cast<int>(id - kLevelFirst), code, lparam);
    } else if (id == kDpiSlider) {
        OnDpiSlider(code, dpiSlider_ ? dpiSlider_->GetProgress() : static_cast<int>(wparam));
    } else if (id == kSpeedSlider) {
        if (code == 8 && speed_) OnSpeed(speed_->GetProgress());
    } else if (id == kPrecisionBox) {
        if (code == 2 || code == 7) OnPrecision();
    } else if (id == kScrollSlider) {
        if (code == 8 && scroll_) OnScrollLines(scroll_->GetProgress());
    } else if (id == kOneScreenBox) {
        if (code == 2 || code == 7) OnOneScreen();
    } else if (id == kDoubleClickSlider) {
        if (code == 8 && doubleClick_) OnDoubleClick(doubleClick_->GetProgress());
    } else {
        return false;
    }
    return true;
}

void PointerPage::OnReportRate(int rate) {
    if (Store(kRateKey, rate)) host_.QueueTask(CThreadBasic::kReportRate);
}

void PointerPage::OnLevel(int index, int code, LPARAM part) {
    // The level's own area reports 3, its swatch 2 and its enabled box 1. A press on the level
    // has already cleared the other levels, so the selection follows the press.
    if (part == 3 && code == 1) {
        SelectLevel(index, true);
    } else if (part == 2 && code == 2) {
        OpenPalette(index);
    }
}

void PointerPage::SelectLevel(int index, bool queue) {
    DPIControl* level = levels_[static_cast<size_t>(index)];
    if (!level) return;
    level_ = index;
    level->SetCheckState(1);
    const int dpi = level->GetDPIValue();
    const int position = PositionOfDpi(dpi);
    if (dpiSlider_ && position >= 0) dpiSlider_->SetProgress(position);
    ShowDpi(dpi);
    if (Store(kIndexKey, index) && queue) host_.QueueTask(CThreadBasic::kDpiLevel);
}

void PointerPage::OpenPalette(int index) {
    DPIControl* level = levels_[static_cast<size_t>(index)];
    if (!level || palette_) return;
    MousePaletteDlg dialog(level->GetColor(), ReadInt(FactoryConfiguration::DpiColorKey(index)));
    palette_ = &dialog;
    const bool applied = dialog.DoModal(host_.Window().GetSafeHwnd());
    palette_ = nullptr;
    if (!applied) return;
    // One task after both colour keys are stored: the level's selection alone sends nothing.
    SelectLevel(index, false);
    level->SetColor(dialog.GetColor());
    if (Store(FactoryConfiguration::DpiRgbKey(index), static_cast<int>(dialog.GetColor())) &&
        Store(FactoryConfiguration::DpiColorKey(index), dialog.GetPreset()))
        host_.QueueTask(CThreadBasic::kDpiLevel);
}

void PointerPage::OnDpiSlider(int code, int position) {
    if (code == 8) {
        const int dpi = DpiAtPosition(position);
        if (dpi < 0) return;
        ShowDpi(dpi);
        if (level_ < 0 || !levels_[static_cast<size_t>(level_)]) return;
        if (Store(FactoryConfiguration::DpiValueKey(level_), dpi))
            levels_[static_cast<size_t>(level_)]->SetDPIValue(dpi);
    } else if (code == 2) {
        host_.QueueTask(CThreadBasic::kDpiLevel);
    }
}

// --- the desktop's pointer settings ---

bool PointerPage::ShowReach(int index, Setting setting, MControl* control) {
    if (!control) return false;
    const Reach reach = settings_->ReachOf(setting);
    const bool applies = reach == Reach::Desktop || reach == Reach::Kept;
    control->SetEnabled(applies);
    control->SetTooltip(ReachText(reach));
    if (MText* cover = covers_[static_cast<size_t>(index)]) {
        cover->SetTooltip(applies ? std::string() : ReachText(reach));
        cover->SetVisible(!applies);
    }
    return applies;
}

void PointerPage::ShowAllReach() {
    ShowReach(0, Setting::Speed, speed_);
    ShowReach(1, Setting::Precision, precision_);
    ShowReach(2, Setting::ScrollLines, scroll_);
    ShowReach(3, Setting::ScrollLines, oneScreen_);
    ShowReach(4, Setting::DoubleClick, doubleClick_);
}

void PointerPage::LoadPointerSettings() {
    ShowAllReach();
    int speed = 0;
    if (speed_ && settings_->GetMouseSpeed(speed)) {
        speed_->SetProgress(speed - 1);
        SetValueText(speedValue_, speed);
    } else if (speedValue_) {
        speedValue_->SetTitle("-");
    }
    std::array<int, 3> mouse{};
    if (precision_ && settings_->GetMouse(mouse))
        precision_->SetCheck(mouse[PointerSettings::kAccelerationValue] == 1);
    int lines = 0;
    if (settings_->GetWheelScrollLines(lines))
        ShowScrollLines(lines);
    else if (scrollValue_)
        scrollValue_->SetTitle("-");
    int ms = 0;
    if (doubleClick_ && settings_->GetDoubleClickTime(ms)) {
        doubleClick_->SetProgress(std::max(0, ms - kDoubleClickBase));
        SetValueText(doubleClickValue_, ms);
    } else if (doubleClickValue_) {
        doubleClickValue_->SetTitle("-");
    }
}

void PointerPage::ShowScrollLines(int lines) {
    // Any value beyond the slider (page scrolling among them) shows as one screen at a time.
    const bool lineScroll = lines >= 0 && lines <= kScrollSpan;
    if (oneScreen_) oneScreen_->SetCheck(!lineScroll);
    if (scroll_) scroll_->SetProgress(lineScroll ? lines : 0);
    SetValueText(scrollValue_, lineScroll ? lines : 0);
}

void PointerPage::OnSpeed(int position) {
    if (settings_->SetMouseSpeed(position + 1))
        SetValueText(speedValue_, position + 1);
    else
        LoadPointerSettings();
}

void PointerPage::OnPrecision() {
    std::array<int, 3> mouse{};
    if (!precision_ || !settings_->GetMouse(mouse)) return LoadPointerSettings();
    mouse[PointerSettings::kAccelerationValue] = precision_->GetCheck() ? 1 : 0;
    if (!settings_->SetMouse(mouse)) LoadPointerSettings();
}

void PointerPage::OnScrollLines(int position) {
    if (!settings_->SetWheelScrollLines(position)) return LoadPointerSettings();
    ShowScrollLines(position);
}

void PointerPage::OnOneScreen() {
    if (!oneScreen_) return;
    const int lines = oneScreen_->GetCheck() ? PointerSettings::kPageScroll : kOneScreenOffLines;
    if (!settings_->SetWheelScrollLines(lines)) return LoadPointerSettings();
    ShowScrollLines(lines);
}

void PointerPage::OnDoubleClick(int position) {
    if (settings_->SetDoubleClickTime(position + kDoubleClickBase))
        SetValueText(doubleClickValue_, position + kDoubleClickBase);
    else
        LoadPointerSettings();
}
