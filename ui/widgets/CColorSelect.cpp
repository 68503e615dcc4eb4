#include "ui/widgets/CColorSelect.h"

#include "ui/core/ControlFactory.h"
#include "ui/widgets/CColorButton.h"

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("CColorSelect",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<CColorSelect>(parent, id, rect, title, visible, enabled);
               });

constexpr std::array<uint32_t, CColorSelect::kCount> kColors = {
    0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0x00FFFF, 0xFFFFFF, 0xFFFFFF};

} // namespace

CColorSelect::CColorSelect(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : MPanel(parent, id, rect, title, visible, enabled) {
    for (int i = 0; i < kCount; ++i) {
        auto* b = dynamic_cast<CColorButton*>(
            CreateControl("CColorButton", kFirstId + i, Rect{}, std::string(), true, true));
        swatches_[i] = b;
        if (!b) continue;
        b->SetColor(kColors[i]);
        b->SetGroupName(kGroup);
    }
    if (swatches_[kCount - 1]) swatches_[kCount - 1]->SetVisibleBorder(true);
    Layout();
}

void CColorSelect::Layout() {
    const Rect r = GetRect();
    for (int i = 0; i < kCount; ++i) {
        if (!swatches_[i]) continue;
        const int top = r.top + 5 + kPitch * i;
        swatches_[i]->SetRect(r.left, top, r.left + kSwatch, top + kSwatch);
    }
    UpdateScrollBars();
}

void CColorSelect::SetControlRect(const Rect& rect) {
    MPanel::SetControlRect(rect);
    Layout();
}

LRESULT CColorSelect::OnBaseMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (code == 1 && id >= kFirstId && id < kFirstId + kCount) {
        const int index = GetColorIndex();
        if (index >= 0) {
            const uint32_t color = swatches_[index]->GetColor();
            if (color != 0) {
                color_ = color;
                SendMessageW(27, static_cast<WPARAM>(index), static_cast<LPARAM>(color));
            }
        }
    }
    return MPanel::OnBaseMessage(id, code, wparam, lparam);
}

bool CColorSelect::SetColorIndex(int index) {
    if (index < -1 || index >= kCount) return false;
    for (int i = 0; i < kCount; ++i)
        if (swatches_[i]) swatches_[i]->SetControlCheck(i == index);
    return true;
}

int CColorSelect::GetColorIndex() const {
    for (int i = 0; i < kCount; ++i)
        if (swatches_[i] && swatches_[i]->GetCheck()) return i;
    return -1;
}

CColorButton* CColorSelect::GetSwatch(int index) const {
    return index >= 0 && index < kCount ? swatches_[index] : nullptr;
}

} // namespace Tolva
