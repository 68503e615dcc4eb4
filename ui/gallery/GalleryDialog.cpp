#include "ui/gallery/GalleryDialog.h"

#include <memory>

#include "ui/controls/CColorCombo.h"
#include "ui/controls/CTextArea.h"
#include "ui/core/CArea.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/MPanel.h"
#include "ui/core/PaintManager.h"
#include "ui/gallery/GalleryLabel.h"

namespace Tolva {

namespace {

constexpr unsigned kTabBase = 9000;
constexpr unsigned kSampleBase = 100;
constexpr int kColumns = 4;
constexpr int kCellWidth = 215;
constexpr int kCellHeight = 105;
constexpr int kTop = 96;
constexpr int kLeft = 20;

} // namespace

const std::vector<GalleryDialog::Page>& GalleryDialog::Pages() {
    static const std::vector<Page> pages = {
        {"Buttons",
         {"MButton", "CImageButton", "CTextButton", "CCheckButton", "CRadioButton", "CColorButton",
          "CSwitchButton", "CIconButton", "CTimerButton", "CHelpButton", "MenuItem"}},
        {"Text and pictures",
         {"MText", "MPicture", "CPhotoFrame", "CSliderPicture", "CGifPicture", "CArea",
          "CTextArea"}},
        {"Values and edits",
         {"MProgress", "MSlider", "MLevelCtrl", "MSpinButton", "CSpinButton", "MEdit", "MRichEdit",
          "MEditEx", "MComboBox", "CColorCombo"}},
        {"Lists and palettes",
         {"MTabCtrl", "MTabLayout", "MListBox", "CComboBoxList", "MPalette", "CColorPalette",
          "CColorSelect", "CirclePalette"}},
        {"Device widgets",
         {"KeyboardCtrl", "CDeviceCtrl", "BatteryCtrl", "KeyFuncControl", "DListBox", "CRecordList",
          "UpgradeButton", "DownloadButton", "DPIControl", "MouseKeyCtrl", "MouseCtrl",
          "MouseLight"}},
    };
    return pages;
}

int GalleryDialog::ClassCount() const {
    int n = 0;
    for (const Page& p : Pages())
        n += static_cast<int>(p.classes.size());
    return n;
}

std::vector<std::string> GalleryDialog::MissingClasses() {
    std::vector<std::string> names = ControlFactory::AcceptedNames(ControlFactory::Host::Panel);
    for (const std::string& n : ControlFactory::AcceptedNames(ControlFactory::Host::Dialog))
        names.push_back(n);
    // Registered, but only built by their owners (no host list names them).
    for (const char* n : {"CColorCombo", "CTextArea"})
        if (ControlFactory::IsRegistered(n)) names.emplace_back(n);
    std::vector<std::string> missing;
    for (const std::string& n : names) {
        bool shown = false;
        for (const Page& p : Pages())
            for (const std::string& c : p.classes)
                shown = shown || c == n;
        bool listed = false;
        for (const std::string& m : missing)
            listed = listed || m == n;
        if (!shown && !listed) missing.push_back(n);
    }
    return missing;
}

MControl* GalleryDialog::MakeSample(const std::string& className, unsigned id, const Rect& rect) {
    PaintManager& pm = GetPaintManager();
    // Classes no host builds by name: made directly, as their owning controls do.
    if (className == "CColorCombo")
        return pm.AddControl(std::make_unique<CColorCombo>(this, id, rect, className), 1);
    if (className == "CTextArea")
        return pm.AddControl(std::make_unique<CTextArea>(this, id, rect, className), 1);
    if (ControlFactory::IsAccepted(ControlFactory::Host::Dialog, className))
        return CreateControl(className, id, rect, className, true, true);
    // Panel-only classes live on a page panel, as they do in the program.
    if (!ControlFactory::IsAccepted(ControlFactory::Host::Panel, className)) return nullptr;
    auto* holder =
        dynamic_cast<MPanel*>(CreateControl("MTabLayout", id + 5000, rect, "", true, true));
    if (!holder) return nullptr;
    if (holder->CreateControl(className, id, rect, className, true, true)) return holder;
    GetPaintManager().RemoveControl(holder);
    return nullptr;
}

void GalleryDialog::InitUI(const Rect& rect) {
    SetBackColor(0x1E1B19, 0x575757);
    PaintManager& pm = GetPaintManager();
    pm.AddControl(std::make_unique<GalleryLabel>(this, 8000, Rect{kLeft, 14, rect.right - 20, 40},
                                                 "Tolva gallery", 20, 0xFFF0F0F0),
                  1);
    const auto& pages = Pages();
    for (size_t i = 0; i < pages.size(); ++i) {
        int x = kLeft + static_cast<int>(i) * 170;
        auto tab = std::make_unique<GalleryLabel>(this, kTabBase + static_cast<unsigned>(i),
                                                  Rect{x, 50, x + 164, 78}, pages[i].title, 13,
                                                  0xFFD0D0D0, true);
        tabs_.push_back(tab.get());
        pm.AddControl(std::move(tab), 1);
    }
    unsigned id = kSampleBase;
    for (size_t p = 0; p < pages.size(); ++p) {
        int cell = 0;
        for (const std::string& name : pages[p].classes) {
            int col = cell % kColumns, row = cell / kColumns;
            int x = kLeft + col * kCellWidth, y = kTop + row * kCellHeight;
            Rect sampleRect{x, y + 24, x + kCellWidth - 25, y + kCellHeight - 15};
            MControl* sample = MakeSample(name, id++, sampleRect);
            if (auto* area = dynamic_cast<CArea*>(sample)) area->SetTransparent(10, 70, 0xFDA810);
            auto caption = std::make_unique<GalleryLabel>(
                this, 0, Rect{x, y, x + kCellWidth - 25, y + 22},
                sample ? name : name + " (not built yet)", 12, sample ? 0xFFE0E0E0 : 0xFF707070);
            samples_.push_back({static_cast<int>(p), pm.AddControl(std::move(caption), 1)});
            if (sample) {
                samples_.push_back({static_cast<int>(p), sample});
                ++built_;
            }
            ++cell;
        }
    }
    auto status = std::make_unique<GalleryLabel>(
        this, 8001, Rect{kLeft, rect.bottom - 34, rect.right - 20, rect.bottom - 12},
        std::to_string(built_) + " of " + std::to_string(ClassCount()) + " classes built", 12,
        0xFF9A9A9A);
    status_ = status.get();
    pm.AddControl(std::move(status), 1);
    SelectPage(0);
}

void GalleryDialog::SelectPage(int index) {
    if (index < 0 || index >= static_cast<int>(Pages().size()) || index == page_) return;
    page_ = index;
    for (size_t i = 0; i < tabs_.size(); ++i)
        tabs_[i]->SetSelected(static_cast<int>(i) == index);
    for (const Sample& s : samples_)
        s.control->SetVisible(s.page == index);
}

Rect GalleryDialog::FirstSampleRect(int page) const {
    for (const Sample& s : samples_)
        if (s.page == page && s.control->GetControlID() >= kSampleBase &&
            s.control->GetControlID() < kTabBase)
            return s.control->GetRect();
    return {};
}

LRESULT GalleryDialog::OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id >= kTabBase && id < kTabBase + tabs_.size()) {
        if (code == 2) SelectPage(static_cast<int>(id - kTabBase));
        return 1;
    }
    lastNote_ = "id " + std::to_string(id) + " code " + std::to_string(code);
    if (status_)
        status_->SetText("Last notification: " + lastNote_ + " (" + std::to_string(wparam) + ", " +
                         std::to_string(lparam) + ")");
    return 0;
}

} // namespace Tolva
