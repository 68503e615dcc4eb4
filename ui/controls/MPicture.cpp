#include "ui/controls/MPicture.h"

#include "ui/controls/ControlCreator.h"
#include "ui/paint/CairoStateGuard.h"

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("MPicture", TitledCreator<MPicture>());
} // namespace

MPicture::MPicture(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                   bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    SetRresponse(false);
    SetImageCount(1);
}

int MPicture::SetShowMode(int mode) {
    if (!drawer_.SetShowMode(mode)) return 0;
    UpdateControl(true);
    return 1;
}

int MPicture::SetShowModeMID(int left, int top, int right, int bottom) {
    if (!drawer_.SetShowModeMID(left, top, right, bottom)) return 0;
    UpdateControl(true);
    return 1;
}

void MPicture::SetCustomRect(const Rect& rect) {
    drawer_.SetCustomRect(rect);
    drawer_.SetShowMode(PictureDrawer::Custom);
    UpdateControl(true);
}

int MPicture::SetFrameIndex(int index) {
    if (index < 0 || index >= GetImageCount()) return 0;
    if (frame_.exchange(index) != index) UpdateControl(true);
    return 1;
}

cairo_surface_t* MPicture::CurrentSurface(Rect& part) const {
    std::shared_ptr<Image> image = GetImage();
    if (!image) return nullptr;
    part = FrameSource(frame_);
    return image->Surface(0);
}

bool MPicture::DrawsUnscaled() const {
    if (drawer_.GetShowMode() != PictureDrawer::Stretch) return false;
    std::shared_ptr<Image> hold = GetImage();
    Rect part;
    if (!CurrentSurface(part)) return false;
    const Rect r = GetRect();
    return part.Width() == r.Width() && part.Height() == r.Height();
}

void MPicture::DrawPicture(cairo_t* cr, const Rect& box) {
    // Keep the image alive while it is drawn.
    std::shared_ptr<Image> hold = GetImage();
    Rect part;
    if (cairo_surface_t* s = CurrentSurface(part)) drawer_.Draw(cr, s, part, box);
}

void MPicture::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (DrawsUnscaled()) {
        // A copy from the image costs what a copy from a cache would, and a cache would double
        // the memory of the largest pictures (a window's background).
        DropMemDC();
        const Rect part = r.Intersect(clip);
        if (part.IsEmpty()) return;
        CairoStateGuard guard(cr);
        cairo_rectangle(cr, part.left, part.top, part.Width(), part.Height());
        cairo_clip(cr);
        DrawPicture(cr, r);
        return;
    }
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        DrawPicture(mem, Rect{0, 0, r.Width(), r.Height()});
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
