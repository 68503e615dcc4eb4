#include "CliProcess.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::atomic<int> gSerial{0};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

CliProcess::CliProcess(std::string home, std::vector<std::string> args, std::string programFolder)
    : home_(std::move(home)), args_(std::move(args)), programFolder_(std::move(programFolder)) {
    std::string stem = home_ + ".out" + std::to_string(getpid()) + "-" + std::to_string(++gSerial);
    outFile_ = stem + ".stdout";
    errFile_ = stem + ".stderr";
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        Kill();
        Wait();
    }
    unlink(outFile_.c_str());
    unlink(errFile_.c_str());
}

std::string CliProcess::Program() {
    const char* home = std::getenv("PIVANE_HOME");
    return std::string(home ? home : "./") + "pivanectl";
}

bool CliProcess::Start() {
    std::string program = Program();
    std::vector<std::string> env = {"HOME=" + home_, "XDG_CONFIG_HOME=" + home_ + "/.config",
                                    "XDG_RUNTIME_DIR=" + home_ + "/run",
                                    "XDG_DATA_HOME=" + home_ + "/.local/share"};
    const char* programHome = std::getenv("PIVANE_HOME");
    if (!programFolder_.empty())
        env.push_back("PIVANE_HOME=" + programFolder_);
    else if (programHome)
        env.push_back(std::string("PIVANE_HOME=") + programHome);
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (entry.rfind("PATH=", 0) == 0 || entry.rfind("LANG=", 0) == 0) env.push_back(entry);
    }
    std::vector<char*> argv = {program.data()};
    for (auto& a : args_)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) pid_ = -1;
    return rc == 0;
}

void CliProcess::Kill() {
    if (pid_ > 0) kill(pid_, SIGKILL);
}

int CliProcess::Wait() {
    if (pid_ <= 0) return status_;
    int raw = 0;
    pid_t got = -1;
    while ((got = waitpid(pid_, &raw, 0)) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (got < 0) return status_ = -1;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return status_;
}

int CliProcess::Run() {
    if (!Start()) return -1;
    return Wait();
}

std::string CliProcess::Out() const {
    return ReadAll(outFile_);
}

std::string CliProcess::Err() const {
    return ReadAll(errFile_);
}
