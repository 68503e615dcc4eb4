#include "app/shell/MainWindowLayout.h"

#include "app/files/UiText.h"
#include "ui/controls/CImageButton.h"
#include "ui/controls/MPicture.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/core/CArea.h"
#include "ui/core/MDialog.h"
#include "ui/widgets/BatteryCtrl.h"
#include "ui/widgets/CDeviceCtrl.h"

using namespace Tolva;

namespace {

constexpr uint32_t kTabInk = 0xFFADADAD;
constexpr uint32_t kCaptionInk = 0xFFF0F0F0;
constexpr uint32_t kQuietInk = 0xFF9A9A9A;
constexpr int kButton = 32;
constexpr int kStripItem = 60;

// The strips sit in the column between the device list and the pages.
constexpr Rect kStripRect{150, 110, 210, 700};

template <typename T> T* Make(MDialog& d, const char* cls, unsigned id, const Rect& r) {
    return dynamic_cast<T*>(d.CreateControl(cls, id, r));
}

MText* MakeText(MDialog& d, unsigned id, const Rect& r, int points, uint32_t ink, int align) {
    auto* text = Make<MText>(d, "MText", id, r);
    if (!text) return nullptr;
    text->SetFontWidth(points);
    text->SetTextColor(ink);
    text->SetAlignment(align, TextStyle::Center);
    return text;
}

MPicture* MakePicture(MDialog& d, unsigned id, const Rect& r, const std::string& image) {
    auto* picture = Make<MPicture>(d, "MPicture", id, r);
    if (picture) picture->SetImage(image);
    return picture;
}

CImageButton* MakeButton(MDialog& d, unsigned id, int left, const std::string& image,
                         int frames = 4) {
    auto* button =
        Make<CImageButton>(d, "CImageButton", id, Rect{left, 8, left + kButton, 8 + kButton});
    if (button) button->SetImage(image, frames);
    return button;
}

} // namespace

const std::vector<MainWindowLayout::PageEntry>& MainWindowLayout::KeyboardPages() {
    static const std::vector<PageEntry> pages = {
        {0, 50, "icon\\tab_home.png", "icon\\bg_logo1.png", 50},
        {1, 51, "icon\\tab_customkey.png", "icon\\icon_keyboard.png", 51},
        {2, 52, "icon\\tab_macro.png", "icon\\icon_macro.png", 53},
        {3, 53, "icon\\tab_light.png", "icon\\icon_lightmode.png", 52},
        {5, 56, "icon\\tab_config.png", "icon\\icon_config.png", 54},
    };
    return pages;
}

const std::vector<MainWindowLayout::PageEntry>& MainWindowLayout::MousePages() {
    static const std::vector<PageEntry> pages = {
        {0, 50, "icon\\tab_home.png", "icon\\bg_logo1.png", 50},
        {6, 51, "icon\\tab_mousekey.png", "icon\\icon_mousekey.png", 501},
        {7, 52, "icon\\tab_macro.png", "icon\\icon_macro.png", 53},
        {8, 800, "icon\\tab_mousedpi.png", "icon\\icon_pointer.png", 502},
        // The lighting page has a layout and live effects but no tab of its own otherwise.
        {9, 53, "icon\\tab_light.png", "icon\\icon_lightmode.png", 503},
        {10, 56, "icon\\tab_config.png", "icon\\icon_config.png", 504},
    };
    return pages;
}

const MainWindowLayout::PageEntry* MainWindowLayout::FindPage(int page) {
    for (const auto* table : {&MousePages(), &KeyboardPages()})
        for (const PageEntry& e : *table)
            if (e.page == page) return &e;
    return nullptr;
}

const std::vector<unsigned>& MainWindowLayout::LayoutIds() {
    static const std::vector<unsigned> ids = {50, 51, 52, 53, 54, 501, 502, 503, 504};
    return ids;
}

void MainWindowLayout::Build(MDialog& d) {
    // Areas are drawn before every control: the background picture goes first among them.
    background =
        dynamic_cast<MPicture*>(d.CreateArea("MPicture", kBackground, Rect{0, 0, kWidth, kHeight}));
    if (background) background->SetImage("main_bkg.png");
    const Rect areas[] = {
        {0, 0, kWidth, 100},         // 31 title bar
        {0, 100, 145, kHeight},      // 32 device column
        {145, 100, 215, kHeight},    // 33 tab column
        {215, 100, kWidth, kHeight}, // 34 page area
        {10, 106, 135, 138},         // 35 device list caption
        {10, 620, 135, 700},         // 36 battery and mode
    };
    const int shades[][2] = {{100, 100}, {70, 85}, {80, 80}, {100, 100}, {100, 100}, {100, 100}};
    for (unsigned i = 0; i <= kLastArea - kFirstArea; ++i)
        if (auto* area = dynamic_cast<CArea*>(d.CreateArea("CArea", kFirstArea + i, areas[i])))
            area->SetTransparent(shades[i][0], shades[i][1], 0xFF000000, false);

    logo = MakePicture(d, kLogo, Rect{20, 30, 180, 70}, "logo\\logo.png");
    // The product's caption and version sit above the battery: the title bar carries the page.
    caption = MakeText(d, kCaption, Rect{12, 572, 140, 594}, 11, kCaptionInk, TextStyle::Near);
    version = MakeText(d, kVersion, Rect{12, 594, 140, 612}, 8, kQuietInk, TextStyle::Near);
    footerLogo = MakePicture(d, kFooterLogo, Rect{10, 668, 130, 698}, "logo\\logo.png");

    // The skin has no button strip for the store: its icon, one frame for every state.
    store = MakeButton(d, kStore, kWidth - 8 - 4 * kButton, "icon\\icon_favorites.png", 1);
    website = MakeButton(d, kWebsite, kWidth - 8 - 3 * kButton, "main_sysbtn_website.png");
    minimize = MakeButton(d, kMinimize, kWidth - 8 - 2 * kButton, "main_sysbtn_min.png");
    close = MakeButton(d, kClose, kWidth - 8 - kButton, "main_sysbtn_close.png");

    battery = Make<BatteryCtrl>(d, "BatteryCtrl", kBattery, Rect{24, 632, 104, 652});
    if (battery) {
        battery->SetImage("icon\\icon_battery_bkg.png", 1);
        battery->SetBatteryIcon("icon\\icon_batteryvalue.png", "icon\\icon_charge.png");
        battery->SetFontWidth(7);
        battery->SetVisible(false);
    }
    mode = MakePicture(d, kMode, Rect{96, 630, 120, 654}, "icon\\mode_usb.png");
    if (mode) mode->SetVisible(false);

    listCaption =
        MakeText(d, kListCaption, Rect{12, 108, 140, 136}, 11, kCaptionInk, TextStyle::Near);
    devices = Make<CDeviceCtrl>(d, "CDeviceCtrl", kDeviceList, Rect{8, 142, 138, 400});
    if (devices) {
        devices->SetImage("img_device_state.png", 2);
        devices->SetFontWidth(10);
    }
    noDevice = MakeText(d, kNoDevice, Rect{12, 142, 138, 260}, 10, kQuietInk, TextStyle::Near);
    if (noDevice) noDevice->EnableMultiLine(true);
    listHint = MakeText(d, kListHint, Rect{12, 404, 138, 470}, 9, kQuietInk, TextStyle::Near);
    if (listHint) listHint->EnableMultiLine(true);

    titlePicture = MakePicture(d, kTitlePicture, Rect{228, 34, 260, 66}, "icon\\icon_mousekey.png");
    if (titlePicture) titlePicture->SetVisible(false);
    titleText = MakeText(d, kTitleText, Rect{270, 30, 720, 54}, 14, kCaptionInk, TextStyle::Near);
    titleDevice = MakeText(d, kTitleDevice, Rect{270, 54, 720, 74}, 9, kQuietInk, TextStyle::Near);
    // Until a page is chosen the title bar carries the product caption instead.
    if (titleText) titleText->SetVisible(false);
    if (titleDevice) titleDevice->SetVisible(false);

    // Pages: one over the other in the page area, each shown by its tab.
    for (unsigned id : LayoutIds())
        if (auto* layout = Make<MTabLayout>(d, "MTabLayout", id, kPageArea)) {
            layout->SetVisible(false);
            layouts_[id] = layout;
        }
    homeArt = MakePicture(d, kHomeArt, Rect{500, 265, 900, 525}, "logo\\bg_logo1.png");

    keyboardTabs = Make<MTabCtrl>(d, "MTabCtrl", kKeyboardTabs, kStripRect);
    mouseTabs = Make<MTabCtrl>(d, "MTabCtrl", kMouseTabs, kStripRect);
    BuildStrip(keyboardTabs, KeyboardPages());
    BuildStrip(mouseTabs, MousePages());
    // Inserting the tabs showed each strip's first page; nothing shows before a device is chosen.
    HideAllLayouts();
}

void MainWindowLayout::BuildStrip(MTabCtrl* strip, const std::vector<PageEntry>& pages) {
    if (!strip) return;
    strip->SetTabType(MTabCtrl::Vertical);
    strip->SetTextColor(kTabInk);
    strip->SetFontWidth(8);
    strip->SetTabCtrlWidth(kStripItem);
    strip->SetTabCtrlHeight(kStripItem);
    strip->SetLeftRightPading(0, 60);
    strip->SetTopBottomPading(0, 300);
    strip->SetItemWidth(kStripItem);
    strip->SetItemHeight(kStripItem);
    for (const PageEntry& e : pages)
        strip->InsertItem(static_cast<unsigned>(e.page), {}, e.tabIcon, FindLayout(e.layout), 3);
    strip->SetSelectItem(0);
    strip->SetVisible(false);
}

void MainWindowLayout::ApplyStripTexts(MTabCtrl* strip, const std::vector<PageEntry>& pages) {
    if (!strip) return;
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string text = UiText::Dialog(pages[i].textId);
        // The icon fills the tab; the name is its tip.
        strip->SetTabTooltip(static_cast<int>(i), text);
        TabItemInfo info;
        if (strip->GetItemInfo(static_cast<int>(i), info) && !info.picture)
            strip->SetItemText(static_cast<int>(i), text);
    }
}

void MainWindowLayout::ApplyTexts(int exitMode, const std::string& captionText,
                                  const std::string& versionText) {
    ApplyStripTexts(keyboardTabs, KeyboardPages());
    ApplyStripTexts(mouseTabs, MousePages());
    if (caption) caption->SetTitle(captionText);
    if (version) {
        const std::string word = UiText::Dialog(143);
        version->SetTitle(versionText.empty() ? std::string()
                          : word.empty()      ? versionText
                                              : word + " " + versionText);
    }
    if (noDevice) noDevice->SetTitle(UiText::Dialog(61));
    if (listCaption) listCaption->SetTitle(UiText::Dialog(57));
    if (listHint) listHint->SetTitle(UiText::Dialog(58));
    if (minimize) minimize->SetTooltip(UiText::Dialog(12));
    if (website) website->SetTooltip(UiText::Dialog(13));
    if (store) store->SetTooltip(UiText::Dialog(14));
    SetCloseTooltip(exitMode);
}

void MainWindowLayout::SetCloseTooltip(int exitMode) {
    if (close) close->SetTooltip(UiText::Dialog(exitMode == 2 ? 172 : 171));
}

MTabLayout* MainWindowLayout::FindLayout(unsigned id) const {
    const auto it = layouts_.find(id);
    return it == layouts_.end() ? nullptr : it->second;
}

MTabCtrl* MainWindowLayout::StripFor(int deviceType) const {
    return deviceType > 600 ? mouseTabs : keyboardTabs;
}

void MainWindowLayout::HideAllLayouts() {
    for (const auto& [id, layout] : layouts_)
        layout->SetVisible(false);
}
