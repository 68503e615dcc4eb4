#include "app/shell/SingleInstance.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Real copies of the start-up probe, each with its own home, sharing one runtime folder.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-instance-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        UseRuntime(root_ + "/run");
    }
    void TearDown() override {
        for (pid_t pid : running_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (oldRuntime_.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", oldRuntime_.c_str(), 1);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    void UseRuntime(const std::string& folder) {
        runtime_ = folder;
        fs::create_directories(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all);
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"); old && oldRuntime_.empty())
            oldRuntime_ = old;
        // SocketPath and Send in this process look at the same folder.
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }

    std::string Home(const std::string& name) {
        std::string home = root_ + "/" + name;
        fs::create_directories(home);
        return home;
    }
    std::string Log(const std::string& name) const { return root_ + "/" + name + ".log"; }

    pid_t Spawn(const std::string& home, const std::string& log,
                const std::vector<std::string>& args) {
        std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + runtime_,
                                        "HOME=" + home,
                                        "XDG_CONFIG_HOME=" + home + "/.config",
                                        "PROBE_LOG=" + log,
                                        "LANG=C",
                                        "PATH=/usr/bin:/bin"};
        if (deaf_) env.push_back("PROBE_DEAF=1");
        if (const char* program = std::getenv("PIVANE_HOME"))
            env.push_back(std::string("PIVANE_HOME=") + program);
        std::vector<std::string> argv = {SHELL_INSTANCE_PROBE};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> cargv, cenv;
        for (auto& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        for (auto& e : env)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, SHELL_INSTANCE_PROBE, nullptr, nullptr, cargv.data(), cenv.data()) !=
            0)
            return -1;
        return pid;
    }

    // Starts a copy that is meant to keep running; true once it says it is ready.
    pid_t StartFirst(const std::string& home, const std::string& log,
                     const std::vector<std::string>& args = {}) {
        pid_t pid = Spawn(home, log, args);
        if (pid > 0) running_.push_back(pid);
        if (!WaitForLine(log, "ready")) return -1;
        return pid;
    }

    // Runs a copy to its end; its exit status, or -1 when it did not exit normally.
    int RunToEnd(const std::string& home, const std::string& log,
                 const std::vector<std::string>& args = {}) {
        pid_t pid = Spawn(home, log, args);
        if (pid <= 0) return -1;
        int status = 0;
        if (waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    int WaitForExit(pid_t pid) {
        int status = 0;
        if (waitpid(pid, &status, 0) != pid) return -1;
        std::erase(running_, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::vector<std::string> Lines(const std::string& log) {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    static int Count(const std::string& log, const std::string& prefix) {
        int n = 0;
        for (const auto& line : Lines(log))
            if (line.rfind(prefix, 0) == 0) ++n;
        return n;
    }
    // Waits (generously) until the log holds `count` lines starting with prefix.
    static bool WaitForLine(const std::string& log, const std::string& prefix, int count = 1) {
        for (int i = 0; i < 1000; ++i) {
            if (Count(log, prefix) >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    static std::vector<std::string> FilesUnder(const std::string& folder) {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            files.push_back(entry.path().string());
        return files;
    }

    std::string root_;
    std::string runtime_;
    std::string oldRuntime_;
    std::vector<pid_t> running_;
    bool deaf_ = false;
};

// A raw connection to the running copy's socket (the path may be too long for sun_path).
int ConnectRaw() {
    std::string path = SingleInstance::SocketPath();
    std::string folder = path.substr(0, path.rfind('/'));
    int dir = open(folder.c_str(), O_PATH | O_DIRECTORY);
    std::string name = "/proc/self/fd/" + std::to_string(dir) + path.substr(path.rfind('/'));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, name.c_str(), sizeof address.sun_path - 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    close(dir);
    if (ok != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string ReadAnswer(int fd) {
    std::string answer;
    char buffer[64];
    pollfd pfd{fd, POLLIN, 0};
    while (answer.find('\n') == std::string::npos && poll(&pfd, 1, 5000) > 0) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        answer.append(buffer, static_cast<size_t>(n));
    }
    return answer;
}

} // namespace

TEST_F(SingleInstanceTest, ASecondCopyRaisesTheFirstAndTouchesNothingOfItsUser) {
    std::string first = Home("first"), second = Home("second");
    pid_t pid = StartFirst(first, Log("first"));
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Lines(Log("first")).front(), "ready minimize=0 listening=1 db=1");
    // The first copy made its folders: the check below would notice the second doing so.
    EXPECT_TRUE(fs::is_directory(first + "/Documents/ORMAN-QV7 Files/db"));
    // Its first run took the desktop's language (LANG=C: English) and stored it.
    std::ifstream key(first + "/.config/ORMAN-QV7/registry.ini");
    std::stringstream keyText;
    keyText << key.rdbuf();
    EXPECT_NE(keyText.str().find("LCID=1033"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(stat(SingleInstance::SocketPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_EQ(RunToEnd(second, Log("second")), 0);
    EXPECT_TRUE(WaitForLine(Log("first"), "show", 1));
    // Hidden or not, a second copy only raises the first.
    EXPECT_EQ(RunToEnd(second, Log("second"), {"-minimize"}), 0);
    EXPECT_TRUE(WaitForLine(Log("first"), "show", 2));
    EXPECT_TRUE(FilesUnder(second).empty());
    EXPECT_FALSE(fs::exists(Log("second")));
    EXPECT_EQ(kill(pid, 0), 0);
}

TEST_F(SingleInstanceTest, QuitEndsTheRunningCopyAndAStaleSocketDoesNotStopTheNext) {
    std::string home = Home("home");
    // Nothing runs: there is nothing to end.
    EXPECT_EQ(RunToEnd(home, Log("quit"), {"--quit"}), 0);
    pid_t pid = StartFirst(home, Log("first"));
    ASSERT_GT(pid, 0);
    EXPECT_EQ(RunToEnd(home, Log("quit"), {"--quit"}), 0);
    EXPECT_EQ(WaitForExit(pid), 0);
    EXPECT_EQ(Count(Log("first"), "exit"), 1);
    // It ended at once, as the exit paths do, so its socket is still there.
    EXPECT_TRUE(fs::exists(SingleInstance::SocketPath()));

    pid = StartFirst(home, Log("again"));
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Lines(Log("again")).front().find("listening=1") != std::string::npos, true);
    // A copy killed outright leaves the same; the next one still starts and can be reached.
    kill(pid, SIGKILL);
    WaitForExit(pid);
    pid = StartFirst(home, Log("third"));
    ASSERT_GT(pid, 0);
    EXPECT_EQ(RunToEnd(Home("other"), Log("other")), 0);
    EXPECT_TRUE(WaitForLine(Log("third"), "show"));
}

TEST_F(SingleInstanceTest, PeersThatSendGarbageOrNothingDoNotHoldTheListenerUp) {
    pid_t pid = StartFirst(Home("first"), Log("first"));
    ASSERT_GT(pid, 0);
    int silent = ConnectRaw(); // connects and never says anything
    ASSERT_GE(silent, 0);
    int garbage = ConnectRaw();
    ASSERT_GE(garbage, 0);
    ASSERT_EQ(write(garbage, "\x01\xff garbage\n", 11), 11);
    EXPECT_EQ(ReadAnswer(garbage), "?\n");
    close(garbage);
    int endless = ConnectRaw(); // a line that never ends
    ASSERT_GE(endless, 0);
    std::string flood(200, 's');
    ASSERT_EQ(write(endless, flood.data(), flood.size()), static_cast<ssize_t>(flood.size()));
    EXPECT_EQ(ReadAnswer(endless), "?\n");
    close(endless);
    // "show" followed by more text on the same line is not a request either.
    EXPECT_FALSE(SingleInstance::Send("show please"));

    // While the silent peer still holds its connection, a second copy gets through.
    EXPECT_EQ(RunToEnd(Home("second"), Log("second")), 0);
    EXPECT_TRUE(WaitForLine(Log("first"), "show"));
    EXPECT_EQ(Count(Log("first"), "show"), 1);
    // The silent peer is dropped in the end.
    EXPECT_EQ(ReadAnswer(silent), "");
    close(silent);
    EXPECT_TRUE(SingleInstance::Send(SingleInstance::kShowRequest));
    EXPECT_TRUE(WaitForLine(Log("first"), "show", 2));
    EXPECT_EQ(kill(pid, 0), 0);
}

TEST_F(SingleInstanceTest, ARuntimeFolderTooDeepForASocketAddressStillWorks) {
    std::string deep = root_ + "/run";
    while (deep.size() < 150)
        deep += "/deeper-folder";
    UseRuntime(deep);
    ASSERT_GT(SingleInstance::SocketPath().size(), sizeof(sockaddr_un::sun_path));
    pid_t pid = StartFirst(Home("first"), Log("first"));
    ASSERT_GT(pid, 0);
    EXPECT_NE(Lines(Log("first")).front().find("listening=1"), std::string::npos);
    EXPECT_EQ(RunToEnd(Home("second"), Log("second"), {"--minimize-later"}), 0);
    EXPECT_TRUE(WaitForLine(Log("first"), "show"));
    EXPECT_EQ(RunToEnd(Home("first"), Log("quit"), {"--quit"}), 0);
    EXPECT_EQ(WaitForExit(pid), 0);
}

TEST_F(SingleInstanceTest, MinimizeAnywhereInTheArgumentsStartsHidden) {
    pid_t pid = StartFirst(Home("first"), Log("first"), {"--foo", "/x/y-minimizeY"});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Lines(Log("first")).front().rfind("ready minimize=1", 0), 0u);
}

TEST_F(SingleInstanceTest, ACopyThatNeverAnswersStillKeepsTheSecondOutAndQuitSaysSo) {
    deaf_ = true;
    pid_t pid = StartFirst(Home("first"), Log("first"));
    ASSERT_GT(pid, 0);
    deaf_ = false;
    EXPECT_NE(Lines(Log("first")).front().find("listening=0"), std::string::npos);
    // The second copy gives up reaching it and still ends as a second copy.
    std::string second = Home("second");
    EXPECT_EQ(RunToEnd(second, Log("second")), 0);
    EXPECT_TRUE(FilesUnder(second).empty());
    // --quit cannot end it and says so.
    EXPECT_EQ(RunToEnd(second, Log("quit"), {"--quit"}), 1);
    EXPECT_EQ(kill(pid, 0), 0);
}
