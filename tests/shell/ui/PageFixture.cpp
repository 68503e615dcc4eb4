#include "PageFixture.h"

#include "app/files/Language.h"
#include "app/shell/pages/ShellPage.h"
#include "ui/core/PaintManager.h"
#include "ui/platform/Platform.h"

#include <cstdlib>
#include <unistd.h>

using namespace Tolva;

namespace {

// The page area of the main window: right of the device column, below the title bar.
constexpr Rect kPageArea{220, 110, 1180, 700};
constexpr unsigned kLayoutIds[] = {50, 51, 52, 53, 54, 501, 502, 503, 504};

std::string ProgramFolderFromEnvironment() {
    const char* home = std::getenv("PIVANE_HOME");
    std::string folder = home && *home ? home : "";
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

} // namespace

LRESULT PageTestWindow::OnMessage(unsigned id, int code, WPARAM wparam, LPARAM lparam) {
    if (!page || !page->OnNotify(id, code, wparam, lparam)) unrouted.push_back({id, code});
    return 0;
}

LRESULT PageTestWindow::OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) {
    if (msg >= WM_USER) appMessages.push_back(msg);
    if (page && msg >= WM_USER && page->OnWindowMessage(msg, wparam, lparam)) return 0;
    return MDialog::OnWindowMessage(msg, wparam, lparam);
}

FakePageHost::FakePageHost() {
    programFolder = ProgramFolderFromEnvironment();
    char pattern[] = "/tmp/pivane-page-XXXXXX";
    if (const char* made = mkdtemp(pattern)) dataFolder = std::string(made) + "/";
    tempRoot_ = dataFolder;
    std::filesystem::create_directories(dataFolder + "db");

    window.Create(nullptr, "ORMAN-Q410", WS_POPUP, 0, Rect{0, 0, 1200, 720});
    window.GetPaintManager().SetPaintPause(0);
    strip_ = static_cast<MTabCtrl*>(window.GetPaintManager().CreateControl(
        1, &window, "MTabCtrl", 500, Rect{150, 110, 210, 700}, "", true, true));
    for (unsigned id : kLayoutIds)
        layouts_[id] = strip_->CreatePanel(id, kPageArea, true);
    window.ShowWindow(SW_SHOW);
    Platform::ProcessPending();

    store.SetCurrentDeviceType(deviceType);
    store.SetInitialProfileWord("Profile");
    store.OpenSettingsDatabase(dataFolder, SettingsDatabase::kDeviceName);
    auto loaded = std::make_shared<DeviceLayout>();
    if (loaded->Load(programFolder, deviceType, "ORMAN-Q410")) layout = loaded;
}

FakePageHost::~FakePageHost() {
    if (store.IsSettingsOpen()) {
        store.CloseSettingsDatabase();
        store.SetOpenFlag(false);
    }
    window.DestroyWindow();
    Platform::ProcessPending();
    std::error_code ec;
    if (!tempRoot_.empty()) std::filesystem::remove_all(tempRoot_, ec);
}

bool FakePageHost::UseDevice(int type, const std::string& layoutName) {
    if (store.IsSettingsOpen()) {
        store.CloseSettingsDatabase();
        store.SetOpenFlag(false);
    }
    deviceType = type;
    dataFolder = tempRoot_ + "device" + std::to_string(type) + "/";
    std::filesystem::create_directories(dataFolder + "db");
    store.SetCurrentDeviceType(type);
    if (!store.OpenSettingsDatabase(dataFolder, SettingsDatabase::kDeviceName)) return false;
    profile = store.FindActiveProfile() > 0 ? store.FindActiveProfile() : 1;
    auto loaded = std::make_shared<DeviceLayout>();
    if (!loaded->Load(programFolder, type, layoutName)) return false;
    loaded->SeedLightRows(store, profile);
    layout = loaded;
    return true;
}

MTabLayout* FakePageHost::FindLayout(unsigned id) {
    askedLayouts.insert(id);
    const auto it = layouts_.find(id);
    return it == layouts_.end() ? nullptr : it->second;
}

int FakePageHost::ShowMessageBox(const std::string& text, const std::string& caption, int style) {
    boxes.push_back({text, caption, style});
    if (answers.empty()) return 1;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

void PageTest::SetUp() {
    ASSERT_TRUE(Platform::Init(BackendKind::Headless));
    head = Platform::Headless();
    ASSERT_NE(head, nullptr);
    head->SetManualPeriodicTimers(true);
    Language::SetCurrent(Language::kEnglish);
    host = std::make_unique<FakePageHost>();
    ASSERT_TRUE(host->store.IsSettingsOpen()) << host->dataFolder;
    ASSERT_NE(host->layout, nullptr) << "no layout file in " << host->programFolder;
}

void PageTest::TearDown() {
    host.reset();
    Platform::Shutdown();
}

void PageTest::Attach(ShellPage& page) {
    host->window.page = &page;
    host->askedLayouts.clear();
    page.Build();
    for (unsigned id : kLayoutIds)
        if (!host->askedLayouts.count(id)) host->FindLayout(id)->SetVisible(false);
    host->askedLayouts.clear();
    page.ApplyTexts();
    page.Reload();
    Platform::ProcessPending();
}

void PageTest::Click(Point pt) {
    head->Click(host->window.GetSafeHwnd(), pt);
    Platform::ProcessPending();
}

MControl* PageTest::Find(unsigned id) {
    return host->window.GetControl(id);
}

Point PageTest::CentreOf(unsigned id) {
    MControl* c = Find(id);
    if (!c) return {-1, -1};
    const Rect r = c->GetRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
