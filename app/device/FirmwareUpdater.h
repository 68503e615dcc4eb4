#pragma once

#include <string>

class HidDeviceManager;

// Hands the mouse over to the outside firmware update tool: every device is closed, the tool is
// started from the program's "firmware" folder without arguments, and the program ends with
// exit code 0 once it runs. If it cannot be started the devices are reopened 2000 ms later.
class FirmwareUpdater {
public:
    static constexpr int kRetryPauseMs = 2000;

    explicit FirmwareUpdater(HidDeviceManager& manager);
    virtual ~FirmwareUpdater() = default;

    // "<program folder>firmware/<file name>"; the program folder ends with "/".
    static std::string UpdaterPath(const std::string& programFolder, const std::string& fileName);
    // True when the tool's file exists as a regular file: only then is a hand-off queued.
    static bool UpdaterExists(const std::string& programFolder, const std::string& fileName);

    // Runs the hand-off. Does not return when the tool started (the program ends). Returns false
    // when the file is gone (nothing changed) or the tool could not be started; the manager has
    // then been rescanned (selected device type 0 again) and the caller selects the shown device
    // type and refreshes its pages.
    bool StartFirmwareUpdater(const std::string& programFolder, const std::string& fileName);

protected:
    // Starts the file as a process: the path is the whole command line, no arguments, no
    // inherited descriptors beyond the standard ones. True when it started.
    virtual bool StartProcess(const std::string& path);
    // Ends the program at once with exit code 0.
    virtual void ExitProgram();

private:
    HidDeviceManager& manager_;
};
