// The worker under random tasks and injected device faults. PIVANE_SOAK_SESSIONS sets the number
// of sessions (100 by default; scripts/soak.sh runs 1000), PIVANE_SOAK_SEED repeats a run.
#include "app/store/SettingsDatabase.h"
#include "tests/soak/SoakSession.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    return std::strtoull(text, nullptr, 10);
}

std::string TempFolder() {
    char pattern[] = "/tmp/pivane-soak-XXXXXX";
    if (!mkdtemp(pattern)) return {};
    std::filesystem::create_directories(std::string(pattern) + "/db");
    return std::string(pattern) + "/";
}

} // namespace

TEST(WorkerSoak, FaultsNeitherHangTheWorkerNorBlockTheWindowNorChangeTheStore) {
    const uint64_t seed = EnvNumber("PIVANE_SOAK_SEED", std::random_device{}());
    const int sessions = static_cast<int>(EnvNumber("PIVANE_SOAK_SESSIONS", 100));
    std::printf("worker soak: seed %llu, %d sessions (PIVANE_SOAK_SEED=%llu repeats it)\n",
                static_cast<unsigned long long>(seed), sessions,
                static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    const char* source = std::getenv("PIVANE_SOURCE_DIR");
    const std::string programFolder = std::string(source ? source : ".") + "/data/";

    SettingsDatabase store;
    SoakFigures total;
    total.seed = seed;
    std::mt19937_64 master(seed);
    for (int i = 0; i < sessions; ++i) {
        SoakSession session(i, master(), store, folder, programFolder);
        total.Add(session.Run());
    }
    std::printf("%s", total.Summary().c_str());
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);

    EXPECT_TRUE(total.problems.empty()) << "seed " << seed;
    EXPECT_EQ(total.overruns, 0);
    EXPECT_EQ(total.windowBlocked, 0);
    // Calls over 50 ms are a figure (a loaded machine can stall any thread that long); a call
    // still waiting after 2 s waited for the worker.
    EXPECT_EQ(total.storeChanged, 0);
    EXPECT_EQ(total.lostRows, 0);
    EXPECT_EQ(total.activeProfileFaults, 0);
    EXPECT_EQ(total.unpairedDisables, 0);
    // The run reached what it is for.
    if (sessions >= 50) {
        EXPECT_GT(total.disconnects, 0);
        EXPECT_GT(total.parks, 0);
        EXPECT_GT(total.macroDownloads, 0);
        EXPECT_GT(total.replugs, 0);
        EXPECT_GT(total.storeChecks, sessions);
    }
}

TEST(WorkerSoak, SnapshotsTellALostOrChangedRowFromAnUnchangedStore) {
    const std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    const std::string path = folder + "s.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    auto exec = [&](const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); };
    ASSERT_EQ(exec("CREATE TABLE t_profile_data(profile INTEGER PRIMARY KEY, name TEXT, "
                   "status INTEGER);"
                   "INSERT INTO t_profile_data VALUES(1,'a',1),(2,'b',0),(3,NULL,0);"),
              SQLITE_OK);
    StoreSnapshot first, same, changed, grown;
    ASSERT_TRUE(first.Read(path));
    ASSERT_TRUE(same.Read(path));
    EXPECT_TRUE(first == same);
    EXPECT_EQ(first.ActiveProfiles(), 1);
    EXPECT_EQ(first.RowCount(), 3u);

    ASSERT_EQ(exec("UPDATE t_profile_data SET status=1 WHERE profile=2"), SQLITE_OK);
    ASSERT_TRUE(changed.Read(path));
    EXPECT_FALSE(first == changed);
    EXPECT_EQ(first.LostRows(changed), 1u);
    EXPECT_EQ(changed.ActiveProfiles(), 2);
    EXPECT_NE(first.Describe(changed).find("t_profile_data: lost 2|b|0"), std::string::npos);
    StoreSnapshot masked = first, maskedChanged = changed;
    masked.MaskLastColumn("t_profile_data");
    maskedChanged.MaskLastColumn("t_profile_data");
    EXPECT_TRUE(masked == maskedChanged) << "only the last column differs";

    // A NULL is not an empty text, and an added row loses nothing.
    ASSERT_EQ(exec("UPDATE t_profile_data SET status=0 WHERE profile=2;"
                   "UPDATE t_profile_data SET name='' WHERE profile=3;"
                   "INSERT INTO t_profile_data VALUES(4,'d',0)"),
              SQLITE_OK);
    ASSERT_TRUE(grown.Read(path));
    EXPECT_EQ(first.LostRows(grown), 1u);
    ASSERT_EQ(exec("UPDATE t_profile_data SET name=NULL WHERE profile=3"), SQLITE_OK);
    ASSERT_TRUE(grown.Read(path));
    EXPECT_EQ(first.LostRows(grown), 0u);
    EXPECT_FALSE(first == grown);
    sqlite3_close(db);

    StoreSnapshot missing;
    EXPECT_FALSE(missing.Read(folder + "none.db"));
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}
