#include "ui/controls/CIconButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CIconButton", TitledCreator<CIconButton>());
} // namespace

CIconButton::CIconButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {}

void CIconButton::SetDownState(bool down) {
    if (down_ == down) return;
    down_ = down;
    UpdateControl(true);
}

void CIconButton::SetTips(const std::string& text) {
    tips_ = text;
    UpdateControl(true);
}

void CIconButton::SetShowTips(bool show) {
    showTips_ = show;
    if (show && !tipBack_ && manager_) {
        if (const ImgResInfo* info = manager_->AddImgResInfo("img_tip_bk.png", 1))
            tipBack_ = info->image;
    }
    UpdateControl(true);
}

LPARAM CIconButton::OnClick() {
    if (!GetGroupName().empty()) {
        SetCheck(true);
        ResetGroupCheck();
    } else if (checkable_) {
        SetCheck(!GetCheck());
    }
    return 0;
}

void CIconButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    // Checked or held down: the pressed look in every enabled state.
    int look = state;
    if (state != Disabled && (down_ || (GetCheck() && GetImageCount() < 8))) look = Pressed;
    DrawFace(cr, look, box);
    if (showTips_ && !tips_.empty()) DrawTips(cr, box);
}

void CIconButton::DrawTips(cairo_t* cr, const Rect& box) {
    TextStyle style = MakeTextStyle(0xFFFFFFFF);
    style.size = std::max(7.0, GetFontWidth() * 0.6);
    style.hAlign = style.vAlign = TextStyle::Center;
    const Size text = MRender::GetTextBounds(style, tips_);
    const int w = std::min(box.Width(), text.cx + 8), h = std::min(box.Height(), text.cy + 2);
    const Rect bubble{box.right - w, box.top, box.right, box.top + h};
    if (tipBack_)
        MRender::DrawImageFrame(cr, tipBack_->Surface(0), bubble, 0, 0, tipBack_->Width(),
                                tipBack_->Height(), std::min(6, h / 2));
    else
        MRender::DrawRoundRectange(cr, bubble.left, bubble.top, w, h, h / 2, 0xFF10A8FD, 1, true,
                                   0xFF10A8FD);
    MRender::DrawTextW(cr, bubble, tips_, style);
}

} // namespace Tolva
