#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/PictureDrawer.h"
#include "ui/core/MControlFont.h"

#include <atomic>

namespace Tolva {

// A picture from the skin: one frame of its image strip, stretched (default), centred,
// nine-grid (SetShowModeMID) or a custom part of it.
class TOLVA_API MPicture : public MControlFont {
public:
    MPicture(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
             bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MPicture"; }
    void DrawControl(cairo_t* cr, const Rect& clip) override;

    using MControlFont::SetImage;
    // A one-frame picture. Returns 1, or 0 when it cannot load (the old picture stays).
    int SetImage(const std::string& file) { return SetImage(file, 1); }
    // PictureDrawer modes; 0 for an unknown mode (nothing changes).
    int SetShowMode(int mode);
    int GetShowMode() const { return drawer_.GetShowMode(); }
    int SetShowModeMID(int left, int top, int right, int bottom);
    void SetCustomRect(const Rect& rect);
    // The strip frame shown; 0 for an index outside the strip (nothing changes).
    int SetFrameIndex(int index);
    int GetFrameIndex() const { return frame_; }

protected:
    // The surface and the part of it that is shown now.
    virtual cairo_surface_t* CurrentSurface(Rect& part) const;
    // Draws the picture into `box` of the cache.
    virtual void DrawPicture(cairo_t* cr, const Rect& box);
    // True when the current frame is shown at its own size, with nothing to scale.
    bool DrawsUnscaled() const;

    PictureDrawer drawer_;
    std::atomic<int> frame_{0};
};

} // namespace Tolva
