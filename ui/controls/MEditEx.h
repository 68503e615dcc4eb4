#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MRichEdit.h"

namespace Tolva {

// A single-line rich edit field with an icon at its left and a tip text shown while it is empty.
class TOLVA_API MEditEx : public MRichEdit {
public:
    MEditEx(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
            bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "MEditEx"; }

    // Icon strip (normal, hover, focused, disabled); 0 when it cannot be loaded.
    int SetIconImage(const std::string& file, int frames = 1);
    bool HasIcon() const { return icon_ != nullptr; }

protected:
    Rect TextBox() const override;
    void DrawDecoration(cairo_t* cr, const Rect& local) override;
    // The icon's place in the control's coordinates.
    Rect IconBox() const;

private:
    std::shared_ptr<Image> icon_;
    int iconFrames_ = 1;
};

} // namespace Tolva
