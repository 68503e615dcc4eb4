#pragma once

#include "app/shell/upgrade/HttpClient.h"
#include "app/shell/upgrade/UpgradeState.h"

#include <atomic>
#include <mutex>
#include <string>

class HidDeviceManager;
class UpgradeNotices;

// The worker's upgrade tasks: the software and firmware version checks (19, 20), the two
// package downloads (21, 22) and the firmware hand-off (23). A package is fetched into "temp/"
// of the program folder together with "<package>.sig"; nothing of it is unpacked or started
// unless that signature checks out against "upgrade.pub" of the program folder, and only the
// program that this unpacking wrote, inside "temp/", is started (without a shell). Worker
// thread only, except CancelDownload and State.
class UpgradeTasks {
public:
    struct Setup {
        std::string programFolder;           // with its trailing "/"
        std::string installedVersion;        // "version" of the configuration file
        std::string softwareUrl;             // the software update directory
        HidDeviceManager* manager = nullptr; // closed before a firmware tool starts; required
        HttpClient::Limits limits;
    };

    static constexpr const char* kPublicKeyFile = "upgrade.pub";

    UpgradeTasks(Setup setup, UpgradeNotices& notices);

    // The shown device's firmware source from its layout file and its version as compared (-1
    // unknown), at task 4; the page shows the version at once.
    void SetFirmwareSource(const std::string& url, const std::string& fileName,
                           int deviceVersion = -1);

    // Task 19: true when the server has a newer software version (then task 21 is due).
    bool CheckSoftware();
    // Task 20 with the device's version as compared (0x0105 as 105): true when the server's is
    // newer (then task 22 is due).
    bool CheckFirmware(int deviceVersion);
    // Tasks 21 and 22: true when the package's program started (the program is ending). False
    // when nothing was found to fetch or the attempt failed (the outcome says why).
    bool DownloadSoftware();
    bool DownloadFirmware();
    // Task 23: the firmware tool of the program's "firmware" folder. True when it started (the
    // program is ending); false when it is missing or could not be started, after the 2000 ms
    // pause and a rescan of the devices.
    bool HandOffFirmware();

    // After tasks 22 and 23: the devices were closed for a tool that then did not start, and
    // have been reopened; the shown device is to be selected again and its pages refreshed.
    bool DevicesReopened() const { return reopened_; }

    // Any thread: ends a running download (nothing when none runs).
    void CancelDownload();
    // Any thread.
    UpgradeState State() const;

    static std::string TempFolder(const std::string& programFolder);
    static std::string PackageName(int kind, const std::string& version);
    static std::string ProgramName(int kind, const std::string& version);

private:
    bool Download(int kind);
    // Everything after a complete download: signature, unpacking, start. True when started.
    bool Install(int kind, const std::string& version, const std::string& folder,
                 const std::string& archive, const std::string& signature);
    bool FetchSignature(const std::string& url, const std::string& path);
    void Finish(int kind, UpgradeState::Outcome outcome, const std::string& detail = {});
    void Publish();
    template <typename Change> void Update(Change change);

    Setup setup_;
    UpgradeNotices& notices_;
    HttpClient http_;

    mutable std::mutex mutex_;
    UpgradeState state_;
    std::string firmwareUrl_;
    std::string firmwareFile_;
    std::atomic<bool> downloading_{false};
    bool reopened_ = false;
};
