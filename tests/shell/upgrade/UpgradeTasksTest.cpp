#include "app/shell/upgrade/UpgradeTasks.h"
#include "app/shell/upgrade/UpgradeNotices.h"
#include "tests/shell/upgrade/TestPackages.h"
#include "tests/shell/upgrade/UpdateServer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

class RecordingNotices : public UpgradeNotices {
public:
    void UpgradeProgress(int percent) override {
        std::lock_guard<std::mutex> lock(mutex);
        progress.push_back(percent);
    }
    void UpgradeStateChanged(const UpgradeState& state) override {
        std::lock_guard<std::mutex> lock(mutex);
        states.push_back(state);
    }
    void EndProgramForUpgrade() override {
        std::lock_guard<std::mutex> lock(mutex);
        ++ends;
    }

    std::mutex mutex;
    std::vector<int> progress;
    std::vector<UpgradeState> states;
    int ends = 0;
};

// Waits for a started script's marker (the program runs on its own).
bool Appears(const fs::path& path) {
    for (int i = 0; i < 200; ++i) {
        if (fs::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

class UpgradeTasksTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("PIVANE_ALLOW_HTTP_UPDATES", "1", 1);
        ASSERT_TRUE(server_.Start());
        char pattern[] = "/tmp/pivane-program-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        program_ = std::string(pattern) + "/";
        marker_ = program_ + "installer-ran";
        ASSERT_TRUE(packages_.WritePublicKey(program_));
        Make();
    }
    void TearDown() override {
        tasks_.reset();
        unsetenv("PIVANE_ALLOW_HTTP_UPDATES");
        std::error_code ec;
        fs::remove_all(program_, ec);
    }

    void Make(const std::string& softwareUrl = {}) {
        UpgradeTasks::Setup setup;
        setup.programFolder = program_;
        setup.installedVersion = "1.0.1";
        setup.softwareUrl = softwareUrl.empty() ? server_.Url("/software") : softwareUrl;
        setup.limits.connectSeconds = 2;
        setup.limits.stallSeconds = 2;
        tasks_ = std::make_unique<UpgradeTasks>(setup, notices_);
    }

    // A signed software package of that version on the server, its "version" file naming it.
    std::string Offer(const std::string& version, const std::string& folder = "software") {
        const std::string zip = TestPackages::InstallerZip(
            UpgradeTasks::ProgramName(UpgradeState::kSoftware, version), marker_);
        const std::string name = UpgradeTasks::PackageName(UpgradeState::kSoftware, version);
        server_.Put(folder + "/version", version + "\n");
        server_.Put(folder + "/" + name, zip);
        server_.Put(folder + "/" + name + ".sig", packages_.Sign(zip));
        return zip;
    }

    UpgradeState::Outcome LastOutcome() {
        std::lock_guard<std::mutex> lock(notices_.mutex);
        return notices_.states.empty() ? UpgradeState::kNothing : notices_.states.back().outcome;
    }
    std::string Temp() const { return UpgradeTasks::TempFolder(program_); }
    bool TempHolds(const std::string& name) const { return fs::exists(Temp() + name); }

    UpdateServer server_;
    TestPackages packages_;
    RecordingNotices notices_;
    std::string program_;
    std::string marker_;
    std::unique_ptr<UpgradeTasks> tasks_;
};

TEST_F(UpgradeTasksTest, NewerSoftwareIsDownloadedCheckedUnpackedAndStarted) {
    Offer("1.0.2");
    ASSERT_TRUE(tasks_->CheckSoftware());
    UpgradeState state = tasks_->State();
    EXPECT_TRUE(state.softwareNewer);
    EXPECT_EQ(state.latestSoftware, "1.0.2");
    EXPECT_EQ(state.installedVersion, "1.0.1");

    ASSERT_TRUE(tasks_->DownloadSoftware());
    EXPECT_TRUE(Appears(marker_));
    EXPECT_EQ(notices_.ends, 1);
    EXPECT_EQ(LastOutcome(), UpgradeState::kStarted);
    ASSERT_FALSE(notices_.progress.empty());
    EXPECT_EQ(notices_.progress.front(), 0);
    EXPECT_EQ(notices_.progress.back(), 100);
    // Unpacked into temp/, the archive and its signature gone, the program made executable.
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.zip"));
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.zip.sig"));
    EXPECT_TRUE(TempHolds("readme.txt"));
    struct stat info {};
    ASSERT_EQ(stat((Temp() + "Mouse-Software-1.0.2.exe").c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IXUSR);
    // The package address is the directory and the name joined by "//".
    EXPECT_NE(server_.Log().find("/software//Mouse-Software-1.0.2.zip"), std::string::npos);
}

TEST_F(UpgradeTasksTest, OnlyNewerOrDifferentlyShapedVersionsAreFetched) {
    Offer("1.0.1");
    EXPECT_FALSE(tasks_->CheckSoftware());
    EXPECT_EQ(tasks_->State().latestSoftware, "1.0.1");
    EXPECT_FALSE(tasks_->DownloadSoftware()); // nothing newer: nothing asked
    EXPECT_EQ(server_.Log().find(".zip"), std::string::npos);

    Offer("1.1");
    EXPECT_TRUE(tasks_->CheckSoftware());
    server_.Put("software/version", "1.0.2.3.456"); // eleven characters
    EXPECT_FALSE(tasks_->CheckSoftware());
    // The ignored answer leaves what the last good one found.
    EXPECT_EQ(tasks_->State().latestSoftware, "1.1");
    server_.Put("software/version", "../../../x");
    EXPECT_FALSE(tasks_->CheckSoftware());
    EXPECT_EQ(tasks_->State().latestSoftware, "1.1");
}

TEST_F(UpgradeTasksTest, FirmwareIsComparedAsDecimalNumbers) {
    tasks_->SetFirmwareSource(server_.Url("/firmware"), "FirmwareUpdateTool-ORMAN-Q410");
    server_.Put("firmware/version", "106");
    EXPECT_TRUE(tasks_->CheckFirmware(105));
    EXPECT_EQ(tasks_->State().deviceFirmware, 105);
    EXPECT_EQ(tasks_->State().latestFirmware, "106");
    server_.Put("firmware/version", "105");
    EXPECT_FALSE(tasks_->CheckFirmware(105));
    EXPECT_FALSE(tasks_->State().firmwareNewer);
    server_.Put("firmware/version", "12345678901");
    EXPECT_FALSE(tasks_->CheckFirmware(105));
    // Another device's source forgets what was found for the last one.
    server_.Put("firmware/version", "106");
    EXPECT_TRUE(tasks_->CheckFirmware(105));
    tasks_->SetFirmwareSource(server_.Url("/other"), "tool");
    EXPECT_FALSE(tasks_->State().firmwareNewer);
    EXPECT_EQ(tasks_->State().deviceFirmware, -1);
}

TEST_F(UpgradeTasksTest, WrongKeyStartsNothingAndDeletesTheArchive) {
    Offer("1.0.2");
    TestPackages stranger;
    const std::string zip = TestPackages::InstallerZip("Mouse-Software-1.0.2.exe", marker_);
    server_.Put("software/Mouse-Software-1.0.2.zip", zip);
    server_.Put("software/Mouse-Software-1.0.2.zip.sig", stranger.Sign(zip));
    ASSERT_TRUE(tasks_->CheckSoftware());
    EXPECT_FALSE(tasks_->DownloadSoftware());
    EXPECT_EQ(LastOutcome(), UpgradeState::kBadSignature);
    EXPECT_EQ(notices_.ends, 0);
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.zip"));
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.exe"));
    EXPECT_FALSE(fs::exists(marker_));
}

TEST_F(UpgradeTasksTest, TamperedArchiveStartsNothing) {
    std::string zip = Offer("1.0.2");
    // Same length, one bit changed after signing.
    zip[zip.size() / 3] ^= 0x01;
    server_.Put("software/Mouse-Software-1.0.2.zip", zip);
    ASSERT_TRUE(tasks_->CheckSoftware());
    EXPECT_FALSE(tasks_->DownloadSoftware());
    EXPECT_EQ(LastOutcome(), UpgradeState::kBadSignature);
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.exe"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(marker_));
    EXPECT_EQ(notices_.ends, 0);
}

TEST_F(UpgradeTasksTest, MissingSignatureOrKeyStartsNothing) {
    Offer("1.0.2");
    fs::remove(server_.Root() + "/software/Mouse-Software-1.0.2.zip.sig");
    ASSERT_TRUE(tasks_->CheckSoftware());
    EXPECT_FALSE(tasks_->DownloadSoftware());
    EXPECT_EQ(LastOutcome(), UpgradeState::kNoSignature);
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.zip"));

    Offer("1.0.2");
    fs::remove(program_ + "upgrade.pub");
    EXPECT_FALSE(tasks_->DownloadSoftware());
    EXPECT_EQ(LastOutcome(), UpgradeState::kNoPublicKey);
    {
        std::ofstream garbled(program_ + "upgrade.pub");
        garbled << "not base64 at all!\n";
    }
    EXPECT_FALSE(tasks_->DownloadSoftware());
    EXPECT_EQ(LastOutcome(), UpgradeState::kNoPublicKey);
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.exe"));
    EXPECT_FALSE(fs::exists(marker_));
    EXPECT_EQ(notices_.ends, 0);
}

TEST_F(UpgradeTasksTest, PlainHttpIsRefusedOutsideTests) {
    Offer("1.0.2");
    ASSERT_TRUE(tasks_->CheckSoftware());
    unsetenv("PIVANE_ALLOW_HTTP_UPDATES");
    EXPECT_FALSE(tasks_->DownloadSoftware());
    EXPECT_EQ(LastOutcome(), UpgradeState::kNotHttps);
    EXPECT_EQ(server_.Log().find(".zip"), std::string::npos);
}

TEST_F(UpgradeTasksTest, PackageWithoutItsProgramLeavesOlderFilesUnstarted) {
    // A program of that name from an earlier attempt must not be taken for this package's.
    fs::create_directories(Temp());
    {
        std::ofstream old(Temp() + "Mouse-Software-1.0.2.exe");
        old << "#!/bin/sh\necho old > '" << marker_ << "'\n";
    }
    fs::permissions(Temp() + "Mouse-Software-1.0.2.exe", fs::perms::owner_all);
    const std::string zip = TestPackages::InstallerZip("Setup.exe", marker_);
    server_.Put("software/version", "1.0.2");
    server_.Put("software/Mouse-Software-1.0.2.zip", zip);
    server_.Put("software/Mouse-Software-1.0.2.zip.sig", packages_.Sign(zip));
    ASSERT_TRUE(tasks_->CheckSoftware());
    EXPECT_FALSE(tasks_->DownloadSoftware());
    EXPECT_EQ(LastOutcome(), UpgradeState::kProgramMissing);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(marker_));
}

TEST_F(UpgradeTasksTest, ArchiveThatDoesNotUnpackStartsNothing) {
    // Signed, but cut short: the signature is right, the zip is not.
    std::string zip = TestPackages::InstallerZip("Mouse-Software-1.0.2.exe", marker_);
    zip.resize(zip.size() / 2);
    server_.Put("software/version", "1.0.2");
    server_.Put("software/Mouse-Software-1.0.2.zip", zip);
    server_.Put("software/Mouse-Software-1.0.2.zip.sig", packages_.Sign(zip));
    ASSERT_TRUE(tasks_->CheckSoftware());
    EXPECT_FALSE(tasks_->DownloadSoftware());
    EXPECT_EQ(LastOutcome(), UpgradeState::kUnpackFailed);
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.exe"));
    EXPECT_FALSE(tasks_->State().detail.empty());
    EXPECT_EQ(notices_.ends, 0);
}

TEST_F(UpgradeTasksTest, CancelledDownloadLeavesNoArchive) {
    // A big package sent slowly, so that the cancel lands mid-way.
    const std::string zip = TestPackages::InstallerZip("Mouse-Software-1.0.2.exe", marker_) +
                            std::string(40 * HttpClient::kChunkBytes, 'p');
    // Everything under /slow/ is the root's file, sent in slow pieces.
    server_.Put("version", "1.0.2");
    server_.Put("Mouse-Software-1.0.2.zip", zip);
    server_.Put("Mouse-Software-1.0.2.zip.sig", packages_.Sign(zip));
    Make(server_.Url("/slow"));
    ASSERT_TRUE(tasks_->CheckSoftware());
    std::thread canceller([&] {
        for (int i = 0; i < 400; ++i) {
            {
                std::lock_guard<std::mutex> lock(notices_.mutex);
                if (!notices_.progress.empty() && notices_.progress.back() > 10) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        tasks_->CancelDownload();
    });
    EXPECT_FALSE(tasks_->DownloadSoftware());
    canceller.join();
    EXPECT_EQ(LastOutcome(), UpgradeState::kCancelled);
    EXPECT_FALSE(TempHolds("Mouse-Software-1.0.2.zip"));
    EXPECT_EQ(tasks_->State().downloading, UpgradeState::kNone);
    // A cancel while nothing runs is not kept for the next download.
    tasks_->CancelDownload();
    Make();
    Offer("1.0.2");
    ASSERT_TRUE(tasks_->CheckSoftware());
    EXPECT_TRUE(tasks_->DownloadSoftware());
}

TEST_F(UpgradeTasksTest, DeadServerEndsTheCheckQuietly) {
    Make("http://127.0.0.1:" + std::to_string(UpdateServer::ClosedPort()) + "/software");
    EXPECT_FALSE(tasks_->CheckSoftware());
    const UpgradeState state = tasks_->State();
    EXPECT_FALSE(state.softwareNewer);
    EXPECT_EQ(state.outcome, UpgradeState::kNothing);
}

} // namespace
