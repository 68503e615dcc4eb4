#include "ui/controls/DListBox.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManager.h"
#include "ui/paint/MRender.h"

#include <algorithm>

namespace Tolva {
namespace {

const ControlFactory::Registrar
    kRegistrar("DListBox",
               [](MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                  bool visible, bool enabled) -> std::unique_ptr<MControl> {
                   return std::make_unique<DListBox>(parent, id, rect, title, visible, enabled);
               });

} // namespace

DListBox::DListBox(MObject* parent, unsigned id, const Rect& rect, const std::string& title,
                   bool visible, bool enabled)
    : MListBox(parent, id, rect, title, visible, enabled) {
    SetWantsDoubleClick(false);
}

void DListBox::InitControl(PaintManager* manager) {
    MListBox::InitControl(manager);
    if (manager && !editImage_) SetEditImage(editFile_, editFrames_);
}

int DListBox::SetEditImage(const std::string& file, int frames) {
    editFile_ = file;
    editFrames_ = std::max(1, frames);
    if (!manager_) return 0;
    const ImgResInfo* info = manager_->AddImgResInfo(file, editFrames_);
    if (!info) return 0;
    editImage_ = info->image;
    editFrameCx_ = info->frameWidth;
    editFrameCy_ = info->height;
    UpdateControl(true);
    return 1;
}

Rect DListBox::EditIconRect(const Rect& row) const {
    if (!HasIcon() || row.IsEmpty()) return {};
    const int size = std::clamp(row.Height() - 10, 8, 24);
    const int top = row.top + (row.Height() - size) / 2;
    return {row.right - size - 6, top, row.right - 6, top + size};
}

Rect DListBox::TextRect(const Rect& row, int image) const {
    Rect r = MListBox::TextRect(row, image);
    if (HasIcon()) r.right = std::max(r.left, EditIconRect(row).left - 4);
    return r;
}

int DListBox::OnControlMouseMove(unsigned flags, Point pt) {
    const int r = MListBox::OnControlMouseMove(flags, pt);
    const int cur = GetCurSel();
    const bool over = cur >= 0 && EditIconRect(RowRect(cur)).Contains(pt);
    if (over != iconHover_) {
        iconHover_ = over;
        UpdateControl(true);
    }
    return r;
}

void DListBox::DrawRowExtra(cairo_t* cr, const Rect& row, int index) {
    if (!HasIcon() || index != cur_ || IsEditShown()) return;
    const Rect icon = EditIconRect(row);
    if (editImage_ && editFrameCx_ > 0) {
        const int frame = std::min(iconHover_ ? 1 : 0, editFrames_ - 1);
        MRender::DrawImageFrame(cr, editImage_->Surface(0), icon, frame * editFrameCx_, 0,
                                editFrameCx_, editFrameCy_, std::min(4, icon.Height() / 2));
    }
    // A pencil over the field: the icon says "rename".
    const double x = icon.left, y = icon.top, s = icon.Width();
    MRender::SetSourceARGB(cr, iconHover_ ? 0xFF7AD3FF : 0xFFD5D9E0);
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, x + s * 0.28, y + s * 0.72);
    cairo_line_to(cr, x + s * 0.34, y + s * 0.54);
    cairo_line_to(cr, x + s * 0.66, y + s * 0.22);
    cairo_line_to(cr, x + s * 0.78, y + s * 0.34);
    cairo_line_to(cr, x + s * 0.46, y + s * 0.66);
    cairo_close_path(cr);
    cairo_stroke(cr);
}

bool DListBox::OnRowExtraPress(int index, Point pt) {
    if (!HasIcon() || index != GetCurSel()) return false;
    if (!EditIconRect(RowRect(index)).Contains(pt)) return false;
    ShowEdit();
    return true;
}

} // namespace Tolva
