// The real program under Xvfb with the emulated mouse, driven by xdotool as a person would, and
// what it left behind read back through pivanectl: the emulated mouse's decoded state and the
// store. Every wait polls a condition with a generous bound; nothing relies on fixed sleeps.
#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace GuiProgram {

// Runs a shell command and returns what it printed on stdout.
std::string Shell(const std::string& command);
// Polls `condition` every 100 ms until it holds or `timeoutMs` passed; its last answer.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000);
// Single-quotes a text for the shell.
std::string Quote(const std::string& text);

struct Rgb {
    double r = 0, g = 0, b = 0;
    double Sum() const { return r + g + b; }
};

class Fixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts pivane with `args`; HOME and the XDG folders are the test's own (`home`).
    pid_t Start(const std::vector<std::string>& args, const std::string& home = {});
    // Waits for the process to end: its exit status, or -1 when it did not end in time.
    static int Wait(pid_t pid, int timeoutMs = 15000);
    // Ends the running copy with --quit (the emulated mouse's state is written on that path).
    void Quit(pid_t pid, const std::string& home = {});
    // The shown main window's id, or empty.
    static std::string MainWindow();

    // pivanectl with the test's HOME, the emulated mouse and its state file; its stdout.
    std::string Ctl(const std::string& args, const std::string& home = {});
    // Evaluates a Python expression over the JSON `json` (named d); what it printed.
    static std::string Json(const std::string& json, const std::string& expression);

    // Input in window (client) coordinates; the pointer rests afterwards inside the window on
    // an empty spot so that key events reach the window (no window manager: focus follows the
    // pointer) and no tool tip covers what is checked next.
    void ClickAt(int x, int y, int button = 1);
    void MoveTo(int x, int y);
    void Keys(const std::string& xdotoolKeys);
    // A screenshot of the whole screen as a PNG at `path`.
    void Screenshot(const std::string& path);
    // The mean colour of a window rectangle (client coordinates).
    Rgb Mean(int x, int y, int w, int h);
    // Polls until the rectangle's mean colour changed from `before` by more than `by`.
    bool WaitForChange(int x, int y, int w, int h, const Rgb& before, double by = 0.02,
                       int timeoutMs = 15000);

    // Starts the program with the emulated mouse (both links), selects the mouse in the device
    // list and waits for its tab strip. False when any step did not happen.
    bool StartAndSelectMouse(pid_t& pid, const std::string& home = {});
    // Clicks the mouse tab strip's item (0 home, 1 keys, 2 macros, 3 pointer, 4 lighting,
    // 5 configuration) and waits until the page area changed.
    bool OpenTab(int index);
    // Waits until no waiting dialog is shown (the worker finished the queued tasks).
    bool WaitForIdle(int timeoutMs = 20000);
    // After a click that starts a device task: its waiting dialog appears (a quick task may be
    // missed: at most a few seconds are spent looking), then goes.
    bool WaitForTask(int timeoutMs = 20000);
    static bool WaitDialogShown();

    std::string folder_; // the test's temporary folder, HOME of the default copy
    std::string state_;  // the emulated mouse's state file
    std::string window_;
    std::string shots_; // where screenshots go ($PIVANE_GUI_SHOTS or the folder)
    std::vector<pid_t> started_;
};

// Window placement: 1200 x 720 centred on the 1400 x 900 screen.
constexpr int kWindowLeft = 100, kWindowTop = 90;

} // namespace GuiProgram
