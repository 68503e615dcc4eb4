#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"

#include <atomic>

namespace Tolva {

// Progress bar: a background image with the foreground image shown over the done part, and an
// optional percentage text. Running, a highlight sweeps along the done part on the animation
// timer. Without images it draws a track and a bar in the theme's colours.
class TOLVA_API MProgress : public MControlFont {
public:
    MProgress(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
              bool visible = true, bool enabled = true);
    ~MProgress() override;

    const char* GetObjectClass() const override { return "MProgress"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlTimerKey(uint32_t key) override;

    // Clamps to 0..maximum; returns the value kept.
    int SetProgress(int value);
    int GetProgress() const { return value_; }
    // A maximum below 1 is refused (0); the value is clamped to the new maximum.
    int SetMaxProgress(int maximum);
    int GetMaxProgress() const { return max_; }
    // Returns 1, or 0 when the image cannot load.
    int SetBackGroundImage(const std::string& file);
    int SetForeGroundImage(const std::string& file);
    void EnableShowText(bool on);
    // Returns 0 without a paint manager.
    int SetRun(bool run);
    bool IsRun() const { return running_; }
    // Width of the done part for a bar of `width` pixels.
    int DoneWidth(int width) const;

private:
    std::shared_ptr<Image> back_;
    std::shared_ptr<Image> fore_;
    std::atomic<int> value_{0};
    std::atomic<int> max_{100};
    bool showText_ = false;
    std::atomic<bool> running_{false};
    std::atomic<int> sweep_{0};
};

} // namespace Tolva
