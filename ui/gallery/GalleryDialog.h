#pragma once

#include <string>
#include <vector>

#include "ui/core/MDialog.h"

namespace Tolva {

class GalleryLabel;

// One dialog with a sample of every control class the library can build, a page per family.
class GalleryDialog : public MDialog {
public:
    struct Page {
        std::string title;
        std::vector<std::string> classes;
    };
    static const std::vector<Page>& Pages();
    // Classes the library builds by name that no page shows; empty when the gallery is complete.
    static std::vector<std::string> MissingClasses();

    void InitUI(const Rect& rect) override;
    LRESULT OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) override;

    void SelectPage(int index);
    int GetPage() const { return page_; }
    // Class names of the gallery that the library builds, and the total.
    int BuiltCount() const { return built_; }
    int ClassCount() const;
    // "id N code C" of the last notification a sample sent; empty before the first.
    const std::string& LastNotification() const { return lastNote_; }
    // Window rectangle (client coordinates) of the first sample on a page; empty when none.
    Rect FirstSampleRect(int page) const;

private:
    struct Sample {
        int page = 0;
        MControl* control = nullptr;
    };
    MControl* MakeSample(const std::string& className, unsigned id, const Rect& rect);

    std::vector<GalleryLabel*> tabs_;
    std::vector<Sample> samples_;
    GalleryLabel* status_ = nullptr;
    std::string lastNote_;
    int page_ = -1;
    int built_ = 0;
};

} // namespace Tolva
