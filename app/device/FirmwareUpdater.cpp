#include "app/device/FirmwareUpdater.h"

#include "app/device/HidDeviceManager.h"
#include "app/platform/Clock.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

FirmwareUpdater::FirmwareUpdater(HidDeviceManager& manager) : manager_(manager) {}

std::string FirmwareUpdater::UpdaterPath(const std::string& programFolder,
                                         const std::string& fileName) {
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + "firmware/" + fileName;
}

bool FirmwareUpdater::UpdaterExists(const std::string& programFolder, const std::string& fileName) {
    if (fileName.empty()) return false;
    struct stat info {};
    return stat(UpdaterPath(programFolder, fileName).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FirmwareUpdater::StartFirmwareUpdater(const std::string& programFolder,
                                           const std::string& fileName) {
    // The file is checked again: it may have gone since the request was queued.
    if (!UpdaterExists(programFolder, fileName)) return false;
    std::string path = UpdaterPath(programFolder, fileName);
    manager_.CloseAll();
    if (StartProcess(path)) {
        ExitProgram();
        return true; // only reached when ExitProgram is replaced
    }
    manager_.GetClock().SleepMs(kRetryPauseMs);
    manager_.Rescan();
    return false;
}

bool FirmwareUpdater::StartProcess(const std::string& path) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    // Only the standard descriptors reach the tool.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0;
}

void FirmwareUpdater::ExitProgram() {
    _exit(0);
}
