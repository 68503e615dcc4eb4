#include "PageFixture.h"
#include "TempConfigHome.h"

#include "app/device/FirmwareUpdater.h"
#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/pages/ConfigPage.h"
#include "ui/controls/MButton.h"
#include "ui/controls/MText.h"
#include "ui/widgets/DownloadButton.h"
#include "ui/widgets/UpgradeButton.h"

#include <filesystem>
#include <fstream>

using namespace Tolva;
namespace fs = std::filesystem;

namespace {

class ConfigPageUpgradeTest : public PageTest {
protected:
    void SetUp() override {
        config_ = std::make_unique<TempConfigHome>();
        PageTest::SetUp();
        if (HasFatalFailure()) return;
        page_ = std::make_unique<ConfigPage>(*host);
        Attach(*page_);
    }
    void TearDown() override {
        if (host) host->window.page = nullptr;
        page_.reset();
        PageTest::TearDown();
        Language::SetCurrent(Language::kEnglish);
        config_.reset();
        std::error_code ec;
        if (!program_.empty()) fs::remove_all(program_, ec);
    }

    UpgradeButton* Upgrade(unsigned id) { return dynamic_cast<UpgradeButton*>(Find(id)); }
    DownloadButton* Download() {
        return dynamic_cast<DownloadButton*>(Find(ConfigPage::kDownloadId));
    }
    MControl* Cancel() { return Find(ConfigPage::kCancelId); }
    std::string Line() {
        auto* text = dynamic_cast<MText*>(Find(ConfigPage::kUpgradeLineId));
        return text ? text->GetTitle() : "<none>";
    }
    void Press(unsigned id) {
        head->MouseMove(host->window.GetSafeHwnd(), CentreOf(id));
        Click(CentreOf(id));
    }
    void Progress(int percent) {
        Platform::PostMessage(host->window.GetSafeHwnd(), ConfigPage::kProgressMessage, 0, percent);
        Platform::ProcessPending();
    }
    // The top-right corner of a control in the rendered window, where the badge sits.
    uint32_t BadgePixel(unsigned id) {
        Platform::ProcessPending();
        const Rect r = Find(id)->GetRect();
        return head->Pixel(host->window.GetSafeHwnd(), Point{r.right - 8, r.top + 4});
    }
    static bool IsRed(uint32_t argb) {
        return ((argb >> 16) & 0xFF) > 200 && ((argb >> 8) & 0xFF) < 60 && (argb & 0xFF) < 60;
    }
    // A program folder of the test's own, with the shipped layout's firmware tool in it.
    void ShipFirmwareTool() {
        char pattern[] = "/tmp/pivane-config-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        program_ = std::string(pattern) + "/";
        fs::create_directories(program_ + "firmware");
        std::ofstream(FirmwareUpdater::UpdaterPath(program_, host->layout->FirmwareFile()))
            << "tool";
        host->programFolder = program_;
    }

    static UpgradeState Newer() {
        UpgradeState state;
        state.installedVersion = "1.0.1";
        state.latestSoftware = "1.0.2";
        state.softwareNewer = true;
        state.deviceFirmware = 105;
        return state;
    }

    std::unique_ptr<TempConfigHome> config_;
    std::unique_ptr<ConfigPage> page_;
    std::string program_;
};

TEST_F(ConfigPageUpgradeTest, NewerVersionShowsTheBadgeAndTheVersions) {
    ASSERT_NE(Upgrade(ConfigPage::kSoftwareUpgradeId), nullptr);
    ASSERT_NE(Upgrade(ConfigPage::kFirmwareUpgradeId), nullptr);
    EXPECT_FALSE(IsRed(BadgePixel(ConfigPage::kSoftwareUpgradeId)));
    EXPECT_FALSE(Download()->IsEnabled());

    page_->ShowUpgradeState(Newer());
    EXPECT_EQ(Upgrade(ConfigPage::kSoftwareUpgradeId)->GetUpgradeStatus(), 1);
    EXPECT_EQ(Upgrade(ConfigPage::kFirmwareUpgradeId)->GetUpgradeStatus(), 0);
    EXPECT_TRUE(IsRed(BadgePixel(ConfigPage::kSoftwareUpgradeId)));
    EXPECT_FALSE(IsRed(BadgePixel(ConfigPage::kFirmwareUpgradeId)));
    EXPECT_EQ(dynamic_cast<MText*>(Find(ConfigPage::kSoftwareVersionId))->GetTitle(), "1.0.1");
    EXPECT_EQ(dynamic_cast<MText*>(Find(ConfigPage::kFirmwareVersionId))->GetTitle(), "105");
    EXPECT_EQ(Line(), "Software 1.0.2 is available.");
    EXPECT_TRUE(Download()->IsEnabled());

    UpgradeState firmware = Newer();
    firmware.softwareNewer = false;
    firmware.latestFirmware = "106";
    firmware.firmwareNewer = true;
    page_->ShowUpgradeState(firmware);
    EXPECT_EQ(Upgrade(ConfigPage::kSoftwareUpgradeId)->GetUpgradeStatus(), 0);
    EXPECT_TRUE(IsRed(BadgePixel(ConfigPage::kFirmwareUpgradeId)));
    EXPECT_EQ(Line(), "Firmware 106 is available.");
}

TEST_F(ConfigPageUpgradeTest, RunningDownloadShowsItsProgressAndCanBeCancelled) {
    UpgradeState state = Newer();
    state.downloading = UpgradeState::kSoftware;
    page_->ShowUpgradeState(state);
    EXPECT_TRUE(Cancel()->IsVisible());
    EXPECT_FALSE(Download()->IsEnabled()); // no second download meanwhile
    EXPECT_EQ(Line(), "Downloading 1.0.2...");
    const auto lineLeft = [&] { return Find(ConfigPage::kUpgradeLineId)->GetRect().left; };
    EXPECT_GT(lineLeft(), Cancel()->GetRect().right);
    Progress(45);
    EXPECT_EQ(Download()->GetDownloadProcess(), 45);
    EXPECT_EQ(Download()->GetFillWidth(), Download()->GetRect().Width() * 45 / 100);
    // The tray's uses of the message are not progress.
    Progress(513);
    EXPECT_EQ(Download()->GetDownloadProcess(), 45);

    // Without a worker the cancel has nothing to reach, but it must be taken and harmless.
    Press(ConfigPage::kCancelId);
    EXPECT_TRUE(host->window.unrouted.empty());
    Press(ConfigPage::kSoftwareUpgradeId);
    EXPECT_TRUE(host->tasks.empty()) << "nothing new is queued while a download runs";

    state.downloading = UpgradeState::kNone;
    state.outcome = UpgradeState::kCancelled;
    state.outcomeKind = UpgradeState::kSoftware;
    page_->ShowUpgradeState(state);
    EXPECT_FALSE(Cancel()->IsVisible());
    EXPECT_EQ(Download()->GetDownloadProcess(), 0);
    EXPECT_EQ(Line(), "Download cancelled.");
    // No gap where the hidden cancel button was.
    EXPECT_LT(lineLeft(), Cancel()->GetRect().right);
    EXPECT_TRUE(Download()->IsEnabled());
}

TEST_F(ConfigPageUpgradeTest, FailedAttemptSaysWhyInEitherLanguage) {
    UpgradeState state = Newer();
    state.outcomeKind = UpgradeState::kSoftware;
    state.outcome = UpgradeState::kBadSignature;
    page_->ShowUpgradeState(state);
    EXPECT_EQ(Line(), UiText::Dialog(906));
    EXPECT_NE(Line().find("signature"), std::string::npos);

    state.outcome = UpgradeState::kDownloadFailed;
    state.detail = "the server answered 404";
    page_->ShowUpgradeState(state);
    EXPECT_EQ(Line(), "Download failed: the server answered 404.");

    Language::SetCurrent(Language::kChinese);
    page_->ApplyTexts();
    EXPECT_EQ(Line(), "下载失败：the server answered 404。");
    state.outcome = UpgradeState::kNoPublicKey;
    page_->ShowUpgradeState(state);
    EXPECT_NE(Line().find("upgrade.pub"), std::string::npos);
    EXPECT_EQ(Line(), UiText::Dialog(907));
}

TEST_F(ConfigPageUpgradeTest, ButtonsQueueTheTaskThatFits) {
    // Nothing known yet: the buttons ask the server.
    Press(ConfigPage::kSoftwareUpgradeId);
    Press(ConfigPage::kFirmwareUpgradeId);
    EXPECT_EQ(host->tasks,
              (std::vector<int>{CThreadBasic::kSoftwareCheck, CThreadBasic::kFirmwareCheck}));
    host->tasks.clear();

    // Newer versions known (after a failure, say): they fetch them again.
    UpgradeState state = Newer();
    state.latestFirmware = "106";
    state.firmwareNewer = true;
    page_->ShowUpgradeState(state);
    Press(ConfigPage::kSoftwareUpgradeId);
    Press(ConfigPage::kFirmwareUpgradeId);
    Press(ConfigPage::kDownloadId);
    EXPECT_EQ(host->tasks,
              (std::vector<int>{CThreadBasic::kSoftwareDownload, CThreadBasic::kFirmwareDownload,
                                CThreadBasic::kSoftwareDownload}));
}

TEST_F(ConfigPageUpgradeTest, FirmwareButtonHandsOverAShippedToolOnly) {
    ShipFirmwareTool();
    Press(ConfigPage::kFirmwareUpgradeId);
    EXPECT_EQ(host->tasks, (std::vector<int>{CThreadBasic::kFirmwareHandOff}));
    host->tasks.clear();
    fs::remove(FirmwareUpdater::UpdaterPath(program_, host->layout->FirmwareFile()));
    Press(ConfigPage::kFirmwareUpgradeId);
    EXPECT_EQ(host->tasks, (std::vector<int>{CThreadBasic::kFirmwareCheck}));
}

TEST_F(ConfigPageUpgradeTest, KeyboardFamilyKeepsItsOwnIdBelowFiveHundred) {
    host->deviceType = 301;
    EXPECT_FALSE(page_->OnNotify(ConfigPage::kFirmwareUpgradeId, 2, 0, 0));
    host->deviceType = 601;
    EXPECT_TRUE(page_->OnNotify(ConfigPage::kFirmwareUpgradeId, 2, 0, 0));
}

} // namespace
