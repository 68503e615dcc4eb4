#include "app/shell/Autostart.h"
#include "app/shell/ShellOptions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool ParseArgs(ShellOptions& options, std::vector<std::string> args) {
    std::vector<char*> argv;
    static std::string program = "pivane";
    argv.push_back(program.data());
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return options.Parse(static_cast<int>(argv.size() - 1), argv.data());
}

// Restores one environment variable when it goes out of scope.
class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name_(name) {
        if (const char* value = std::getenv(name)) {
            had_ = true;
            value_ = value;
        }
    }
    ~SavedVariable() {
        if (had_)
            setenv(name_, value_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string value_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(ShellOptions, MinimizeIsFoundAnywhereAndTheSimulatorOptionsAreChecked) {
    ShellOptions plain;
    ASSERT_TRUE(ParseArgs(plain, {}));
    EXPECT_FALSE(plain.minimize);
    EXPECT_FALSE(plain.quit);
    EXPECT_TRUE(plain.simulatedMouse.empty());

    for (const char* arg : {"-minimize", "--minimize", "x-minimizey", "/opt/pivane -minimize"}) {
        ShellOptions options;
        ASSERT_TRUE(ParseArgs(options, {"--other", arg})) << arg;
        EXPECT_TRUE(options.minimize) << arg;
    }
    ShellOptions near;
    ASSERT_TRUE(ParseArgs(near, {"-minimise", "-MINIMIZE", "minimize"}));
    EXPECT_FALSE(near.minimize);

    ShellOptions simulated;
    ASSERT_TRUE(ParseArgs(simulated, {"--simulated-mouse", "--sim-state", "/tmp/s", "--quit"}));
    EXPECT_EQ(simulated.simulatedMouse, "both");
    EXPECT_EQ(simulated.simStateFile, "/tmp/s");
    EXPECT_TRUE(simulated.quit);
    for (const char* kind : {"wired", "wireless", "both"}) {
        ShellOptions options;
        ASSERT_TRUE(ParseArgs(options, {std::string("--simulated-mouse=") + kind}));
        EXPECT_EQ(options.simulatedMouse, kind);
    }
    ShellOptions joined;
    ASSERT_TRUE(ParseArgs(joined, {"--sim-state=/tmp/t"}));
    EXPECT_EQ(joined.simStateFile, "/tmp/t");
    // The state file alone does not plug an emulated mouse in, as with pivanectl.
    EXPECT_TRUE(joined.simulatedMouse.empty());

    ShellOptions bad;
    EXPECT_FALSE(ParseArgs(bad, {"--simulated-mouse=usb"}));
    EXPECT_FALSE(bad.error.empty());
    ShellOptions missing;
    EXPECT_FALSE(ParseArgs(missing, {"--sim-state"}));
    ShellOptions empty;
    EXPECT_FALSE(ParseArgs(empty, {"--sim-state="}));
}

TEST(ShellOptions, EnvironmentDisablesGlAndKeepsTheUsersBackEnd) {
    SavedVariable gl("GDK_GL"), backend("GDK_BACKEND");
    unsetenv("GDK_GL");
    unsetenv("GDK_BACKEND");
    ShellOptions::PrepareEnvironment();
    EXPECT_STREQ(std::getenv("GDK_GL"), "disable");
    EXPECT_STREQ(std::getenv("GDK_BACKEND"), "x11");
    setenv("GDK_BACKEND", "wayland", 1);
    setenv("GDK_GL", "gles", 1);
    ShellOptions::PrepareEnvironment();
    EXPECT_STREQ(std::getenv("GDK_BACKEND"), "wayland");
    EXPECT_STREQ(std::getenv("GDK_GL"), "disable");
}

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-autostart-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    SavedVariable config_{"XDG_CONFIG_HOME"};
    std::string folder_;
};

TEST_F(AutostartTest, PresenceOfTheEntryIsTheSetting) {
    EXPECT_EQ(Autostart::EntryPath(), folder_ + "/autostart/ORMAN-Q410.desktop");
    EXPECT_FALSE(Autostart::IsEnabled());
    // Switching it off when it was never on does nothing and is no failure.
    EXPECT_TRUE(Autostart::Disable());
    EXPECT_FALSE(fs::exists(folder_ + "/autostart"));

    ASSERT_TRUE(Autostart::Enable("/opt/pivane/bin/pivane"));
    EXPECT_TRUE(Autostart::IsEnabled());
    std::string text = ReadFile(Autostart::EntryPath());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nExec=/opt/pivane/bin/pivane -minimize\n"), std::string::npos);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    // Written again over itself, with nothing left beside it.
    ASSERT_TRUE(Autostart::Enable("/opt/pivane/bin/pivane"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_ + "/autostart"), {}), 1);

    EXPECT_TRUE(Autostart::Disable());
    EXPECT_FALSE(Autostart::IsEnabled());
    EXPECT_FALSE(Autostart::Enable("/opt/pi\nvane"));
    EXPECT_FALSE(Autostart::IsEnabled());
}

TEST_F(AutostartTest, PathsWithSpacesAndReservedCharactersAreQuotedForTheExecLine) {
    EXPECT_EQ(Autostart::ExecLine("/home/a b/pivane"), "\"/home/a b/pivane\" -minimize");
    EXPECT_EQ(Autostart::ExecLine("/x/$HOME\"q/pivane"),
              "\"/x/\\\\$HOME\\\\\"q/pivane\" -minimize");
    EXPECT_EQ(Autostart::ExecLine("/x\\y/pivane"), "\"/x\\\\\\\\y/pivane\" -minimize");
    EXPECT_EQ(Autostart::ExecLine("/100%/pivane"), "/100%%/pivane -minimize");
}

TEST_F(AutostartTest, AFolderInTheWayIsAFailureNotACrash) {
    ASSERT_TRUE(std::ofstream(folder_ + "/autostart").good()); // a file where the folder goes
    EXPECT_FALSE(Autostart::Enable("/opt/pivane/bin/pivane"));
    EXPECT_FALSE(Autostart::IsEnabled());
}
