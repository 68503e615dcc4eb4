#pragma once

#include "ui/platform/Geometry.h"

#include <map>
#include <string>
#include <vector>

namespace Tolva {
class BatteryCtrl;
class CDeviceCtrl;
class CImageButton;
class MControl;
class MDialog;
class MPicture;
class MTabCtrl;
class MTabLayout;
class MText;
} // namespace Tolva

// The main window's controls: where each sits, its images and its texts. KeyboardDlg owns the
// behaviour; this class only builds the controls once and re-applies their texts.
class MainWindowLayout {
public:
    // Control ids of the window.
    static constexpr unsigned kBackground = 30;
    static constexpr unsigned kFirstArea = 31; // 31 to 36
    static constexpr unsigned kLastArea = 36;
    static constexpr unsigned kLogo = 37;
    static constexpr unsigned kCaption = 38;
    static constexpr unsigned kVersion = 39;
    static constexpr unsigned kFooterLogo = 40;
    static constexpr unsigned kHomeArt = 41;
    static constexpr unsigned kClose = 42;
    static constexpr unsigned kMinimize = 43;
    static constexpr unsigned kWebsite = 45;
    static constexpr unsigned kStore = 46;
    static constexpr unsigned kBattery = 47;
    static constexpr unsigned kMode = 48;
    static constexpr unsigned kKeyboardTabs = 49;
    static constexpr unsigned kNoDevice = 55;
    static constexpr unsigned kDeviceList = 56;
    static constexpr unsigned kListCaption = 57;
    static constexpr unsigned kListHint = 58;
    static constexpr unsigned kMouseTabs = 500;
    static constexpr unsigned kTitlePicture = 505;
    // The page title's two captions (page name, device name); ids of this window's own.
    static constexpr unsigned kTitleText = 20001;
    static constexpr unsigned kTitleDevice = 20002;

    // Where the pages live (the page layouts all cover it).
    static constexpr Tolva::Rect kPageArea{220, 110, 1180, 700};
    static constexpr int kWidth = 1200;
    static constexpr int kHeight = 720;

    // One row of the page table.
    struct PageEntry {
        int page;              // the tab's item id
        int textId;            // tab text (and page title)
        const char* tabIcon;   // three-frame strip
        const char* titleIcon; // shown beside the page title
        unsigned layout;       // the MTabLayout the tab shows
    };
    static const std::vector<PageEntry>& KeyboardPages();
    static const std::vector<PageEntry>& MousePages();
    // The entry of a page id in either family (0 is in both); null for an unknown id.
    static const PageEntry* FindPage(int page);
    // Every page layout id, each once.
    static const std::vector<unsigned>& LayoutIds();

    // Creates every control of the window (on the window thread, from InitUI).
    void Build(Tolva::MDialog& dialog);
    // Texts in the current language: tabs, captions, tool tips. exitMode picks the close
    // button's tip (text 172 for 2, else 171).
    void ApplyTexts(int exitMode, const std::string& caption, const std::string& version);
    void SetCloseTooltip(int exitMode);

    Tolva::MTabLayout* FindLayout(unsigned id) const;
    // The strip of a family: keyboards up to type 600, mice above.
    Tolva::MTabCtrl* StripFor(int deviceType) const;
    void HideAllLayouts();

    Tolva::MPicture* background = nullptr;
    Tolva::MPicture* logo = nullptr;
    Tolva::MText* caption = nullptr;
    Tolva::MText* version = nullptr;
    Tolva::MPicture* footerLogo = nullptr;
    Tolva::MPicture* homeArt = nullptr;
    Tolva::CImageButton* close = nullptr;
    Tolva::CImageButton* minimize = nullptr;
    Tolva::CImageButton* website = nullptr;
    Tolva::CImageButton* store = nullptr;
    Tolva::BatteryCtrl* battery = nullptr;
    Tolva::MPicture* mode = nullptr;
    Tolva::MTabCtrl* keyboardTabs = nullptr;
    Tolva::MTabCtrl* mouseTabs = nullptr;
    Tolva::MText* noDevice = nullptr;
    Tolva::CDeviceCtrl* devices = nullptr;
    Tolva::MText* listCaption = nullptr;
    Tolva::MText* listHint = nullptr;
    Tolva::MPicture* titlePicture = nullptr;
    Tolva::MText* titleText = nullptr;
    Tolva::MText* titleDevice = nullptr;

private:
    void BuildStrip(Tolva::MTabCtrl* strip, const std::vector<PageEntry>& pages);
    static void ApplyStripTexts(Tolva::MTabCtrl* strip, const std::vector<PageEntry>& pages);

    std::map<unsigned, Tolva::MTabLayout*> layouts_;
};
