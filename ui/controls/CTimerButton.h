#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

#include <atomic>
#include <cstdint>

namespace Tolva {

// A push button that, once started, shows its running time and clicks itself (notification 2)
// 10 000 ms after the start, then stops. While running it repaints at most every 800 ms on the
// animation timer.
class TOLVA_API CTimerButton : public CButtonBase {
public:
    static constexpr uint32_t kRunMs = 10000;
    static constexpr uint32_t kRepaintMs = 800;
    static constexpr uint32_t kClickTimerKey = 1;

    CTimerButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);
    ~CTimerButton() override;

    const char* GetObjectClass() const override { return "CTimerButton"; }
    int OnControlTimerKey(uint32_t key) override;

    // Starts (from now) or stops the run. Returns 0 without a paint manager.
    int SetRun(bool run);
    bool IsRun() const { return running_; }
    // Milliseconds since the start (0 when not running).
    uint32_t GetElapsed() const;

protected:
    void DrawState(cairo_t* cr, int state, const Rect& box) override;

private:
    void Finish();

    std::atomic<bool> running_{false};
    std::atomic<uint64_t> start_{0};
    std::atomic<uint64_t> lastPaint_{0};
};

} // namespace Tolva
