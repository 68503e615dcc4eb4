#include "ui/widgets/CirclePalette.h"

#include "ui/core/ControlFactory.h"
#include "ui/paint/MRender.h"
#include "ui/widgets/HsbColor.h"

#include <cmath>
#include <cstdlib>

namespace Tolva {
namespace {

const ControlFactory::Registrar kRegistrar("CirclePalette",
                                           [](MObject* parent, unsigned id, const Rect& rect,
                                              const std::string& title, bool visible,
                                              bool enabled) -> std::unique_ptr<MControl> {
                                               return std::make_unique<CirclePalette>(
                                                   parent, id, rect, title, visible, enabled);
                                           });

} // namespace

CirclePalette::CirclePalette(MObject* parent, unsigned id, const Rect& rect,
                             const std::string& title, bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled), thumb_{100, 30, 100 + kThumbSize,
                                                                      30 + kThumbSize} {}

Point CirclePalette::Centre() const {
    const Rect r = GetRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int CirclePalette::GetDistanse(Point pt) const {
    const Point c = Centre();
    const double dx = static_cast<double>(pt.x) - c.x, dy = static_cast<double>(pt.y) - c.y;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy));
}

Rect CirclePalette::GetThumbRect() const {
    const Rect r = GetRect();
    return thumb_.Offset(r.left, r.top);
}

uint32_t CirclePalette::ColorAt(Point pt) const {
    const Point c = Centre();
    if (std::shared_ptr<Image> image = GetImage()) {
        cairo_surface_t* s = image->Surface(0);
        const Size frame = GetImageSize();
        // The image is drawn centred at its natural size (see DrawControl).
        const int ix = pt.x - c.x + frame.cx / 2;
        const int iy = pt.y - c.y + frame.cy / 2;
        if (s && ix >= 0 && iy >= 0 && ix < frame.cx && iy < frame.cy) {
            cairo_surface_flush(s);
            const auto* row = reinterpret_cast<const uint32_t*>(
                cairo_image_surface_get_data(s) + iy * cairo_image_surface_get_stride(s));
            const uint32_t p = row[ix];
            const uint32_t a = p >> 24;
            if (a > 0) {
                auto un = [a](uint32_t v) {
                    return std::min<uint32_t>(255, (v * 255 + a / 2) / a);
                };
                const uint32_t red = un((p >> 16) & 0xFF), green = un((p >> 8) & 0xFF),
                               blue = un(p & 0xFF);
                return (blue << 16) | (green << 8) | red;
            }
        }
    }
    // No ring to read from: the pure hue of the angle, as a hue ring would show it.
    const double angle = std::atan2(pt.y - c.y, pt.x - c.x) * 180.0 / M_PI;
    int hue = static_cast<int>(std::lround(angle < 0 ? angle + 360 : angle)) % 360;
    return HsbColor::ToColor({hue, HsbColor::kScale, HsbColor::kScale});
}

bool CirclePalette::MoveThumbPos(Point pt) {
    const int d = GetDistanse(pt);
    if (d <= kInnerRadius || d > kOuterRadius) return false;
    lastDrag_ = pt;
    const Rect r = GetRect();
    const Rect next{pt.x - r.left - kThumbSize / 2, pt.y - r.top - kThumbSize / 2,
                    pt.x - r.left + kThumbSize / 2, pt.y - r.top + kThumbSize / 2};
    if (next == thumb_) return true;
    thumb_ = next;
    color_ = ColorAt(pt);
    UpdateControl(true);
    SendMessageW(27, 0, static_cast<LPARAM>(color_));
    return true;
}

void CirclePalette::SetSelectColor(uint32_t colorRef) {
    color_ = colorRef & 0xFFFFFF;
    UpdateControl(true);
}

int CirclePalette::OnControlMouseMove(unsigned, Point pt) {
    if (dragState_ == 2) {
        if (std::abs(pt.x - lastDrag_.x) < kDragStep && std::abs(pt.y - lastDrag_.y) < kDragStep)
            return 1;
        MoveThumbPos(pt);
        return 1;
    }
    const int state = GetThumbRect().Contains(pt) ? 1 : 0;
    if (state != dragState_) {
        dragState_ = state;
        UpdateControl(true);
    }
    return PtInRect(pt) ? 1 : 0;
}

int CirclePalette::OnControlLButtonDown(unsigned, Point pt) {
    if (!PtInRect(pt)) return 0;
    if (GetThumbRect().Contains(pt)) {
        dragState_ = 2;
        lastDrag_ = pt;
    }
    MoveThumbPos(pt);
    return 1;
}

int CirclePalette::OnControlLButtonUp(unsigned, Point pt) {
    const int was = dragState_;
    dragState_ = GetThumbRect().Contains(pt) ? 1 : 0;
    if (was != dragState_) UpdateControl(true);
    return PtInRect(pt) ? 1 : 0;
}

void CirclePalette::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* m = cairo_create(MemSurface());
        const Point c{r.Width() / 2, r.Height() / 2};
        if (std::shared_ptr<Image> image = GetImage()) {
            const Size frame = GetImageSize();
            const Rect at{c.x - frame.cx / 2, c.y - frame.cy / 2, c.x - frame.cx / 2 + frame.cx,
                          c.y - frame.cy / 2 + frame.cy};
            MRender::DrawImagePart(m, image->Surface(0), at, 0, 0, frame.cx, frame.cy);
        }
        // The hole of the ring previews the chosen colour.
        cairo_arc(m, c.x, c.y, kInnerRadius - 8, 0, 2 * M_PI);
        MRender::SetSourceARGB(m, MRender::ColorRefToARGB(color_));
        cairo_fill_preserve(m);
        MRender::SetSourceARGB(m, 0xFF595959);
        cairo_set_line_width(m, 1);
        cairo_stroke(m);
        const double tx = thumb_.left + kThumbSize / 2.0, ty = thumb_.top + kThumbSize / 2.0;
        cairo_arc(m, tx, ty, kThumbSize / 2.0 + 1, 0, 2 * M_PI);
        MRender::SetSourceARGB(m, 0xFF202020);
        cairo_fill(m);
        cairo_arc(m, tx, ty, kThumbSize / 2.0 - 0.5, 0, 2 * M_PI);
        MRender::SetSourceARGB(m, MRender::ColorRefToARGB(color_));
        cairo_fill_preserve(m);
        MRender::SetSourceARGB(m, dragState_ ? 0xFF10A8FD : 0xFFFFFFFF);
        cairo_set_line_width(m, 1.5);
        cairo_stroke(m);
        cairo_destroy(m);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
