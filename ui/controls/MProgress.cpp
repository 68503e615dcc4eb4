#include "ui/controls/MProgress.h"

#include "ui/controls/ControlCreator.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/CairoStateGuard.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {
const ControlFactory::Registrar kRegistrar("MProgress", TitledCreator<MProgress>());
constexpr int kSweepWidth = 40;
} // namespace

MProgress::MProgress(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                     bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    SetRresponse(false);
    SetAlignment(TextStyle::Center, TextStyle::Center);
}

MProgress::~MProgress() {
    running_ = false;
    if (manager_) manager_->RemoveMTimer(this);
}

int MProgress::SetProgress(int value) {
    value = std::clamp(value, 0, max_.load());
    if (value_.exchange(value) != value) UpdateControl(true);
    return value;
}

int MProgress::SetMaxProgress(int maximum) {
    if (maximum < 1) return 0;
    max_ = maximum;
    value_ = std::min(value_.load(), maximum);
    UpdateControl(true);
    return 1;
}

int MProgress::SetBackGroundImage(const std::string& file) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, 1);
    if (!info) return 0;
    back_ = info->image;
    UpdateControl(true);
    return 1;
}

int MProgress::SetForeGroundImage(const std::string& file) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, 1);
    if (!info) return 0;
    fore_ = info->image;
    UpdateControl(true);
    return 1;
}

void MProgress::EnableShowText(bool on) {
    showText_ = on;
    UpdateControl(true);
}

int MProgress::SetRun(bool run) {
    if (!manager_) return 0;
    running_ = run;
    sweep_ = 0;
    if (run) {
        SetRunTimer(true);
        AddMTimer();
    }
    UpdateControl(true);
    return 1;
}

int MProgress::DoneWidth(int width) const {
    const int m = max_;
    return m > 0 ? static_cast<int>(static_cast<int64_t>(width) * value_ / m) : 0;
}

int MProgress::OnControlTimerKey(uint32_t key) {
    if (!running_ || key != kAnimationTick) return 0;
    const int done = DoneWidth(GetRect().Width());
    sweep_ = done > 0 ? (sweep_ + 2) % (done + kSweepWidth) : 0;
    UpdateControl(true);
    return 1;
}

void MProgress::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        cairo_t* mem = cairo_create(MemSurface());
        const Rect box{0, 0, r.Width(), r.Height()};
        const int corner = std::min(4, box.Height() / 2);
        const int done = DoneWidth(box.Width());
        if (back_)
            MRender::DrawImageFrame(mem, back_->Surface(0), box, 0, 0, back_->Width(),
                                    back_->Height(), corner);
        else
            MRender::DrawRoundRectange(mem, 0, 0, box.Width(), box.Height(), corner, 0xFF2A3038, 1,
                                       true, 0xFF2A3038);
        if (done > 0) {
            CairoStateGuard guard(mem);
            cairo_rectangle(mem, 0, 0, done, box.Height());
            cairo_clip(mem);
            // The foreground spans the whole bar and is cut at the done part, so its ends keep
            // their shape.
            if (fore_)
                MRender::DrawImageFrame(mem, fore_->Surface(0), box, 0, 0, fore_->Width(),
                                        fore_->Height(), corner);
            else
                MRender::DrawRoundRectange(mem, 0, 0, box.Width(), box.Height(), corner,
                                           Manager::GetSelectColor(), 1, true,
                                           Manager::GetSelectColor());
            if (running_) {
                const int x = sweep_ - kSweepWidth;
                cairo_pattern_t* p = cairo_pattern_create_linear(x, 0, x + kSweepWidth, 0);
                cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0);
                cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 1, 1, 0.45);
                cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
                cairo_set_source(mem, p);
                cairo_rectangle(mem, x, 0, kSweepWidth, box.Height());
                cairo_fill(mem);
                cairo_pattern_destroy(p);
            }
        }
        if (showText_) {
            const int m = max_;
            const int percent = m > 0 ? static_cast<int>(int64_t(value_) * 100 / m) : 0;
            TextStyle style = MakeTextStyle(GetTextColor());
            if (!style.family.empty())
                MRender::DrawTextW(mem, box, std::to_string(percent) + "%", style);
        }
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
