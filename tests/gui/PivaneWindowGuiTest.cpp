// The real program under Xvfb with the emulated mouse: its window appears, lists the mouse,
// shows the mouse's pages and battery on a click, follows the switch from cable to receiver,
// unplugging and plugging through the state file, is raised by a second copy, starts hidden
// with -minimize and ends on --quit.
// Looks are checked as a person would see them: the mean colour of a part of the window.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Rgb {
    double r = 0, g = 0, b = 0;
    double Sum() const { return r + g + b; }
};

std::string Shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 256> buf{};
    while (fgets(buf.data(), buf.size(), pipe))
        out += buf.data();
    pclose(pipe);
    return out;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 8000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

class PivaneWindowGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
        char pattern[] = "/tmp/pivane-gui-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        std::filesystem::create_directories(folder_ + "/config");
        std::filesystem::create_directories(folder_ + "/run");
        std::filesystem::permissions(folder_ + "/run", std::filesystem::perms::owner_all);
        // The user's files of this run stay in the test's folder.
        setenv("HOME", folder_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (folder_ + "/run").c_str(), 1);
        state_ = folder_ + "/mouse.state";
    }

    void TearDown() override {
        for (pid_t pid : started_) {
            if (kill(pid, 0) == 0) kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    pid_t Start(const std::vector<std::string>& args) {
        pid_t pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            std::string exe = PIVANE_EXE;
            argv.push_back(exe.data());
            std::vector<std::string> copy = args;
            for (std::string& a : copy)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        started_.push_back(pid);
        return pid;
    }

    // Waits for the process to end; its exit status, or -1 when it did not end in time.
    static int Wait(pid_t pid, int timeoutMs = 8000) {
        int status = 0;
        const bool ended =
            WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs);
        if (!ended) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    static std::string FindWindow(bool onlyVisible) {
        std::string out =
            Shell(std::string("xdotool search ") + (onlyVisible ? "--onlyvisible " : "") +
                  "--name '^ORMAN-Q410$' 2>/dev/null");
        std::istringstream in(out);
        std::string id;
        in >> id;
        return id;
    }

    // The mean colour (0..1 per channel) of a rectangle of the window's client area.
    Rgb Mean(const std::string& window, int x, int y, int w, int h) {
        const std::string shot = folder_ + "/shot.png";
        Shell("import -window " + window + " " + shot + " 2>/dev/null");
        std::istringstream in(
            Shell("convert " + shot + " -crop " + std::to_string(w) + "x" + std::to_string(h) +
                  "+" + std::to_string(x) + "+" + std::to_string(y) +
                  " +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:"));
        Rgb rgb;
        in >> rgb.r >> rgb.g >> rgb.b;
        return rgb;
    }

    // Writes a rectangle of the window's client area to file.
    void Crop(const std::string& window, int x, int y, int w, int h, const std::string& file) {
        const std::string shot = folder_ + "/shot.png";
        Shell("import -window " + window + " " + shot + " 2>/dev/null");
        Shell("convert " + shot + " -crop " + std::to_string(w) + "x" + std::to_string(h) + "+" +
              std::to_string(x) + "+" + std::to_string(y) + " +repage " + file);
    }

    // Root mean square difference of two pictures of one size, 0..1; 1 when they cannot be
    // compared.
    static double Difference(const std::string& a, const std::string& b) {
        // compare prints "ABSOLUTE (NORMALISED)" on stderr.
        const std::string out = Shell("compare -metric RMSE " + a + " " + b + " null: 2>&1");
        const size_t open = out.find('(');
        if (open == std::string::npos) return 1;
        return std::atof(out.c_str() + open + 1);
    }

    void ClickAt(const std::string& window, int x, int y) {
        Shell("xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
              std::to_string(y) + " sleep 0.2 click 1 sleep 0.2 mousemove --window " + window +
              " 700 650");
    }

    // Rewrites the emulated mouse's plug line, as `pivanectl --sim-state` would.
    void Plug(bool cable, bool receiver) {
        const std::string plugged =
            "plugged " + std::to_string(cable) + " " + std::to_string(receiver);
        std::ifstream in(state_);
        std::stringstream text;
        std::string line;
        bool replaced = false;
        while (std::getline(in, line)) {
            const bool plugLine = line.rfind("plugged ", 0) == 0;
            replaced = replaced || plugLine;
            text << (plugLine ? plugged : line) << "\n";
        }
        in.close();
        // The running program keeps its state in memory until it ends: the file may not exist.
        if (!replaced) text.str("pivane-simulated-mouse 1\n" + plugged + "\n");
        const std::string temp = state_ + ".new";
        std::ofstream(temp) << text.str();
        std::filesystem::rename(temp, state_);
    }

    // Clicks the listed mouse until its tab strip shows: a click while the window is disabled
    // for a worker task is dropped, as a person's would be.
    bool SelectMouse(const std::string& window);

    std::string folder_;
    std::string state_;
    std::vector<pid_t> started_;
};

// Window regions (client coordinates) of the device row, the tab strip and the battery.
constexpr int kRowX = 10, kRowY = 144, kRowW = 126, kRowH = 34;
constexpr int kStripX = 152, kStripY = 180, kStripW = 56, kStripH = 280;
constexpr int kBatteryX = 26, kBatteryY = 634, kBatteryW = 34, kBatteryH = 16;
constexpr int kModeX = 94, kModeY = 628, kModeW = 28, kModeH = 28;

bool PivaneWindowGuiTest::SelectMouse(const std::string& window) {
    const Rgb strip = Mean(window, kStripX, kStripY, kStripW, kStripH);
    for (int attempt = 0; attempt < 10; ++attempt) {
        ClickAt(window, kRowX + kRowW / 2, kRowY + kRowH / 2);
        if (WaitFor(
                [&] {
                    return Mean(window, kStripX, kStripY, kStripW, kStripH).Sum() >
                           strip.Sum() + 0.05;
                },
                3000))
            return true;
    }
    return false;
}

TEST_F(PivaneWindowGuiTest, WindowListsSelectsFollowsPlugsAndAnswersOtherCopies) {
    const pid_t first = Start({"--simulated-mouse=both", "--sim-state", state_});
    std::string window;
    ASSERT_TRUE(WaitFor([&] { return !(window = FindWindow(true)).empty(); })) << "no window";

    // Empty device rows are the dark background; a listed device draws its row. The window is
    // mapped before its first frame is on the screen, and Xvfb shows it black until then: a
    // reference taken from that would make every later comparison meaningless.
    Rgb empty;
    ASSERT_TRUE(WaitFor([&] {
        empty = Mean(window, kRowX, kRowY + 200, kRowW, kRowH);
        return empty.Sum() > 0.05;
    })) << "the window never drew its first frame";
    ASSERT_TRUE(WaitFor([&] {
        return Mean(window, kRowX, kRowY, kRowW, kRowH).Sum() > empty.Sum() + 0.15;
    })) << "the mouse is not listed";
    const Rgb battery = Mean(window, kBatteryX, kBatteryY, kBatteryW, kBatteryH);
    EXPECT_TRUE(SelectMouse(window)) << "the mouse's tab strip is not shown";
    EXPECT_TRUE(WaitFor([&] {
        const Rgb now = Mean(window, kBatteryX, kBatteryY, kBatteryW, kBatteryH);
        return now.g > battery.g + 0.1; // the level's green fill
    })) << "no battery";

    // The cable pulled while the receiver stays: still listed, the mode icon turns from the
    // cable's to the receiver's. The deadlines leave room for a start-up update check that may
    // still hold the worker.
    const std::string cableIcon = folder_ + "/mode-cable.png";
    const std::string modeIcon = folder_ + "/mode-now.png";
    const Rgb panel = Mean(window, kModeX + 60, kModeY, kModeW, kModeH);
    ASSERT_TRUE(WaitFor([&] {
        return Mean(window, kModeX, kModeY, kModeW, kModeH).Sum() > panel.Sum() + 0.1;
    })) << "no mode icon";
    Crop(window, kModeX, kModeY, kModeW, kModeH, cableIcon);
    Plug(false, true);
    EXPECT_TRUE(WaitFor(
        [&] {
            Crop(window, kModeX, kModeY, kModeW, kModeH, modeIcon);
            return Difference(cableIcon, modeIcon) > 0.1 &&
                   Mean(window, kModeX, kModeY, kModeW, kModeH).Sum() > panel.Sum() + 0.1;
        },
        25000))
        << "the mode icon still shows the cable";
    EXPECT_GT(Mean(window, kRowX, kRowY, kRowW, kRowH).Sum(), empty.Sum() + 0.15)
        << "the mouse on its receiver is not listed";

    // Both links unplugged: the list empties; the receiver back: listed again.
    Plug(false, false);
    EXPECT_TRUE(WaitFor(
        [&] { return Mean(window, kRowX, kRowY, kRowW, kRowH).Sum() < empty.Sum() + 0.05; }, 25000))
        << "an unplugged mouse is still listed";
    Plug(false, true);
    EXPECT_TRUE(WaitFor(
        [&] { return Mean(window, kRowX, kRowY, kRowW, kRowH).Sum() > empty.Sum() + 0.15; }, 25000))
        << "the mouse plugged back is not listed";

    // A second copy raises the first (hidden here) and ends at once with 0.
    Shell("xdotool windowunmap --sync " + window);
    ASSERT_TRUE(FindWindow(true).empty());
    EXPECT_EQ(Wait(Start({})), 0);
    EXPECT_TRUE(WaitFor([&] { return !FindWindow(true).empty(); }))
        << "the first copy was not raised";

    // --quit ends the running copy; the emulated mouse's state is kept on that path.
    EXPECT_EQ(Wait(Start({"--quit"})), 0);
    EXPECT_EQ(Wait(first), 0);
    std::ifstream saved(state_);
    std::string head;
    std::getline(saved, head);
    EXPECT_EQ(head.rfind("pivane-simulated-mouse", 0), 0u);
}

TEST_F(PivaneWindowGuiTest, MinimizeAnywhereStartsWithoutAWindow) {
    const pid_t pid = Start({"--simulated-mouse=wired", "--sim-state", state_, "x-minimize"});
    // The copy runs (it holds the lock a --quit finds) but shows nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(WaitFor([&] { return !FindWindow(false).empty(); })) << "no window was created";
    EXPECT_TRUE(FindWindow(true).empty()) << "-minimize showed the window";
    EXPECT_EQ(Wait(Start({"--quit"})), 0);
    EXPECT_EQ(Wait(pid), 0);
}

} // namespace

namespace {

// Window ids of the screen's top-level windows, bottom first.
std::vector<std::string> StackingOrder() {
    std::vector<std::string> ids;
    std::istringstream in(Shell("xwininfo -root -children 2>/dev/null"));
    std::string line;
    while (std::getline(in, line)) {
        const size_t at = line.find("0x");
        if (at == std::string::npos || line.find("children") != std::string::npos) continue;
        ids.push_back(std::to_string(std::stoul(line.substr(at), nullptr, 16)));
    }
    // xwininfo lists the top of the stack first.
    return {ids.rbegin(), ids.rend()};
}

TEST_F(PivaneWindowGuiTest, ASecondCopyKeepsAnOpenMessageAboveTheWindowAndRestoresIt) {
    const pid_t first = Start({"--simulated-mouse=wired", "--sim-state", state_});
    std::string window;
    ASSERT_TRUE(WaitFor([&] { return !(window = FindWindow(true)).empty(); })) << "no window";
    ASSERT_TRUE(WaitFor([&] { return Mean(window, 10, 344, 126, 34).Sum() > 0.05; }));
    // The close button asks what closing does; "to the tray" is chosen, and with no tray on this
    // display the program says it minimises instead.
    std::string box;
    for (int attempt = 0; attempt < 10 && box.empty(); ++attempt) {
        ClickAt(window, 1175, 23);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ClickAt(window, 707, 425);
        WaitFor(
            [&] {
                std::istringstream in(
                    Shell("xdotool search --onlyvisible --name '^MessageBox$' 2>/dev/null"));
                in >> box;
                return !box.empty();
            },
            3000);
    }
    ASSERT_FALSE(box.empty()) << "no message about the missing tray";

    // A second copy brings the window forward; the message stays above it, or the window would
    // wait for an answer nobody can see.
    EXPECT_EQ(Wait(Start({})), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<std::string> order = StackingOrder();
    const auto boxAt = std::find(order.begin(), order.end(), box);
    const auto windowAt = std::find(order.begin(), order.end(), window);
    ASSERT_NE(boxAt, order.end());
    ASSERT_NE(windowAt, order.end());
    EXPECT_GT(boxAt - order.begin(), windowAt - order.begin()) << "the message is hidden";

    // Answered, then shown again by another copy, the window is restored and draws: a click on
    // the mouse shows its tab strip.
    Shell("xdotool key --window " + box + " Return");
    ClickAt(box, 185, 160);
    EXPECT_TRUE(WaitFor([&] {
        return Shell("xdotool search --onlyvisible --name '^MessageBox$' 2>/dev/null").empty();
    })) << "the message did not close";
    EXPECT_EQ(Wait(Start({})), 0);
    EXPECT_TRUE(SelectMouse(window)) << "the restored window does not draw";
    EXPECT_EQ(Wait(Start({"--quit"})), 0);
    EXPECT_EQ(Wait(first), 0);
}

} // namespace
