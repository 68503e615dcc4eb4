#include "ShellCommand.h"
#include "files/FilesFixture.h"

#include <filesystem>
#include <string>

namespace {

// pivanectl with the emulated keyboard: the option, its state file beside the mouse's, sim-dump.
class KeyboardCliTest : public FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        tool_ = BuildProgramFolder() + "pivanectl";
        if (BuildProgramFolder().empty() || !std::filesystem::exists(tool_))
            GTEST_SKIP() << "pivanectl is not built";
    }
    int Run(const std::string& arguments, std::string& out) {
        return RunShellCommand("'" + tool_ + "' " + arguments + " 2>/dev/null", out);
    }

    std::string tool_;
};

TEST_F(KeyboardCliTest, TheKeyboardKeepsItsOwnStateAndSimDumpShowsWhatItReceived) {
    std::string out;
    const std::string state = Path("run.state");
    ASSERT_EQ(Run("--simulated-keyboard=prefixed --sim-state '" + state + "' list", out), 0);
    EXPECT_NE(out.find("ORMAN-K301"), std::string::npos) << out;
    ASSERT_TRUE(std::filesystem::exists(state + ".keyboard-prefixed"));
    EXPECT_FALSE(std::filesystem::exists(state)) << "no mouse, no mouse state";

    ASSERT_EQ(Run("--simulated-keyboard=prefixed --sim-state '" + state + "' --json sim-dump", out),
              0);
    EXPECT_NE(out.find("\"family\":\"prefixed\""), std::string::npos) << out;
    // The handshake of the earlier run, kept in the state file.
    EXPECT_NE(out.find("\"hex\":\"0008FD" + std::string(124, '0') + "\""), std::string::npos)
        << out;
    EXPECT_EQ(out.find("\"cable_plugged\""), std::string::npos) << "no mouse part";

    // The feature keyboard has a file of its own and does not read the prefixed one's.
    ASSERT_EQ(Run("--simulated-keyboard --sim-state '" + state + "' --json sim-dump", out), 0);
    EXPECT_NE(out.find("\"family\":\"feature\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"reports\":[]"), std::string::npos) << out;
}

TEST_F(KeyboardCliTest, WithMouseAndKeyboardCommandsGoToTheMouse) {
    std::string out;
    ASSERT_EQ(Run("--simulated-mouse=wired --simulated-keyboard --json list", out), 0);
    // Each device's entry ends with its addressed flag; only the mouse's cable is addressed.
    size_t mouse = out.find("\"device_type\":601");
    size_t keyboard = out.find("\"device_type\":101");
    ASSERT_NE(mouse, std::string::npos) << out;
    ASSERT_NE(keyboard, std::string::npos) << out;
    EXPECT_EQ(out.find("\"addressed\":true"), out.find("\"addressed\":true", mouse)) << out;
    EXPECT_NE(out.find("\"addressed\":false", keyboard), std::string::npos) << out;
}

TEST_F(KeyboardCliTest, BadValuesAndForeignStateFilesAreRefused) {
    std::string out;
    EXPECT_EQ(Run("--simulated-keyboard=usb list", out), 2);
    const std::string state = Path("foreign.state");
    const std::string keyboardFile = WriteFile("foreign.state.keyboard-feature", "key 4 5\n");
    EXPECT_EQ(Run("--simulated-keyboard --sim-state '" + state + "' sim-dump", out), 1);
    EXPECT_EQ(ReadFile(keyboardFile), "key 4 5\n") << "left as it was";
    std::filesystem::create_directory(state + ".keyboard-prefixed");
    EXPECT_EQ(Run("--simulated-keyboard=prefixed --sim-state '" + state + "' sim-dump", out), 1);
    EXPECT_EQ(Run("sim-dump", out), 2);
}

} // namespace
