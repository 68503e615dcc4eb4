#include "ui/gallery/GalleryCanvas.h"

#include <memory>

#include "ui/controls/CButtonBase.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/MDialog.h"
#include "ui/core/MPanel.h"
#include "ui/core/PaintManager.h"
#include "ui/gallery/GalleryLabel.h"

namespace Tolva {

GalleryCanvas::GalleryCanvas(MDialog& dialog, MPanel* page, unsigned firstId, bool chinese)
    : dialog_(dialog), page_(page), nextId_(firstId), chinese_(chinese) {}

MControl* GalleryCanvas::Make(const std::string& className, const Rect& rect,
                              const std::string& title) {
    MControl* made = nullptr;
    if (ControlFactory::IsAccepted(ControlFactory::Host::Panel, className)) {
        made = page_->CreateControl(className, NextId(), rect, title, true, true);
    } else if (ControlFactory::IsAccepted(ControlFactory::Host::Dialog, className)) {
        made = dialog_.CreateControl(className, NextId(), rect, title, true, true);
        if (made) dialogControls_.push_back(made);
    }
    if (made) classes_.insert(className);
    return made;
}

MControl* GalleryCanvas::Add(MControl* control, const std::string& className) {
    if (control) classes_.insert(className);
    return control;
}

void GalleryCanvas::Caption(const Rect& rect, const std::string& text, int pixelSize,
                            unsigned argb) {
    page_->AddChild(std::make_unique<GalleryLabel>(page_, 0, rect, text, pixelSize, argb), 1);
}

void GalleryCanvas::StateHeadings(int y) {
    const char* english[5] = {"normal (try it)", "hover", "pressed", "checked", "disabled"};
    const char* chinese[5] = {"正常（可操作）", "悬停", "按下", "选中", "禁用"};
    for (int column = 0; column < 5; ++column) {
        const int x = kStateLeft + column * (kStateWidth + kStateGap);
        Caption(Rect{x, y, x + kStateWidth, y + 18}, Text(english[column], chinese[column]), 12);
    }
}

void GalleryCanvas::Prepare(CButtonBase* button, int state, bool checked) {
    if (checked) button->SetCheck(true);
    if (state == CButtonBase::Disabled) {
        button->SetEnabled(false);
        return;
    }
    if (state == CButtonBase::Normal && !checked) return; // the live sample
    // A still picture of the state: no input reaches it and moves it on.
    button->SetRresponse(false);
    button->ShowState(state);
}

} // namespace Tolva
