// The desktop's pointer settings through the real back ends: GSettings on its in-memory backend
// (never the person's own settings), X11 pointer control on a private Xvfb server, and the file
// the program keeps wheel lines in.

#include "app/platform/PointerSettings.h"
#include "app/platform/GSettingsPointerSettings.h"
#include "app/platform/KeptScrollLines.h"
#include "app/platform/X11PointerSettings.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Setting = PointerSettings::Setting;
using Reach = PointerSettings::Reach;

class PointerSettingsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Chosen once per process at the first GSettings use: set before anything reads it.
        setenv("GSETTINGS_BACKEND", "memory", 1);
    }
    void SetUp() override {
        char pattern[] = "/tmp/pivane-pointer-XXXXXX";
        if (const char* made = mkdtemp(pattern)) folder_ = made;
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::string File(const char* name) const { return folder_ + "/" + name; }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string folder_;
};

TEST_F(PointerSettingsTest, KeptScrollLinesSurviveARestartAndIgnoreDamagedFiles) {
    const std::string path = File("sub/pointer.ini");
    {
        KeptScrollLines kept(path);
        EXPECT_EQ(kept.Lines(), 3);
        EXPECT_TRUE(kept.SetLines(PointerSettings::kPageScroll));
    }
    EXPECT_EQ(KeptScrollLines(path).Lines(), -1);
    EXPECT_EQ(Read(path), "wheel_scroll_lines=-1\n");

    for (const char* damaged :
         {"wheel_scroll_lines=abc\n", "wheel_scroll_lines=500\n", "wheel_scroll_lines=-2\n",
          "wheel_scroll_lines=\n", "wheel_scroll_lines=7x\n", "\xFF\xFE\x00"}) {
        Write(path, damaged);
        EXPECT_EQ(KeptScrollLines(path).Lines(), 3) << damaged;
    }
    Write(path, "other=1\r\nwheel_scroll_lines=12\r\n");
    EXPECT_EQ(KeptScrollLines(path).Lines(), 12);

    // A file where the folder should be: nothing is written, the value lives on in memory.
    Write(File("blocked"), "x");
    KeptScrollLines blocked(File("blocked/pointer.ini"));
    EXPECT_FALSE(blocked.SetLines(5));
    EXPECT_EQ(blocked.Lines(), 5);
    EXPECT_TRUE(KeptScrollLines("").SetLines(5));
}

TEST_F(PointerSettingsTest, SpeedStepsRoundTripThroughTheDesktopScale) {
    for (int s = PointerSettings::kMinSpeed; s <= PointerSettings::kMaxSpeed; ++s) {
        const double d = GSettingsPointerSettings::SpeedToDesktop(s);
        EXPECT_GE(d, -1.0);
        EXPECT_LE(d, 1.0);
        EXPECT_EQ(GSettingsPointerSettings::SpeedFromDesktop(d), s);
    }
    EXPECT_EQ(GSettingsPointerSettings::SpeedFromDesktop(0.0), 10);
    EXPECT_EQ(GSettingsPointerSettings::SpeedFromDesktop(-1.0), 1);
    EXPECT_EQ(GSettingsPointerSettings::SpeedFromDesktop(7.5), 20);
    EXPECT_EQ(GSettingsPointerSettings::SpeedFromDesktop(std::nan("")), 10);
}

TEST_F(PointerSettingsTest, AMissingSchemaReportsNoDesktopSettingAndKeepsScrollLines) {
    GSettingsPointerSettings none("org.example.pivane.no-such-schema", File("kept.ini"));
    int value = 42;
    std::array<int, 3> mouse{7, 7, 7};
    EXPECT_EQ(none.ReachOf(Setting::Speed), Reach::NoDesktopSetting);
    EXPECT_EQ(none.ReachOf(Setting::DoubleClick), Reach::NoDesktopSetting);
    EXPECT_FALSE(none.GetMouseSpeed(value));
    EXPECT_FALSE(none.GetDoubleClickTime(value));
    EXPECT_FALSE(none.GetMouse(mouse));
    EXPECT_EQ(value, 42);
    EXPECT_EQ(mouse, (std::array<int, 3>{7, 7, 7}));
    EXPECT_FALSE(none.SetMouseSpeed(5));
    EXPECT_FALSE(none.SetMouse({6, 10, 0}));
    EXPECT_EQ(none.ReachOf(Setting::ScrollLines), Reach::Kept);
    EXPECT_TRUE(none.SetWheelScrollLines(9));
    EXPECT_EQ(KeptScrollLines(File("kept.ini")).Lines(), 9);
    EXPECT_FALSE(none.SetWheelScrollLines(-2));
    EXPECT_FALSE(none.SetWheelScrollLines(PointerSettings::kMaxScrollLines + 1));
    ASSERT_TRUE(none.GetWheelScrollLines(value));
    EXPECT_EQ(value, 9);
}

// On the in-memory backend the desktop's mouse schema is read and written for real. Where the
// machine has no such schema, the desktop choice must fall back to X11 pointer control.
TEST_F(PointerSettingsTest, DesktopSchemaCarriesSpeedAccelerationAndDoubleClick) {
    const char* id = GSettingsPointerSettings::kMouseSchema;
    if (!GSettingsPointerSettings::SchemaInstalled()) {
        auto chosen = PointerSettings::ForDesktop();
        EXPECT_NE(dynamic_cast<X11PointerSettings*>(chosen.get()), nullptr)
            << "without " << id << " the X11 fallback must be chosen";
        return;
    }
    EXPECT_NE(dynamic_cast<GSettingsPointerSettings*>(PointerSettings::ForDesktop().get()),
              nullptr);
    GSettingsPointerSettings settings(id, File("kept.ini"));
    // A second, independent view of the same keys, as the desktop would see them.
    GSettings* desktop = g_settings_new(id);
    g_settings_reset(desktop, "speed");
    g_settings_reset(desktop, "accel-profile");
    g_settings_reset(desktop, "double-click");
    EXPECT_EQ(settings.ReachOf(Setting::Speed), Reach::Desktop);
    EXPECT_EQ(settings.ReachOf(Setting::ScrollLines), Reach::Kept);

    int speed = 0;
    ASSERT_TRUE(settings.GetMouseSpeed(speed));
    EXPECT_EQ(speed, 10); // the desktop's default 0
    EXPECT_TRUE(settings.SetMouseSpeed(20));
    EXPECT_DOUBLE_EQ(g_settings_get_double(desktop, "speed"), 1.0);
    EXPECT_TRUE(settings.SetMouseSpeed(1));
    EXPECT_NEAR(g_settings_get_double(desktop, "speed"), -0.9, 1e-9);
    EXPECT_FALSE(settings.SetMouseSpeed(0));
    EXPECT_FALSE(settings.SetMouseSpeed(21));
    EXPECT_NEAR(g_settings_get_double(desktop, "speed"), -0.9, 1e-9);
    g_settings_set_double(desktop, "speed", 0.45);
    ASSERT_TRUE(settings.GetMouseSpeed(speed));
    EXPECT_EQ(speed, 15);

    std::array<int, 3> mouse{};
    ASSERT_TRUE(settings.GetMouse(mouse));
    EXPECT_EQ(mouse[PointerSettings::kAccelerationValue], 1); // "default" accelerates
    // Writing the flag back unchanged leaves the desktop's own profile alone.
    EXPECT_TRUE(settings.SetMouse(mouse));
    gchar* profile = g_settings_get_string(desktop, "accel-profile");
    EXPECT_STREQ(profile, "default");
    g_free(profile);
    mouse[PointerSettings::kAccelerationValue] = 0;
    EXPECT_TRUE(settings.SetMouse(mouse));
    profile = g_settings_get_string(desktop, "accel-profile");
    EXPECT_STREQ(profile, "flat");
    g_free(profile);
    ASSERT_TRUE(settings.GetMouse(mouse));
    EXPECT_EQ(mouse[PointerSettings::kAccelerationValue], 0);
    mouse[PointerSettings::kAccelerationValue] = 1;
    EXPECT_TRUE(settings.SetMouse(mouse));
    profile = g_settings_get_string(desktop, "accel-profile");
    EXPECT_STREQ(profile, "adaptive");
    g_free(profile);

    int ms = 0;
    ASSERT_TRUE(settings.GetDoubleClickTime(ms));
    EXPECT_EQ(ms, 400);
    EXPECT_TRUE(settings.SetDoubleClickTime(500));
    EXPECT_EQ(g_settings_get_int(desktop, "double-click"), 500);
    EXPECT_FALSE(settings.SetDoubleClickTime(0));
    EXPECT_FALSE(settings.SetDoubleClickTime(-300));
    EXPECT_EQ(g_settings_get_int(desktop, "double-click"), 500);
    g_object_unref(desktop);
}

// A private X server for the pointer-control back end; stopped with the test.
class PrivateXServer {
public:
    PrivateXServer() {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb",    "-displayfd", fd.c_str(),   "-nolisten", "tcp",
                              "-screen", "0",          "640x480x24", nullptr};
        if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char* const*>(argv),
                         environ) != 0)
            pid_ = 0;
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        // Xvfb writes its display number and a line break once it accepts connections.
        while (pid_ && poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty()) name_ = ":" + number;
    }
    ~PrivateXServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = 0;
    std::string name_;
};

TEST_F(PointerSettingsTest, WithoutADisplayPointerControlReportsWhy) {
    X11PointerSettings x(":65000", File("kept.ini"));
    ASSERT_FALSE(x.HasDisplay());
    int value = 42;
    std::array<int, 3> mouse{};
    EXPECT_EQ(x.ReachOf(Setting::Speed), Reach::NoDisplay);
    EXPECT_EQ(x.ReachOf(Setting::Precision), Reach::NoDisplay);
    EXPECT_EQ(x.ReachOf(Setting::DoubleClick), Reach::NoDesktopSetting);
    EXPECT_FALSE(x.GetMouseSpeed(value));
    EXPECT_FALSE(x.SetMouseSpeed(10));
    EXPECT_FALSE(x.GetMouse(mouse));
    EXPECT_FALSE(x.SetMouse({4, 0, 1}));
    EXPECT_FALSE(x.SetDoubleClickTime(500));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(x.SetWheelScrollLines(PointerSettings::kPageScroll));
    ASSERT_TRUE(x.GetWheelScrollLines(value));
    EXPECT_EQ(value, -1);
}

TEST_F(PointerSettingsTest, PointerControlCarriesSpeedAndAccelerationOnARealServer) {
    PrivateXServer server;
    if (server.Name().empty()) {
        // No Xvfb here: the display-less behaviour above is all this machine can show.
        X11PointerSettings x(":65001", "");
        EXPECT_EQ(x.ReachOf(Setting::Speed), Reach::NoDisplay);
        return;
    }
    X11PointerSettings x(server.Name(), File("kept.ini"));
    ASSERT_TRUE(x.HasDisplay());
    EXPECT_EQ(x.ReachOf(Setting::Speed), Reach::Desktop);
    int speed = 0;
    ASSERT_TRUE(x.GetMouseSpeed(speed));
    EXPECT_EQ(speed, 10); // X's default acceleration 2/1
    std::array<int, 3> mouse{};
    ASSERT_TRUE(x.GetMouse(mouse));
    EXPECT_EQ(mouse, (std::array<int, 3>{X11PointerSettings::kThreshold, 0, 1}));

    for (int s : {1, 7, 20}) {
        EXPECT_TRUE(x.SetMouseSpeed(s));
        // A fresh connection sees what the server holds.
        X11PointerSettings other(server.Name(), "");
        ASSERT_TRUE(other.GetMouseSpeed(speed));
        EXPECT_EQ(speed, s);
    }
    EXPECT_FALSE(x.SetMouseSpeed(0));
    EXPECT_TRUE(x.SetMouse({X11PointerSettings::kThreshold, 0, 0}));
    X11PointerSettings other(server.Name(), "");
    ASSERT_TRUE(other.GetMouse(mouse));
    EXPECT_EQ(mouse[PointerSettings::kAccelerationValue], 0);
    ASSERT_TRUE(other.GetMouseSpeed(speed));
    EXPECT_EQ(speed, 20); // acceleration off keeps the speed
    EXPECT_TRUE(x.SetMouse({0, 0, 1}));
    ASSERT_TRUE(other.GetMouse(mouse));
    EXPECT_EQ(mouse, (std::array<int, 3>{X11PointerSettings::kThreshold, 0, 1}));
}

TEST_F(PointerSettingsTest, KeptValuesLiveInTheProgramsConfigFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string old = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    EXPECT_EQ(PointerSettings::KeptValuesFile(), folder_ + "/ORMAN-QV7/pointer.ini");
    if (saved)
        setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
