#pragma once

#include "ui/TolvaApi.h"

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

namespace Tolva {

// A decoded picture: one premultiplied ARGB32 surface per animation frame (one for still images).
class TOLVA_API Image {
public:
    Image() = default;
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Decodes PNG, GIF (every frame) and ICO files; null when the file is missing or unreadable.
    static std::shared_ptr<Image> Load(const std::string& path);
    // Takes ownership of the surface; null when the surface is null or not an image surface.
    static std::shared_ptr<Image> FromSurface(cairo_surface_t* surface);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    // The surface of an animation frame; null for an index out of range.
    cairo_surface_t* Surface(int frame = 0) const;
    // Display time of an animation frame in milliseconds (0 for still images).
    int FrameDelay(int frame) const;

private:
    std::vector<cairo_surface_t*> frames_;
    std::vector<int> delays_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace Tolva
