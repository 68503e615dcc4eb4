#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

#include <atomic>

namespace Tolva {

// The upgrade page's push button; a non-zero upgrade status adds a red badge with "1" at its
// top-right corner (a newer version is available).
class TOLVA_API UpgradeButton : public CButtonBase {
public:
    UpgradeButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                  bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "UpgradeButton"; }
    void SetUpgradeStatus(int status);
    int GetUpgradeStatus() const { return status_; }
    // Icon strip left of the title. Returns 1, or 0 when it cannot load.
    int SetIconImage(const std::string& file, int frames = 1) { return SetIconStrip(file, frames); }

protected:
    void DrawState(cairo_t* cr, int state, const Rect& box) override;

private:
    std::atomic<int> status_{0};
};

} // namespace Tolva
