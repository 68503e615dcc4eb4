// Settings files the program did not leave in a good state: it must neither crash nor destroy
// what is stored.
#include "StoreFixture.h"

#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"

namespace fs = std::filesystem;

namespace {

class BadGroundTest : public StoreFixture {
protected:
    // A real settings file with profiles, a macro and an assignment, closed again.
    void MakeGoodFile() {
        SettingsDatabase db;
        ASSERT_TRUE(db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
        std::vector<std::unique_ptr<ProfileRow>> list;
        ASSERT_EQ(ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list), 3);
        ASSERT_EQ(db.CreateMacro("stored"), 1);
        ASSERT_TRUE(db.SetConfigValue(1, "dpi_index", "3"));
    }

    // Runs every kind of operation; each must fail or succeed without crashing.
    static void Exercise(SettingsDatabase& db) {
        std::vector<std::unique_ptr<ProfileRow>> profiles;
        std::vector<std::unique_ptr<MacroRow>> macros;
        std::vector<std::unique_ptr<KeyAssignmentRow>> keys;
        std::string value;
        db.LoadProfileList(profiles);
        db.GetConfigValue(1, "dpi_index", value);
        db.SetConfigValue(1, "dpi_index", "5");
        ProfileRow profile;
        profile.name = "new";
        db.AddProfile(profile);
        db.SetActiveProfile(2);
        db.CreateMacro("m");
        db.LoadMacroList(macros);
        KeyAssignmentRow key;
        key.keyCode = 4;
        key.macroValue = 1;
        db.SaveKeyAssignment(key);
        db.LoadKeyAssignments(1, 0, keys);
        db.DeleteMacro(1);
    }

    // Makes the file unwritable for this process. Root ignores the mode bits, so it also sets
    // the immutable attribute where it can. False when the file stays writable.
    bool MakeReadOnly(const std::string& path) {
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::permissions(fs::path(path).parent_path(),
                        fs::perms::owner_read | fs::perms::owner_exec);
        if (geteuid() == 0) {
            int fd = ::open(path.c_str(), O_RDONLY);
            int flags = 0;
            if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags |= FS_IMMUTABLE_FL;
                if (ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) immutable_ = path;
            }
            if (fd >= 0) ::close(fd);
        }
        int probe = ::open(path.c_str(), O_WRONLY);
        if (probe >= 0) {
            ::close(probe);
            return false;
        }
        return true;
    }

    void TearDown() override {
        if (!immutable_.empty()) {
            int fd = ::open(immutable_.c_str(), O_RDONLY);
            int flags = 0;
            if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0) ::close(fd);
        }
        std::error_code ec;
        fs::permissions(DataFolder() + "db", fs::perms::owner_all, ec);
        fs::permissions(DatabaseFile(), fs::perms::owner_all, ec);
        StoreFixture::TearDown();
    }

    std::string immutable_;
};

} // namespace

TEST_F(BadGroundTest, FileThatIsNotSQLiteIsLeftUntouched) {
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>("settings!"[i % 9]);
    WriteFile(DatabaseFile(), junk);
    SettingsDatabase db;
    db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName);
    Exercise(db);
    std::string value;
    EXPECT_FALSE(db.GetConfigValue(1, "dpi_index", value));
    EXPECT_LE(db.CreateMacro("m"), SQLITE_NOTADB); // an error code, never a new id
    db.ClearAllSettings();
    db.CloseSettingsDatabase();
    EXPECT_EQ(ReadFile(DatabaseFile()), junk);
}

TEST_F(BadGroundTest, FileCutInsideItsHeaderIsLeftUntouched) {
    MakeGoodFile();
    fs::resize_file(DatabaseFile(), 60);
    std::string before = ReadFile(DatabaseFile());
    SettingsDatabase db;
    db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName);
    Exercise(db);
    db.ClearAllSettings();
    db.CloseSettingsDatabase();
    EXPECT_EQ(ReadFile(DatabaseFile()), before);
}

TEST_F(BadGroundTest, TruncatedFileNeverCrashesAndIsNotShrunk) {
    MakeGoodFile();
    auto size = fs::file_size(DatabaseFile());
    fs::resize_file(DatabaseFile(), size / 2);
    SettingsDatabase db;
    db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName);
    Exercise(db);
    std::vector<std::unique_ptr<ProfileRow>> list;
    ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list);
    db.CloseSettingsDatabase();
    EXPECT_TRUE(fs::exists(DatabaseFile()));
    EXPECT_GE(fs::file_size(DatabaseFile()), size / 2);
}

TEST_F(BadGroundTest, ReadOnlyFileStillReadsAndRefusesWrites) {
    MakeGoodFile();
    if (!MakeReadOnly(DatabaseFile())) GTEST_SKIP() << "cannot make a file read-only here";
    std::string before = ReadFile(DatabaseFile());

    SettingsDatabase db;
    EXPECT_TRUE(db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    std::string value;
    EXPECT_TRUE(db.GetConfigValue(1, "dpi_index", value));
    EXPECT_EQ(value, "3");
    EXPECT_FALSE(db.SetConfigValue(1, "dpi_index", "5"));
    ProfileRow profile;
    EXPECT_EQ(db.AddProfile(profile), 0);
    EXPECT_EQ(db.CreateMacro("m"), SQLITE_READONLY);
    Exercise(db);
    db.ClearAllSettings();
    std::vector<std::unique_ptr<ProfileRow>> list;
    EXPECT_EQ(db.LoadProfileList(list), 3);
    db.CloseSettingsDatabase();
    EXPECT_EQ(ReadFile(DatabaseFile()), before);
}

TEST_F(BadGroundTest, FileWithoutTablesIsNotRebuiltAndAnswersNothing) {
    MakeGoodFile();
    for (const char* table :
         {"t_configdata", "t_profile_data", "t_key_macro_data", "t_mousekey_macro_data",
          "t_key_otherdata", "t_macro_data", "t_macrorecord", "t_light_data", "t_key_light_data",
          "t_musiclayer_data"})
        ASSERT_TRUE(Exec(DatabaseFile(), std::string("DROP TABLE ") + table));
    SettingsDatabase db;
    EXPECT_TRUE(db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    Exercise(db);
    std::vector<std::unique_ptr<ProfileRow>> list;
    EXPECT_EQ(ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list), 0);
    EXPECT_EQ(db.FindActiveProfile(), 0);
    db.ClearAllSettings();
    db.CloseSettingsDatabase();
    EXPECT_EQ(QueryInt(DatabaseFile(), "SELECT count(*) FROM sqlite_master WHERE name LIKE 't_%'"),
              0);
}
