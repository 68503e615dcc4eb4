#include "ui/core/MControlFont.h"

#include <algorithm>

#include "ui/core/Manager.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/FontRegistry.h"
#include "ui/paint/ImageDecoder.h"
#include "ui/paint/MRender.h"

namespace Tolva {

MControlFont::MControlFont(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                           bool visible, bool enabled)
    : MControl(parent, id, rect, visible, enabled), title_(title),
      fontName_(Manager::GetFontName()), fontSize_(Manager::GetFontWidth()) {}

MControlFont::~MControlFont() {
    ClearGDIFont();
}

const PangoFontDescription* MControlFont::GetGDIFont() {
    if (!gdiFont_) {
        gdiFont_ = pango_font_description_new();
        const FontRegistry::Face face = FontRegistry::Instance().Resolve(GetTextFont());
        pango_font_description_set_family(gdiFont_, face.family.c_str());
        pango_font_description_set_absolute_size(gdiFont_, FontRegistry::PointsToPixels(fontSize_) *
                                                               PANGO_SCALE);
        if (fontStyle_ & TextStyle::Bold)
            pango_font_description_set_weight(gdiFont_, PANGO_WEIGHT_BOLD);
        else if (face.weight > 0)
            pango_font_description_set_weight(gdiFont_, static_cast<PangoWeight>(face.weight));
        if (fontStyle_ & TextStyle::Italic)
            pango_font_description_set_style(gdiFont_, PANGO_STYLE_ITALIC);
    }
    return gdiFont_;
}

void MControlFont::ClearGDIFont() {
    if (gdiFont_) pango_font_description_free(gdiFont_);
    gdiFont_ = nullptr;
}

void MControlFont::Changed() {
    if (IsVisible()) UpdateControl(true);
}

void MControlFont::SetTextFont(const std::string& name) {
    {
        std::lock_guard guard(textLock_);
        fontName_ = name;
    }
    Changed();
}

void MControlFont::SetTextColor(uint32_t argb) {
    textColor_ = argb;
    Changed();
}

int MControlFont::SetImage(const std::string& file, int frames) {
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, frames);
    if (!info) return 0;
    {
        std::lock_guard guard(textLock_);
        image_ = info->image;
        frameWidth_ = info->frameWidth;
        frameHeight_ = info->height;
        imagePath_ = file;
    }
    frameCount_ = frames < 1 ? 1 : frames;
    // A shown control draws its image in the next frame; hidden pages wait for their first.
    if (IsParentVisible()) ImageDecoder::DecodeAhead(info->image);
    Changed();
    return 1;
}

int MControlFont::SetImage(int resourceId, const std::string& type, int frames) {
    // Images built into the library are looked up by their number in the skin folder.
    return SetImage("res_" + std::to_string(resourceId) + "." + (type.empty() ? "png" : type),
                    frames);
}

void MControlFont::SetControlTitle(const std::string& text) {
    {
        std::lock_guard guard(textLock_);
        if (title_ == text) return;
        title_ = text;
    }
    Changed();
}

std::string MControlFont::GetControlTitle() const {
    std::lock_guard guard(textLock_);
    return title_;
}

void MControlFont::SetAlignment(int h) {
    if (hAlign_ == h) return;
    hAlign_ = h;
    Changed();
}

void MControlFont::SetVAlignment(int v) {
    if (vAlign_ == v) return;
    vAlign_ = v;
    Changed();
}

void MControlFont::SetAlignment(int h, int v) {
    if (hAlign_ == h && vAlign_ == v) return;
    hAlign_ = h;
    vAlign_ = v;
    Changed();
}

void MControlFont::GetAlignment(int& h, int& v) const {
    h = hAlign_;
    v = vAlign_;
}

void MControlFont::SetFont(const std::string& name, int size, int style) {
    {
        std::lock_guard guard(textLock_);
        fontName_ = name;
    }
    if (size > 0) fontSize_ = std::min(size, kMaxFontSize);
    fontStyle_ = style;
    Changed();
}

std::string MControlFont::GetTextFont() const {
    std::lock_guard guard(textLock_);
    return fontName_;
}

void MControlFont::SetFontStyle(int style) {
    fontStyle_ = style;
    Changed();
}

void MControlFont::SetFontWidth(int size) {
    // No face is drawn at 0 points or less, and a huge one overflows the pixel size.
    if (size <= 0) return;
    fontSize_ = std::min(size, kMaxFontSize);
    Changed();
}

void MControlFont::EnableMultiLine(bool on) {
    multiLine_ = on;
    Changed();
}

std::string MControlFont::GetImagePath() const {
    std::lock_guard guard(textLock_);
    return imagePath_;
}

Size MControlFont::GetImageSize() const {
    std::lock_guard guard(textLock_);
    return {frameWidth_, frameHeight_};
}

void MControlFont::SetImageCount(int frames) {
    if (frames < 1) return;
    std::lock_guard guard(textLock_);
    frameCount_ = frames;
    if (image_) frameWidth_ = image_->Width() / frames;
}

std::string MControlFont::GetFontFamily(const std::string& name) const {
    if (manager_) return manager_->FindTempFont(name);
    return FontRegistry::Instance().HasFamily(name) ? name : std::string();
}

std::shared_ptr<Image> MControlFont::GetImage() const {
    std::lock_guard guard(textLock_);
    return image_;
}

TextStyle MControlFont::MakeTextStyle(uint32_t color) const {
    TextStyle style;
    style.family = GetFontFamily(GetTextFont());
    style.size = fontSize_;
    style.style = fontStyle_;
    style.color = color;
    style.hAlign = hAlign_;
    style.vAlign = vAlign_;
    style.multiLine = multiLine_;
    return style;
}

void MControlFont::DrawTitle(cairo_t* cr, const Rect& box, uint32_t color) const {
    const TextStyle style = MakeTextStyle(color);
    if (style.family.empty()) return;
    MRender::DrawTextW(cr, box, GetControlTitle(), style);
}

Rect MControlFont::FrameSource(int frame) const {
    std::lock_guard guard(textLock_);
    return {frame * frameWidth_, 0, frame * frameWidth_ + frameWidth_, frameHeight_};
}

void MControlFont::DrawImageState(cairo_t* cr, int frame, const Rect& dest, int corner) const {
    std::shared_ptr<Image> image = GetImage();
    if (!image || frame < 0 || frame >= frameCount_) return;
    const Rect src = FrameSource(frame);
    MRender::DrawImageFrame(cr, image->Surface(0), dest, src.left, src.top, src.Width(),
                            src.Height(), corner);
}

} // namespace Tolva
