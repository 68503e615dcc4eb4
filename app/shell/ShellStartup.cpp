#include "app/shell/ShellStartup.h"

#include "app/files/Language.h"
#include "app/platform/AppFolders.h"
#include "app/platform/InstanceLock.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr int kRetryMs = 50;

// Retries a request while the running copy may still be setting its socket up.
bool SendWithRetries(const char* request) {
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ShellStartup::kReachTimeoutMs);
    do {
        if (SingleInstance::Send(request)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
    } while (std::chrono::steady_clock::now() < deadline && InstanceLock::IsHeldElsewhere());
    return false;
}

} // namespace

bool ShellStartup::RaiseRunningCopy() {
    return SendWithRetries(SingleInstance::kShowRequest);
}

int ShellStartup::QuitRunningCopy() {
    if (!InstanceLock::IsHeldElsewhere()) {
        std::fprintf(stderr, "pivane: no running copy\n");
        return 0;
    }
    if (!SendWithRetries(SingleInstance::kExitRequest)) {
        std::fprintf(stderr, "pivane: the running copy did not answer\n");
        return 1;
    }
    // The installer replaces files next: wait until the copy has really gone.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kQuitTimeoutMs);
    while (InstanceLock::IsHeldElsewhere()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::fprintf(stderr, "pivane: the running copy did not end\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
    }
    return 0;
}

bool ShellStartup::Begin(int argc, char** argv, int& exitCode) {
    exitCode = 0;
    if (!options_.Parse(argc, argv)) {
        std::fprintf(stderr, "pivane: %s\n", options_.error.c_str());
        exitCode = 2;
        return false;
    }
    if (options_.quit) {
        exitCode = QuitRunningCopy();
        return false;
    }
    if (instance_.Claim() == SingleInstance::Role::Second) {
        // Whether or not the first copy could be reached, this one has nothing to do.
        RaiseRunningCopy();
        exitCode = 0;
        return false;
    }
    ShellOptions::PrepareEnvironment();
    programFolder_ = AppFolders::ProgramFolder();
    languageId_ = Language::Startup(programFolder_);
    dataFolder_ = AppFolders::DataFolder();
    databaseFolderReady_ =
        !dataFolder_.empty() && AppFolders::EnsureFolderExists(dataFolder_ + "db/");
    return true;
}
