#include "GuiProgram.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace GuiProgram {

std::string Shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buf{};
    size_t n = 0;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        out.append(buf.data(), n);
    pclose(pipe);
    return out;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

namespace {

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

void SetHome(const std::string& home) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
}

} // namespace

void Fixture::SetUp() {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    char pattern[] = "/tmp/pivane-mouse-gui-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    for (const char* sub : {"/config", "/run", "/fresh/config", "/fresh/run"})
        std::filesystem::create_directories(folder_ + sub);
    std::filesystem::permissions(folder_ + "/run", std::filesystem::perms::owner_all);
    std::filesystem::permissions(folder_ + "/fresh/run", std::filesystem::perms::owner_all);
    state_ = folder_ + "/mouse.state";
    const char* shots = std::getenv("PIVANE_GUI_SHOTS");
    shots_ = shots && *shots ? shots : folder_;
    SetHome(folder_);
}

void Fixture::TearDown() {
    for (pid_t pid : started_) {
        if (kill(pid, 0) == 0) kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::error_code ec;
    if (!HasFailure()) std::filesystem::remove_all(folder_, ec);
}

pid_t Fixture::Start(const std::vector<std::string>& args, const std::string& home) {
    SetHome(home.empty() ? folder_ : home);
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
    SetHome(folder_);
    return pid;
}

int Fixture::Wait(pid_t pid, int timeoutMs) {
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs);
    if (!ended) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Fixture::Quit(pid_t pid, const std::string& home) {
    EXPECT_EQ(Wait(Start({"--quit"}, home)), 0);
    EXPECT_EQ(Wait(pid), 0);
}

std::string Fixture::MainWindow() {
    std::istringstream in(Shell("xdotool search --onlyvisible --name '^ORMAN-Q410$' 2>/dev/null"));
    std::string id;
    in >> id;
    return id;
}

std::string Fixture::Ctl(const std::string& args, const std::string& home) {
    const std::string h = home.empty() ? folder_ : home;
    return Shell("HOME=" + Quote(h) + " XDG_CONFIG_HOME=" + Quote(h + "/config") + " " +
                 Quote(PIVANECTL_EXE) + " --simulated-mouse=both --sim-state " + Quote(state_) +
                 " " + args + " 2>/dev/null");
}

std::string Fixture::Json(const std::string& json, const std::string& expression) {
    const std::string file = "/tmp/pivane-gui-json-" + std::to_string(getpid());
    std::ofstream(file) << json;
    const std::string out =
        Shell("python3 -c " +
              Quote("import json,sys\nd=json.load(open(sys.argv[1]))\nprint(" + expression + ")") +
              " " + file + " 2>&1");
    std::remove(file.c_str());
    return Trim(out);
}

void Fixture::MoveTo(int x, int y) {
    Shell("xdotool mousemove " + std::to_string(kWindowLeft + x) + " " +
          std::to_string(kWindowTop + y));
}

void Fixture::ClickAt(int x, int y, int button) {
    // Screen coordinates: popups (combo lists, dialogs) lie outside the window's own.
    Shell("xdotool mousemove " + std::to_string(kWindowLeft + x) + " " +
          std::to_string(kWindowTop + y) + " sleep 0.15 click " + std::to_string(button) +
          " sleep 0.15");
}

void Fixture::Keys(const std::string& xdotoolKeys) {
    Shell("xdotool " + xdotoolKeys);
}

void Fixture::Screenshot(const std::string& path) {
    Shell("import -window root " + Quote(path) + " 2>/dev/null");
}

Rgb Fixture::Mean(int x, int y, int w, int h) {
    const std::string shot = folder_ + "/mean.png";
    Shell("import -window root -crop " + std::to_string(w) + "x" + std::to_string(h) + "+" +
          std::to_string(kWindowLeft + x) + "+" + std::to_string(kWindowTop + y) + " " +
          Quote(shot) + " 2>/dev/null");
    std::istringstream in(Shell("convert " + Quote(shot) +
                                " +repage -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:"));
    Rgb rgb;
    in >> rgb.r >> rgb.g >> rgb.b;
    return rgb;
}

bool Fixture::WaitForChange(int x, int y, int w, int h, const Rgb& before, double by,
                            int timeoutMs) {
    return WaitFor(
        [&] {
            const Rgb now = Mean(x, y, w, h);
            return std::abs(now.r - before.r) + std::abs(now.g - before.g) +
                       std::abs(now.b - before.b) >
                   by;
        },
        timeoutMs);
}

bool Fixture::StartAndSelectMouse(pid_t& pid, const std::string& home) {
    pid = Start({"--simulated-mouse=both", "--sim-state", state_}, home);
    if (!WaitFor([&] { return !(window_ = MainWindow()).empty(); }, 30000)) return false;
    // The device row lights once the start-up scan found the mouse.
    const Rgb empty = Mean(10, 344, 126, 34);
    if (!WaitFor([&] { return Mean(10, 144, 126, 34).Sum() > empty.Sum() + 0.15; }, 30000))
        return false;
    const Rgb strip = Mean(152, 180, 56, 280);
    // A click while the window is disabled for the start-up task is dropped, as a person's
    // would be: click again until the tab strip shows.
    for (int attempt = 0; attempt < 10; ++attempt) {
        ClickAt(73, 161);
        if (WaitForChange(152, 180, 56, 280, strip, 0.05, 3000)) return true;
    }
    return false;
}

bool Fixture::OpenTab(int index) {
    const Rgb page = Mean(240, 120, 920, 540);
    // The strip's items are 60 pixels apart from its top at 110.
    ClickAt(180, 110 + 60 * index + 30);
    MoveTo(700, 690);
    return WaitForChange(240, 120, 920, 540, page, 0.01, 15000);
}

bool Fixture::WaitDialogShown() {
    // The waiting dialog is the program's only 220 x 140 window.
    std::istringstream ids(Shell("xdotool search --onlyvisible --name '' 2>/dev/null"));
    std::string id;
    while (ids >> id) {
        const std::string geometry = Shell("xdotool getwindowgeometry " + id + " 2>/dev/null");
        if (geometry.find("Geometry: 220x140") != std::string::npos) return true;
    }
    return false;
}

bool Fixture::WaitForIdle(int timeoutMs) {
    // A task may come and go between two polls: idle means not shown for a second in a row.
    int quiet = 0;
    return WaitFor(
        [&] {
            quiet = WaitDialogShown() ? 0 : quiet + 1;
            return quiet >= 10;
        },
        timeoutMs);
}

bool Fixture::WaitForTask(int timeoutMs) {
    WaitFor(WaitDialogShown, 4000);
    return WaitForIdle(timeoutMs);
}

} // namespace GuiProgram
