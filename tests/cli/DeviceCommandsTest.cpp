// pivanectl list, status and sim-dump, run as the real program against the emulated mouse.
#include "ShellCommand.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

class DeviceCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-devcli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        std::filesystem::create_directories(root_ + "/run");
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    // Runs pivanectl with the given options; stdout only, exit status in `status`.
    std::string Run(const std::string& args, int& status) {
        std::string command = "HOME='" + root_ + "' XDG_CONFIG_HOME='" + root_ +
                              "/.config' XDG_RUNTIME_DIR='" + root_ + "/run' '" +
                              std::getenv("PIVANE_HOME") + "pivanectl' " + args + " 2>/dev/null";
        std::string out;
        status = RunShellCommand(command, out);
        return out;
    }
    std::string State() const { return " --sim-state '" + root_ + "/mouse.txt' "; }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    std::string root_;
};

} // namespace

TEST_F(DeviceCommandsTest, ListShowsBothModesAndAddressesTheCable) {
    int status = -1;
    std::string out = Run("--simulated-mouse=both --json list", status);
    EXPECT_EQ(status, 0);
    // Cable first, online and addressed; the receiver online but not addressed.
    size_t cable = out.find("\"mode\":0");
    size_t receiver = out.find("\"mode\":2");
    ASSERT_NE(cable, std::string::npos) << out;
    ASSERT_NE(receiver, std::string::npos) << out;
    std::string cablePart = out.substr(cable, receiver - cable);
    std::string receiverPart = out.substr(receiver);
    EXPECT_TRUE(Has(cablePart, "\"online\":true")) << out;
    EXPECT_TRUE(Has(cablePart, "\"release_number\":261")) << out;
    EXPECT_TRUE(Has(cablePart, "\"addressed\":true")) << out;
    EXPECT_TRUE(Has(receiverPart, "\"online\":true")) << out;
    EXPECT_TRUE(Has(receiverPart, "\"addressed\":false")) << out;
    EXPECT_TRUE(Has(out, "\"connected_mode\":0")) << out;
}

TEST_F(DeviceCommandsTest, WithoutAMouseListAndStatusSaySoAndSucceed) {
    int status = -1;
    // Only the receiver is plugged and the mouse is out of its range: nothing answers.
    std::string out = Run("--simulated-mouse=wireless" + State() + "list", status);
    ASSERT_EQ(status, 0);
    // Make the receiver lose the mouse through the saved state, then ask again.
    std::string path = root_ + "/mouse.txt";
    FILE* f = std::fopen(path.c_str(), "a");
    ASSERT_NE(f, nullptr);
    std::fputs("linked 0\n", f);
    std::fclose(f);
    out = Run("--simulated-mouse=wireless" + State() + "list", status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Has(out, "no supported mouse found")) << out;
    out = Run("--simulated-mouse=wireless" + State() + "status", status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Has(out, "no supported mouse found")) << out;
}

TEST_F(DeviceCommandsTest, StatusReadsBatteryAndModeThroughTheReceiver) {
    int status = -1;
    std::string out = Run("--simulated-mouse=wireless --json status", status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Has(out, "{\"online\":true,\"mode\":2,\"link_state\":1,\"battery\":80,")) << out;
}

TEST_F(DeviceCommandsTest, SimDumpShowsWhatEarlierRunsSent) {
    int status = -1;
    Run("--simulated-mouse=wired" + State() + "status", status);
    ASSERT_EQ(status, 0);
    std::string out = Run("--simulated-mouse=wired" + State() + "--json sim-dump", status);
    EXPECT_EQ(status, 0);
    // The handshake of the rescan, then the status query, each with its time stamp.
    std::string handshake = "\"hex\":\"0008FD" + std::string(62 * 2, '0') + "\"";
    size_t first = out.find(handshake);
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_NE(out.find(handshake, first + 1), std::string::npos) << out;
    EXPECT_TRUE(Has(out, "\"time_ms\":")) << out;
    EXPECT_TRUE(Has(out, "\"link\":\"cable\"")) << out;
    // Without the emulated mouse there is nothing to dump: a usage error.
    Run("sim-dump", status);
    EXPECT_EQ(status, 2);
}
