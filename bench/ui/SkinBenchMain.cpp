// The main of the Tolva benchmarks that read the skin: it lives in the program folder beside
// the benchmarks' build folder unless PIVANE_HOME says otherwise.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (!std::getenv("PIVANE_HOME")) {
        char exe[4096];
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
        if (n > 0) {
            std::string dir(exe, static_cast<size_t>(n));
            dir.erase(dir.find_last_of('/'));
            setenv("PIVANE_HOME", (dir + "/../bin/").c_str(), 1);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
