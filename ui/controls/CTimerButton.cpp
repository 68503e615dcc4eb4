#include "ui/controls/CTimerButton.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("CTimerButton", TitledCreator<CTimerButton>());
} // namespace

CTimerButton::CTimerButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : CButtonBase(parent, id, rect, title, visible, enabled) {}

CTimerButton::~CTimerButton() {
    running_ = false;
    if (manager_) {
        manager_->KillTimer(this);
        manager_->RemoveMTimer(this);
    }
}

int CTimerButton::SetRun(bool run) {
    if (!manager_) return 0;
    if (!run) {
        running_ = false;
        manager_->KillTimer(this, kClickTimerKey);
        UpdateControl(true);
        return 1;
    }
    const uint64_t now = Platform::NowMs();
    start_ = now;
    lastPaint_ = now;
    running_ = true;
    SetRunTimer(true);
    AddMTimer();
    // The click is a notification to the window, so it comes from a window timer (window thread)
    // rather than from an animation tick; restarting it measures from this start.
    manager_->KillTimer(this, kClickTimerKey);
    manager_->SetTimer(this, kClickTimerKey, kRunMs);
    UpdateControl(true);
    return 1;
}

uint32_t CTimerButton::GetElapsed() const {
    if (!running_) return 0;
    const uint64_t now = Platform::NowMs();
    return static_cast<uint32_t>(std::min<uint64_t>(now - std::min(now, start_.load()), kRunMs));
}

void CTimerButton::Finish() {
    if (!running_.exchange(false)) return;
    if (manager_) manager_->KillTimer(this, kClickTimerKey);
    UpdateControl(true);
    SendMessageW(2, 0, 0);
}

int CTimerButton::OnControlTimerKey(uint32_t key) {
    if (!running_) return 0;
    if (key == kClickTimerKey) {
        Finish();
        return 1;
    }
    if (key != kAnimationTick) return 0;
    const uint64_t now = Platform::NowMs();
    if (now - std::min(now, lastPaint_.load()) >= kRepaintMs) {
        lastPaint_ = now;
        UpdateControl(true);
    }
    return 1;
}

void CTimerButton::DrawState(cairo_t* cr, int state, const Rect& box) {
    DrawFace(cr, state, box);
    if (!running_) return;
    // How much of the run has passed, as a thin bar along the bottom edge.
    const int inner = std::max(box.Width() - 2 * GetFrameSize(), 0);
    const int done = static_cast<int>(static_cast<int64_t>(inner) * GetElapsed() / kRunMs);
    const int x = box.left + GetFrameSize();
    MRender::DrawColor(cr, Rect{x, box.bottom - 4, x + inner, box.bottom - 2}, 0x40FFFFFF);
    MRender::DrawColor(cr, Rect{x, box.bottom - 4, x + done, box.bottom - 2},
                       Manager::GetSelectColor());
}

} // namespace Tolva
