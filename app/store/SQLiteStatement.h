#pragma once

#include <sqlite3.h>

class SQLiteDB;

// A prepared statement that finalises itself. Every call on an empty statement returns
// SQLITE_MISUSE (21), 0 or null as documented.
class SQLiteStatement {
public:
    SQLiteStatement() = default;
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;
    virtual ~SQLiteStatement();

    // The bytes must stay alive until the statement has been stepped. 21 without a statement.
    int BindInt(int index, int value);
    int BindText(int index, const char* bytes, int byteLength);
    // 21 without a statement; SQLITE_DONE (101) marks the statement finished.
    int Step();
    // Makes a stepped statement ready to run again with new bindings; 21 without a statement.
    int Reset();
    // 0 without a statement.
    int ColumnInt(int index);
    // Null without a statement or for a NULL column.
    const char* ColumnText(int index);

    // Finalises the held statement; on success the handle is cleared and the statement is
    // marked finished. Returns the finalise result (0 when nothing is held).
    int Finalize();

    bool IsFinished() const { return finished_ != 0; }
    bool HasStatement() const { return handle_ != nullptr; }

private:
    friend class SQLiteDB;
    unsigned char finished_ = 1;
    sqlite3_stmt* handle_ = nullptr;
};
