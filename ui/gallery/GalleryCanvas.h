#pragma once

#include <set>
#include <string>
#include <vector>

#include "ui/platform/Geometry.h"

namespace Tolva {

class CButtonBase;
class MControl;
class MDialog;
class MPanel;

// One gallery page while its samples are built: a page panel on the dialog that holds them, the
// captions, and the record of which classes the page shows. Samples are made by class name, the
// way the program makes its controls.
class GalleryCanvas {
public:
    GalleryCanvas(MDialog& dialog, MPanel* page, unsigned firstId, bool chinese);

    // A sample of `className` on the page (on the dialog for classes only a dialog accepts);
    // null when the library cannot build it by that name.
    MControl* Make(const std::string& className, const Rect& rect, const std::string& title = {});
    template <class T>
    T* MakeAs(const std::string& className, const Rect& rect, const std::string& title = {}) {
        return dynamic_cast<T*>(Make(className, rect, title));
    }
    // A control made directly (classes no host builds by name), added to the page.
    MControl* Add(MControl* control, const std::string& className);
    // A class shown on the page that is not a control of its own (a popup or a child part).
    void Shown(const std::string& className) { classes_.insert(className); }
    // Gray caption text over a sample.
    void Caption(const Rect& rect, const std::string& text, int pixelSize = 12,
                 unsigned argb = 0xFF9AA0A8);
    // The row heading of the state columns at `y`, and a row of one button class at `y`: a live
    // sample, then hover, pressed, checked (check-type classes only) and disabled, each made by
    // name and given the same content by `fill`.
    void StateHeadings(int y);
    template <class Fill>
    void StateRow(const std::string& className, int y, int height, const std::string& title,
                  bool checkable, Fill fill);

    // The English or the Chinese text of a sample.
    const std::string& Text(const std::string& english, const std::string& chinese) const {
        return chinese_ ? chinese : english;
    }
    bool IsChinese() const { return chinese_; }
    unsigned NextId() { return nextId_++; }
    MDialog& Dialog() { return dialog_; }
    MPanel* Page() { return page_; }
    const std::set<std::string>& Classes() const { return classes_; }
    // Controls the page put on the dialog itself (shown and hidden with the page).
    const std::vector<MControl*>& DialogControls() const { return dialogControls_; }

    static constexpr int kStateLeft = 190;
    static constexpr int kStateWidth = 180;
    static constexpr int kStateGap = 14;

private:
    void Prepare(CButtonBase* button, int state, bool checked);

    MDialog& dialog_;
    MPanel* page_ = nullptr;
    unsigned nextId_ = 0;
    bool chinese_ = false;
    std::set<std::string> classes_;
    std::vector<MControl*> dialogControls_;
};

template <class Fill>
void GalleryCanvas::StateRow(const std::string& className, int y, int height,
                             const std::string& title, bool checkable, Fill fill) {
    Caption(Rect{20, y, kStateLeft - 10, y + height}, className, 13, 0xFFE0E0E0);
    // Live sample, hover, pressed, checked, disabled.
    for (int column = 0; column < 5; ++column) {
        if (column == 3 && !checkable) continue;
        const int x = kStateLeft + column * (kStateWidth + kStateGap);
        MControl* c = Make(className, Rect{x, y, x + kStateWidth, y + height}, title);
        auto* button = dynamic_cast<CButtonBase*>(c);
        if (!button) continue;
        fill(button);
        static constexpr int kStates[5] = {0, 1, 2, 0, 3};
        Prepare(button, kStates[column], column == 3);
    }
}

} // namespace Tolva
