// The music and screen effects' own costs:
// - one visualizer frame (the analysis of 15 ms of stereo sound plus the picture step), on given
//   samples;
// - the CPU the visualizer takes while music plays: a private PulseAudio server with a null
//   sink, a tone played into it, the real capture of its monitor and the visualizer's thread,
//   over three seconds of wall time (per cent of one core, the capture's threads included);
// - one screen-colour frame's sampling: the seven pixels read from the X root window (needs
//   $DISPLAY, e.g. under xvfb-run).
#include "app/device/LightingCommands.h"
#include "app/platform/GdkScreenSampler.h"
#include "app/shell/audio/PulseCapture.h"
#include "app/shell/audio/Visualizer.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <gdk/gdk.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 48000;
// 15 ms of interleaved stereo: what one picture step finds captured.
constexpr size_t kFrameSamples = 2 * kRate * 15 / 1000;

std::vector<float> Music(size_t count) {
    std::vector<float> samples(count);
    std::mt19937 noise(7);
    std::uniform_real_distribution<float> spread(-0.05f, 0.05f);
    for (size_t i = 0; i < count; i += 2) {
        const double t = static_cast<double>(i / 2) / kRate;
        const float v = static_cast<float>(0.3 * std::sin(2 * kPi * 220 * t) +
                                           0.2 * std::sin(2 * kPi * 1870 * t)) +
                        spread(noise);
        samples[i] = v;
        samples[i + 1] = v;
    }
    return samples;
}

void BM_VisualizerFrame(benchmark::State& state) {
    Visualizer visualizer(nullptr);
    visualizer.SetEnabled(true);
    Visualizer::Colours colours;
    colours.barScheme = 15; // the rainbow: the generator's costliest fixed scheme
    colours.backScheme = 11;
    colours.hueSpeed = 50; // a new hue each frame: the scheme pictures are drawn again
    visualizer.SetColours(colours);
    const std::vector<float> music = Music(kFrameSamples * 64);
    size_t at = 0;
    for (auto _ : state) {
        visualizer.PictureStep(music.data() + at, kFrameSamples);
        at = (at + kFrameSamples) % (music.size() - kFrameSamples);
    }
    uint32_t value = 0;
    benchmark::DoNotOptimize(visualizer.ValueAt(85, 57, value));
}
BENCHMARK(BM_VisualizerFrame)->Unit(benchmark::kMicrosecond);

std::string FindProgram(const std::string& name) {
    for (const char* dir : {"/usr/bin", "/bin", "/usr/local/bin"}) {
        const std::string path = std::string(dir) + "/" + name;
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& log) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void End(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

bool Connectable(const std::string& socketPath) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

void BM_VisualizerCpuWhileMusicPlays(benchmark::State& state) {
    const std::string daemon = FindProgram("pulseaudio");
    const std::string pacat = FindProgram("pacat");
    if (daemon.empty() || pacat.empty()) {
        state.SkipWithError("pulseaudio and pacat are needed");
        return;
    }
    char pattern[] = "/tmp/pivane-pulse-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string socketPath = dir + "/native";
    setenv("HOME", dir.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    setenv("PULSE_RUNTIME_PATH", dir.c_str(), 1);
    setenv("PULSE_STATE_PATH", dir.c_str(), 1);
    const pid_t server =
        Spawn({daemon, "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
               "--disable-shm", "-L",
               "module-native-protocol-unix socket=" + socketPath + " auth-anonymous=1", "-L",
               "module-null-sink sink_name=pivane_sink"},
              dir + "/server.log");
    for (int i = 0; i < 500 && !Connectable(socketPath); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!Connectable(socketPath)) {
        End(server);
        state.SkipWithError("the private PulseAudio server did not come up");
        return;
    }
    setenv("PULSE_SERVER", ("unix:" + socketPath).c_str(), 1);

    // Twenty seconds of music, more than the measurement needs.
    const std::string tone = dir + "/music.raw";
    {
        const std::vector<float> music = Music(2 * kRate * 20);
        std::ofstream(tone, std::ios::binary)
            .write(reinterpret_cast<const char*>(music.data()),
                   static_cast<std::streamsize>(music.size() * sizeof(float)));
    }
    const pid_t player =
        Spawn({pacat, "--server=unix:" + socketPath, "--playback", "--device=pivane_sink",
               "--format=float32le", "--rate=48000", "--channels=2", "--raw", tone},
              dir + "/pacat.log");

    double cpuPercent = 0;
    double lit = 0;
    for (auto _ : state) {
        Visualizer visualizer(std::make_unique<PulseCapture>());
        visualizer.SetEnabled(true);
        visualizer.Start();
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // connected and capturing
        const double cpuBefore = ProcessCpuMs();
        const auto wallBefore = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const double cpu = ProcessCpuMs() - cpuBefore;
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallBefore)
                .count();
        cpuPercent = 100.0 * cpu / wall;
        // Proof that sound arrived: the low band is lit.
        const auto levels = visualizer.DisplayedLevels();
        lit = *std::max_element(levels.begin(), levels.begin() + 16);
        visualizer.Stop();
    }
    state.counters["cpu_percent_of_a_core"] = cpuPercent;
    state.counters["low_band_level"] = lit;
    End(player);
    End(server);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_VisualizerCpuWhileMusicPlays)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_ScreenFrameSampling(benchmark::State& state) {
    if (!std::getenv("DISPLAY") || !gdk_init_check(nullptr, nullptr)) {
        state.SkipWithError("needs an X display");
        return;
    }
    GdkScreenSampler sampler;
    if (sampler.Width() <= 0) {
        state.SkipWithError("the screen cannot be read");
        return;
    }
    const auto points = LightingCommands::SamplePoints(sampler.Width(), sampler.Height());
    uint32_t sum = 0;
    for (auto _ : state) {
        for (const auto& p : points) {
            uint32_t colour = 0;
            sampler.Pixel(p[0], p[1], colour);
            sum += colour;
        }
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ScreenFrameSampling)->Unit(benchmark::kMicrosecond);

} // namespace
