#include "app/store/SQLiteDB.h"

#include "app/store/SQLiteStatement.h"

SQLiteDB::~SQLiteDB() {
    if (handle_) {
        sqlite3_interrupt(handle_);
        if (sqlite3_close(handle_) == SQLITE_OK) handle_ = nullptr;
    }
}

bool SQLiteDB::Open(const char* pathUtf8, const std::string& key, int flags) {
    if (handle_) {
        sqlite3_interrupt(handle_);
        if (sqlite3_close(handle_) == SQLITE_OK) handle_ = nullptr;
    }
    if (!pathUtf8) return false;
    // No cipher is compiled in here: a key could not be honoured, so refuse rather than open
    // the file in the clear.
    if (!key.empty()) return false;
    sqlite3* handle = nullptr;
    int rc = sqlite3_open_v2(pathUtf8, &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (handle && sqlite3_close(handle) != SQLITE_OK) handle_ = handle;
        return false;
    }
    handle_ = handle;
    sqlite3_exec(handle_, "PRAGMA synchronous = OFF; ", nullptr, nullptr, nullptr);
    // Without it a second writer fails at once, and a failed write looked like success to
    // callers that did not check; with it the two share the file.
    sqlite3_busy_timeout(handle_, busyTimeoutMs_);
    return true;
}

bool SQLiteDB::Close() {
    if (!handle_) return true;
    if (sqlite3_close(handle_) != SQLITE_OK) return false;
    handle_ = nullptr;
    return true;
}

int SQLiteDB::Prepare(SQLiteStatement& statement, const char* sql, int length) {
    statement.Finalize();
    if (!handle_ || !sql) return SQLITE_MISUSE;
    int rc =
        sqlite3_prepare_v2(handle_, sql, length < 0 ? -1 : length, &statement.handle_, nullptr);
    if (statement.handle_) statement.finished_ = 0;
    return rc;
}

int SQLiteDB::Execute(const char* sql, int (*callback)(void*, int, char**, char**),
                      void* argument) {
    if (!handle_ || !sql) return SQLITE_MISUSE;
    return sqlite3_exec(handle_, sql, callback, argument, nullptr);
}

int64_t SQLiteDB::LastInsertRowId() const {
    if (!handle_) return -1;
    return sqlite3_last_insert_rowid(handle_);
}

int SQLiteDB::Changes() const {
    if (!handle_) return 0;
    return sqlite3_changes(handle_);
}

int SQLiteDB::SetBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = milliseconds < 0 ? 0 : milliseconds;
    if (!handle_) return SQLITE_MISUSE;
    return sqlite3_busy_timeout(handle_, busyTimeoutMs_);
}

std::string SQLiteDB::ErrorMessage() const {
    if (!handle_) return std::string();
    const char* message = sqlite3_errmsg(handle_);
    return message ? message : "";
}

int SQLiteDB::ErrorCode() const {
    if (!handle_) return SQLITE_MISUSE;
    return sqlite3_errcode(handle_);
}
