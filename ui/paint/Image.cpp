#include "ui/paint/Image.h"

#include "ui/paint/PngReader.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstring>

namespace Tolva {
namespace {

// gdk-pixbuf gives straight RGBA bytes; cairo wants premultiplied native-endian ARGB words.
cairo_surface_t* SurfaceFromPixbuf(const GdkPixbuf* pixbuf) {
    const int w = gdk_pixbuf_get_width(pixbuf);
    const int h = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
    const int srcStride = gdk_pixbuf_get_rowstride(pixbuf);
    const guint8* src = gdk_pixbuf_read_pixels(pixbuf);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* dst = cairo_image_surface_get_data(surface);
    const int dstStride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < h; ++y) {
        const guint8* s = src + static_cast<size_t>(y) * srcStride;
        auto* d = reinterpret_cast<uint32_t*>(dst + static_cast<size_t>(y) * dstStride);
        for (int x = 0; x < w; ++x, s += channels) {
            const uint32_t a = alpha ? s[3] : 255;
            const uint32_t r = s[0] * a / 255;
            const uint32_t g = s[1] * a / 255;
            const uint32_t b = s[2] * a / 255;
            d[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

bool SamePixels(cairo_surface_t* a, cairo_surface_t* b) {
    const int h = cairo_image_surface_get_height(a);
    const int stride = cairo_image_surface_get_stride(a);
    if (h != cairo_image_surface_get_height(b) || stride != cairo_image_surface_get_stride(b) ||
        cairo_image_surface_get_width(a) != cairo_image_surface_get_width(b))
        return false;
    return std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b),
                       static_cast<size_t>(stride) * h) == 0;
}

} // namespace

Image::~Image() {
    for (cairo_surface_t* s : frames_)
        cairo_surface_destroy(s);
}

void Image::EnsureDecoded() const {
    if (IsDecoded()) return;
    // Decoding fills members that nothing reads before the flag is set.
    std::call_once(decodeOnce_, [this] {
        const_cast<Image*>(this)->Decode();
        decoded_.store(true, std::memory_order_release);
    });
}

int Image::FrameCount() const {
    EnsureDecoded();
    return static_cast<int>(frames_.size());
}

cairo_surface_t* Image::Surface(int frame) const {
    EnsureDecoded();
    if (frame < 0 || frame >= static_cast<int>(frames_.size())) return nullptr;
    return frames_[static_cast<size_t>(frame)];
}

int Image::FrameDelay(int frame) const {
    EnsureDecoded();
    if (frame < 0 || frame >= static_cast<int>(delays_.size())) return 0;
    return delays_[static_cast<size_t>(frame)];
}

std::shared_ptr<Image> Image::FromSurface(cairo_surface_t* surface) {
    if (!surface) return nullptr;
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    auto image = std::make_shared<Image>();
    image->width_ = cairo_image_surface_get_width(surface);
    image->height_ = cairo_image_surface_get_height(surface);
    image->frames_.push_back(surface);
    image->delays_.push_back(0);
    image->decoded_.store(true, std::memory_order_release);
    return image;
}

std::shared_ptr<Image> Image::Open(const std::string& path) {
    if (path.empty()) return nullptr;
    int w = 0, h = 0;
    switch (PngReader::ReadHeader(path, w, h)) {
    case PngReader::Header::Missing:
    case PngReader::Header::Malformed:
        return nullptr;
    case PngReader::Header::NotPng:
        if (!gdk_pixbuf_get_file_info(path.c_str(), &w, &h) || w <= 0 || h <= 0) return nullptr;
        break;
    case PngReader::Header::Sound:
        break;
    }
    auto image = std::make_shared<Image>();
    image->path_ = path;
    image->width_ = w;
    image->height_ = h;
    return image;
}

std::shared_ptr<Image> Image::Load(const std::string& path) {
    if (path.empty()) return nullptr;
    auto image = std::make_shared<Image>();
    image->path_ = path;
    image->EnsureDecoded();
    if (image->frames_.empty()) return nullptr;
    image->width_ = cairo_image_surface_get_width(image->frames_[0]);
    image->height_ = cairo_image_surface_get_height(image->frames_[0]);
    return image;
}

void Image::Decode() {
    DecodeFrames();
    // Callers size their source rectangles from the header: pixels of another size are broken.
    const bool sized = width_ > 0 || height_ > 0;
    for (cairo_surface_t* s : frames_) {
        if (!sized || (cairo_image_surface_get_width(s) == width_ &&
                       cairo_image_surface_get_height(s) == height_))
            continue;
        for (cairo_surface_t* f : frames_)
            cairo_surface_destroy(f);
        frames_.clear();
        delays_.clear();
        return;
    }
}

void Image::DecodeFrames() {
    if (path_.empty()) return;
    int w = 0, h = 0;
    if (PngReader::ReadHeader(path_, w, h) == PngReader::Header::Sound) {
        if (cairo_surface_t* s = PngReader::Decode(path_)) {
            frames_.push_back(s);
            delays_.push_back(0);
        }
        return;
    }
    GError* error = nullptr;
    GdkPixbufAnimation* anim = gdk_pixbuf_animation_new_from_file(path_.c_str(), &error);
    if (!anim) {
        if (error) g_error_free(error);
        return;
    }
    if (gdk_pixbuf_animation_is_static_image(anim)) {
        GdkPixbuf* pixbuf = gdk_pixbuf_animation_get_static_image(anim);
        if (cairo_surface_t* s = pixbuf ? SurfaceFromPixbuf(pixbuf) : nullptr) {
            frames_.push_back(s);
            delays_.push_back(0);
        }
    } else {
        // Walk the animation on its own clock: each frame is shown for its delay.
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        GTimeVal t{1000, 0};
        GdkPixbufAnimationIter* iter = gdk_pixbuf_animation_get_iter(anim, &t);
        // The loader may compose every frame into the same picture, so the loop is over when
        // the first frame's pixels come round again (or after a minute of animation).
        long elapsedMs = 0;
        for (int guard = 0; guard < 1024 && elapsedMs < 60000; ++guard) {
            GdkPixbuf* pixbuf = gdk_pixbuf_animation_iter_get_pixbuf(iter);
            if (!pixbuf) break;
            cairo_surface_t* s = SurfaceFromPixbuf(pixbuf);
            if (!s) break;
            if (!frames_.empty() && SamePixels(s, frames_.front())) {
                cairo_surface_destroy(s);
                break;
            }
            const int delay = gdk_pixbuf_animation_iter_get_delay_time(iter);
            frames_.push_back(s);
            delays_.push_back(delay < 0 ? 0 : delay);
            if (delay <= 0) break;
            elapsedMs += delay;
            g_time_val_add(&t, static_cast<glong>(delay) * 1000);
            gdk_pixbuf_animation_iter_advance(iter, &t);
        }
        g_object_unref(iter);
        G_GNUC_END_IGNORE_DEPRECATIONS
    }
    g_object_unref(anim);
}

} // namespace Tolva
