#pragma once

#include "ui/TolvaApi.h"
#include "ui/core/MControl.h"
#include "ui/paint/Image.h"
#include "ui/paint/TextStyle.h"

#include <pango/pango.h>

#include <memory>
#include <mutex>
#include <string>

namespace Tolva {

// A control with a title, text attributes and a state image strip.
class TOLVA_API MControlFont : public MControl {
public:
    MControlFont(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
                 bool visible = true, bool enabled = true);

    // Virtual operations added by titled controls.
    virtual void SetTextFont(const std::string& name);
    virtual void SetTextColor(uint32_t argb);
    // Loads a skin image strip through the manager's cache. Returns 1, or 0 when the control has
    // no manager or the image cannot be loaded (the old image stays).
    virtual int SetImage(const std::string& file, int frames);
    virtual int SetImage(int resourceId, const std::string& type, int frames);
    virtual void SetControlTitle(const std::string& text);
    virtual std::string GetControlTitle() const;

    void SetTitle(const std::string& text) { SetControlTitle(text); }
    std::string GetTitle() const { return GetControlTitle(); }
    void SetAlignment(int h);
    void SetVAlignment(int v);
    void SetAlignment(int h, int v);
    void GetAlignment(int& h, int& v) const;
    void SetFont(const std::string& name, int size, int style);
    std::string GetTextFont() const;
    void SetFontStyle(int style);
    int GetFontStyle() const { return fontStyle_; }
    // Font sizes are in points; sizes of 0 or less are ignored, larger ones than kMaxFontSize
    // are taken as kMaxFontSize.
    static constexpr int kMaxFontSize = 400;
    void SetFontWidth(int size);
    int GetFontWidth() const { return fontSize_; }
    uint32_t GetTextColor() const { return textColor_; }
    void SetTextRenderingHint(int hint) { renderingHint_ = hint; }
    int GetTextRenderingHint() const { return renderingHint_; }
    void EnableMultiLine(bool on);
    bool IsMultiLine() const { return multiLine_; }
    std::string GetImagePath() const;
    // Frame width and height of the image strip (0, 0 without an image).
    Size GetImageSize() const;
    void SetImageCount(int frames);
    int GetImageCount() const { return frameCount_; }
    // The family text is drawn with ("" when none exists).
    std::string GetFontFamily(const std::string& name) const;
    std::shared_ptr<Image> GetImage() const;
    // A font description with the control's face, size and style, made on first use and kept
    // until ClearGDIFont (owned by the control).
    const PangoFontDescription* GetGDIFont();
    void ClearGDIFont();
    ~MControlFont() override;

protected:
    // The text attributes as a drawing style, in `color` (ARGB).
    TextStyle MakeTextStyle(uint32_t color) const;
    void DrawTitle(cairo_t* cr, const Rect& box, uint32_t color) const;
    // Draws frame `frame` of the strip nine-grid into `dest`.
    void DrawImageState(cairo_t* cr, int frame, const Rect& dest, int corner) const;
    // Source rectangle of a frame: (frame x frame width, 0, frame width, height).
    Rect FrameSource(int frame) const;

private:
    void Changed();

    mutable std::mutex textLock_;
    std::string title_;
    std::string fontName_;
    int fontSize_ = 18;
    int fontStyle_ = TextStyle::Regular;
    uint32_t textColor_ = 0xFFFFFFFF;
    int hAlign_ = 0;
    int vAlign_ = 0;
    int renderingHint_ = 5;
    bool multiLine_ = false;
    std::string imagePath_;
    std::shared_ptr<Image> image_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int frameCount_ = 4;
    PangoFontDescription* gdiFont_ = nullptr;
};

} // namespace Tolva
