#pragma once

#include "app/platform/ScreenSampler.h"

typedef struct _GdkDisplay GdkDisplay;

// Screen pixels from the root window of the X display named by $DISPLAY. The sampler opens a
// display connection of its own, so the worker thread can read pixels while the window thread
// keeps the default display; use one sampler from one thread. Without an X display (none, or a
// Wayland one), Width and Height are 0 and Pixel reports nothing.
class GdkScreenSampler : public ScreenSampler {
public:
    GdkScreenSampler();
    ~GdkScreenSampler() override;
    GdkScreenSampler(const GdkScreenSampler&) = delete;
    GdkScreenSampler& operator=(const GdkScreenSampler&) = delete;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Pixel(int x, int y, uint32_t& colour) override;

private:
    GdkDisplay* display_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};
