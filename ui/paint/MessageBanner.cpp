#include "ui/paint/MessageBanner.h"

#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"

namespace Tolva {

void MessageBanner::Start(uint32_t id, uint32_t ms) const {
    if (hooks_.startTimer) hooks_.startTimer(id, ms);
}

void MessageBanner::Stop(uint32_t id) const {
    if (hooks_.stopTimer) hooks_.stopTimer(id);
}

void MessageBanner::Repaint(const Rect* rect) const {
    if (hooks_.repaint) hooks_.repaint(rect);
}

void MessageBanner::SetMessage(const std::string& text, const Rect& rect, int level) {
    Stop(kShowTimer);
    Stop(kFadeTimer);
    {
        std::lock_guard guard(lock_);
        alpha_ = 255;
        text_ = text;
        level_ = level;
        rect_ = rect;
        progress_ = 0;
        withProgress_ = false;
    }
    Repaint(&rect);
    Start(kShowTimer, 3000);
}

void MessageBanner::SetProgress(int percent, const std::string& text, const Rect& rect) {
    Rect area = rect;
    if (area.IsEmpty()) {
        const Rect client = hooks_.clientRect ? hooks_.clientRect() : Rect{};
        area = {0, client.bottom - 60, client.Width(), client.bottom - 2};
    }
    bool jump = false;
    int progress = 0;
    {
        std::lock_guard guard(lock_);
        if (percent == target_) return;
        alpha_ = 255;
        text_ = text;
        target_ = percent;
        rect_ = area;
        withProgress_ = true;
        jump = target_ - progress_ < 6;
        if (jump) progress_ = target_;
        progress = progress_;
    }
    if (percent < 5) Stop(kFadeTimer);
    if (jump) {
        Repaint(&area);
        if (progress > 99) Start(kFadeTimer, 50);
    } else {
        Start(kStepTimer, 10);
    }
}

bool MessageBanner::OnTimer(uint32_t id) {
    if (id == kShowTimer) {
        // The banner stays until it fades; this timer only bounds its display time.
        Stop(kShowTimer);
        return true;
    }
    if (id == kStepTimer) {
        Rect area;
        int progress = 0;
        bool done = false;
        {
            std::lock_guard guard(lock_);
            // Steps never run past the target, so a target below 100 never starts the fade.
            progress_ = std::min(progress_ + 2, std::max(target_, progress_));
            done = progress_ >= target_;
            progress = progress_;
            area = rect_;
        }
        if (done) Stop(kStepTimer);
        Repaint(&area);
        if (progress >= 100) Start(kFadeTimer, 50);
        return true;
    }
    if (id == kFadeTimer) {
        Rect area;
        bool hidden = false;
        {
            std::lock_guard guard(lock_);
            alpha_ -= 10;
            hidden = alpha_ < 20;
            if (hidden) {
                alpha_ = 0;
                progress_ = 0;
                // A finished banner accepts the same target again for the next operation.
                target_ = 0;
            }
            area = rect_;
        }
        if (hidden) {
            Stop(kFadeTimer);
            Repaint(nullptr);
        } else {
            Repaint(&area);
        }
        return true;
    }
    return false;
}

void MessageBanner::Draw(cairo_t* cr, const std::string& family) const {
    std::lock_guard guard(lock_);
    if (alpha_ <= 10 || text_.empty() || rect_.IsEmpty()) return;
    const auto a = static_cast<uint32_t>(alpha_) << 24;
    MRender::DrawColor(cr, rect_, a | 0xE6E6E6);
    MRender::DrawColor(cr, rect_.Inflate(-2, -2), a | 0xFEFEFE);
    TextStyle style;
    style.family = family;
    style.size = 12; // points
    style.color = a | 0x050505;
    if (!withProgress_) {
        style.vAlign = TextStyle::Center;
        MRender::DrawTextW(cr, {rect_.left + 5, rect_.top + 5, rect_.left + 195, rect_.top + 55},
                           text_, style);
        return;
    }
    style.hAlign = TextStyle::Center;
    style.vAlign = TextStyle::Center;
    MRender::DrawTextW(cr, {rect_.left + 5, rect_.top + 5, rect_.right - 5, rect_.top + 35}, text_,
                       style);
    const int y = rect_.bottom - 15;
    MRender::DrawColor(cr, {rect_.left + 10, y, rect_.right - 20, y + 1}, 0xC8C8C8C8);
    const int barWidth = progress_ * (rect_.Width() - 20) / 100;
    MRender::DrawColor(
        cr, {rect_.left + 10, rect_.bottom - 16, rect_.left + 10 + barWidth, rect_.bottom - 13},
        0xFEFFE100);
}

int MessageBanner::Alpha() const {
    std::lock_guard guard(lock_);
    return alpha_;
}

int MessageBanner::Progress() const {
    std::lock_guard guard(lock_);
    return progress_;
}

int MessageBanner::Target() const {
    std::lock_guard guard(lock_);
    return target_;
}

Rect MessageBanner::GetRect() const {
    std::lock_guard guard(lock_);
    return rect_;
}

std::string MessageBanner::Text() const {
    std::lock_guard guard(lock_);
    return text_;
}

} // namespace Tolva
