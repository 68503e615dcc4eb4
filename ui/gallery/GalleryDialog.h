#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ui/core/MDialog.h"

namespace Tolva {

class GalleryCanvas;
class GalleryLabel;
class LoadingWnd;
class MControl;
class MPanel;
class MPopupWnd;

// One dialog with a sample of every control class the library has, a page per family, each in
// the states a person meets and with the content the program gives it.
class GalleryDialog : public MDialog {
public:
    struct Page {
        std::string title;
        std::string chineseTitle;
        void (*build)(GalleryCanvas&);
    };
    static const std::vector<Page>& Pages();
    // Every class the gallery is meant to show.
    static const std::vector<std::string>& ExpectedClasses();

    explicit GalleryDialog(bool chinese = false);
    ~GalleryDialog() override;

    void InitUI(const Rect& rect) override;
    LRESULT OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;

    void SelectPage(int index);
    int GetPage() const { return page_; }
    // Expected classes that a page shows, and how many are expected.
    int BuiltCount() const;
    int ClassCount() const { return static_cast<int>(ExpectedClasses().size()); }
    // Expected classes, and classes the library builds by name, that no page shows; empty when
    // the gallery is complete.
    std::vector<std::string> MissingClasses() const;
    // "id N code C" of the last notification a sample sent; empty before the first.
    const std::string& LastNotification() const { return lastNote_; }
    // Window rectangle (client coordinates) of the first sample on a page; empty when none.
    Rect FirstSampleRect(int page) const;

    // The popup windows the buttons page opens; each returns its window, or null.
    NativeWindow* OpenLoadingWindow();
    NativeWindow* OpenBalloon();
    NativeWindow* OpenPopupWindow();

private:
    std::vector<GalleryLabel*> tabs_;
    std::vector<MPanel*> pages_;
    std::vector<std::vector<MControl*>> dialogControls_;
    std::set<std::string> shown_;
    std::unique_ptr<LoadingWnd> loading_;
    std::unique_ptr<MPopupWnd> popup_;
    GalleryLabel* status_ = nullptr;
    std::string lastNote_;
    int page_ = -1;
    bool chinese_ = false;
};

} // namespace Tolva
