#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControlFont.h"
#include "ui/paint/Image.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace Tolva {

// The battery gauge: an outline, a fill as wide as the level, the level as "%d%%", and a
// charging icon (which pulses on the animation timer) while charging.
class TOLVA_API BatteryCtrl : public MControlFont {
public:
    BatteryCtrl(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "BatteryCtrl"; }
    void InitControl(PaintManager* manager) override;
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    int OnControlTimer() override;

    // Loads the outline from the skin folder directly (not through the image cache). Returns 1,
    // or 0 when the file cannot be loaded (the gauge then has no outline).
    int SetImage(const std::string& file, int frames) override;
    using MControlFont::SetImage;
    // Fill and charging images from the skin folder. Returns 1.
    int SetBatteryIcon(const std::string& fillFile, const std::string& chargingFile);
    // Level is kept within 0..100; state 1 is charging. Nothing happens when both are unchanged.
    void SetBatteryInfo(int level, int state);
    int GetBatteryLevel() const { return level_; }
    int GetBatteryState() const { return state_; }
    // Width of the fill drawn for the current level and state (0 while charging).
    int GetFillWidth() const;
    // Brightness of the charging icon, 0..100 (it pulses while the animation runs).
    int GetChargePulse() const;

private:
    std::shared_ptr<Image> Load(const std::string& file) const;

    mutable std::mutex imageLock_;
    std::shared_ptr<Image> outline_;
    std::shared_ptr<Image> fill_;
    std::shared_ptr<Image> charging_;
    std::atomic<int> level_{100};
    std::atomic<int> state_{0};
    std::atomic<int> tick_{0};
};

} // namespace Tolva
