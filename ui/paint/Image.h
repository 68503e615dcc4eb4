#pragma once

#include "ui/TolvaApi.h"

#include <cairo.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tolva {

// A picture: one premultiplied ARGB32 surface per animation frame (one for still images). An
// opened image knows its size from the file header and decodes its pixels on first use, once.
class TOLVA_API Image {
public:
    Image() = default;
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Decodes PNG, GIF (every frame) and ICO files now; null when the file is missing or
    // unreadable.
    static std::shared_ptr<Image> Load(const std::string& path);
    // Reads the size only; null when the file is missing or has no readable header. The pixels
    // are decoded by the first Surface, FrameCount or FrameDelay, from any thread; when they turn
    // out broken the image has no frames.
    static std::shared_ptr<Image> Open(const std::string& path);
    // Takes ownership of the surface; null when the surface is null or not an image surface.
    static std::shared_ptr<Image> FromSurface(cairo_surface_t* surface);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int FrameCount() const;
    // The surface of an animation frame; null for an index out of range.
    cairo_surface_t* Surface(int frame = 0) const;
    // Display time of an animation frame in milliseconds (0 for still images).
    int FrameDelay(int frame) const;
    bool IsDecoded() const { return decoded_.load(std::memory_order_acquire); }

private:
    void EnsureDecoded() const;
    void Decode();
    void DecodeFrames();

    std::string path_;
    mutable std::once_flag decodeOnce_;
    mutable std::atomic<bool> decoded_{false};
    // Written once, inside decodeOnce_, then only read.
    std::vector<cairo_surface_t*> frames_;
    std::vector<int> delays_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace Tolva
