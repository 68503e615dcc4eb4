#include "ui/widgets/BatteryCtrl.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Tolva {
namespace {

// One pulse of the charging icon lasts 150 ticks of the 10 ms animation timer; the icon is
// redrawn every fifth tick.
constexpr int kPulseTicks = 150;
constexpr int kRedrawEvery = 5;

const ControlFactory::Registrar
    kRegistrar("BatteryCtrl",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<BatteryCtrl>(parent, id, rect, title, visible, enabled);
               });

} // namespace

BatteryCtrl::BatteryCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                         bool visible, bool enabled)
    : MControlFont(parent, id, rect, title, visible, enabled) {
    SetFontWidth(14);
    SetRunTimer(true);
}

void BatteryCtrl::InitControl(PaintManager* manager) {
    if (manager) manager->AddMTimer(this);
}

std::shared_ptr<Image> BatteryCtrl::Load(const std::string& file) const {
    if (file.empty()) return nullptr;
    if (manager_) return Image::Open(manager_->Images().FullPath(file));
    ImageCache names;
    names.SetFolder(Manager::GetSkinFolder());
    return Image::Open(names.FullPath(file));
}

int BatteryCtrl::SetImage(const std::string& file, int) {
    std::shared_ptr<Image> image = Load(file);
    {
        std::lock_guard guard(imageLock_);
        outline_ = image;
    }
    if (IsVisible()) UpdateControl(true);
    return image ? 1 : 0;
}

int BatteryCtrl::SetBatteryIcon(const std::string& fillFile, const std::string& chargingFile) {
    std::shared_ptr<Image> fill = Load(fillFile);
    std::shared_ptr<Image> charging = Load(chargingFile);
    {
        std::lock_guard guard(imageLock_);
        fill_ = fill;
        charging_ = charging;
    }
    if (IsVisible()) UpdateControl(true);
    return 1;
}

void BatteryCtrl::SetBatteryInfo(int level, int state) {
    // The device reports a byte; anything outside a percentage would draw past the outline.
    level = std::clamp(level, 0, 100);
    if (level == level_ && state == state_) return;
    level_ = level;
    state_ = state;
    tick_ = 0;
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", level);
    SetTitle(state != 1 && level > 0 ? std::string(text) : std::string());
    if (IsVisible()) UpdateControl(true);
}

int BatteryCtrl::GetFillWidth() const {
    if (state_ == 1) return 0;
    std::lock_guard guard(imageLock_);
    if (!fill_) return 0;
    return level_ * fill_->Width() / 100;
}

int BatteryCtrl::GetChargePulse() const {
    const double phase = 2 * M_PI * (tick_ % kPulseTicks) / kPulseTicks;
    return static_cast<int>(std::lround(100 * (0.7 + 0.3 * std::cos(phase))));
}

int BatteryCtrl::OnControlTimer() {
    if (state_ != 1) return 0;
    const int tick = ++tick_;
    if (tick % kRedrawEvery == 0 && IsVisible()) UpdateControl(true);
    return 1;
}

void BatteryCtrl::DrawControl(cairo_t* cr, const Rect& clip) {
    const Rect r = GetRect();
    if (UpdateMemDC(r.Width(), r.Height())) {
        std::shared_ptr<Image> outline, fill, charging;
        {
            std::lock_guard guard(imageLock_);
            outline = outline_;
            fill = fill_;
            charging = charging_;
        }
        cairo_t* mem = cairo_create(MemSurface());
        const int ow = outline ? outline->Width() : 0;
        const int oh = outline ? outline->Height() : 0;
        if (outline) MRender::DrawImagePart(mem, outline->Surface(0), {0, 0, ow, oh}, 0, 0, ow, oh);
        const bool isCharging = state_ == 1;
        if (!isCharging && fill) {
            // The fill sits inside the outline with the same margin on the left as above.
            const int margin = std::max(0, (oh - fill->Height()) / 2);
            const int w = GetFillWidth();
            if (w > 0)
                MRender::DrawImagePart(mem, fill->Surface(0),
                                       {margin, margin, margin + w, margin + fill->Height()}, 0, 0,
                                       w, fill->Height());
        }
        // An icon whose pixels are broken has no surface: a null source would spoil `mem`.
        cairo_surface_t* bolt = isCharging && charging ? charging->Surface(0) : nullptr;
        if (bolt) {
            const int cw = charging->Width(), ch = charging->Height();
            const int x = ow + 5, y = (r.Height() - ch) / 2;
            cairo_save(mem);
            cairo_set_source_surface(mem, bolt, x, y);
            cairo_paint_with_alpha(mem, GetChargePulse() / 100.0);
            cairo_restore(mem);
            (void)cw;
        }
        if (!isCharging && level_ > 0) {
            TextStyle style = MakeTextStyle(GetTextColor());
            style.hAlign = TextStyle::Center;
            style.vAlign = TextStyle::Center;
            MRender::DrawTextW(mem, {0, 0, ow > 0 ? ow : r.Width(), r.Height()}, GetTitle(), style);
        }
        cairo_destroy(mem);
    }
    BlitCache(cr, clip);
}

} // namespace Tolva
