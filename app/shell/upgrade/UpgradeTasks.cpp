#include "app/shell/upgrade/UpgradeTasks.h"

#include "app/device/FirmwareUpdater.h"
#include "app/device/HidDeviceManager.h"
#include "app/platform/Clock.h"
#include "app/shell/upgrade/PackageSignature.h"
#include "app/shell/upgrade/UpgradeNotices.h"
#include "app/shell/upgrade/VersionCompare.h"
#include "app/shell/upgrade/ZipExtractor.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace {

// The hand-off's end of the program goes through the window, as every exit path does.
class NoticedFirmwareUpdater : public FirmwareUpdater {
public:
    NoticedFirmwareUpdater(HidDeviceManager& manager, UpgradeNotices& notices)
        : FirmwareUpdater(manager), notices_(notices) {}

protected:
    void ExitProgram() override { notices_.EndProgramForUpgrade(); }

private:
    UpgradeNotices& notices_;
};

bool WriteWhole(const std::string& path, const std::string& bytes) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return ::close(fd) == 0 && done == bytes.size();
}

// Owner may run it, everyone may read and run it; through the file itself, never a link.
bool MakeExecutable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::fchmod(fd, 0755) == 0;
    ::close(fd);
    return ok;
}

// Started directly (no shell), in the folder it was unpacked to, with only the standard
// descriptors.
bool StartProgram(const std::string& path, const std::string& folder) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0;
}

UpgradeState::Outcome OutcomeOf(PackageSignature::Status status) {
    switch (status) {
    case PackageSignature::Status::NoPublicKey:
    case PackageSignature::Status::BadPublicKey:
        return UpgradeState::kNoPublicKey;
    case PackageSignature::Status::NoSignature:
        return UpgradeState::kNoSignature;
    default:
        return UpgradeState::kBadSignature;
    }
}

std::string VersionUrl(const std::string& folder) {
    std::string url = folder;
    if (!url.empty() && url.back() != '/') url += '/';
    return url + "version";
}

} // namespace

UpgradeTasks::UpgradeTasks(Setup setup, UpgradeNotices& notices)
    : setup_(std::move(setup)), notices_(notices), http_(setup_.limits) {
    state_.installedVersion = setup_.installedVersion;
}

std::string UpgradeTasks::TempFolder(const std::string& programFolder) {
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + "temp/";
}

std::string UpgradeTasks::PackageName(int kind, const std::string& version) {
    return (kind == UpgradeState::kFirmware ? "FirmwareUpdateTool-" : "Mouse-Software-") + version +
           ".zip";
}

std::string UpgradeTasks::ProgramName(int kind, const std::string& version) {
    return (kind == UpgradeState::kFirmware ? "FirmwareUpdateTool-" : "Mouse-Software-") + version +
           ".exe";
}

template <typename Change> void UpgradeTasks::Update(Change change) {
    UpgradeState copy;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        change(state_);
        copy = state_;
    }
    notices_.UpgradeStateChanged(copy);
}

void UpgradeTasks::SetFirmwareSource(const std::string& url, const std::string& fileName,
                                     int deviceVersion) {
    Update([&](UpgradeState& s) {
        if (url != firmwareUrl_) {
            // Another device: what was found for the last one does not hold for this one.
            s.latestFirmware.clear();
            s.firmwareNewer = false;
        }
        s.deviceFirmware = deviceVersion;
        firmwareUrl_ = url;
        firmwareFile_ = fileName;
    });
}

UpgradeState UpgradeTasks::State() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

void UpgradeTasks::Publish() {
    Update([](UpgradeState&) {});
}

void UpgradeTasks::Finish(int kind, UpgradeState::Outcome outcome, const std::string& detail) {
    Update([&](UpgradeState& s) {
        s.downloading = UpgradeState::kNone;
        s.outcomeKind = kind;
        s.outcome = outcome;
        s.detail = detail;
    });
}

bool UpgradeTasks::CheckSoftware() {
    std::string answer;
    if (setup_.softwareUrl.empty() || !http_.GetText(VersionUrl(setup_.softwareUrl), answer)) {
        Publish();
        return false;
    }
    const std::string latest = VersionCompare::AcceptAnswer(answer);
    if (latest.empty()) {
        Publish();
        return false;
    }
    const bool newer = VersionCompare::SoftwareOffered(setup_.installedVersion, latest);
    Update([&](UpgradeState& s) {
        s.latestSoftware = latest;
        s.softwareNewer = newer;
    });
    return newer;
}

bool UpgradeTasks::CheckFirmware(int deviceVersion) {
    std::string url;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        url = firmwareUrl_;
        state_.deviceFirmware = deviceVersion;
    }
    std::string answer;
    if (url.empty() || !http_.GetText(VersionUrl(url), answer)) {
        Publish();
        return false;
    }
    const std::string latest = VersionCompare::AcceptAnswer(answer);
    if (latest.empty()) {
        Publish();
        return false;
    }
    const bool newer = VersionCompare::LeadingNumber(latest) > deviceVersion;
    Update([&](UpgradeState& s) {
        s.latestFirmware = latest;
        s.firmwareNewer = newer;
    });
    return newer;
}

bool UpgradeTasks::DownloadSoftware() {
    return Download(UpgradeState::kSoftware);
}

bool UpgradeTasks::DownloadFirmware() {
    return Download(UpgradeState::kFirmware);
}

void UpgradeTasks::CancelDownload() {
    if (downloading_) http_.Cancel();
}

bool UpgradeTasks::FetchSignature(const std::string& url, const std::string& path) {
    std::string signature;
    if (!http_.GetText(url, signature)) return false;
    return WriteWhole(path, signature);
}

bool UpgradeTasks::Download(int kind) {
    reopened_ = false;
    std::string version;
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool software = kind == UpgradeState::kSoftware;
        version = software ? state_.latestSoftware : state_.latestFirmware;
        folder = software ? setup_.softwareUrl : firmwareUrl_;
        if (version.empty() || !(software ? state_.softwareNewer : state_.firmwareNewer))
            return false;
    }
    if (!HttpClient::AllowsAddress(folder)) {
        Finish(kind, UpgradeState::kNotHttps);
        return false;
    }
    const std::string temp = TempFolder(setup_.programFolder);
    if (::mkdir(temp.c_str(), 0755) != 0 && errno != EEXIST) {
        Finish(kind, UpgradeState::kDownloadFailed, "the folder temp/ cannot be created");
        return false;
    }
    const std::string package = PackageName(kind, version);
    const std::string archive = temp + package;
    const std::string signature = archive + ".sig";
    const std::string url = folder + "//" + package;
    ::unlink(signature.c_str());

    Update([&](UpgradeState& s) {
        s.downloading = kind;
        s.outcome = UpgradeState::kNothing;
        s.outcomeKind = UpgradeState::kNone;
        s.detail.clear();
    });
    downloading_ = true;
    http_.ClearCancel();
    const int result =
        http_.Download(url, archive, [this](int percent) { notices_.UpgradeProgress(percent); });
    const bool fetched = result == HttpClient::kComplete && FetchSignature(url + ".sig", signature);
    const std::string error = http_.LastError();
    const bool cancelled = result == HttpClient::kCancelled || http_.CancelRequested();
    downloading_ = false;
    http_.ClearCancel();
    if (cancelled || !fetched) {
        // A partial archive is of no use and must not be taken for a whole one later.
        ::unlink(archive.c_str());
        ::unlink(signature.c_str());
        if (cancelled)
            Finish(kind, UpgradeState::kCancelled);
        else if (result == HttpClient::kComplete)
            Finish(kind, UpgradeState::kNoSignature, error);
        else
            Finish(kind, UpgradeState::kDownloadFailed, package + ": " + error);
        return false;
    }
    return Install(kind, version, temp, archive, signature);
}

bool UpgradeTasks::Install(int kind, const std::string& version, const std::string& folder,
                           const std::string& archive, const std::string& signature) {
    const PackageSignature::Status status =
        PackageSignature::Verify(archive, signature, setup_.programFolder + kPublicKeyFile);
    if (status != PackageSignature::Status::Ok) {
        ::unlink(archive.c_str());
        ::unlink(signature.c_str());
        Finish(kind, OutcomeOf(status), PackageSignature::Describe(status));
        return false;
    }
    const ZipExtractor::Result unpacked = ZipExtractor::ExtractAll(archive, folder);
    if (!unpacked.ok) {
        // The archive stays for a look; nothing of it runs.
        Finish(kind, UpgradeState::kUnpackFailed, unpacked.error);
        return false;
    }
    ::unlink(archive.c_str());
    ::unlink(signature.c_str());

    const std::string name = ProgramName(kind, version);
    // Only what this package brought is started, never an older file left in temp/.
    if (std::find(unpacked.written.begin(), unpacked.written.end(), name) ==
        unpacked.written.end()) {
        Finish(kind, UpgradeState::kProgramMissing, name);
        return false;
    }
    const std::string program = folder + name;
    if (!MakeExecutable(program)) {
        Finish(kind, UpgradeState::kStartFailed, "it cannot be made executable");
        return false;
    }
    const bool firmware = kind == UpgradeState::kFirmware;
    // The tool talks to the mouse itself.
    if (firmware && setup_.manager) setup_.manager->CloseAll();
    if (!StartProgram(program, folder)) {
        if (firmware && setup_.manager) {
            setup_.manager->Rescan();
            reopened_ = true;
        }
        Finish(kind, UpgradeState::kStartFailed, name);
        return false;
    }
    Finish(kind, UpgradeState::kStarted, name);
    notices_.EndProgramForUpgrade();
    return true;
}

bool UpgradeTasks::HandOffFirmware() {
    reopened_ = false;
    std::string file;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        file = firmwareFile_;
    }
    if (!setup_.manager || !FirmwareUpdater::UpdaterExists(setup_.programFolder, file))
        return false;
    NoticedFirmwareUpdater updater(*setup_.manager, notices_);
    if (updater.StartFirmwareUpdater(setup_.programFolder, file)) {
        Finish(UpgradeState::kFirmware, UpgradeState::kStarted, file);
        return true;
    }
    // The updater paused and reopened the devices.
    reopened_ = true;
    Finish(UpgradeState::kFirmware, UpgradeState::kStartFailed, file);
    return false;
}
