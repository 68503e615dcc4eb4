#pragma once

#include "ui/TolvaApi.h"
#include "ui/controls/MListBox.h"

namespace Tolva {

// The list with the rename editor and its edit icon ("img_edit.png") on the current row; a
// press on the icon opens the editor. No double clicks. Made only inside panels.
class TOLVA_API DListBox : public MListBox {
public:
    DListBox(MObject* parent, unsigned id, const Rect& rect, const std::string& title = {},
             bool visible = true, bool enabled = true);

    const char* GetObjectClass() const override { return "DListBox"; }
    void InitControl(PaintManager* manager) override;
    int OnControlMouseMove(unsigned flags, Point pt) override;

    // The edit icon strip (normal, hover, ...). Returns 1, or 0 when it cannot be loaded.
    int SetEditImage(const std::string& file, int frames = 4);
    // Where the edit icon of a shown row sits (window coordinates); empty without one.
    Rect EditIconRect(const Rect& row) const;

protected:
    Rect TextRect(const Rect& row, int image) const override;
    void DrawRowExtra(cairo_t* cr, const Rect& row, int index) override;
    bool OnRowExtraPress(int index, Point pt) override;

private:
    bool HasIcon() const { return IsShowEditEnabled(); }

    std::string editFile_ = "img_edit.png";
    int editFrames_ = 4;
    std::shared_ptr<Image> editImage_;
    int editFrameCx_ = 0;
    int editFrameCy_ = 0;
    bool iconHover_ = false;
};

} // namespace Tolva
