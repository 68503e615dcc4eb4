#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MPicture.h"

#include <atomic>

namespace Tolva {

// A picture that can be set running: a strip of several frames steps to its next frame every
// fifth animation tick; a one-frame picture slides sideways one pixel per tick, wrapping round.
class TOLVA_API CSliderPicture : public MPicture {
public:
    static constexpr int kTicksPerFrame = 5;

    CSliderPicture(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                   bool visible = true, bool enabled = true);
    ~CSliderPicture() override;

    const char* GetObjectClass() const override { return "CSliderPicture"; }
    int OnControlTimerKey(uint32_t key) override;

    // Returns 0 without a paint manager.
    int SetRun(bool run);
    bool IsRun() const { return running_; }
    int GetSlideOffset() const { return offset_; }

protected:
    void DrawPicture(cairo_t* cr, const Rect& box) override;

private:
    std::atomic<bool> running_{false};
    std::atomic<int> ticks_{0};
    std::atomic<int> offset_{0};
};

} // namespace Tolva
