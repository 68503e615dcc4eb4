// The visualizer on real sound: a private PulseAudio server with a null sink, a generated tone
// played into it with pacat, and the capture of the sink's monitor through the real code.

#include "app/device/CommandFrame.h"
#include "app/shell/audio/PulseCapture.h"
#include "app/shell/audio/Visualizer.h"
#include "tests/shell/WorkerFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr double kPi = 3.14159265358979323846;
// Bin 21 of the window (48 kHz, two frames per value, 512 values): column 85, which the music
// frame samples.
constexpr double kToneHz = 21 * 24000.0 / 512;

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string all = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= all.size()) {
        const size_t end = all.find(':', start);
        const std::string dir = all.substr(start, end == std::string::npos ? end : end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return {};
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// A process with its output in a log file; ended (SIGTERM) and reaped by the destructor.
class Child {
public:
    bool Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               const std::string& log) {
        std::vector<char*> args, envp;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        std::vector<std::string> fullEnv(env);
        for (char** e = environ; *e; ++e)
            fullEnv.emplace_back(*e);
        for (auto& e : fullEnv)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int rc =
            posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) pid_ = -1;
        return pid_ > 0;
    }
    bool Running() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
            return false;
        }
        return true;
    }
    int Wait() {
        if (pid_ > 0) {
            int status = 0;
            waitpid(pid_, &status, 0);
            exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
        }
        return exit_;
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            Wait();
        }
    }

private:
    pid_t pid_ = -1;
    int exit_ = -1;
};

class VisualizerAudio : public WorkerFixture {
protected:
    void SetUp() override {
        WorkerFixture::SetUp();
        daemon_ = FindProgram("pulseaudio");
        pacat_ = FindProgram("pacat");
        pactl_ = FindProgram("pactl");
        if (daemon_.empty()) GTEST_SKIP() << "no pulseaudio program on this machine";
        ASSERT_FALSE(pacat_.empty()) << "pulseaudio exists but pacat does not";
        char pattern[] = "/tmp/pivane-pulse-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        socket_ = dir_ + "/native";
        const std::vector<std::string> env = {"HOME=" + dir_, "XDG_RUNTIME_DIR=" + dir_,
                                              "PULSE_RUNTIME_PATH=" + dir_,
                                              "PULSE_STATE_PATH=" + dir_};
        ASSERT_TRUE(
            server_.Spawn({daemon_, "-n", "--daemonize=no", "--exit-idle-time=-1",
                           "--use-pid-file=no", "--disable-shm", "-L",
                           "module-native-protocol-unix socket=" + socket_ + " auth-anonymous=1",
                           "-L", "module-null-sink sink_name=pivane_sink"},
                          env, dir_ + "/server.log"))
            << "pulseaudio could not be started";
        const bool up = WaitFor([&] { return server_.Running() && Connectable(); }, 5000);
        ASSERT_TRUE(up) << "the private PulseAudio server did not come up; its log:\n"
                        << Log("server.log");
        const char* old = std::getenv("PULSE_SERVER");
        hadServer_ = old != nullptr;
        if (old) oldServer_ = old;
        setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
    }

    void TearDown() override {
        if (!dir_.empty()) {
            if (hadServer_)
                setenv("PULSE_SERVER", oldServer_.c_str(), 1);
            else
                unsetenv("PULSE_SERVER");
        }
        WorkerFixture::TearDown();
    }

    ~VisualizerAudio() override {
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }

    bool Connectable() const {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0) return false;
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socket_.c_str());
        const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(fd);
        return ok;
    }

    std::string Log(const std::string& name) const {
        std::ifstream in(dir_ + "/" + name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Plays `seconds` of a stereo sine (float, 48 kHz) into the sink; returns at once.
    void PlayTone(Child& player, double hz, float amplitude, double seconds) {
        const std::string file = dir_ + "/tone.raw";
        std::ofstream out(file, std::ios::binary);
        const int frames = static_cast<int>(48000 * seconds);
        for (int i = 0; i < frames; ++i) {
            const float v = amplitude * static_cast<float>(std::sin(2 * kPi * hz * i / 48000));
            out.write(reinterpret_cast<const char*>(&v), sizeof v);
            out.write(reinterpret_cast<const char*>(&v), sizeof v);
        }
        out.close();
        ASSERT_TRUE(
            player.Spawn({pacat_, "--server=unix:" + socket_, "--playback", "--device=pivane_sink",
                          "--format=float32le", "--rate=48000", "--channels=2", "--raw", file},
                         {}, dir_ + "/pacat.log"));
    }

    int Pactl(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {pactl_, "--server=unix:" + socket_};
        argv.insert(argv.end(), args.begin(), args.end());
        Child c;
        if (!c.Spawn(argv, {}, dir_ + "/pactl.log")) return -1;
        return c.Wait();
    }

    static float MaxOf(const VisualizerAnalysis::Columns& c, int from, int to) {
        float m = 0;
        for (int i = from; i <= to; ++i)
            m = std::max(m, c[i]);
        return m;
    }

    std::string daemon_, pacat_, pactl_, dir_, socket_, oldServer_;
    bool hadServer_ = false;
    Child server_;
};

} // namespace

TEST_F(VisualizerAudio, ToneLightsItsBandAndTheZonesOnTheWireThenSilenceGoesDark) {
    auto source = std::make_unique<PulseCapture>();
    PulseCapture* capture = source.get();
    Visualizer visualizer(std::move(source));
    visualizer.SetEnabled(true);
    ASSERT_TRUE(visualizer.Start());
    ASSERT_TRUE(WaitFor([&] { return capture->IsCapturing(); }, 4000))
        << "no capture stream on the private server";
    EXPECT_EQ(capture->SourceName(), "pivane_sink.monitor");

    Child player;
    PlayTone(player, kToneHz, 0.05f, 1.5);
    const bool lit =
        WaitFor([&] { return MaxOf(visualizer.DisplayedLevels(), 84, 87) > 0.6f; }, 4000);
    ASSERT_TRUE(lit) << "the tone never reached its columns; pacat:\n" << Log("pacat.log");
    // The tone's onset spreads over every bin for a few frames; the steady tone does not.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto shown = visualizer.DisplayedLevels();
    EXPECT_GT(MaxOf(shown, 84, 87), 0.6f);
    EXPECT_LT(MaxOf(shown, 0, 50), 0.05f);
    EXPECT_LT(MaxOf(shown, 130, 255), 0.05f);

    // The worker's music frame carries the picture's column 85 while the tone plays.
    StartAndChooseMouse();
    worker_->SetWindowVisible(true);
    worker_->SetCurrentPage(CThreadBasic::kLightingPage);
    worker_->SetLightingFlags(CThreadBasic::kMusicEffectFlag);
    worker_->SetLightPicture(&visualizer);
    visualizer.Stop(); // a still picture to compare with
    Forget();
    worker_->RunPass();
    std::vector<std::string> frames = Sent(3 + 21);
    ASSERT_EQ(frames.size(), 1u);
    std::string expected = "08FC0B";
    for (int row : {27, 37, 37, 47, 47, 57, 57}) {
        uint32_t value = 0;
        ASSERT_TRUE(visualizer.ValueAt(85, row, value));
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06X", value & 0xFFFFFF);
        expected += hex;
    }
    EXPECT_EQ(frames[0], expected);
    // The bottom zones light first: rows 57 are lit at any level above 7/64.
    EXPECT_NE(frames[0].substr(6 + 5 * 6, 12), "000000000000");

    // Silence: every level decays to 0 and the zones show the (black) background.
    player.Wait();
    ASSERT_TRUE(visualizer.Start());
    ASSERT_TRUE(WaitFor([&] { return MaxOf(visualizer.DisplayedLevels(), 0, 255) == 0.0f; }, 5000))
        << "levels stayed up after the tone ended";
    visualizer.Stop();
    Forget();
    worker_->RunPass();
    frames = Sent(3 + 21);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], "08FC0B" + std::string(42, '0'));
    worker_->SetLightPicture(nullptr);
}

TEST_F(VisualizerAudio, ADefaultSinkChangeMovesTheCaptureToTheNewMonitor) {
    PulseCapture capture;
    capture.SetActive(true);
    ASSERT_TRUE(WaitFor([&] { return capture.IsCapturing(); }, 4000));
    EXPECT_EQ(capture.SourceName(), "pivane_sink.monitor");
    const int opens = capture.OpenCount();
    ASSERT_EQ(Pactl({"load-module", "module-null-sink", "sink_name=pivane_other"}), 0)
        << Log("pactl.log");
    ASSERT_EQ(Pactl({"set-default-sink", "pivane_other"}), 0) << Log("pactl.log");
    EXPECT_TRUE(WaitFor([&] { return capture.SourceName() == "pivane_other.monitor"; }, 4000))
        << capture.SourceName();
    EXPECT_GT(capture.OpenCount(), opens);
    std::vector<float> samples;
    EXPECT_TRUE(WaitFor([&] { return capture.Drain(samples) > 0; }, 2000));

    // Paused: the stream closes and nothing more is recorded.
    capture.SetActive(false);
    EXPECT_TRUE(WaitFor([&] { return !capture.IsCapturing(); }, 2000));
    samples.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(capture.Drain(samples), 0u);
}
