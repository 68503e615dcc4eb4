#include "ui/widgets/MPalette.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>
#include <cmath>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("MPalette",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<MPalette>(parent, id, rect, title, visible, enabled);
               });

constexpr int kHalf = HsbColor::kScale / 2;

} // namespace

MPalette::MPalette(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                   bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    thumb_ = PointOf(color_);
}

MPalette::~MPalette() {
    if (field_) cairo_surface_destroy(field_);
}

Rect MPalette::Field() const {
    const Rect r = GetRect();
    return {r.left, r.top, r.right, r.top + GetPalletHeight()};
}

int MPalette::GetPalletHeight() const {
    return palletHeight_ > 0 ? palletHeight_ : GetRect().Height();
}

void MPalette::SetPalletHeight(int height) {
    if (height < 2 || height == palletHeight_) return;
    palletHeight_ = height;
    thumb_ = PointOf(color_);
    UpdateControl(true);
}

// x and y relative to the field.
HsbColor MPalette::HsbAt(int x, int y) const {
    const Rect f = Field();
    const int w = std::max(f.Width(), 2), h = std::max(f.Height(), 2);
    x = std::clamp(x, 0, w - 1);
    y = std::clamp(y, 0, h - 1);
    HsbColor hsb;
    hsb.hue = x * 360 / w;
    // 0..kScale down the field: the upper half adds saturation, the lower half takes brightness.
    const int t = y * HsbColor::kScale / (h - 1);
    hsb.saturation = std::min(HsbColor::kScale, 2 * t);
    hsb.brightness = std::min(HsbColor::kScale, 2 * (HsbColor::kScale - t));
    return hsb;
}

uint32_t MPalette::ColorAt(Point pt) const {
    const Rect f = Field();
    return HsbColor::ToColor(HsbAt(pt.x - f.left, pt.y - f.top));
}

Point MPalette::PointOf(uint32_t colorRef) const {
    const Rect f = Field();
    const int w = std::max(f.Width(), 2), h = std::max(f.Height(), 2);
    const HsbColor hsb = HsbColor::FromColor(colorRef);
    // The field holds full-brightness colours above the middle and full-saturation ones below;
    // a colour with both below full sits where the one further from full puts it.
    int t = kHalf;
    if (hsb.brightness >= hsb.saturation)
        t = hsb.saturation / 2;
    else
        t = HsbColor::kScale - hsb.brightness / 2;
    const int x = std::clamp(hsb.hue * w / 360, 0, w - 1);
    const int y = std::clamp(t * (h - 1) / HsbColor::kScale, 0, h - 1);
    return {x, y};
}

Point MPalette::GetThumbPoint() const {
    const Rect r = GetRect();
    return {r.left + thumb_.x, r.top + thumb_.y};
}

void MPalette::SetSelectColor(uint32_t colorRef) {
    color_ = colorRef & 0xFFFFFF;
    thumb_ = PointOf(color_);
    UpdateControl(true);
}

int MPalette::SetThumbImage(const std::string& file) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, 1);
    if (!info) return 0;
    thumbImage_ = info->image;
    UpdateControl(true);
    return 1;
}

int MPalette::OnControlLButtonDown(unsigned, Point pt) {
    if (!Field().Contains(pt)) return PtInRect(pt) ? 1 : 0;
    dragging_ = true;
    const Rect r = GetRect();
    thumb_ = {pt.x - r.left, pt.y - r.top};
    color_ = ColorAt(pt);
    UpdateControl(true);
    SendMessageW(27, static_cast<WPARAM>(color_), 0);
    return 1;
}

int MPalette::OnControlMouseMove(unsigned, Point pt) {
    if (!dragging_) return PtInRect(pt) ? 1 : 0;
    const Rect f = Field();
    const Point at{std::clamp(pt.x, f.left, f.right - 1), std::clamp(pt.y, f.top, f.bottom - 1)};
    const Rect r = GetRect();
    const Point next{at.x - r.left, at.y - r.top};
    if (next == thumb_) return 1;
    thumb_ = next;
    color_ = ColorAt(at);
    UpdateControl(true);
    SendMessageW(27, 0, 0);
    return 1;
}

int MPalette::OnControlLButtonUp(unsigned, Point pt) {
    const bool was = dragging_;
    dragging_ = false;
    return was || PtInRect(pt) ? 1 : 0;
}

void MPalette::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        const Rect f = Field();
        const int w = f.Width(), h = std::min(f.Height(), r.Height());
        if (w > 0 && h > 0 &&
            (!field_ || cairo_image_surface_get_width(field_) != w ||
             cairo_image_surface_get_height(field_) != h)) {
            if (field_) cairo_surface_destroy(field_);
            field_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
            cairo_surface_flush(field_);
            unsigned char* data = cairo_image_surface_get_data(field_);
            const int stride = cairo_image_surface_get_stride(field_);
            for (int y = 0; y < h; ++y) {
                auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
                for (int x = 0; x < w; ++x) {
                    const uint32_t c = HsbColor::ToColor(HsbAt(x, y));
                    row[x] = 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
                }
            }
            cairo_surface_mark_dirty(field_);
        }
        cairo_t* m = cairo_create(MemSurface());
        if (field_) {
            cairo_set_source_surface(m, field_, 0, 0);
            cairo_paint(m);
        }
        if (thumbImage_) {
            const int tw = thumbImage_->Width(), th = thumbImage_->Height();
            MRender::DrawImagePart(m, thumbImage_->Surface(0),
                                   {thumb_.x - tw / 2, thumb_.y - th / 2, thumb_.x - tw / 2 + tw,
                                    thumb_.y - th / 2 + th},
                                   0, 0, tw, th);
        } else {
            cairo_arc(m, thumb_.x + 0.5, thumb_.y + 0.5, 5, 0, 2 * M_PI);
            MRender::SetSourceARGB(m, 0xFF000000);
            cairo_set_line_width(m, 3);
            cairo_stroke_preserve(m);
            MRender::SetSourceARGB(m, 0xFFFFFFFF);
            cairo_set_line_width(m, 1.5);
            cairo_stroke(m);
        }
        cairo_destroy(m);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
