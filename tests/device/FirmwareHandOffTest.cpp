#include "app/device/FirmwareUpdater.h"
#include "app/device/FirmwareVersion.h"
#include "app/platform/InstanceLock.h"

#include "tests/device/CommandSetFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

TEST(FirmwareVersionTest, HexDigitsOfTheReleaseNumberReadAsDecimal) {
    EXPECT_EQ(FirmwareVersion::FromReleaseNumber(0x0105), 105);
    EXPECT_EQ(FirmwareVersion::FromReleaseNumber(0x0110), 110);
    EXPECT_EQ(FirmwareVersion::FromReleaseNumber(0x01A0), 1); // stops at the first letter
    EXPECT_EQ(FirmwareVersion::FromReleaseNumber(0xA1), 0);
    EXPECT_EQ(FirmwareVersion::FromReleaseNumber(0), 0);
    EXPECT_TRUE(FirmwareVersion::OffersUpgrade("111", 110));
    EXPECT_FALSE(FirmwareVersion::OffersUpgrade("110", 110));
    EXPECT_TRUE(FirmwareVersion::OffersUpgrade("112b", 110));
    EXPECT_FALSE(FirmwareVersion::OffersUpgrade("", 110));
    EXPECT_TRUE(FirmwareVersion::OffersUpgrade("9999999999", 110));
    EXPECT_FALSE(FirmwareVersion::OffersUpgrade("99999999999", 110)); // 11 characters
    EXPECT_FALSE(FirmwareVersion::OffersUpgrade("v200", 110));
}

// Records the hand-off instead of starting a process and ending the test.
class RecordingUpdater : public FirmwareUpdater {
public:
    using FirmwareUpdater::FirmwareUpdater;
    bool starts = true;
    std::string started;
    bool exited = false;

protected:
    bool StartProcess(const std::string& path) override {
        started = path;
        return starts;
    }
    void ExitProgram() override { exited = true; }
};

class FirmwareHandOffTest : public CommandSetFixture {
protected:
    void PutTool(const std::string& name) {
        std::filesystem::create_directories(folder_ + "firmware");
        std::ofstream(folder_ + "firmware/" + name) << "tool";
    }
};

TEST_F(FirmwareHandOffTest, MissingToolQueuesNothingAndKeepsTheDevicesOpen) {
    ConnectCable();
    EXPECT_FALSE(FirmwareUpdater::UpdaterExists(folder_, "fw.bin"));
    EXPECT_FALSE(FirmwareUpdater::UpdaterExists(folder_, ""));
    RecordingUpdater updater(*manager_);
    EXPECT_FALSE(updater.StartFirmwareUpdater(folder_, "fw.bin"));
    EXPECT_TRUE(updater.started.empty());
    EXPECT_GT(manager_->EntryCount(), 0);
}

TEST_F(FirmwareHandOffTest, StartedToolEndsTheProgramWithDevicesClosed) {
    PutTool("update.bin");
    ConnectCable();
    RecordingUpdater updater(*manager_);
    EXPECT_TRUE(updater.StartFirmwareUpdater(folder_, "update.bin"));
    EXPECT_EQ(updater.started, folder_ + "firmware/update.bin");
    EXPECT_TRUE(updater.exited);
    EXPECT_EQ(manager_->EntryCount(), 0);
    EXPECT_EQ(mouse_->OpenHandleCount(), 0);
}

TEST_F(FirmwareHandOffTest, ToolThatCannotStartReopensTheDevicesTwoSecondsLater) {
    PutTool("update.bin");
    ConnectCable();
    RecordingUpdater updater(*manager_);
    updater.starts = false;
    EXPECT_FALSE(updater.StartFirmwareUpdater(folder_, "update.bin"));
    EXPECT_FALSE(updater.exited);
    auto pauses = clock_.Pauses();
    ASSERT_FALSE(pauses.empty());
    EXPECT_EQ(pauses.front(), 2000);
    EXPECT_GT(manager_->EntryCount(), 0);
    // The real launcher reports a file that is no program as not started.
    FirmwareUpdater real(*manager_);
    EXPECT_FALSE(real.StartFirmwareUpdater(folder_, "update.bin"));
}

TEST(InstanceLockTest, HeldLockIsSeenByOthersAndFreedOnRelease) {
    char pattern[] = "/tmp/pivane-lock-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    std::string saved = old ? old : "";
    setenv("XDG_RUNTIME_DIR", pattern, 1);
    EXPECT_EQ(InstanceLock::LockPath(), std::string(pattern) + "/ORMAN-Q410.lock");
    EXPECT_FALSE(InstanceLock::IsHeldElsewhere());
    {
        InstanceLock first;
        ASSERT_TRUE(first.Acquire());
        EXPECT_TRUE(InstanceLock::IsHeldElsewhere());
        InstanceLock second;
        EXPECT_FALSE(second.Acquire());
    }
    EXPECT_FALSE(InstanceLock::IsHeldElsewhere());
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(pattern);
}

} // namespace
