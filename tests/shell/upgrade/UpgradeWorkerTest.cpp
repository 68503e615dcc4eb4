#include "app/device/FirmwareUpdater.h"
#include "app/shell/upgrade/UpgradeTasks.h"
#include "tests/shell/WorkerFixture.h"
#include "tests/shell/upgrade/TestPackages.h"
#include "tests/shell/upgrade/UpdateServer.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <regex>
#include <thread>

namespace fs = std::filesystem;

namespace {

class UpgradeWindow : public RecordingWindow {
public:
    void UpgradeProgress(int percent) override {
        std::lock_guard<std::mutex> lock(mutex_);
        progress_.push_back(percent);
    }
    void UpgradeStateChanged(const UpgradeState& state) override {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = state;
    }
    void EndProgramForUpgrade() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++ends_;
    }
    UpgradeState State() {
        std::lock_guard<std::mutex> lock(mutex_);
        return state_;
    }
    int Ends() {
        std::lock_guard<std::mutex> lock(mutex_);
        return ends_;
    }
    std::vector<int> Progress() {
        std::lock_guard<std::mutex> lock(mutex_);
        return progress_;
    }

private:
    std::mutex mutex_;
    UpgradeState state_;
    std::vector<int> progress_;
    int ends_ = 0;
};

bool Appears(const fs::path& path) {
    for (int i = 0; i < 200; ++i) {
        if (fs::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The worker over the emulated mouse with the upgrade tasks on: a program folder of its own
// (the shipped layouts, the firmware address pointing at the local server, the test key).
class UpgradeWorkerTest : public WorkerFixture {
protected:
    void SetUp() override {
        WorkerFixture::SetUp();
        if (HasFatalFailure()) return;
        setenv("PIVANE_ALLOW_HTTP_UPDATES", "1", 1);
        ASSERT_TRUE(server_.Start());
        program_ = folder_ + "program/";
        fs::create_directories(program_ + "layouts");
        const std::string shipped = MakeSetup().programFolder;
        fs::copy(shipped + "layouts", program_ + "layouts", fs::copy_options::recursive);
        const std::string layout = program_ + "layouts/ORMAN-Q410.xml";
        const std::string text = std::regex_replace(ReadText(layout), std::regex("url=\"[^\"]*\""),
                                                    "url=\"" + server_.Url("/firmware") + "\"");
        std::ofstream(layout, std::ios::trunc) << text;
        ASSERT_TRUE(packages_.WritePublicKey(program_));
        marker_ = folder_ + "started";
        Rebuild(server_.Url("/software"));
    }
    void TearDown() override {
        worker_.reset();
        unsetenv("PIVANE_ALLOW_HTTP_UPDATES");
        WorkerFixture::TearDown();
    }

    void Rebuild(const std::string& softwareUrl) {
        hotplug_.reset();
        worker_.reset();
        CThreadBasic::Setup setup = MakeSetup();
        setup.programFolder = program_;
        setup.checkUpdates = true;
        setup.softwareVersion = "1.0.1";
        setup.softwareUpgradeUrl = softwareUrl;
        setup.updateLimits.connectSeconds = 2;
        setup.updateLimits.stallSeconds = 2;
        worker_ = std::make_unique<CThreadBasic>(setup, upgradeWindow_);
    }

    void Offer(const std::string& folder, int kind, const std::string& version,
               size_t padding = 0) {
        const std::string zip =
            TestPackages::InstallerZip(UpgradeTasks::ProgramName(kind, version), marker_, padding);
        const std::string at = folder.empty() ? std::string() : folder + "/";
        const std::string name = UpgradeTasks::PackageName(kind, version);
        server_.Put(at + "version", version);
        server_.Put(at + name, zip);
        server_.Put(at + name + ".sig", packages_.Sign(zip));
    }

    UpdateServer server_;
    TestPackages packages_;
    UpgradeWindow upgradeWindow_;
    std::string program_;
    std::string marker_;
};

TEST_F(UpgradeWorkerTest, SoftwareCheckFetchesAndStartsTheInstallerWithTheWindowUsable) {
    StartAndChooseMouse();
    Offer("software", UpgradeState::kSoftware, "1.0.2", 5 * HttpClient::kChunkBytes);
    const int disables = upgradeWindow_.Disables();
    worker_->AddTask(CThreadBasic::kSoftwareCheck);
    Drain();
    EXPECT_TRUE(Appears(marker_));
    EXPECT_EQ(upgradeWindow_.Ends(), 1);
    EXPECT_TRUE(upgradeWindow_.State().softwareNewer);
    EXPECT_EQ(upgradeWindow_.State().outcome, UpgradeState::kStarted);
    EXPECT_EQ(upgradeWindow_.Disables(), disables);
    const std::vector<int> progress = upgradeWindow_.Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_GT(progress.size(), 6u);
}

TEST_F(UpgradeWorkerTest, NewerFirmwareAfterTheSwitchIsFetchedAndTheToolGetsTheMouse) {
    // The cable's release 0x0105 reads as 105.
    Offer("firmware", UpgradeState::kFirmware, "106");
    worker_->AddTask(CThreadBasic::kDelayedRescan);
    Drain();
    ASSERT_TRUE(manager_->IsOpen());
    worker_->ChooseDevice(EmulatedMouse::kDeviceType, "ORMAN-Q410");
    worker_->AddTask(CThreadBasic::kSwitchDevice);
    Drain();
    EXPECT_TRUE(Appears(marker_));
    EXPECT_EQ(upgradeWindow_.State().deviceFirmware, 105);
    EXPECT_TRUE(upgradeWindow_.State().firmwareNewer);
    EXPECT_EQ(upgradeWindow_.Ends(), 1);
    // Every device was closed before the tool started.
    EXPECT_FALSE(manager_->IsOpen());
    EXPECT_EQ(mouse_->OpenHandleCount(), 0);
}

TEST_F(UpgradeWorkerTest, SameFirmwareOffersNothing) {
    server_.Put("firmware/version", "105");
    StartAndChooseMouse();
    EXPECT_EQ(upgradeWindow_.State().deviceFirmware, 105);
    EXPECT_FALSE(upgradeWindow_.State().firmwareNewer);
    EXPECT_EQ(server_.Log().find(".zip"), std::string::npos);
    EXPECT_TRUE(manager_->IsOpen());
}

TEST_F(UpgradeWorkerTest, DeadServerLeavesTheWorkerToItsNextTask) {
    Rebuild("http://127.0.0.1:" + std::to_string(UpdateServer::ClosedPort()) + "/software");
    StartAndChooseMouse();
    worker_->AddTask(CThreadBasic::kSoftwareCheck);
    worker_->AddTask(CThreadBasic::kReportRate);
    Drain();
    EXPECT_TRUE(worker_->Queue().Empty());
    EXPECT_FALSE(upgradeWindow_.State().softwareNewer);
    EXPECT_FALSE(Sent().empty()); // the report rate went out after the failed check
}

TEST_F(UpgradeWorkerTest, StallingServerLeavesTheWorkerFreeWithinTheTimeOut) {
    // Under /stall/ the version and the signature answer, the package stops half-way.
    Offer("", UpgradeState::kSoftware, "1.0.2", 8 * HttpClient::kChunkBytes);
    Rebuild(server_.Url("/stall"));
    StartAndChooseMouse();
    const int disables = upgradeWindow_.Disables();
    worker_->AddTask(CThreadBasic::kSoftwareCheck);
    auto drained = std::async(std::launch::async, [this] { return Drain(); });
    ASSERT_EQ(drained.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    drained.get();
    EXPECT_TRUE(worker_->Queue().Empty());
    EXPECT_EQ(upgradeWindow_.State().outcome, UpgradeState::kDownloadFailed);
    EXPECT_FALSE(fs::exists(UpgradeTasks::TempFolder(program_) + "Mouse-Software-1.0.2.zip"));
    EXPECT_EQ(upgradeWindow_.Disables(), disables);
    EXPECT_EQ(upgradeWindow_.Ends(), 0);
}

TEST_F(UpgradeWorkerTest, HandOffStartsTheShippedToolAfterClosingTheDevices) {
    StartAndChooseMouse();
    const std::string tool =
        FirmwareUpdater::UpdaterPath(program_, "FirmwareUpdateTool-ORMAN-Q410");
    fs::create_directories(program_ + "firmware");
    std::ofstream(tool) << "#!/bin/sh\necho tool > '" << marker_ << "'\n";
    fs::permissions(tool, fs::perms::owner_all);
    worker_->AddTask(CThreadBasic::kFirmwareHandOff);
    Drain();
    EXPECT_TRUE(Appears(marker_));
    EXPECT_EQ(upgradeWindow_.Ends(), 1);
    EXPECT_FALSE(manager_->IsOpen());
}

TEST_F(UpgradeWorkerTest, HandOffThatCannotStartReopensTheDevicesAfterTwoSeconds) {
    StartAndChooseMouse();
    const std::string tool =
        FirmwareUpdater::UpdaterPath(program_, "FirmwareUpdateTool-ORMAN-Q410");
    fs::create_directories(program_ + "firmware");
    std::ofstream(tool) << "not a program";
    fs::permissions(tool, fs::perms::owner_read | fs::perms::owner_write);
    worker_->AddTask(CThreadBasic::kFirmwareHandOff);
    Drain();
    const std::vector<int> pauses = clock_->Pauses();
    EXPECT_NE(std::find(pauses.begin(), pauses.end(), 2000), pauses.end());
    EXPECT_TRUE(manager_->IsOpen());
    EXPECT_TRUE(worker_->DeviceState().connected);
    EXPECT_EQ(upgradeWindow_.Ends(), 0);
    EXPECT_EQ(upgradeWindow_.State().outcome, UpgradeState::kStartFailed);
    // The worker goes on talking to the mouse.
    Forget();
    worker_->AddTask(CThreadBasic::kReportRate);
    Drain();
    EXPECT_FALSE(Sent().empty());
}

} // namespace
