#include "StoreFixture.h"

#include <filesystem>

#include "app/store/SQLiteAutoTransaction.h"
#include "app/store/SQLiteDB.h"
#include "app/store/SQLiteStatement.h"

using SQLiteLayerTest = StoreFixture;

TEST_F(SQLiteLayerTest, EverythingOnAClosedConnectionReportsMisuse) {
    SQLiteDB db;
    SQLiteStatement s;
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Prepare(s, "SELECT 1"), SQLITE_MISUSE);
    EXPECT_EQ(db.Execute("SELECT 1"), SQLITE_MISUSE);
    EXPECT_EQ(db.LastInsertRowId(), -1);
    EXPECT_TRUE(db.Close());

    EXPECT_FALSE(s.HasStatement());
    EXPECT_TRUE(s.IsFinished());
    EXPECT_EQ(s.BindInt(1, 5), SQLITE_MISUSE);
    EXPECT_EQ(s.BindText(1, "x", 1), SQLITE_MISUSE);
    EXPECT_EQ(s.Step(), SQLITE_MISUSE);
    EXPECT_EQ(s.ColumnInt(0), 0);
    EXPECT_EQ(s.ColumnText(0), nullptr);
}

TEST_F(SQLiteLayerTest, OpenRefusesWhatItCannotHonour) {
    SQLiteDB db;
    EXPECT_FALSE(db.Open(nullptr, "", SQLiteDB::kOpenCreate));
    std::string missing = Folder() + "missing.db";
    EXPECT_FALSE(db.Open(missing.c_str(), "", SQLiteDB::kOpenExisting));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(missing));
    // A key cannot be applied without a cipher; the file must not be created in the clear.
    EXPECT_FALSE(db.Open(missing.c_str(), "secret", SQLiteDB::kOpenCreate));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(SQLiteLayerTest, OpenTurnsSynchronousWritesOffAndReopenSwitchesFiles) {
    SQLiteDB db;
    std::string a = Folder() + "a.db", b = Folder() + "b.db";
    ASSERT_TRUE(db.Open(a.c_str(), "", SQLiteDB::kOpenCreate));
    SQLiteStatement s;
    ASSERT_EQ(db.Prepare(s, "PRAGMA synchronous"), SQLITE_OK);
    ASSERT_EQ(s.Step(), SQLITE_ROW);
    EXPECT_EQ(s.ColumnInt(0), 0);
    s.Finalize();
    ASSERT_EQ(db.Execute("CREATE TABLE t(x INTEGER)"), SQLITE_OK);

    ASSERT_TRUE(db.Open(b.c_str(), "", SQLiteDB::kOpenCreate));
    EXPECT_NE(db.Execute("INSERT INTO t VALUES (1)"), SQLITE_OK); // b has no table t
    EXPECT_EQ(QueryInt(a, "SELECT count(*) FROM sqlite_master WHERE name = 't'"), 1);
}

TEST_F(SQLiteLayerTest, PrepareReplacesTheHeldStatementAndFailuresLeaveItEmpty) {
    SQLiteDB db;
    std::string file = Folder() + "p.db";
    ASSERT_TRUE(db.Open(file.c_str(), "", SQLiteDB::kOpenCreate));
    ASSERT_EQ(db.Execute("CREATE TABLE t(id INTEGER PRIMARY KEY AUTOINCREMENT, v TEXT)"), 0);
    SQLiteStatement s;
    ASSERT_EQ(db.Prepare(s, "INSERT INTO t(v) VALUES (?)"), SQLITE_OK);
    EXPECT_FALSE(s.IsFinished());
    std::string text = "héllo";
    ASSERT_EQ(s.BindText(1, text.data(), static_cast<int>(text.size())), SQLITE_OK);
    EXPECT_EQ(s.Step(), SQLITE_DONE);
    EXPECT_TRUE(s.IsFinished());
    EXPECT_EQ(db.LastInsertRowId(), 1);

    ASSERT_EQ(db.Prepare(s, "SELECT v FROM t"), SQLITE_OK);
    ASSERT_EQ(s.Step(), SQLITE_ROW);
    EXPECT_STREQ(s.ColumnText(0), "héllo");

    EXPECT_NE(db.Prepare(s, "SELECT nothing FROM nowhere"), SQLITE_OK);
    EXPECT_FALSE(s.HasStatement());
    EXPECT_EQ(s.Step(), SQLITE_MISUSE);
    EXPECT_EQ(db.Prepare(s, nullptr), SQLITE_MISUSE);
}

TEST_F(SQLiteLayerTest, AutoTransactionCommitsWhateverHappenedInside) {
    SQLiteDB db;
    std::string file = Folder() + "t.db";
    ASSERT_TRUE(db.Open(file.c_str(), "", SQLiteDB::kOpenCreate));
    ASSERT_EQ(db.Execute("CREATE TABLE t(x INTEGER)"), SQLITE_OK);
    {
        SQLiteAutoTransaction transaction(&db);
        EXPECT_TRUE(transaction.IsActive());
        EXPECT_FALSE(transaction.Begin()); // already begun by the constructor
        EXPECT_EQ(db.Execute("INSERT INTO t VALUES (1)"), SQLITE_OK);
        EXPECT_NE(db.Execute("INSERT INTO missing VALUES (2)"), SQLITE_OK);
        // Not yet visible to another connection: the work really is inside a transaction.
        EXPECT_EQ(QueryInt(file, "SELECT count(*) FROM t"), 0);
    }
    EXPECT_EQ(QueryInt(file, "SELECT count(*) FROM t"), 1);

    SQLiteAutoTransaction explicitEnd(&db);
    EXPECT_EQ(db.Execute("INSERT INTO t VALUES (3)"), SQLITE_OK);
    EXPECT_TRUE(explicitEnd.End());
    EXPECT_FALSE(explicitEnd.IsActive());
    EXPECT_EQ(QueryInt(file, "SELECT count(*) FROM t"), 2);
    EXPECT_TRUE(explicitEnd.Begin());
    EXPECT_TRUE(explicitEnd.End());
}

TEST_F(SQLiteLayerTest, AutoTransactionWithoutOwnerOrConnectionDoesNothing) {
    SQLiteAutoTransaction none(nullptr);
    EXPECT_FALSE(none.IsActive());
    EXPECT_FALSE(none.Begin());
    EXPECT_FALSE(none.End());

    SQLiteDB closed;
    SQLiteAutoTransaction onClosed(&closed);
    EXPECT_TRUE(onClosed.IsActive());
    EXPECT_FALSE(onClosed.End());
    EXPECT_FALSE(onClosed.IsActive());
    EXPECT_FALSE(onClosed.Begin());
    EXPECT_TRUE(onClosed.IsActive());
}
