#include "ui/controls/MEditEx.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("MEditEx", TitledCreator<MEditEx>());

} // namespace

MEditEx::MEditEx(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                 bool visible, bool enabled)
    : MRichEdit(parent, id, rect, title, visible, enabled) {
    SetMultiLine(false);
}

int MEditEx::SetIconImage(const std::string& file, int frames) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, std::max(1, frames));
    if (!info || !info->image) return 0;
    icon_ = info->image;
    iconFrames_ = std::max(1, info->image->Width() / std::max(1, info->frameWidth));
    Changed(false);
    return 1;
}

Rect MEditEx::IconBox() const {
    if (!icon_) return {};
    const Rect r = GetRect();
    const int w = icon_->Width() / iconFrames_;
    const int h = icon_->Height();
    const int left = r.left + 6;
    const int top = r.top + (r.Height() - h) / 2;
    return {left, top, left + w, top + h};
}

Rect MEditEx::TextBox() const {
    Rect box = MRichEdit::TextBox();
    if (icon_) box.left = std::min(box.right, IconBox().right + 6);
    return box;
}

void MEditEx::DrawDecoration(cairo_t* cr, const Rect& local) {
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
