#include "ui/controls/CPhotoFrame.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CPhotoFrame", TitledCreator<CPhotoFrame>());
} // namespace

CPhotoFrame::CPhotoFrame(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {
    SetImageCount(1);
}

int CPhotoFrame::SetPhotoFrame(const std::string& file, int frames, int inset) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, frames);
    if (!info) return 0;
    frameImage_ = info->image;
    frameFrames_ = std::max(info->frameCount, 1);
    inset_ = std::max(inset, 0);
    UpdateControl(true);
    return 1;
}

int CPhotoFrame::SetShowMode(int mode) {
    if (!drawer_.SetShowMode(mode)) return 0;
    UpdateControl(true);
    return 1;
}

int CPhotoFrame::SetShowModeMID(int left, int top, int right, int bottom) {
    if (!drawer_.SetShowModeMID(left, top, right, bottom)) return 0;
    UpdateControl(true);
    return 1;
}

void CPhotoFrame::DrawState(cairo_t* cr, int state, const Rect& box) {
    const Rect inner = box.Inflate(-inset_, -inset_);
    // A checked photo frame shows as pressed: it is the selected one.
    const int look = GetCheck() && state != Disabled ? Pressed : state;
    if (frameImage_) {
        const int fw = frameImage_->Width() / frameFrames_;
        const int frame = std::min(look, frameFrames_ - 1);
        MRender::DrawImageFrame(cr, frameImage_->Surface(0), box, frame * fw, 0, fw,
                                frameImage_->Height(), std::max(GetFrameSize(), inset_));
    } else {
        const uint32_t color = look == Disabled  ? 0xFF2A2E35
                               : look == Pressed ? Manager::GetSelectColor()
                               : look == Hover   ? 0xFF7AD3FF
                                                 : 0xFF3A3F47;
        MRender::DrawRectangle(cr, box, color, look == Pressed ? 2 : 1);
    }
    // The picture goes over the frame strip, whose middle is usually opaque.
    if (std::shared_ptr<Image> picture = GetImage())
        drawer_.Draw(cr, picture->Surface(0), FrameSource(0), inner);
    if (!GetControlTitle().empty()) DrawTitle(cr, inner, TitleColor(state));
}

} // namespace Tolva
