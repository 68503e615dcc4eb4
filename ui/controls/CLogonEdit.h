#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MRichEdit.h"

namespace Tolva {

// A log-on field: a rounded frame that lights up while focused, an icon at the left, a tip text
// while empty, and optionally a masked password.
class TOLVA_API CLogonEdit : public MRichEdit {
public:
    CLogonEdit(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
               bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "CLogonEdit"; }

    // One-frame icon, or a strip of (normal, hover, focused, disabled); 0 when it cannot load.
    int SetIconImage(const std::string& file, int frames = 1);
    // ARGB colours of the frame: resting, under the pointer and focused.
    void SetFrameColors(uint32_t normal, uint32_t hover, uint32_t focused);

protected:
    Rect TextBox() const override;
    void DrawBackground(cairo_t* cr, const Rect& local) override;
    void DrawDecoration(cairo_t* cr, const Rect& local) override;

private:
    Rect IconBox() const;

    std::shared_ptr<Image> icon_;
    int iconFrames_ = 1;
    uint32_t frameNormal_ = 0xFF3A3F47;
    uint32_t frameHover_ = 0xFF5A6270;
    uint32_t frameFocused_ = 0xFF10A8FD;
};

} // namespace Tolva
