#include "ui/controls/CGifPicture.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/PaintManager.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CGifPicture", TitledCreator<CGifPicture>());
} // namespace

CGifPicture::CGifPicture(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : MPicture(parent, id, rect, title, visible, enabled) {}

CGifPicture::~CGifPicture() {
    running_ = false;
    if (manager_) manager_->RemoveMTimer(this);
}

int CGifPicture::SetImage(const std::string& file, int) {
    // A GIF's frames are its animation frames, not parts of a strip.
    const int r = MPicture::SetImage(file, 1);
    if (r) {
        frame_ = 0;
        ticks_ = 0;
    }
    return r;
}

int CGifPicture::GetFrameCount() const {
    std::shared_ptr<Image> image = GetImage();
    return image ? image->FrameCount() : 0;
}

int CGifPicture::SetRunState(bool run, int frame) {
    const int count = GetFrameCount();
    if (!manager_ || count < 2 || frame < 0 || frame >= count) return 0;
    frame_ = frame;
    ticks_ = 0;
    running_ = run;
    if (run) {
        SetRunTimer(true);
        AddMTimer();
    }
    UpdateControl(true);
    return 1;
}

void CGifPicture::SetMouseMoveActive(bool on) {
    mouseActive_ = on;
    SetRresponse(on);
}

int CGifPicture::OnControlMouseMove(unsigned, Point pt) {
    if (!mouseActive_) return 0;
    const bool inside = PtInRect(pt);
    if (inside != running_) SetRunState(inside, frame_);
    return inside ? 1 : 0;
}

int CGifPicture::OnControlTimerKey(uint32_t key) {
    if (!running_ || key != kAnimationTick) return 0;
    if (++ticks_ % kTicksPerFrame != 0) return 1;
    const int count = GetFrameCount();
    if (count < 2) return 1;
    frame_ = (frame_ + 1) % count;
    UpdateControl(true);
    return 1;
}

cairo_surface_t* CGifPicture::CurrentSurface(Rect& part) const {
    std::shared_ptr<Image> image = GetImage();
    if (!image) return nullptr;
    cairo_surface_t* s = image->Surface(frame_);
    if (!s) s = image->Surface(0);
    part = {0, 0, image->Width(), image->Height()};
    return s;
}

} // namespace Tolva
