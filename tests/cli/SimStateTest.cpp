// --sim-state FILE: pivanectl keeps the emulated mouse's state there, and touches nothing else.
#include "ShellCommand.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

class SimStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-simstate-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directories(root_ + "/run");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    // Exit status of pivanectl --simulated-mouse=wired --sim-state FILE args, cut off after
    // 20 s; its stderr in err_.
    int Run(const std::string& file, const std::string& args) {
        std::string command = "HOME='" + root_ + "' XDG_RUNTIME_DIR='" + root_ +
                              "/run' timeout -s KILL 20 '" + std::getenv("PIVANE_HOME") +
                              "pivanectl' --simulated-mouse=wired --sim-state '" + file + "' " +
                              args + " 2>'" + root_ + "/err' >/dev/null";
        std::string out;
        int status = RunShellCommand(command, out);
        err_ = Read(root_ + "/err");
        return status;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::string root_, err_;
};

} // namespace

TEST_F(SimStateTest, StateIsKeptBetweenRunsWithNothingLeftBeside) {
    std::string file = root_ + "/mouse.txt";
    ASSERT_EQ(Run(file, "profile activate 2"), 0) << err_;
    EXPECT_EQ(Read(file).rfind("pivane-simulated-mouse 1\n", 0), 0u);
    EXPECT_NE(Read(file).find("active_profile 2\n"), std::string::npos);
    ASSERT_EQ(Run(file, "rate 500"), 0) << err_;
    EXPECT_NE(Read(file).find("active_profile 2\n"), std::string::npos) << "loaded, then kept";
    int entries = 0;
    for (const auto& e : fs::directory_iterator(root_))
        if (e.path().filename().string().rfind("mouse.txt", 0) == 0) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(SimStateTest, FilesThatAreNotItsStateAreLeftAlone) {
    // A megabyte of someone's data.
    std::string data(1 << 20, '\0');
    std::mt19937 random(7);
    for (auto& c : data)
        c = static_cast<char>(random());
    std::string file = root_ + "/photo.jpg";
    std::ofstream(file, std::ios::binary) << data;
    EXPECT_EQ(Run(file, "status"), 1);
    EXPECT_NE(err_.find("not a state file"), std::string::npos) << err_;
    EXPECT_TRUE(Read(file) == data) << "the file was changed";

    // A device that never ends, and a folder.
    EXPECT_EQ(Run("/dev/zero", "status"), 1);
    EXPECT_NE(err_.find("not a regular file"), std::string::npos) << err_;
    EXPECT_EQ(Run(root_, "status"), 1);
    EXPECT_TRUE(fs::is_directory(root_));
}

TEST_F(SimStateTest, AStateThatCannotBeWrittenFailsTheRun) {
    EXPECT_EQ(Run(root_ + "/no/such/folder/mouse.txt", "status"), 1);
    EXPECT_NE(err_.find("cannot write"), std::string::npos) << err_;
}
