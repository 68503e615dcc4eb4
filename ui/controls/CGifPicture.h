#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MPicture.h"

#include <atomic>

namespace Tolva {

// Animated GIF player (frames decoded by gdk-pixbuf): while running, every fifth animation tick
// shows the next frame, wrapping round.
class TOLVA_API CGifPicture : public MPicture {
public:
    static constexpr int kTicksPerFrame = 5;

    CGifPicture(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);
    ~CGifPicture() override;

    const char* GetObjectClass() const override { return "CGifPicture"; }
    int OnControlTimerKey(uint32_t key) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;

    using MPicture::SetImage;
    int SetImage(const std::string& file, int frames) override;
    // Sets the running flag and the frame shown. Returns 0 (and changes nothing) for a picture
    // of fewer than 2 frames, a frame outside it, or without a paint manager.
    int SetRunState(bool run, int frame = 0);
    bool GetRunState() const { return running_; }
    // Runs only while the pointer is over the picture.
    void SetMouseMoveActive(bool on);
    int GetFrameCount() const;
    int GetCurrentFrame() const { return frame_; }

protected:
    cairo_surface_t* CurrentSurface(Rect& part) const override;

private:
    std::atomic<bool> running_{false};
    std::atomic<int> ticks_{0};
    bool mouseActive_ = false;
};

} // namespace Tolva
