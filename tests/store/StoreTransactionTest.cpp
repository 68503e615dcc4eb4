// Operations that write more than one row keep all of it or none, and tell a failure from an
// empty answer.
#include "StoreFixture.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/store/ProfileDefaults.h"
#include "app/store/SQLiteAutoTransaction.h"
#include "app/store/SettingsDatabase.h"

namespace {

class StoreTransactionTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_TRUE(db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
        std::vector<std::unique_ptr<ProfileRow>> list;
        ASSERT_EQ(ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list), 3);
    }

    // Makes the n-th insert into table (counted from now) fail.
    void FailInsert(const std::string& table, int n) {
        ASSERT_EQ(db.Execute(("CREATE TEMP TABLE IF NOT EXISTS seen(x); DELETE FROM seen; "
                              "CREATE TEMP TRIGGER refuse BEFORE INSERT ON " +
                              table +
                              " BEGIN INSERT INTO seen VALUES (1); SELECT RAISE(ABORT, 'refused') "
                              "WHERE (SELECT count(*) FROM seen) >= " +
                              std::to_string(n) + "; END")
                                 .c_str()),
                  SQLITE_OK);
    }
    void Allow() { db.Execute("DROP TRIGGER IF EXISTS temp.refuse"); }

    int Rows(const std::string& where) {
        return QueryInt(DatabaseFile(), "SELECT count(*) " + where);
    }

    SettingsDatabase db;
};

} // namespace

TEST_F(StoreTransactionTest, AFailedStepTakesBackTheWholeOperation) {
    std::vector<std::unique_ptr<MacroItemRow>> items;
    for (int i = 0; i < 10; ++i) {
        items.push_back(std::make_unique<MacroItemRow>());
        items.back()->macroId = 7;
        items.back()->recordIndex = i;
    }
    FailInsert("t_macrorecord", 6);
    EXPECT_EQ(db.SaveMacroItems(std::move(items)), -1);
    EXPECT_EQ(SettingsDatabase::LastResult(), SQLITE_CONSTRAINT);
    EXPECT_EQ(Rows("FROM t_macrorecord"), 0);
    Allow();

    FailInsert("t_configdata", 20);
    EXPECT_FALSE(db.WriteFactoryConfiguration(9));
    EXPECT_EQ(Rows("FROM t_configdata WHERE profile = 9"), 0);
    Allow();

    std::vector<std::unique_ptr<KeyLightRow>> colours;
    for (int i = 0; i < 5; ++i)
        colours.push_back(std::make_unique<KeyLightRow>());
    FailInsert("t_key_light_data", 5);
    EXPECT_EQ(db.SaveKeyColours(std::move(colours)), -1);
    EXPECT_EQ(Rows("FROM t_key_light_data"), 0);
    Allow();

    // A replaced assignment whose insert fails keeps the old one.
    KeyAssignmentRow row;
    row.profile = 1;
    row.keyCode = 209;
    row.macroType = 5;
    row.macroValue = 210;
    ASSERT_GT(db.SaveButtonAssignment(row), 0);
    row.macroValue = 211;
    FailInsert("t_mousekey_macro_data", 1);
    EXPECT_EQ(db.SaveButtonAssignment(row), 0);
    Allow();
    KeyAssignmentRow back;
    ASSERT_TRUE(db.GetButtonAssignment(1, 209, back));
    EXPECT_EQ(back.macroValue, 210);

    // Restoring the factory state fails as a whole when one table cannot be emptied.
    ASSERT_EQ(db.Execute("CREATE TEMP TRIGGER keep BEFORE DELETE ON t_light_data BEGIN SELECT "
                         "RAISE(ABORT, 'kept'); END"),
              SQLITE_OK);
    LightRow light;
    light.profile = 1;
    ASSERT_GT(db.AddLightRow(light), 0);
    EXPECT_FALSE(db.ClearAllSettings());
    EXPECT_EQ(Rows("FROM t_profile_data"), 3);
    EXPECT_EQ(Rows("FROM t_configdata"), 165);
}

TEST_F(StoreTransactionTest, ActivatingAMissingProfileChangesNothing) {
    ASSERT_TRUE(db.SetActiveProfile(2));
    EXPECT_FALSE(db.SetActiveProfile(99));
    EXPECT_EQ(SettingsDatabase::LastResult(), SQLITE_OK) << "refused, not a store failure";
    EXPECT_EQ(db.FindActiveProfile(), 2);
    EXPECT_EQ(Rows("FROM t_profile_data WHERE status = 1"), 1);
}

TEST_F(StoreTransactionTest, APartThatFailsRollsBackTheTransactionItJoined) {
    FailInsert("t_configdata", 1);
    int id = 0;
    bool kept = db.RunInTransaction([&] {
        id = db.AddProfile(ProfileRow{0, "Joined", "", 0, 0});
        db.WriteFactoryConfiguration(id); // fails; the caller goes on regardless
        return db.SetActiveProfile(id);
    });
    Allow();
    EXPECT_FALSE(kept);
    EXPECT_EQ(SettingsDatabase::LastResult(), SQLITE_CONSTRAINT);
    EXPECT_EQ(Rows("FROM t_profile_data"), 3);
    EXPECT_EQ(db.FindActiveProfile(), 1);
}

TEST_F(StoreTransactionTest, ABusyStoreIsNeverTakenForOneWithoutProfiles) {
    db.SetBusyTimeout(150);
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(DatabaseFile().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::vector<std::unique_ptr<ProfileRow>> list;
    EXPECT_EQ(ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list), 0);
    EXPECT_EQ(SettingsDatabase::LastResult(), SQLITE_BUSY);
    std::string value = "stale";
    EXPECT_FALSE(db.GetConfigValue(1, "dpi_index", value));
    EXPECT_EQ(SettingsDatabase::LastResult(), SQLITE_BUSY);

    // Released while the other waits: the second connection gets through.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_TRUE(db.SetConfigValue(1, "dpi_index", "6"));
    release.join();
    sqlite3_close(holder);
    EXPECT_EQ(ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list), 3);
    EXPECT_EQ(Rows("FROM t_profile_data"), 3);
}

TEST_F(StoreTransactionTest, AStoreWithoutTablesIsCreatedWholeWithItsProfiles) {
    db.CloseSettingsDatabase();
    // What a first start killed after SQLite wrote its first page rolls back to.
    std::filesystem::remove(DatabaseFile());
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(DatabaseFile().c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "PRAGMA user_version = 1", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    ASSERT_GT(std::filesystem::file_size(DatabaseFile()), 0u);

    SettingsDatabase again;
    again.SetCurrentDeviceType(601);
    again.SetInitialProfileWord("Profile");
    ASSERT_TRUE(again.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    EXPECT_EQ(Rows("FROM sqlite_master WHERE type = 'table' AND name LIKE 't_%'"), 10);
    EXPECT_EQ(Rows("FROM t_profile_data WHERE status = 1"), 1);
    EXPECT_EQ(Rows("FROM t_configdata"), 165);
}

TEST_F(StoreTransactionTest, AutoTransactionRollsBackOnRequest) {
    SQLiteDB raw;
    std::string file = Folder() + "t.db";
    ASSERT_TRUE(raw.Open(file.c_str(), "", SQLiteDB::kOpenCreate));
    ASSERT_EQ(raw.Execute("CREATE TABLE t(x INTEGER)"), SQLITE_OK);
    SQLiteAutoTransaction transaction(&raw);
    EXPECT_EQ(transaction.BeginResult(), SQLITE_OK);
    ASSERT_EQ(raw.Execute("INSERT INTO t VALUES (1)"), SQLITE_OK);
    EXPECT_TRUE(transaction.Rollback());
    EXPECT_FALSE(transaction.IsActive());
    EXPECT_EQ(QueryInt(file, "SELECT count(*) FROM t"), 0);
}
