#pragma once

#include "ui/TolvaApi.h"
#include "ui/platform/Geometry.h"

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace Tolva {

enum MsgLevel { MsgInfo = 0, MsgWarning = 1, MsgError = 2 };

// The message banner of a window: a text box drawn over everything, optionally with a progress
// bar that animates towards its target and then fades out. It drives three window timers through
// the hooks its owner gives it: 66 (display time), 99 (progress steps) and 88 (fade).
class TOLVA_API MessageBanner {
public:
    static constexpr uint32_t kShowTimer = 66;
    static constexpr uint32_t kFadeTimer = 88;
    static constexpr uint32_t kStepTimer = 99;

    struct Hooks {
        std::function<void(uint32_t id, uint32_t ms)> startTimer;
        std::function<void(uint32_t id)> stopTimer;
        // Null rectangle: repaint everything.
        std::function<void(const Rect* rect)> repaint;
        std::function<Rect()> clientRect;
    };

    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    void SetMessage(const std::string& text, const Rect& rect, int level);
    void SetProgress(int percent, const std::string& text, const Rect& rect);
    // Handles the banner's timers; false for any other id.
    bool OnTimer(uint32_t id);
    // Draws the banner when it is visible (alpha above 10 and some text).
    void Draw(cairo_t* cr, const std::string& family) const;

    int Alpha() const;
    int Progress() const;
    int Target() const;
    Rect GetRect() const;
    std::string Text() const;

private:
    void Start(uint32_t id, uint32_t ms) const;
    void Stop(uint32_t id) const;
    void Repaint(const Rect* rect) const;

    Hooks hooks_;
    mutable std::mutex lock_;
    std::string text_;
    Rect rect_;
    int level_ = MsgInfo;
    int alpha_ = 0;
    int progress_ = 0;
    int target_ = 0;
    bool withProgress_ = false;
};

} // namespace Tolva
