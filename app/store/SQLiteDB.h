#pragma once

#include <cstdint>
#include <string>

#include <sqlite3.h>

class SQLiteStatement;

// A thin owner of one SQLite connection. Results are SQLite result codes unless said otherwise;
// 21 (SQLITE_MISUSE) means there was no connection or no SQL text.
class SQLiteDB {
public:
    // Read-write with full mutex; the same plus create.
    static constexpr int kOpenExisting = 0x00010002;
    static constexpr int kOpenCreate = 0x00010006;
    // How long a statement waits for another connection (the window, another pivanectl) to
    // release the file before it gives up with SQLITE_BUSY.
    static constexpr int kBusyTimeoutMs = 5000;

    SQLiteDB() = default;
    SQLiteDB(const SQLiteDB&) = delete;
    SQLiteDB& operator=(const SQLiteDB&) = delete;
    // Interrupts and closes the connection if one exists.
    virtual ~SQLiteDB();

    // Closes any current connection first. False for a null path, when sqlite3_open_v2 fails
    // (the half-open handle is closed) or when a non-empty key is given (no cipher is available).
    // Turns synchronous writes off and sets the busy time-out on every connection.
    bool Open(const char* pathUtf8, const std::string& key, int flags);
    // True without a connection; false (handle kept) when sqlite3_close fails.
    bool Close();
    bool IsOpen() const { return handle_ != nullptr; }

    // Finalises whatever the statement still holds, then prepares sql into it. A negative length
    // reads up to the terminating zero. 21 without a connection or with null sql.
    int Prepare(SQLiteStatement& statement, const char* sql, int length = -1);
    // sqlite3_exec; 21 without a connection or with null sql.
    int Execute(const char* sql, int (*callback)(void*, int, char**, char**) = nullptr,
                void* argument = nullptr);
    // -1 without a connection.
    int64_t LastInsertRowId() const;
    // Rows changed by the last finished statement; 0 without a connection.
    int Changes() const;
    // Applies to the current connection and to every later one; 21 without a connection.
    int SetBusyTimeout(int milliseconds);
    int BusyTimeout() const { return busyTimeoutMs_; }
    // sqlite3_errcode of the connection (the last call's result); 21 without one.
    int ErrorCode() const;
    // sqlite3_errmsg of the connection; "" without one.
    std::string ErrorMessage() const;

    sqlite3* Handle() const { return handle_; }

private:
    sqlite3* handle_ = nullptr;
    int busyTimeoutMs_ = kBusyTimeoutMs;
};
