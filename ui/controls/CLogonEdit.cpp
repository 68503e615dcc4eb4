#include "ui/controls/CLogonEdit.h"

#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {

CLogonEdit::CLogonEdit(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                       bool visible, bool enabled)
    : MRichEdit(parent, id, rect, title, visible, enabled) {
    SetMultiLine(false);
    SetTextPadding(10, 4, 10, 4);
}

int CLogonEdit::SetIconImage(const std::string& file, int frames) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, std::max(1, frames));
    if (!info || !info->image) return 0;
    icon_ = info->image;
    iconFrames_ = std::max(1, info->image->Width() / std::max(1, info->frameWidth));
    Changed(false);
    return 1;
}

void CLogonEdit::SetFrameColors(uint32_t normal, uint32_t hover, uint32_t focused) {
    frameNormal_ = normal;
    frameHover_ = hover;
    frameFocused_ = focused;
    UpdateControl(true);
}

Rect CLogonEdit::IconBox() const {
    if (!icon_) return {};
    const Rect r = GetRect();
    const int w = icon_->Width() / iconFrames_;
    const int h = icon_->Height();
    const int top = r.top + (r.Height() - h) / 2;
    return {r.left + 10, top, r.left + 10 + w, top + h};
}

Rect CLogonEdit::TextBox() const {
    Rect box = MRichEdit::TextBox();
    if (icon_) box.left = std::min(box.right, IconBox().right + 8);
    return box;
}

void CLogonEdit::DrawBackground(cairo_t* cr, const Rect& local) {
    if (GetImage()) {
        MRichEdit::DrawBackground(cr, local);
        return;
    }
    const uint32_t frame = !IsEnabled()  ? 0xFF2A2F36
                           : IsFocused() ? frameFocused_
                           : IsHover()   ? frameHover_
                                         : frameNormal_;
    const int radius = std::min(6, local.Height() / 2);
    MRender::DrawRoundRectange(cr, 0, 0, local.Width() - 1, local.Height() - 1, radius, frame, 1,
                               true, 0xFF101317);
}

void CLogonEdit::DrawDecoration(cairo_t* cr, const Rect&) {
    if (!icon_) return;
    const Rect r = GetRect();
    const int w = icon_->Width() / iconFrames_;
    const int frame = std::min(iconFrames_ - 1, !IsEnabled()  ? 3
                                                : IsFocused() ? 2
                                                : IsHover()   ? 1
                                                              : 0);
    MRender::DrawImagePart(cr, icon_->Surface(0), IconBox().Offset(-r.left, -r.top), frame * w, 0,
                           w, icon_->Height());
}

} // namespace Tolva
