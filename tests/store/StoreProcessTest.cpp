// Several real pivanectl processes on one store, and pivanectl killed at random moments inside
// every operation that writes more than one row. Neither may end with success claimed for a
// partial write, nor with a store that later commands cannot use.
//
// PIVANE_STORE_STRESS=N multiplies the number of runs (measurement runs; the suite uses 1).
#include "CliProcess.h"
#include "StoreFixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

int Scaled(int runs) {
    const char* factor = std::getenv("PIVANE_STORE_STRESS");
    int f = factor ? std::atoi(factor) : 1;
    return runs * (f > 0 ? f : 1);
}

// The number after "key": in a JSON line, -1 when absent.
int JsonInt(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return -1;
    return std::atoi(json.c_str() + at + key.size() + 3);
}

// Everything the operations below change, as one text.
const char* const kSignature =
    "SELECT ifnull((SELECT group_concat(p, ',') FROM (SELECT profile || '/' || name || '/' || "
    "status AS p FROM t_profile_data ORDER BY profile)), '') || '|' || "
    "ifnull((SELECT group_concat(c, ',') FROM (SELECT profile || ':' || count(*) || ':' || "
    "total(length(value)) AS c FROM t_configdata GROUP BY profile ORDER BY profile)), '') || '|' "
    "|| (SELECT count(*) || ':' || ifnull(group_concat(macro_id || name), '') FROM t_macro_data) "
    "|| '|' || ifnull((SELECT group_concat(c, ',') FROM (SELECT macro_id || ':' || count(*) AS c "
    "FROM t_macrorecord GROUP BY macro_id ORDER BY macro_id)), '') || '|' || (SELECT count(*) || "
    "':' || total(key_code * 7 + macro_type * 3 + macro_value) FROM t_mousekey_macro_data) || "
    "'|' || ifnull((SELECT value FROM t_configdata WHERE profile = 1 AND key = 'dpi_index'), '')";

class StoreProcessTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        if (!fs::exists(CliProcess::Program())) GTEST_SKIP() << "pivanectl is not built";
        home_ = Folder() + "home";
        fs::create_directories(home_ + "/run");
        fs::create_directories(home_ + "/.config");
    }

    std::string Store() const {
        return home_ + "/Documents/ORMAN-QV7 Files/db/ORMAN-Q410_V2_data_v7.db";
    }

    int Run(std::vector<std::string> args, std::string* out = nullptr) {
        CliProcess p(home_, std::move(args));
        int status = p.Run();
        if (out) *out = p.Out() + p.Err();
        return status;
    }

    // First column of the first row, on a read-write connection: like the next pivanectl it
    // rolls back whatever a killed process left in its journal. "<error>" when the query fails.
    static std::string Sql(const std::string& file, const std::string& sql) {
        sqlite3* db = nullptr;
        std::string result = "<error>";
        if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(db, 5000);
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK) {
                int rc = sqlite3_step(s);
                if (rc == SQLITE_ROW) {
                    const unsigned char* text = sqlite3_column_text(s, 0);
                    result = text ? reinterpret_cast<const char*>(text) : "<null>";
                } else if (rc == SQLITE_DONE) {
                    result = "";
                }
            }
            sqlite3_finalize(s);
        }
        sqlite3_close(db);
        return result;
    }

    // A file that holds no table at all is a store that was never created.
    bool IsNewStore(const std::string& file) {
        return !fs::exists(file) || fs::file_size(file) == 0 ||
               Sql(file, "SELECT count(*) FROM sqlite_master") == "0";
    }

    void WriteMacroFile(const std::string& path, int events) {
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<macro><macroinfo "
                          "name=\"Burst\" times=\"1\" type=\"1\" looptype=\"0\" delaytime=\"0\"/>"
                          "<macroitems>";
        for (int i = 0; i < events; ++i)
            xml += "<item desc=\"A\" type=\"" + std::to_string(1 + i % 2) +
                   "\" looptype=\"0\" value=\"4\" delay_time=\"" + std::to_string(i % 50) + "\"/>";
        WriteFile(path, xml + "</macroitems></macro>");
    }

    void WriteProfileFile(const std::string& path) {
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile><profileinfo "
                          "name=\"Shared\"/><keyitems>";
        for (int key = 208; key <= 213; ++key)
            xml += "<item fn_layer=\"0\" key_code=\"" + std::to_string(key) + "\" layout_value=\"" +
                   std::to_string(key) + "\" layout_desc=\"\" macro_type=\"3\" macro_value=\"" +
                   std::to_string(key - 100) +
                   "\" macro_value2=\"0\" macro_value3=\"0\" "
                   "macro_desc=\"M\"/>";
        xml += "</keyitems>";
        for (int key = 208; key <= 213; ++key) {
            xml += "<macroinfo name=\"M" + std::to_string(key) + "\" macro_id=\"" +
                   std::to_string(key - 100) +
                   "\" times=\"1\" type=\"1\" looptype=\"0\" delaytime=\"0\"><macroitems>";
            for (int i = 0; i < 40; ++i)
                xml += "<item desc=\"B\" type=\"1\" value=\"5\" delay_time=\"10\"/>";
            xml += "</macroitems></macroinfo>";
        }
        WriteFile(path, xml + "</profile>");
    }

    void CopyStore(const std::string& from) {
        std::error_code ec;
        fs::remove(Store() + "-journal", ec);
        fs::remove(Store(), ec);
        if (!from.empty()) fs::copy_file(from, Store(), ec);
    }

    std::string home_;
};

} // namespace

TEST_F(StoreProcessTest, ConcurrentMacroImportsNeverClaimAPartialMacro) {
    ASSERT_EQ(Run({"profile", "list"}), 0);
    std::string file = Folder() + "burst.xml";
    WriteMacroFile(file, 200);
    int claimed = 0, lost = 0, refused = 0;
    for (int round = 0; round < Scaled(4); ++round) {
        std::vector<std::unique_ptr<CliProcess>> runs;
        for (int i = 0; i < 5; ++i) {
            runs.push_back(std::make_unique<CliProcess>(
                home_, std::vector<std::string>{"--json", "macro", "import", file}));
            ASSERT_TRUE(runs.back()->Start());
        }
        for (auto& p : runs) {
            if (p->Wait() != 0) {
                ++refused;
                // Refusing is allowed only with the reason.
                EXPECT_NE(p->Err().find("busy"), std::string::npos) << p->Err();
                continue;
            }
            ++claimed;
            int id = JsonInt(p->Out(), "macro_id");
            int items = JsonInt(p->Out(), "items");
            int stored =
                std::atoi(Sql(Store(), "SELECT count(*) FROM t_macrorecord WHERE macro_id = " +
                                           std::to_string(id))
                              .c_str());
            if (items != 200 || stored != 200) ++lost;
        }
    }
    std::printf("[ measure  ] macro import: %d claimed, %d of them lost events, %d refused\n",
                claimed, lost, refused);
    EXPECT_EQ(lost, 0);
    EXPECT_GT(claimed, 0);
}

TEST_F(StoreProcessTest, ConcurrentProfileAddsNeverClaimAPartialProfile) {
    ASSERT_EQ(Run({"profile", "list"}), 0);
    int claimed = 0, lost = 0, refused = 0;
    for (int round = 0; round < Scaled(4); ++round) {
        std::vector<std::unique_ptr<CliProcess>> runs;
        for (int i = 0; i < 5; ++i) {
            runs.push_back(std::make_unique<CliProcess>(
                home_, std::vector<std::string>{"--simulated-mouse=wired", "--json", "profile",
                                                "add", "P" + std::to_string(i)}));
            ASSERT_TRUE(runs.back()->Start());
        }
        for (auto& p : runs) {
            if (p->Wait() != 0) {
                ++refused;
                EXPECT_NE(p->Err().find("busy"), std::string::npos) << p->Err();
                continue;
            }
            ++claimed;
            int id = JsonInt(p->Out(), "profile");
            std::string rows = Sql(Store(), "SELECT count(*) FROM t_configdata WHERE profile = " +
                                                std::to_string(id));
            if (rows != "55") ++lost;
        }
    }
    std::printf("[ measure  ] profile add: %d claimed, %d of them incomplete, %d refused\n",
                claimed, lost, refused);
    EXPECT_EQ(lost, 0);
    EXPECT_GT(claimed, 0);
    EXPECT_EQ(Sql(Store(), "SELECT count(*) FROM t_profile_data WHERE status = 1"), "1");
    EXPECT_EQ(Sql(Store(), "PRAGMA integrity_check"), "ok");
}

TEST_F(StoreProcessTest, SimultaneousFirstStartsLeaveACompleteStore) {
    ASSERT_EQ(Run({"profile", "list"}), 0);
    const std::string complete = Sql(Store(), kSignature);
    int incomplete = 0, failed = 0;
    for (int round = 0; round < Scaled(10); ++round) {
        CopyStore("");
        std::vector<std::unique_ptr<CliProcess>> runs;
        for (int i = 0; i < 3; ++i) {
            runs.push_back(
                std::make_unique<CliProcess>(home_, std::vector<std::string>{"profile", "list"}));
            ASSERT_TRUE(runs.back()->Start());
        }
        for (auto& p : runs)
            if (p->Wait() != 0) ++failed;
        if (Sql(Store(), kSignature) != complete ||
            Sql(Store(), "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name LIKE "
                         "'t\\_%' ESCAPE '\\'") != "10")
            ++incomplete;
    }
    std::printf("[ measure  ] first starts: %d incomplete stores, %d failed runs\n", incomplete,
                failed);
    EXPECT_EQ(incomplete, 0);
    EXPECT_EQ(failed, 0);
}

namespace {

struct KillCase {
    const char* name;
    std::vector<std::string> args;
    bool firstStart = false; // runs on a store that does not exist yet
};

class StoreKillTest : public StoreProcessTest, public ::testing::WithParamInterface<KillCase> {
protected:
    // Three profiles, a fourth one active, a changed setting, one macro.
    void MakeTemplate(const std::string& path) {
        ASSERT_EQ(Run({"--simulated-mouse=wired", "profile", "add", "Extra"}), 0);
        ASSERT_EQ(Run({"config", "set", "dpi_index", "3"}), 0);
        WriteMacroFile(Folder() + "small.xml", 12);
        ASSERT_EQ(Run({"macro", "import", Folder() + "small.xml"}), 0);
        ASSERT_TRUE(Exec(Store(), "UPDATE t_profile_data SET status = (profile = 1)"));
        fs::copy_file(Store(), path);
    }
};

} // namespace

TEST_P(StoreKillTest, StoreIsAsBeforeOrFullyChanged) {
    const KillCase& c = GetParam();
    WriteMacroFile(Folder() + "burst.xml", 200);
    WriteProfileFile(Folder() + "profile.xml");
    std::vector<std::string> args;
    for (const auto& a : c.args)
        args.push_back(a == "@macro"     ? Folder() + "burst.xml"
                       : a == "@profile" ? Folder() + "profile.xml"
                                         : a);
    std::string templ = Folder() + "template.db";
    if (!c.firstStart) MakeTemplate(templ);
    CopyStore(c.firstStart ? "" : templ);
    const std::string before = c.firstStart ? "" : Sql(Store(), kSignature);

    auto started = std::chrono::steady_clock::now();
    std::string out;
    ASSERT_EQ(Run(args, &out), 0) << out;
    auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - started)
                    .count();
    const std::string after = Sql(Store(), kSignature);
    ASSERT_NE(after, before);

    // Kill anywhere from the start to the end of the run (device pauses excluded).
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<long> moment(0, std::clamp<long>(took, 5000, 40000));
    int asBefore = 0, changed = 0, neither = 0, unusable = 0, damaged = 0, noActive = 0;
    const int runs = Scaled(40);
    for (int i = 0; i < runs; ++i) {
        CopyStore(c.firstStart ? "" : templ);
        CliProcess p(home_, args);
        ASSERT_TRUE(p.Start());
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        p.Kill();
        p.Wait();

        bool fresh = c.firstStart && IsNewStore(Store());
        if (!fresh) {
            std::string now = Sql(Store(), kSignature);
            if (now == before)
                ++asBefore;
            else if (now == after)
                ++changed;
            else
                ++neither;
            if (Sql(Store(), "PRAGMA integrity_check") != "ok") ++damaged;
            if (Sql(Store(), "SELECT count(*) FROM t_profile_data WHERE status = 1") != "1")
                ++noActive;
        } else {
            ++asBefore;
        }
        // Whatever was killed when, the next command works on the store.
        std::string list;
        if (Run({"profile", "list"}, &list) != 0 ||
            (c.firstStart && Sql(Store(), kSignature) != after))
            ++unusable;
    }
    std::printf("[ measure  ] kill during %s: %d as before, %d fully changed, %d neither, %d "
                "unusable, %d damaged, %d without one active profile (window %ld us)\n",
                c.name, asBefore, changed, neither, unusable, damaged, noActive,
                std::clamp<long>(took, 5000, 40000));
    EXPECT_EQ(neither, 0);
    EXPECT_EQ(unusable, 0);
    EXPECT_EQ(damaged, 0);
    EXPECT_EQ(noActive, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryMultiRowOperation, StoreKillTest,
    ::testing::Values(
        KillCase{"first start", {"profile", "list"}, true},
        KillCase{"restore-defaults", {"--simulated-mouse=wired", "restore-defaults"}},
        KillCase{"profile activate", {"--simulated-mouse=wired", "profile", "activate", "2"}},
        KillCase{"profile add", {"--simulated-mouse=wired", "profile", "add", "New"}},
        KillCase{"profile delete", {"--simulated-mouse=wired", "profile", "delete", "2"}},
        KillCase{"macro import", {"macro", "import", "@macro"}},
        KillCase{"profile import", {"profile", "import", "@profile"}}),
    [](const ::testing::TestParamInfo<KillCase>& info) {
        std::string name;
        for (char ch : std::string(info.param.name))
            if (std::isalnum(static_cast<unsigned char>(ch))) name += ch;
        return name;
    });
