#include "app/shell/MousePaletteDlg.h"

#include "app/files/UiText.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MText.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/CirclePalette.h"

#include <algorithm>
#include <charconv>
#include <string>

using namespace Tolva;

namespace {

constexpr Rect kWheelRect{16, 50, 156, 190};
constexpr int kEditLeft = 200, kEditRight = 300, kEditTop = 62, kEditPitch = 40, kEditHeight = 28;
constexpr int kPresetTop = 206, kPresetSize = 20, kPresetPitch = 25;
constexpr uint32_t kCaptionColour = 0xFFE8EAED;
constexpr uint32_t kLabelColour = 0xFFB8BEC6;

// A channel box's number: digits only, at most 255; empty is 0.
int ChannelOf(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error == std::errc::invalid_argument) return 0;
    if (error == std::errc::result_out_of_range || value > 255) return 255;
    return std::max(0, value);
}

} // namespace

const std::array<uint32_t, MousePaletteDlg::kPresetCount>& MousePaletteDlg::Presets() {
    // Red, green, blue, magenta, yellow, white, cyan, orange.
    static const std::array<uint32_t, kPresetCount> presets = {
        0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0x00FFFF, 0xFFFFFF, 0xFFFF00, 0x0080FF};
    return presets;
}

MousePaletteDlg::MousePaletteDlg(uint32_t colour, int preset)
    : colour_(colour & 0xFFFFFF), preset_(preset) {}

int MousePaletteDlg::GetPreset() const {
    const auto& presets = Presets();
    const auto it = std::find(presets.begin(), presets.end(), colour_);
    return it == presets.end() ? preset_ : static_cast<int>(it - presets.begin());
}

bool MousePaletteDlg::Open(NativeWindow* owner) {
    if (!Create(owner, kWindowName, kStyle, 0, Rect{0, 0, kWidth, kHeight})) return false;
    CenterWindow(owner);
    return true;
}

bool MousePaletteDlg::DoModal(NativeWindow* owner) {
    if (!GetSafeHwnd() && !Open(owner)) return false;
    // Only the apply button sets the flag; the loop's close code is not needed for that (a close
    // handled outside the loop leaves it 0).
    ShowModal(SW_SHOW);
    return applied_;
}

void MousePaletteDlg::InitUI(const Rect& rect) {
    SetBackColor(0x2A2521, 0x575757);
    EnableWndDrag(true);

    auto* caption = static_cast<MText*>(
        CreateControl("MText", kCaption, Rect{16, 10, rect.right - 44, 36}, UiText::Dialog(810)));
    if (caption) {
        caption->SetFontWidth(12);
        caption->SetTextColor(kCaptionColour);
        caption->EnableVCenter(true);
    }
    if (auto* close = static_cast<MButton*>(CreateControl(
            "CImageButton", kCloseButton, Rect{rect.right - 36, 10, rect.right - 12, 34}))) {
        close->SetImage("sysbtn_close.png", 4);
        close->SetTooltip(UiText::Dialog(25));
    }

    wheel_ = static_cast<CirclePalette*>(CreateControl("CirclePalette", kWheel, kWheelRect));
    if (wheel_) wheel_->SetImage("img_circlepalette.png", 1);

    static const char* const kChannels[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) {
        const int top = kEditTop + i * kEditPitch;
        if (auto* label = static_cast<MText*>(CreateControl(
                "MText", 0, Rect{kEditLeft - 26, top, kEditLeft - 6, top + kEditHeight},
                kChannels[i]))) {
            label->SetFontWidth(11);
            label->SetTextColor(kLabelColour);
            label->EnableVCenter(true);
        }
        auto* edit =
            static_cast<MEdit*>(CreateControl("MEdit", kRedEdit + static_cast<unsigned>(i),
                                              Rect{kEditLeft, top, kEditRight, top + kEditHeight}));
        if (edit) {
            edit->SetImage("img_edit.png", 4);
            edit->SetFontWidth(11);
            edit->SetNumberOnly(true);
            edit->SetLimitText(3);
        }
        edits_[static_cast<size_t>(i)] = edit;
    }

    for (int i = 0; i < kPresetCount; ++i) {
        const int left = 16 + i * kPresetPitch;
        auto* swatch = static_cast<CColorButton*>(
            CreateControl("CColorButton", kPresetFirst + static_cast<unsigned>(i),
                          Rect{left, kPresetTop, left + kPresetSize, kPresetTop + kPresetSize}));
        if (swatch) {
            swatch->SetColor(Presets()[static_cast<size_t>(i)]);
            swatch->SetGroupName(kPresetGroup);
        }
        presets_[static_cast<size_t>(i)] = swatch;
    }

    if (auto* apply = static_cast<MButton*>(
            CreateControl("MButton", kApplyButton, Rect{rect.right - 94, 201, rect.right - 14, 231},
                          UiText::Dialog(22)))) {
        apply->SetImage("btn_apply.png", 4);
        apply->SetFontWidth(11);
    }
    ShowColour(colour_, 0);
}

void MousePaletteDlg::ShowColour(uint32_t colour, unsigned from) {
    colour_ = colour & 0xFFFFFF;
    if (wheel_ && from != kWheel) wheel_->SetSelectColor(colour_);
    if (from < kRedEdit || from > kRedEdit + 2) {
        for (size_t i = 0; i < edits_.size(); ++i)
            if (edits_[i]) edits_[i]->SetEditText(std::to_string((colour_ >> (8 * i)) & 0xFF));
    }
    // The preset that matches stays checked; a colour of none of them unchecks all.
    for (size_t i = 0; i < presets_.size(); ++i)
        if (presets_[i]) presets_[i]->SetControlCheck(Presets()[i] == colour_);
}

void MousePaletteDlg::ReadEdits() {
    uint32_t colour = 0;
    for (size_t i = 0; i < edits_.size(); ++i) {
        if (!edits_[i]) continue;
        const std::string text = edits_[i]->GetEditText();
        const int channel = ChannelOf(text);
        // The box shows the number that is used.
        if (text != std::to_string(channel)) edits_[i]->SetEditText(std::to_string(channel));
        colour |= static_cast<uint32_t>(channel) << (8 * i);
    }
    ShowColour(colour, kRedEdit);
}

LRESULT MousePaletteDlg::OnMessage(unsigned id, int code, WPARAM, LPARAM lparam) {
    if (id == kCloseButton && code == 2) {
        DoCancel();
    } else if (id == kApplyButton && code == 2) {
        // A value typed and not yet confirmed counts.
        for (MEdit* edit : edits_)
            if (edit && edit->IsEditShown()) edit->CloseEdit(true);
        ReadEdits();
        applied_ = true;
        DoOK();
    } else if (id == kWheel && code == 27) {
        ShowColour(static_cast<uint32_t>(lparam), kWheel);
    } else if (id >= kRedEdit && id < kRedEdit + 3 && (code == 26 || code == 29)) {
        ReadEdits();
    } else if (id >= kPresetFirst && id < kPresetFirst + kPresetCount && code == 1) {
        ShowColour(Presets()[id - kPresetFirst], 0);
    }
    return 0;
}
