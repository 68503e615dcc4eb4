#include "app/shell/KeyboardDlg.h"

#include "app/device/HotplugSource.h"
#include "app/device/KeyRemapCompanion.h"
#include "app/files/UiText.h"
#include "app/platform/GdkScreenSampler.h"
#include "app/shell/CUIMessageBox.h"
#include "app/shell/CloseWindowTipDlg.h"
#include "app/shell/WaitDlg.h"
#include "app/shell/pages/ConfigPage.h"
#include "app/shell/pages/MouseKeyPage.h"
#include "app/shell/pages/PageSet.h"
#include "app/store/LightFrameStore.h"
#include "app/store/SettingsDatabase.h"
#include "ui/controls/MPicture.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/controls/MTabLayout.h"
#include "ui/controls/MText.h"
#include "ui/widgets/BatteryCtrl.h"
#include "ui/widgets/CDeviceCtrl.h"

#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>

using namespace Tolva;

namespace {

constexpr int kMouseFamily = 600; // device types above are mice

int ExitMode() {
    return CloseDecision::ExitMode();
}

} // namespace

KeyboardDlg::KeyboardDlg(Setup setup)
    : setup_(std::move(setup)), store_(*setup_.store), services_(*setup_.manager, *setup_.store),
      closeDecision_([this] { CloseWindowTipDlg::Show(this); },
                     [this](const std::string& text, const std::string& caption) {
                         CUIMessageBox::Show(this, text, caption, CUIMessageBox::kNotice);
                     }) {}

KeyboardDlg::~KeyboardDlg() {
    Teardown();
    // Pages hold pointers to controls; they go before the controls do.
    pages_.clear();
}

bool KeyboardDlg::CreateMainWindow() {
    const Rect size{0, 0, MainWindowLayout::kWidth, MainWindowLayout::kHeight};
    const Rect work = Platform::GetWorkArea(Point{0, 0});
    const Rect placed = CenteredRect(size, work, true, work);
    if (!Create(nullptr, kTitle, WS_POPUP, 0, placed)) return false;
    return true;
}

void KeyboardDlg::OnInitDialog() {
    MDialog::OnInitDialog(); // binds the paint manager and runs InitUI
    window_ = GetSafeHwnd();
    if (setup_.lightFrames) setup_.lightFrames->OpenLightFrameStore(setup_.programFolder);

    services_.SetStartWorkerThread(setup_.startWorkerThread);
    ShellServices::Paths paths{setup_.programFolder, setup_.dataFolder};
    std::string profileWord = UiText::Dialog(65);
    if (profileWord.empty()) profileWord = "Profile";
    store_.SetInitialProfileWord(profileWord);
    permissionNotice_.Configure();
    // The screen-colour effect reads the X screen; the headless back end has none.
    if (Platform::Kind() != BackendKind::Headless)
        screenSampler_ = std::make_unique<GdkScreenSampler>();
    const bool screenReadable = screenSampler_ && screenSampler_->Width() > 0;
    RouteToPages(ShellPage::kScreenReadable, screenReadable ? 1 : 0, 0);
    services_.Start(setup_.options, paths, *this, profileWord, screenSampler_.get());
    if (CThreadBasic* worker = Worker()) {
        worker->SetCurrentPage(currentPage_);
        worker->SetWindowVisible(IsWindowVisible());
        ShowUpgradeState(worker->Upgrade().State());
    }
    // Tray set-up, then the configuration's device list.
    tray_.Add(GetSafeHwnd(), setup_.programFolder + TrayIcon::kIconFile, TrayIcon::kTip);
    SetIcon(107);
    FillDeviceList();
    ApplyTexts();

    SetTimer(kVersionTimer, kVersionDelayMs);
    animationTimer_ = SetMTimer(kAnimationMs);
}

void KeyboardDlg::InitUI(const Rect&) {
    controls_.Build(*this);
    pages_ = PageSet::Create(*this);
    for (const auto& page : pages_)
        page->Build();
}

void KeyboardDlg::FillDeviceList() {
    CDeviceCtrl* list = controls_.devices;
    if (!list) return;
    list->ClearList();
    // Not shown until a scan finds the device online.
    for (const auto& device : services_.Link().Config().Devices())
        if (device) list->AddDevice(device->name, 0, 0, device->deviceType, false);
    if (controls_.noDevice) controls_.noDevice->SetVisible(true);
    if (controls_.listHint) controls_.listHint->SetVisible(false);
}

void KeyboardDlg::ShowWindow(int command) {
    MDialog::ShowWindow(command);
    if (CThreadBasic* worker = Worker()) worker->SetWindowVisible(IsWindowVisible());
}

void KeyboardDlg::ShowAndRaise() {
    ShowWindow(SW_SHOWNORMAL);
    BringToTop();
    SetFocus();
}

// ---- notifications and messages ----

LRESULT KeyboardDlg::OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    switch (id) {
    case MainWindowLayout::kClose:
        if (code == 2) OnCloseButton();
        return 0;
    case MainWindowLayout::kMinimize:
        if (code == 2) OnMinimize();
        return 0;
    case MainWindowLayout::kWebsite:
        if (code == 2) OpenAddress(services_.Link().Config().WebsiteUrl());
        return 0;
    case MainWindowLayout::kStore:
        if (code == 2) OpenAddress(services_.Link().Config().StoreUrl());
        return 0;
    case MainWindowLayout::kKeyboardTabs:
    case MainWindowLayout::kMouseTabs:
        if (code == 2) {
            MTabCtrl* strip =
                id == MainWindowLayout::kMouseTabs ? controls_.mouseTabs : controls_.keyboardTabs;
            if (strip) ActivatePage(static_cast<int>(strip->GetItemID(static_cast<int>(wparam))));
        }
        return 0;
    case MainWindowLayout::kDeviceList:
        if (code == 1) OnDeviceSelected();
        return 0;
    default:
        break;
    }
    for (const auto& page : pages_)
        if (page->OnNotify(id, code, wparam, lparam)) break;
    return 0;
}

LRESULT KeyboardDlg::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case kWorkerCall:
        RunPostedWork();
        return 0;
    case kShowRequest:
        ShowAndRaise();
        return 0;
    case WM_COMMAND:
        if (wparam == 100) {
            ExitNow();
        } else if (wparam == 200) {
            CloseWindowTipDlg::Show(this);
            controls_.SetCloseTooltip(ExitMode());
        }
        return 0;
    case WM_DEVICECHANGE:
        // Sent (never posted) with the event in lParam; the hot-plug monitor takes the same way.
        if ((wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) && lparam)
            services_.OnDeviceChange(*reinterpret_cast<const HotplugSource::Event*>(lparam));
        return 1;
    case WM_APP_EXIT_REQUEST:
        if (lparam == kExitRequestParam) ExitNow();
        return 0;
    case WM_APP_TRAY:
        // The same message carries download progress (wparam 0, lparam 0 to 100).
        if (wparam == 0 && lparam >= 0 && lparam <= 100)
            RouteToPages(msg, wparam, lparam);
        else if (lparam == TrayIcon::kLeftDown || lparam == TrayIcon::kLeftDoubleClick)
            ShowAndRaise();
        else if (lparam == TrayIcon::kRightUp)
            tray_.ShowMenu();
        return 0;
    case WM_APP_RELOAD_TEXTS:
        ApplyTexts();
        return 0;
    case WM_INPUT:
        RouteToPages(msg, wparam, lparam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        // The macro page's single-key entry takes buttons the way raw input would deliver them;
        // the controls still get the press.
        RouteToPages(msg, wparam, lparam);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        RouteKey(msg, wparam, lparam);
        break;
    default:
        // Tolva's own messages in the user range are not the pages' business.
        if (msg >= WM_USER && msg != WM_TOLVA_USERCLOSE &&
            msg != PaintManager::kDeferredUpdateMessage && RouteToPages(msg, wparam, lparam))
            return 0;
        break;
    }
    const LRESULT result = MDialog::OnWindowMessage(msg, wparam, lparam);
    if (msg == WM_PAINT && setup_.firstFrame && GetSafeHwnd() &&
        GetSafeHwnd()->GetFramesShown() > 0) {
        auto report = std::move(setup_.firstFrame);
        setup_.firstFrame = nullptr;
        report();
    }
    return result;
}

bool KeyboardDlg::RouteToPages(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    for (const auto& page : pages_)
        if (page->OnWindowMessage(msg, wparam, lparam)) return true;
    return false;
}

void KeyboardDlg::RouteKey(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    LPARAM key = lparam;
    if (msg == WM_KEYUP || msg == WM_SYSKEYUP)
        key =
            static_cast<LPARAM>(static_cast<int32_t>(static_cast<uint32_t>(lparam) | 0x80000000u));
    for (const auto& page : pages_)
        page->OnWindowMessage(ShellPage::kKeyEvent, wparam, key);
}

LRESULT KeyboardDlg::OnTimer(uint32_t id) {
    if (id == kVersionTimer) {
        KillTimer(kVersionTimer);
        // A tick already queued behind the kill must not check twice.
        if (!versionTimerFired_) {
            versionTimerFired_ = true;
            QueueTask(CThreadBasic::kSoftwareCheck);
        }
    }
    return 0;
}

LRESULT KeyboardDlg::OnDestroy() {
    Teardown();
    return 0;
}

// ---- the title bar ----

void KeyboardDlg::OnCloseButton() {
    switch (closeDecision_.OnCloseButton(tray_.HasTray())) {
    case CloseDecision::Action::Hide:
        ShowWindow(SW_HIDE);
        break;
    case CloseDecision::Action::Minimise:
        OnMinimize();
        break;
    case CloseDecision::Action::Exit:
        ExitNow();
        break;
    }
    controls_.SetCloseTooltip(ExitMode());
}

void KeyboardDlg::OpenAddress(const std::string& url) {
    if (url.empty() || Platform::Kind() == BackendKind::Headless) return;
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error) && error)
        g_error_free(error);
}

void KeyboardDlg::ExitNow() {
    tray_.Remove();
    services_.SaveBeforeExit();
    if (setup_.exitProcess) {
        setup_.exitProcess();
        return;
    }
    _exit(0);
}

// ---- device list and pages ----

std::string KeyboardDlg::LayoutNameOf(int deviceType) const {
    const DeviceModeEntry* mode = services_.Link().Config().FindByDeviceType(deviceType);
    return mode ? mode->layoutName : std::string();
}

std::string KeyboardDlg::DeviceNameOf(int deviceType) const {
    for (const auto& device : services_.Link().Config().Devices())
        if (device && device->deviceType == deviceType) return device->name;
    return {};
}

void KeyboardDlg::OnDeviceSelected() {
    CDeviceCtrl* list = controls_.devices;
    if (!list) return;
    const int type = list->GetCurDeviceType();
    if (type == 0) return;
    ShowDevicePages(type);
    CThreadBasic* worker = Worker();
    // Against what task 4 loaded, not what a hot-plug event shows: the settings must be loaded.
    if (worker && type != worker->LoadedDeviceType()) {
        worker->ChooseDevice(type, LayoutNameOf(type));
        QueueTask(CThreadBasic::kSwitchDevice);
    }
}

void KeyboardDlg::ShowDevicePages(int deviceType) {
    selectedType_ = deviceType;
    MTabCtrl* strip = controls_.StripFor(deviceType);
    MTabCtrl* other = strip == controls_.mouseTabs ? controls_.keyboardTabs : controls_.mouseTabs;
    if (other) other->SetVisible(false);
    controls_.HideAllLayouts();
    if (controls_.noDevice) controls_.noDevice->SetVisible(false);
    if (controls_.listHint) controls_.listHint->SetVisible(false);
    if (controls_.titleDevice) controls_.titleDevice->SetTitle(DeviceNameOf(deviceType));
    if (controls_.devices) controls_.devices->SetDeviceState(deviceType, 1);
    if (!strip) return;
    strip->SetVisible(true);
    if (strip->GetSelectItem() != 1) {
        strip->SetSelectItem(1); // its notification activates the page
        return;
    }
    TabItemInfo info;
    if (strip->GetItemInfo(1, info) && info.page) info.page->SetVisible(true);
    ActivatePage(static_cast<int>(strip->GetItemID(1)));
}

void KeyboardDlg::HideDevicePages() {
    selectedType_ = 0;
    controls_.HideAllLayouts();
    if (controls_.keyboardTabs) controls_.keyboardTabs->SetVisible(false);
    if (controls_.mouseTabs) controls_.mouseTabs->SetVisible(false);
    if (controls_.battery) controls_.battery->SetVisible(false);
    if (controls_.mode) controls_.mode->SetVisible(false);
    if (controls_.titlePicture) controls_.titlePicture->SetVisible(false);
    if (controls_.titleText) controls_.titleText->SetVisible(false);
    if (controls_.titleDevice) controls_.titleDevice->SetVisible(false);
    if (controls_.homeArt) controls_.homeArt->SetVisible(true);
    currentPage_ = 0;
    if (CThreadBasic* worker = Worker()) worker->SetCurrentPage(0);
}

void KeyboardDlg::ActivatePage(int page) {
    const MainWindowLayout::PageEntry* entry = MainWindowLayout::FindPage(page);
    if (!entry) return;
    currentPage_ = page;
    if (CThreadBasic* worker = Worker()) worker->SetCurrentPage(page);
    const bool home = page == 0;
    if (home) {
        if (controls_.keyboardTabs) controls_.keyboardTabs->SetVisible(false);
        if (controls_.mouseTabs) controls_.mouseTabs->SetVisible(false);
        if (controls_.titleText) controls_.titleText->SetTitle({});
        if (controls_.homeArt) controls_.homeArt->SetImage(entry->titleIcon);
    } else {
        if (controls_.titleText) controls_.titleText->SetTitle(UiText::Dialog(entry->textId));
        if (controls_.titlePicture) controls_.titlePicture->SetImage(entry->titleIcon);
    }
    if (controls_.titleText) controls_.titleText->SetVisible(!home);
    if (controls_.titleDevice) controls_.titleDevice->SetVisible(!home);
    if (controls_.titlePicture) controls_.titlePicture->SetVisible(!home);
    if (controls_.homeArt) controls_.homeArt->SetVisible(home);
    for (const auto& p : pages_)
        if (p->PageId() == page) p->OnActivate();
}

void KeyboardDlg::ShowModeIcon(int mode) {
    MPicture* picture = controls_.mode;
    if (!picture) return;
    if (mode < 0 || selectedType_ == 0) {
        picture->SetVisible(false);
        return;
    }
    const bool wired = mode == 0;
    if (wired != shownWired_) {
        picture->SetImage(wired ? "icon\\mode_usb.png" : "icon\\mode_24g.png");
        shownWired_ = wired;
    }
    picture->SetVisible(true);
}

void KeyboardDlg::ApplyDeviceState(const WorkerDeviceState& state) {
    deviceType_ = state.deviceType;
    CDeviceCtrl* list = controls_.devices;
    bool selectedOnline = false;
    if (list) {
        // The list holds the configured devices in configuration order.
        int index = 0;
        for (const auto& device : services_.Link().Config().Devices()) {
            if (!device) continue;
            const int type = device->deviceType;
            const bool online = std::any_of(
                state.entries.begin(), state.entries.end(),
                [type](const DeviceEntry& e) { return e.online && e.deviceType == type; });
            if (online && type == selectedType_) selectedOnline = true;
            const int shown = !online ? 0 : type == selectedType_ ? 1 : 2;
            // Status readings come every few seconds; an unchanged list is not redrawn.
            if (list->GetDeviceState(index) != shown) list->SetDeviceState(type, shown);
            ++index;
        }
    }
    if (selectedType_ != 0 && !selectedOnline) HideDevicePages();
    const bool any = list && list->GetConnectCount() > 0;
    if (controls_.noDevice) controls_.noDevice->SetVisible(!any);
    if (controls_.listHint) controls_.listHint->SetVisible(any && selectedType_ == 0);

    const bool mouseShown = selectedType_ > kMouseFamily && state.deviceType == selectedType_;
    ShowModeIcon(mouseShown && state.connected ? state.mode : -1);
    if (BatteryCtrl* battery = controls_.battery) {
        // A level above 100 is never shown.
        if (mouseShown && state.connected && state.battery >= 0 && state.battery <= 100) {
            battery->SetBatteryInfo(state.battery, 0);
            battery->SetVisible(true);
        } else if (!mouseShown || !state.connected) {
            battery->SetVisible(false);
        }
    }
}

// ---- texts ----

void KeyboardDlg::ApplyTexts() {
    const ApplicationConfig& config = services_.Link().Config();
    controls_.ApplyTexts(ExitMode(), config.Caption(), config.Version());
    permissionNotice_.ApplyTexts(controls_.noDevice);
    tray_.ApplyTexts();
    if (currentPage_ != 0 && controls_.titleText)
        if (const MainWindowLayout::PageEntry* entry = MainWindowLayout::FindPage(currentPage_))
            controls_.titleText->SetTitle(UiText::Dialog(entry->textId));
    for (const auto& page : pages_)
        page->ApplyTexts();
}

// ---- PageHost ----

void KeyboardDlg::QueueTask(int code) {
    if (CThreadBasic* worker = Worker()) worker->AddTask(code);
}

void KeyboardDlg::ShowWaitDialog() {
    if (waitDlg_) waitDlg_->Close();
    waitDlg_ = std::make_unique<WaitDlg>();
    if (!waitDlg_->Open(*this)) waitDlg_.reset();
}

int KeyboardDlg::ShowMessageBox(const std::string& text, const std::string& caption, int style) {
    return CUIMessageBox::Show(this, text, caption, style);
}

void KeyboardDlg::SetCurrentProfile(int profile) {
    profile_ = profile;
    if (CThreadBasic* worker = Worker()) worker->SetCurrentProfile(profile);
}

void KeyboardDlg::ReloadPages() {
    for (const auto& page : pages_)
        page->Reload();
}

// ---- WorkerWindow: worker thread ----

void KeyboardDlg::PostToWindow(std::function<void()> work) {
    NativeWindow* window = window_;
    if (!window) return;
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        posted_.push_back(std::move(work));
    }
    // One message per call keeps them in order with the enabling messages posted beside them.
    if (!Platform::PostMessage(window, kWorkerCall)) {
        std::lock_guard<std::mutex> lock(postedLock_);
        posted_.clear();
    }
}

void KeyboardDlg::RunPostedWork() {
    std::function<void()> work;
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        if (posted_.empty()) return;
        work = std::move(posted_.front());
        posted_.pop_front();
    }
    if (work) work();
}

void KeyboardDlg::DisableForTask() {
    // Counted by the window: a modal dialog's disabling outlasts the task's.
    if (NativeWindow* window = window_) Platform::EnableWindow(window, false);
}

void KeyboardDlg::EnableAfterTask() {
    if (NativeWindow* window = window_) Platform::EnableWindow(window, true);
}

void KeyboardDlg::CloseWaitDialog() {
    PostToWindow([this] {
        if (waitDlg_) {
            waitDlg_->Close();
            waitDlg_.reset();
        }
    });
}

void KeyboardDlg::PostPageReload() {
    PostToWindow([this] { ReloadPages(); });
}

void KeyboardDlg::DeviceStateChanged(const WorkerDeviceState& state) {
    // A device whose node may not be opened looks absent to the scan; sysfs still shows it.
    const DeviceLink& link = services_.Link();
    const bool real = !link.SimulatedMouse() && !link.SimulatedKeyboard();
    std::string fix = state.present ? std::string() : permissionNotice_.Check(link.Config(), real);
    PostToWindow([this, state, fix] {
        ApplyDeviceState(state);
        permissionNotice_.Show(controls_.noDevice, fix);
    });
}

void KeyboardDlg::DeviceSwitched(int deviceType, int profile,
                                 std::shared_ptr<const DeviceLayout> layout) {
    PostToWindow([this, deviceType, profile, layout] {
        deviceType_ = deviceType;
        profile_ = profile;
        layout_ = layout && layout->IsLoaded() ? layout : nullptr;
        if (controls_.titleDevice && deviceType == selectedType_)
            controls_.titleDevice->SetTitle(DeviceNameOf(deviceType));
    });
}

void KeyboardDlg::StartVisualizer() {
    PostToWindow([this] { RouteToPages(ShellPage::kStartVisualizer, 0, 0); });
}

void KeyboardDlg::LiveColoursSent(const std::array<uint32_t, 7>& colours) {
    PostToWindow([this, colours] {
        RouteToPages(ShellPage::kLiveColours, 0, reinterpret_cast<LPARAM>(&colours));
    });
}

bool KeyboardDlg::RemapsKeys() const {
    const KeyRemapCompanion* companion = services_.Companion();
    return companion && companion->IsActive();
}

void KeyboardDlg::SoftwareFunctionPressed(int keyExtraDataId) {
    if (NativeWindow* window = window_)
        Platform::PostMessage(window, MouseKeyPage::kSoftwareFunctionMessage, 0, keyExtraDataId);
}

void KeyboardDlg::UpgradeProgress(int percent) {
    if (NativeWindow* window = window_) Platform::PostMessage(window, WM_APP_TRAY, 0, percent);
}

void KeyboardDlg::UpgradeStateChanged(const UpgradeState& state) {
    PostToWindow([this, state] { ShowUpgradeState(state); });
}

void KeyboardDlg::EndProgramForUpgrade() {
    PostToWindow([this] { ExitNow(); });
}

void KeyboardDlg::ShowUpgradeState(const UpgradeState& state) {
    for (const auto& page : pages_)
        if (auto* config = dynamic_cast<ConfigPage*>(page.get())) config->ShowUpgradeState(state);
}

// ---- InstanceRequests: listener thread ----

void KeyboardDlg::OnShowRequest() {
    if (NativeWindow* window = window_) Platform::PostMessage(window, kShowRequest);
}

void KeyboardDlg::OnExitRequest() {
    NativeWindow* window = window_;
    // The tray icon belongs to the window thread; without a window nothing is left to tidy.
    if (!window || !Platform::PostMessage(window, WM_APP_EXIT_REQUEST, 0, kExitRequestParam))
        ExitNow();
}

// ---- teardown ----

void KeyboardDlg::Teardown() {
    if (tornDown_) return;
    tornDown_ = true;
    if (GetSafeHwnd()) KillTimer(kVersionTimer);
    if (animationTimer_) {
        KillMTimer(animationTimer_);
        animationTimer_ = 0;
    }
    // Hot-plug first, then the worker (up to 1000 ms), then the device entries.
    services_.Stop();
    window_ = nullptr;
    tray_.Remove();
    if (setup_.lightFrames) setup_.lightFrames->ReleaseLightFrameStore();
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        posted_.clear();
    }
    if (waitDlg_) {
        waitDlg_->Close();
        waitDlg_.reset();
    }
}
