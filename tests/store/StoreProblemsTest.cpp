// pivanectl against stores and targets that are not in a good state: each refusal says what is
// wrong, exits 1, and leaves the file as it was.
#include "CliProcess.h"
#include "StoreFixture.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class StoreProblemsTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        if (!fs::exists(CliProcess::Program())) GTEST_SKIP() << "pivanectl is not built";
        home_ = Folder() + "home";
        fs::create_directories(home_ + "/run");
        fs::create_directories(home_ + "/.config");
        // A store with the initial profiles, a changed setting and a macro.
        ASSERT_EQ(Run({"config", "set", "dpi_index", "4"}), 0) << err_;
        WriteFile(Folder() + "m.xml", "<macro><macroinfo name=\"Keep\" times=\"1\"/><macroitems>"
                                      "<item desc=\"A\" type=\"1\" value=\"4\" delay_time=\"5\"/>"
                                      "</macroitems></macro>");
        ASSERT_EQ(Run({"macro", "import", Folder() + "m.xml"}), 0) << err_;
    }

    void TearDown() override {
        if (!immutable_.empty()) SetImmutable(immutable_, false);
        StoreFixture::TearDown();
    }

    std::string Store() const {
        return home_ + "/Documents/ORMAN-QV7 Files/db/ORMAN-Q410_V2_data_v7.db";
    }

    // Exit status; stdout in out_, stderr in err_.
    int Run(std::vector<std::string> args, const std::string& programFolder = "") {
        CliProcess p(home_, std::move(args), programFolder);
        int status = p.Run();
        out_ = p.Out();
        err_ = p.Err();
        return status;
    }

    bool Says(const std::string& words) const { return err_.find(words) != std::string::npos; }

    // Overwrites one page of the file (1-based, 4096 bytes) with the given bytes.
    void WritePage(const std::string& file, int page, const std::string& bytes) {
        std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(page - 1) * 4096);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    int RootPage(const std::string& table) {
        return QueryInt(Store(), "SELECT rootpage FROM sqlite_master WHERE name = '" + table + "'");
    }

    bool SetImmutable(const std::string& path, bool on) {
        int fd = ::open(path.c_str(), O_RDONLY);
        int flags = 0;
        bool ok = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0) ::close(fd);
        return ok;
    }

    std::string home_, out_, err_, immutable_;
};

} // namespace

TEST_F(StoreProblemsTest, DamagedPagesAreReportedAndNeverWrittenInto) {
    // The profile table's root full of garbage: every read of it fails.
    std::string before = ReadFile(Store());
    int root = RootPage("t_profile_data");
    ASSERT_GT(root, 1);
    WritePage(Store(), root, std::string(4096, '\xA5'));
    std::string damaged = ReadFile(Store());
    EXPECT_EQ(Run({"profile", "list"}), 1);
    EXPECT_TRUE(Says("is damaged")) << err_;
    EXPECT_TRUE(Says("left as it is")) << err_;
    EXPECT_EQ(Run({"config", "set", "dpi_index", "2"}), 1);
    EXPECT_TRUE(Says("is damaged")) << err_;
    EXPECT_EQ(ReadFile(Store()), damaged);

    // The settings table's root turned into an empty leaf: it reads as holding nothing, which
    // must not pass for "no such setting" (nor for an empty store to seed).
    WriteFile(Store(), before);
    root = RootPage("t_configdata");
    std::string emptyLeaf(4096, '\0');
    emptyLeaf[0] = 0x0D; // leaf table page
    emptyLeaf[5] = 0x10; // content starts at 4096
    WritePage(Store(), root, emptyLeaf);
    damaged = ReadFile(Store());
    EXPECT_EQ(Run({"config", "get", "dpi_index"}), 1);
    EXPECT_TRUE(Says("is damaged")) << err_;
    EXPECT_EQ(Run({"config", "set", "dpi_index", "2"}), 1);
    EXPECT_TRUE(Says("is damaged")) << err_;
    EXPECT_EQ(ReadFile(Store()), damaged);

    // Not a database at all.
    std::string junk(8192, 'x');
    WriteFile(Store(), junk);
    EXPECT_EQ(Run({"profile", "list"}), 1);
    EXPECT_TRUE(Says("is damaged")) << err_;
    EXPECT_EQ(ReadFile(Store()), junk);
}

TEST_F(StoreProblemsTest, BusyStoreIsWaitedForThenReportedAsBusy) {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(Store().c_str(), &holder), SQLITE_OK);
    // Held for a moment only: the command waits and succeeds.
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_EQ(Run({"config", "set", "dpi_index", "2"}), 0) << err_;
    release.join();
    EXPECT_EQ(Query(Store(), "SELECT value FROM t_configdata WHERE profile = 1 AND "
                             "key = 'dpi_index'"),
              "2");

    // Held past the time-out: busy, never "no profiles" or "no setting".
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(Run({"config", "set", "dpi_index", "3"}), 1);
    EXPECT_TRUE(Says("is busy")) << err_;
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(QueryInt(Store(), "SELECT count(*) FROM t_profile_data"), 3);
}

TEST_F(StoreProblemsTest, ReadOnlyMissingProfileAndNotARegularFile) {
    EXPECT_EQ(Run({"--profile", "9", "config", "get", "dpi_index"}), 1);
    EXPECT_TRUE(Says("no such profile: 9")) << err_;
    EXPECT_EQ(Run({"--simulated-mouse=wired", "profile", "activate", "9"}), 1);
    EXPECT_TRUE(Says("no such profile: 9")) << err_;
    EXPECT_EQ(QueryInt(Store(), "SELECT count(*) FROM t_profile_data WHERE status = 1"), 1);

    if (SetImmutable(Store(), true)) {
        immutable_ = Store();
        std::string before = ReadFile(Store());
        EXPECT_EQ(Run({"config", "get", "dpi_index"}), 0);
        EXPECT_EQ(out_, "4\n");
        EXPECT_EQ(Run({"config", "set", "dpi_index", "2"}), 1);
        EXPECT_TRUE(Says("read-only")) << err_;
        EXPECT_EQ(ReadFile(Store()), before);
        SetImmutable(Store(), false);
        immutable_.clear();
    }

    fs::remove(Store());
    fs::create_directory(Store());
    EXPECT_EQ(Run({"profile", "list"}), 1);
    EXPECT_TRUE(Says("not a regular file")) << err_;
    EXPECT_TRUE(fs::is_directory(Store()));
}

TEST_F(StoreProblemsTest, ExportsNeverReplaceTheStoresOrOtherKindsOfFile) {
    const std::string store = ReadFile(Store());
    // The store itself, through a link to it and through a second name for it.
    fs::create_symlink(Store(), Folder() + "link.db");
    fs::create_hard_link(Store(), Folder() + "hard.db");
    for (const std::string& target : {Store(), Folder() + "link.db", Folder() + "hard.db"}) {
        EXPECT_EQ(Run({"profile", "export", "1", target}), 1) << target;
        EXPECT_TRUE(Says("settings database")) << err_;
        EXPECT_EQ(Run({"macro", "export", "1", target}), 1) << target;
    }
    EXPECT_EQ(ReadFile(Store()), store);
    EXPECT_EQ(Run({"config", "get", "dpi_index"}), 0);
    EXPECT_EQ(out_, "4\n");

    // The light-frame store of the program folder.
    std::string program = Folder() + "program/";
    fs::create_directories(program + "db");
    const char* home = std::getenv("PIVANE_HOME");
    for (const char* file : {"config.xml", "db/lightlayer_v1.data"})
        if (home && fs::exists(std::string(home) + file))
            fs::copy_file(std::string(home) + file, program + file);
    WriteFile(program + "db/lightlayer_v1.data", "frames");
    EXPECT_EQ(Run({"macro", "export", "1", program + "db/lightlayer_v1.data"}, program), 1);
    EXPECT_EQ(ReadFile(program + "db/lightlayer_v1.data"), "frames");

    // Devices and folders.
    EXPECT_EQ(Run({"profile", "export", "1", "/dev/null"}), 1);
    EXPECT_TRUE(Says("not a regular file")) << err_;
    EXPECT_EQ(Run({"macro", "export", "1", Folder()}), 1);

    // An ordinary file is replaced whole, keeps its mode, and nothing is left beside it.
    std::string target = Folder() + "out/p.xml";
    fs::create_directories(Folder() + "out");
    WriteFile(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Run({"profile", "export", "1", target}), 0) << err_;
    EXPECT_EQ(ReadFile(target).rfind("<?xml", 0), 0u);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder() + "out"), fs::directory_iterator()), 1);
    EXPECT_EQ(Run({"profile", "export", "1", Folder() + "missing/p.xml"}), 1);
}
