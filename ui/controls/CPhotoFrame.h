#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/CButtonBase.h"
#include "ui/controls/PictureDrawer.h"

namespace Tolva {

// A clickable picture inside a frame: the button state machine (1 on press, 2 on click) with
// the picture drawn by a show mode and a frame strip (one frame per state) around it.
class TOLVA_API CPhotoFrame : public CButtonBase {
public:
    CPhotoFrame(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CPhotoFrame"; }

    using CButtonBase::SetImage;
    int SetImage(const std::string& file) { return SetImage(file, 1); }
    // The frame strip (4 frames: normal, hover, pressed, disabled) and how far the picture sits
    // inside it. Returns 1, or 0 when it cannot load.
    int SetPhotoFrame(const std::string& file, int frames = 4, int inset = 3);
    int SetShowMode(int mode);
    int SetShowModeMID(int left, int top, int right, int bottom);

protected:
    void DrawState(cairo_t* cr, int state, const Rect& box) override;

private:
    PictureDrawer drawer_;
    std::shared_ptr<Image> frameImage_;
    int frameFrames_ = 4;
    int inset_ = 3;
};

} // namespace Tolva
