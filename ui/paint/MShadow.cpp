#include "ui/paint/MShadow.h"

#include "ui/paint/MRender.h"
#include "ui/platform/Platform.h"

#include <algorithm>
#include <cmath>

namespace Tolva {
namespace {

LRESULT ShadowProc(void*, NativeWindow*, uint32_t msg, WPARAM, LPARAM) {
    return msg == WM_NCCREATE ? 1 : 0;
}

} // namespace

MShadow::~MShadow() {
    Destroy();
}

bool MShadow::Create(NativeWindow* owner) {
    if (window_) return true;
    if (!owner || !Platform::IsWindow(owner)) return false;
    owner_ = owner;
    WindowParams params;
    params.title = "Shadow";
    params.rect = owner->GetWindowRect();
    params.owner = owner;
    params.toolWindow = true;
    params.popup = true;
    params.layered = true;
    params.inputTransparent = true;
    window_ = Platform::CreateNativeWindow(params, &ShadowProc, this);
    if (!window_) return false;
    Rebuild();
    return true;
}

void MShadow::Destroy() {
    if (window_ && Platform::IsWindow(window_)) window_->Destroy();
    window_ = nullptr;
    owner_ = nullptr;
    if (bitmap_) cairo_surface_destroy(bitmap_);
    bitmap_ = nullptr;
}

int MShadow::SetSize(int size) {
    if (size < -35 || size > 35) return 0;
    size_ = size;
    Rebuild();
    return 1;
}

int MShadow::SetSharpness(int sharpness) {
    if (sharpness < 0 || sharpness > 35) return 0;
    sharpness_ = sharpness;
    Rebuild();
    return 1;
}

int MShadow::SetDarkness(int darkness) {
    if (darkness < 0 || darkness > 255) return 0;
    darkness_ = darkness;
    Rebuild();
    return 1;
}

int MShadow::SetPosition(int x, int y) {
    if (x < -35 || x > 35 || y < -35 || y > 35) return 0;
    x_ = x;
    y_ = y;
    Rebuild();
    return 1;
}

int MShadow::SetShadowColor(uint32_t colorRef) {
    color_ = colorRef & 0xFFFFFF;
    Rebuild();
    return 1;
}

int MShadow::SetShadowImage(const std::string& path, const Rect& corners) {
    std::shared_ptr<Image> image = Image::Load(path);
    if (!image) return 0;
    image_ = std::move(image);
    corners_ = corners;
    Rebuild();
    return 1;
}

void MShadow::SetShadowShow(bool show) {
    show_ = show;
    Update();
}

void MShadow::DisableShadow(bool disable) {
    disabled_ = disable;
    Update();
}

int MShadow::KernelAlpha(double d, int size, int sharpness, int darkness) {
    const int radius = std::max(size, sharpness);
    const int inner = std::max(size - sharpness, 0);
    if (d < inner) return darkness;
    if (d > radius) return 0;
    const double a = darkness * (1.0 - (d - inner) / (sharpness + 1.0));
    return std::clamp(static_cast<int>(a), 0, 255);
}

cairo_surface_t* MShadow::BuildBitmap(const std::vector<std::pair<int, int>>& rows, int width,
                                      int size, int sharpness, int darkness, uint32_t colorRef) {
    const int radius = std::max({size, sharpness, 0});
    const int h = static_cast<int>(rows.size());
    if (h == 0 || width <= 0) return nullptr;
    const int bw = width + 2 * radius, bh = h + 2 * radius;
    std::vector<uint8_t> alpha(static_cast<size_t>(bw) * bh, 0);
    // One kernel, stamped around each row's extents keeping the larger alpha.
    std::vector<uint8_t> kernel(static_cast<size_t>(2 * radius + 1) * (2 * radius + 1));
    for (int ky = -radius; ky <= radius; ++ky)
        for (int kx = -radius; kx <= radius; ++kx)
            kernel[static_cast<size_t>(ky + radius) * (2 * radius + 1) + kx + radius] =
                static_cast<uint8_t>(
                    KernelAlpha(std::sqrt(double(kx * kx + ky * ky)), size, sharpness, darkness));
    auto stamp = [&](int cx, int cy) {
        for (int ky = -radius; ky <= radius; ++ky) {
            const int y = cy + ky;
            if (y < 0 || y >= bh) continue;
            for (int kx = -radius; kx <= radius; ++kx) {
                const int x = cx + kx;
                if (x < 0 || x >= bw) continue;
                uint8_t& dst = alpha[static_cast<size_t>(y) * bw + x];
                dst = std::max(
                    dst, kernel[static_cast<size_t>(ky + radius) * (2 * radius + 1) + kx + radius]);
            }
        }
    };
    for (int row = 0; row < h; ++row) {
        const auto [l, r] = rows[static_cast<size_t>(row)];
        if (l < 0 || r < l) continue;
        const int y = row + radius;
        stamp(l + radius, y);
        stamp(r + radius, y);
        for (int x = l + radius; x <= r + radius && x < bw; ++x)
            alpha[static_cast<size_t>(y) * bw + x] = static_cast<uint8_t>(darkness);
    }
    cairo_surface_t* s = MRender::CreateARGB32Bitmap(bw, bh);
    if (!s) return nullptr;
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const uint32_t cr = colorRef & 0xFF, cg = (colorRef >> 8) & 0xFF, cb = (colorRef >> 16) & 0xFF;
    for (int y = 0; y < bh; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < bw; ++x) {
            const uint32_t a = alpha[static_cast<size_t>(y) * bw + x];
            line[x] = (a << 24) | ((cr * a / 255) << 16) | ((cg * a / 255) << 8) | (cb * a / 255);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

void MShadow::Rebuild() {
    if (!window_ || !owner_ || !Platform::IsWindow(owner_)) return;
    const Rect r = owner_->GetWindowRect();
    if (r.IsEmpty()) return;
    if (bitmap_) cairo_surface_destroy(bitmap_);
    bitmap_ = nullptr;
    const int radius = std::max({size_, sharpness_, 0});
    if (image_) {
        // The image frames the dialog nine-grid with its corner rectangle as insets.
        const int bw = r.Width() + 2 * radius, bh = r.Height() + 2 * radius;
        bitmap_ = MRender::CreateARGB32Bitmap(bw, bh);
        if (bitmap_) {
            cairo_t* cr = cairo_create(bitmap_);
            MRender::DrawImageFrameMID(cr, image_->Surface(0), {0, 0, bw, bh}, 0, 0,
                                       image_->Width(), image_->Height(), corners_.left,
                                       corners_.top, corners_.right, corners_.bottom);
            cairo_destroy(cr);
        }
    } else {
        std::vector<std::pair<int, int>> rows(static_cast<size_t>(r.Height()), {0, r.Width() - 1});
        bitmap_ = BuildBitmap(rows, r.Width(), size_, sharpness_, darkness_, color_);
    }
    Update();
}

void MShadow::Update() {
    if (!window_ || !owner_ || !Platform::IsWindow(owner_) || !Platform::IsWindow(window_)) return;
    const bool visible = show_ && !disabled_ && owner_->IsVisible() && !owner_->IsIconic();
    if (!visible || !bitmap_) {
        if (window_->IsVisible()) window_->Show(SW_HIDE);
        return;
    }
    const Rect r = owner_->GetWindowRect();
    const int radius = std::max({size_, sharpness_, 0});
    const Rect target{r.left + x_ - radius, r.top + y_ - radius, r.right + x_ + radius,
                      r.bottom + y_ + radius};
    if (!(window_->GetWindowRect() == target)) window_->SetWindowRect(target);
    if (cairo_image_surface_get_width(bitmap_) == target.Width() &&
        cairo_image_surface_get_height(bitmap_) == target.Height())
        window_->Present(bitmap_, {0, 0, target.Width(), target.Height()});
    if (!window_->IsVisible()) window_->Show(SW_SHOWNA);
    // Showing puts a window on top; the shadow goes back below its dialog.
    window_->PlaceBelow(owner_);
}

} // namespace Tolva
