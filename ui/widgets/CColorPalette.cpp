#include "ui/widgets/CColorPalette.h"

#include "ui/controls/ControlCreator.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MSpinButton.h"
#include "ui/paint/MRender.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/MPalette.h"

#include <algorithm>
#include <cstdio>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("CColorPalette", TitledCreator<CColorPalette>());

// Red, orange, yellow, green, cyan, blue, magenta, white.
constexpr std::array<uint32_t, CColorPalette::kSwatchCount> kPresets = {
    0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF, 0xFFFFFF};

// Layout relative to the widget's top-left corner.
constexpr int kFieldX = 30, kFieldY = 5;
constexpr int kRowY = kFieldY + CColorPalette::kPaletteHeight + 10;
constexpr int kRowHeight = 26;
// Red, green and blue boxes after the preview, each with its letter before it.
constexpr int kSpinX = kFieldX + 46, kSpinWidth = 52, kSpinPitch = 70, kLabelWidth = 14;
constexpr const char* kChannelLabels[3] = {"R", "G", "B"};

} // namespace

CColorPalette::CColorPalette(MObject* parent, unsigned id, const Rect& rect,
                             const std::string& title, bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    SetFontWidth(10);
    for (int i = 0; i < kSwatchCount; ++i) {
        auto* b = dynamic_cast<CColorButton*>(
            CreateControl("CColorButton", kFirstSwatchId + i, Rect{}, {}, true, true));
        swatches_[i] = b;
        if (!b) continue;
        b->SetColor(kPresets[i]);
        b->SetGroupName(kGroup);
    }
    if (swatches_[kSwatchCount - 1]) swatches_[kSwatchCount - 1]->SetVisibleBorder(true);
    palette_ =
        dynamic_cast<MPalette*>(CreateControl("MPalette", kPaletteId, Rect{}, {}, true, true));
    preview_ = dynamic_cast<CColorButton*>(
        CreateControl("CColorButton", kPreviewId, Rect{}, {}, true, true));
    if (preview_) {
        preview_->SetVisibleBorder(true);
        preview_->SetRresponse(false);
    }
    for (int c = 0; c < 3; ++c) {
        spins_[c] = dynamic_cast<MSpinButton*>(
            CreateControl("MSpinButton", kRedId + c, Rect{}, {}, true, true));
        if (!spins_[c]) continue;
        spins_[c]->SetRange(0, 255);
        spins_[c]->SetFontWidth(10);
    }
    text_ = dynamic_cast<MEdit*>(CreateControl("MEdit", kTextId, Rect{}, {}, true, true));
    if (text_) {
        text_->SetLimitText(7);
        text_->SetFontWidth(10);
    }
    Layout();
    Show(color_, nullptr);
}

void CColorPalette::Layout() {
    const Rect r = GetRect();
    for (int i = 0; i < kSwatchCount; ++i) {
        if (!swatches_[i]) continue;
        const int top = r.top + 5 + 25 * i;
        swatches_[i]->SetRect(r.left, top, r.left + 20, top + 20);
    }
    if (palette_) {
        palette_->SetRect(r.left + kFieldX, r.top + kFieldY, r.left + kFieldX + kPaletteWidth,
                          r.top + kFieldY + kPaletteHeight);
        palette_->SetPalletHeight(kPaletteHeight);
    }
    if (preview_)
        preview_->SetRect(r.left + kFieldX, r.top + kRowY, r.left + kFieldX + 30,
                          r.top + kRowY + kRowHeight);
    for (int c = 0; c < 3; ++c) {
        if (!spins_[c]) continue;
        const int left = r.left + kSpinX + c * kSpinPitch;
        spins_[c]->SetRect(left, r.top + kRowY, left + kSpinWidth, r.top + kRowY + kRowHeight);
    }
    if (text_)
        text_->SetRect(r.left + kFieldX, r.top + kRowY + kRowHeight + 8, r.left + kFieldX + 100,
                       r.top + kRowY + 2 * kRowHeight + 8);
    UpdateScrollBars();
}

void CColorPalette::SetControlRect(const Rect& rect) {
    MPanel::SetControlRect(rect);
    Layout();
}

void CColorPalette::DrawControl(cairo_t* cr, const Rect& clip) {
    MPanel::DrawControl(cr, clip);
    const Rect r = GetRect();
    TextStyle style = MakeTextStyle(GetTextColor());
    style.hAlign = TextStyle::Center;
    style.vAlign = TextStyle::Center;
    for (int c = 0; c < 3; ++c) {
        if (!spins_[c]) continue;
        const int right = r.left + kSpinX + c * kSpinPitch - 2;
        MRender::DrawTextW(cr,
                           {right - kLabelWidth, r.top + kRowY, right, r.top + kRowY + kRowHeight},
                           kChannelLabels[c], style);
    }
}

void CColorPalette::SetTextColor(uint32_t argb) {
    MPanel::SetTextColor(argb);
    for (MSpinButton* spin : spins_)
        if (spin) spin->SetTextColor(argb);
}

std::string CColorPalette::ColorText(uint32_t colorRef) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", colorRef & 0xFF, (colorRef >> 8) & 0xFF,
                  (colorRef >> 16) & 0xFF);
    return buf;
}

bool CColorPalette::ParseColorText(const std::string& text, uint32_t& colorRef) {
    std::string t = text;
    if (!t.empty() && t[0] == '#') t.erase(0, 1);
    if (t.size() != 6) return false;
    uint32_t rgb = 0;
    for (char c : t) {
        int v = -1;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        if (v < 0) return false;
        rgb = rgb << 4 | static_cast<uint32_t>(v);
    }
    colorRef = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    return true;
}

void CColorPalette::Show(uint32_t colorRef, const MControl* source) {
    color_ = colorRef & 0xFFFFFF;
    showing_ = true;
    if (palette_ && source != palette_) palette_->SetSelectColor(color_);
    if (preview_) preview_->SetColor(color_);
    const int channels[3] = {static_cast<int>(color_ & 0xFF),
                             static_cast<int>((color_ >> 8) & 0xFF),
                             static_cast<int>((color_ >> 16) & 0xFF)};
    for (int c = 0; c < 3; ++c)
        if (spins_[c] && spins_[c] != source) spins_[c]->SetCurValue(channels[c]);
    if (text_ && source != text_) text_->SetEditText(ColorText(color_));
    showing_ = false;
}

void CColorPalette::Pick(uint32_t colorRef, const MControl* source) {
    Show(colorRef, source);
    SendMessageW(27, 0, static_cast<LPARAM>(color_));
}

LRESULT CColorPalette::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    // Values set while showing a colour must not come back as new picks.
    if (!showing_) {
        if (code == 1 && id >= kFirstSwatchId && id < kFirstSwatchId + kSwatchCount) {
            if (CColorButton* b = swatches_[id - kFirstSwatchId]) Pick(b->GetColor(), b);
        } else if (code == 27 && id == kPaletteId && palette_) {
            Pick(palette_->GetSelectColor(), palette_);
        } else if (code == 26 && id == kTextId && text_) {
            uint32_t color = 0;
            // Text that is not a colour is left for the person to finish.
            if (ParseColorText(text_->GetEditText(), color)) Pick(color, text_);
        } else if (code == 28 && id >= kRedId && id <= kBlueId) {
            uint32_t color = color_;
            const int shift = static_cast<int>(id - kRedId) * 8;
            if (MSpinButton* spin = spins_[id - kRedId]) {
                const auto v = static_cast<uint32_t>(std::clamp(spin->GetCurValue(), 0, 255));
                color = (color & ~(0xFFu << shift)) | (v << shift);
                Pick(color, spin);
            }
        }
    }
    return MPanel::OnBaseMessage(id, code, wparam, lparam);
}

void CColorPalette::SetSelectColor(uint32_t colorRef) {
    Show(colorRef, nullptr);
}

int CColorPalette::SetThumbImage(const std::string& file) {
    return palette_ ? palette_->SetThumbImage(file) : 0;
}

void CColorPalette::UpdateControlEx(bool erase) {
    SetUpdate(false, true);
    UpdateControl(erase);
}

CColorButton* CColorPalette::GetSwatch(int index) const {
    return index >= 0 && index < kSwatchCount ? swatches_[index] : nullptr;
}

MSpinButton* CColorPalette::GetSpin(int channel) const {
    return channel >= 0 && channel < 3 ? spins_[channel] : nullptr;
}

} // namespace Tolva
