#include "app/platform/SharedLibrary.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <string>
#include <utility>

namespace {

using Probe = int (*)(int);
constexpr const char* kProbeSymbol = "pivane_probe_triple_plus_one";
constexpr const char* kMissing = "libpivane-not-installed.so.7";

// Whether the process still maps the probe library (asks without loading it).
bool ProbeLoaded() {
    void* handle = ::dlopen(PROBE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return false;
    ::dlclose(handle);
    return true;
}

TEST(SharedLibrary, OpensTheFirstNameThatLoadsAndCallsItsSymbols) {
    ASSERT_FALSE(ProbeLoaded());
    SharedLibrary lib;
    ASSERT_TRUE(lib.Open({kMissing, PROBE_LIBRARY, "libm.so.6"})) << lib.Error();
    EXPECT_TRUE(lib.IsOpen());
    EXPECT_EQ(lib.Name(), PROBE_LIBRARY);
    EXPECT_EQ(lib.Error(), "");
    Probe probe = nullptr;
    ASSERT_TRUE(lib.Resolve(kProbeSymbol, probe));
    EXPECT_EQ(probe(4), 13);
    EXPECT_EQ(lib.Symbol(kProbeSymbol), reinterpret_cast<void*>(probe));

    // A system library by its SONAME, searched the loader's way.
    SharedLibrary math;
    ASSERT_TRUE(math.Open({"libm.so.6"})) << math.Error();
    double (*cosine)(double) = nullptr;
    ASSERT_TRUE(math.Resolve("cos", cosine));
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
}

TEST(SharedLibrary, MissingLibrariesAndSymbolsComeBackNull) {
    SharedLibrary lib;
    EXPECT_FALSE(lib.Open({kMissing}));
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(lib.Name(), "");
    EXPECT_NE(lib.Error().find(kMissing), std::string::npos) << lib.Error();
    EXPECT_EQ(lib.Symbol("cos"), nullptr);
    // An empty name would be the program itself, whose symbols are not the library's.
    EXPECT_FALSE(lib.Open({""}));
    EXPECT_EQ(lib.Symbol("main"), nullptr);
    EXPECT_FALSE(lib.Open({}));
    EXPECT_NE(lib.Error(), "");

    ASSERT_TRUE(lib.Open({PROBE_LIBRARY}));
    Probe probe = reinterpret_cast<Probe>(lib.Symbol(kProbeSymbol));
    ASSERT_NE(probe, nullptr);
    // A failed resolve leaves no stale pointer behind.
    EXPECT_FALSE(lib.Resolve("pivane_probe_absent", probe));
    EXPECT_EQ(probe, nullptr);
    EXPECT_EQ(lib.Symbol(nullptr), nullptr);
    // Symbols of libraries the probe does not depend on are not its own.
    EXPECT_EQ(lib.Symbol("sqlite3_open"), nullptr);
}

TEST(SharedLibrary, UnloadsWhenClosedReopenedOrDestroyedButNotWhenMoved) {
    {
        SharedLibrary lib;
        ASSERT_TRUE(lib.Open({PROBE_LIBRARY}));
        EXPECT_TRUE(ProbeLoaded());
    }
    EXPECT_FALSE(ProbeLoaded());

    SharedLibrary lib;
    ASSERT_TRUE(lib.Open({PROBE_LIBRARY}));
    ASSERT_TRUE(lib.Open({"libm.so.6"}));
    EXPECT_FALSE(ProbeLoaded()) << "opening another library keeps the first";
    EXPECT_EQ(lib.Name(), "libm.so.6");
    lib.Close();
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(lib.Name(), "");

    ASSERT_TRUE(lib.Open({PROBE_LIBRARY}));
    SharedLibrary moved(std::move(lib));
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(lib.Name(), "");
    lib.Close(); // the moved-from object owns nothing to close
    ASSERT_TRUE(ProbeLoaded());
    Probe probe = nullptr;
    ASSERT_TRUE(moved.Resolve(kProbeSymbol, probe));
    EXPECT_EQ(probe(0), 1);

    SharedLibrary assigned;
    ASSERT_TRUE(assigned.Open({"libm.so.6"}));
    assigned = std::move(moved);
    EXPECT_EQ(assigned.Name(), PROBE_LIBRARY);
    EXPECT_FALSE(moved.IsOpen());
    ASSERT_TRUE(ProbeLoaded());
    assigned = SharedLibrary();
    EXPECT_FALSE(ProbeLoaded());
}

} // namespace
