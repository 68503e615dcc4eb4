#pragma once

#include <memory>
#include <string>
#include <vector>

class EmulatedKeyboard;
class EmulatedMouse;
class HidBackend;
class HidDeviceManager;

// What one pivanectl run was asked for (the global options) plus the shared ways of answering:
// a one-line reason on stderr, or one JSON document on stdout with --json.
class CliContext {
public:
    enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

    // One mode of a configured device (the configuration file's mouse/mode elements).
    struct DeviceMode {
        std::string name;
        int deviceType = 0;
        int mode = 0; // 0 cable, 2 receiver
        int vendorId = 0;
        int productId = 0;
        int release = 0;
        std::string desc;
        std::string hidInterface;
    };

    CliContext();
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    std::string simulatedMouse;    // "", "wired", "wireless" or "both"
    std::string simulatedKeyboard; // "", "feature" or "prefixed"
    std::string simStateFile;      // --sim-state FILE (the keyboard's: FILE.keyboard-<family>)
    int profile = 0;               // --profile N; 0 means the active profile
    bool json = false;

    // Parses the global options that precede the command; returns the index of the command word,
    // or -1 with a message on stderr.
    int ParseGlobalOptions(int argc, char** argv);

    // A plain decimal number in [min, max] (no sign, at most nine digits); false otherwise.
    static bool ParseNumber(const std::string& text, int min, int max, int& value);
    // A profile or macro id: a number from 1 on.
    static bool ParseId(const std::string& text, int& id) {
        return ParseNumber(text, 1, 999999999, id);
    }

    // Prints "pivanectl: <message>" on stderr and returns kFailed.
    int Fail(const std::string& message) const;
    // Prints "pivanectl: <message>" and a hint on stderr and returns kUsage.
    int Usage(const std::string& message) const;
    // Prints text on stdout (human output) unless --json is on.
    void Say(const std::string& text) const;
    // Prints a finished JSON document on stdout.
    void PrintJson(const std::string& document) const;

    // The device link, set up on first use: with --simulated-mouse the emulated mouse replaces
    // hidapi behind the seam (state from --sim-state when the file exists); every configured
    // device mode is registered, the rescan sequence runs and the first configured device type
    // is selected, as the main window does: the first configured mouse that is online, else the
    // first configured device that is online, else the first configured device.
    HidDeviceManager& Devices();
    // The emulated mouse (created and loaded on first use), null without --simulated-mouse.
    EmulatedMouse* SimulatedMouse();
    // The emulated keyboard, null without --simulated-keyboard.
    EmulatedKeyboard* SimulatedKeyboard();
    // The configured device modes: config.xml of the program folder; without that file, with
    // --simulated-mouse, the emulated mouse's cable and receiver modes.
    const std::vector<DeviceMode>& DeviceModes();
    // Writes the emulated mouse's state to --sim-state FILE (once; main calls it after the
    // command); true when there is nothing to keep. False, with the reason printed, when it
    // cannot be written.
    bool SaveSimulatedMouse();
    // Reads --sim-state FILE before any command runs. False, with the reason printed, when FILE
    // exists but is not a regular file or not the emulated mouse's state: it is then left as
    // it is and the run ends. A missing FILE starts a new state.
    bool LoadSimulatedMouse();

private:
    std::string KeyboardStateFile() const;

    std::shared_ptr<EmulatedMouse> mouse_;
    std::shared_ptr<EmulatedKeyboard> keyboard_;
    std::vector<DeviceMode> modes_;
    bool modesRead_ = false;
    bool devicesReady_ = false;
    bool stateRefused_ = false; // FILE was not ours: never written
    bool keyboardStateRefused_ = false;
    bool stateSaved_ = false;
};
