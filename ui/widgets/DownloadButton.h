#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"

#include <atomic>

namespace Tolva {

// The download button: an ordinary push button until a download runs, then a progress bar (frame
// 0 as the track, frame 1 as the fill) with the percentage over it.
class TOLVA_API DownloadButton : public CButtonBase {
public:
    DownloadButton(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                   bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "DownloadButton"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;
    // Kept within 0..100; 0 (or below) shows the plain button again.
    void SetDownloadProcess(int percent);
    int GetDownloadProcess() const { return progress_; }
    // Width of the fill for the current progress (0 without progress).
    int GetFillWidth() const;
    // Icon strip left of the title. Returns 1, or 0 when it cannot load.
    int SetIconImage(const std::string& file, int frames = 1) { return SetIconStrip(file, frames); }

private:
    std::atomic<int> progress_{0};
};

} // namespace Tolva
