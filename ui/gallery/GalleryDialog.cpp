#include "ui/gallery/GalleryDialog.h"

#include <memory>

#include "ui/controls/LoadingWnd.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MText.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/MAirBladder.h"
#include "ui/core/MPanel.h"
#include "ui/core/MPopupWnd.h"
#include "ui/core/PaintManager.h"
#include "ui/gallery/GalleryCanvas.h"
#include "ui/gallery/GalleryLabel.h"
#include "ui/gallery/GallerySamples.h"

namespace Tolva {

namespace {

constexpr unsigned kTabBase = 9000;
constexpr unsigned kPageBase = 8100;
constexpr unsigned kPopupOkId = 7910;
constexpr int kLeft = 20;
constexpr int kTabWidth = 112;

} // namespace

const std::vector<GalleryDialog::Page>& GalleryDialog::Pages() {
    static const std::vector<Page> pages = {
        {"Buttons", "按钮", BuildButtonSamples},
        {"Texts", "文字", BuildTextSamples},
        {"Pictures", "图片", BuildPictureSamples},
        {"Lists and combos", "列表与组合框", BuildListSamples},
        {"Sliders, tabs, spin", "滑块、标签、数值", BuildValueSamples},
        {"Edits", "编辑框", BuildEditSamples},
        {"Device widgets", "设备控件", BuildDeviceSamples},
        {"Colour pickers", "取色器", BuildColourSamples},
        {"Keyboard widgets", "键盘控件", BuildKeyboardSamples},
        {"Record list", "录制列表", BuildRecordSamples},
    };
    return pages;
}

const std::vector<std::string>& GalleryDialog::ExpectedClasses() {
    static const std::vector<std::string> names = {
        // Buttons and menus.
        "MButton", "CImageButton", "CTextButton", "CIconButton", "CTimerButton", "CHelpButton",
        "CCheckButton", "CRadioButton", "CSwitchButton", "MenuItem",
        // Popup windows.
        "LoadingWnd", "MAirBladder", "MPopupWnd",
        // Texts and pictures.
        "MText", "CTextArea", "CArea", "MPicture", "CPhotoFrame", "CSliderPicture", "CGifPicture",
        // Lists and combos.
        "DListBox", "MListBox", "MComboBox", "CComboBoxList", "CColorCombo",
        // Values, tabs and scroll bars.
        "MSlider", "MProgress", "MLevelCtrl", "MSpinButton", "CSpinButton", "MTabCtrl",
        "MTabLayout", "CScrollVertical", "CScrollHorizontal",
        // Edits.
        "MEdit", "MRichEdit", "MEditEx", "CLogonEdit",
        // Device widgets.
        "MouseCtrl", "MouseLight", "MouseKeyCtrl", "DPIControl", "BatteryCtrl", "CDeviceCtrl",
        "UpgradeButton", "DownloadButton",
        // Colour pickers.
        "CColorPalette", "CirclePalette", "CColorSelect", "MPalette", "CColorButton",
        // Keyboard widgets and the record list.
        "KeyboardCtrl", "CKeyboardTips", "KeyFuncControl", "CRecordList"};
    return names;
}

GalleryDialog::GalleryDialog(bool chinese) : chinese_(chinese) {}

GalleryDialog::~GalleryDialog() = default;

int GalleryDialog::BuiltCount() const {
    int n = 0;
    for (const std::string& name : ExpectedClasses())
        n += shown_.count(name) ? 1 : 0;
    return n;
}

std::vector<std::string> GalleryDialog::MissingClasses() const {
    std::vector<std::string> names = ExpectedClasses();
    for (const std::string& n : ControlFactory::AcceptedNames(ControlFactory::Host::Dialog))
        names.push_back(n);
    for (const std::string& n : ControlFactory::AcceptedNames(ControlFactory::Host::Panel))
        names.push_back(n);
    std::vector<std::string> missing;
    for (const std::string& n : names) {
        if (shown_.count(n)) continue;
        bool listed = false;
        for (const std::string& m : missing)
            listed = listed || m == n;
        if (!listed) missing.push_back(n);
    }
    return missing;
}

void GalleryDialog::InitUI(const Rect& rect) {
    SetBackColor(0x1E1B19, 0x575757);
    PaintManager& pm = GetPaintManager();
    pm.AddControl(std::make_unique<GalleryLabel>(this, 8000, Rect{kLeft, 12, rect.right - 20, 38},
                                                 chinese_ ? "Tolva 控件库" : "Tolva gallery", 20,
                                                 0xFFF0F0F0),
                  1);
    const auto& pages = Pages();
    for (size_t i = 0; i < pages.size(); ++i) {
        const int x = kLeft + static_cast<int>(i) * (kTabWidth + 4);
        auto tab = std::make_unique<GalleryLabel>(
            this, kTabBase + static_cast<unsigned>(i), Rect{x, 50, x + kTabWidth, 78},
            chinese_ ? pages[i].chineseTitle : pages[i].title, 12, 0xFFD0D0D0, true);
        tabs_.push_back(tab.get());
        pm.AddControl(std::move(tab), 1);
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        auto* page = dynamic_cast<MPanel*>(
            CreateControl("MTabLayout", kPageBase + static_cast<unsigned>(i),
                          Rect{0, kPageTop - 4, rect.right, rect.bottom - 40}, "", false, true));
        if (!page) continue;
        GalleryCanvas canvas(*this, page, 100 + static_cast<unsigned>(i) * 1000, chinese_);
        pages[i].build(canvas);
        shown_.insert(canvas.Classes().begin(), canvas.Classes().end());
        pages_.push_back(page);
        dialogControls_.push_back(canvas.DialogControls());
    }
    auto status = std::make_unique<GalleryLabel>(
        this, 8001, Rect{kLeft, rect.bottom - 32, rect.right - 20, rect.bottom - 10},
        std::to_string(BuiltCount()) + (chinese_ ? " / " : " of ") + std::to_string(ClassCount()) +
            (chinese_ ? " 个类已构建" : " classes built"),
        12, 0xFF9A9A9A);
    status_ = status.get();
    pm.AddControl(std::move(status), 1);
    SelectPage(0);
}

void GalleryDialog::SelectPage(int index) {
    if (index < 0 || index >= static_cast<int>(pages_.size()) || index == page_) return;
    page_ = index;
    for (size_t i = 0; i < tabs_.size(); ++i)
        tabs_[i]->SetSelected(static_cast<int>(i) == index);
    for (size_t i = 0; i < pages_.size(); ++i) {
        const bool on = static_cast<int>(i) == index;
        pages_[i]->SetVisible(on);
        for (MControl* c : dialogControls_[i])
            c->SetVisible(on);
    }
}

Rect GalleryDialog::FirstSampleRect(int page) const {
    if (page < 0 || page >= static_cast<int>(pages_.size())) return {};
    for (MControl* c : pages_[page]->GetControls())
        if (c->GetControlID() >= 100 && c->GetControlID() < kOpenLoadingId) return c->GetRect();
    return {};
}

NativeWindow* GalleryDialog::OpenLoadingWindow() {
    loading_ = std::make_unique<LoadingWnd>();
    const Rect client = GetClientRect();
    const Point centre = ClientToScreen(Point{client.Width() / 2, client.Height() / 2});
    NativeWindow* w = loading_->CreateDlg(
        GetSafeHwnd(), Rect{centre.x - 180, centre.y - 110, centre.x + 180, centre.y + 110}, this);
    if (!w) return nullptr;
    loading_->LoadBKImage("bk_prompt.png");
    loading_->SetBackMode(BackModeMID, 12);
    loading_->ShowWindow(SW_SHOW);
    return w;
}

NativeWindow* GalleryDialog::OpenBalloon() {
    PaintManager& pm = GetPaintManager();
    MControl* anchor = pm.GetControl(kOpenBalloonId);
    const Rect r = anchor ? anchor->GetRect() : Rect{0, 0, 0, 0};
    pm.SetAirBladderMsg(chinese_ ? "设置已保存到鼠标。" : "The settings were saved to the mouse.",
                        ClientToScreen(Point{(r.left + r.right) / 2, r.top}), 2, 0);
    pm.ShowAirBladder(true, nullptr);
    MAirBladder* balloon = pm.GetAirBladder();
    return balloon ? balloon->GetSafeHwnd() : nullptr;
}

NativeWindow* GalleryDialog::OpenPopupWindow() {
    popup_ = std::make_unique<MPopupWnd>();
    MControl* anchor = GetPaintManager().GetControl(kOpenPopupId);
    const Rect r = anchor ? ClientToScreen(anchor->GetRect()) : Rect{100, 100, 100, 100};
    NativeWindow* w = popup_->CreatePopup(
        GetSafeHwnd(), Rect{r.left, r.bottom + 4, r.left + 320, r.bottom + 4 + 150}, this);
    if (!w) return nullptr;
    popup_->LoadBKImage("bk_prompt.png");
    popup_->SetBackMode(BackModeMID, 12);
    if (auto* t = dynamic_cast<MText*>(popup_->CreateControl(
            "MText", 7911, Rect{20, 20, 300, 90},
            chinese_ ? "弹出窗口承载普通控件，并把它们的通知转交给所属窗口。"
                     : "A popup window hosts ordinary controls and hands their "
                       "notifications to its owner."))) {
        t->SetFontWidth(10);
        t->EnableMultiLine(true);
    }
    if (auto* ok = dynamic_cast<MButton*>(popup_->CreateControl(
            "MButton", kPopupOkId, Rect{200, 104, 300, 134}, chinese_ ? "关闭" : "Close"))) {
        ok->SetImage("btn_apply.png", 4);
        ok->SetFontWidth(10);
        ok->SetAlignment(1, 1);
    }
    popup_->ShowWindow(SW_SHOW);
    return w;
}

LRESULT GalleryDialog::OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (id >= kTabBase && id < kTabBase + tabs_.size()) {
        if (code == 2) SelectPage(static_cast<int>(id - kTabBase));
        return 1;
    }
    if (code == 2 && id == kOpenLoadingId) OpenLoadingWindow();
    if (code == 2 && id == kOpenBalloonId) OpenBalloon();
    if (code == 2 && id == kOpenPopupId) OpenPopupWindow();
    if (code == 2 && id == kPopupOkId && popup_) popup_->CloseWindow();
    lastNote_ = "id " + std::to_string(id) + " code " + std::to_string(code);
    if (status_)
        status_->SetText((chinese_ ? "最近的通知：" : "Last notification: ") + lastNote_ + " (" +
                         std::to_string(wparam) + ", " + std::to_string(lparam) + ")");
    return 0;
}

} // namespace Tolva
