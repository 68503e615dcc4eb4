#include "app/store/SQLiteStatement.h"

SQLiteStatement::~SQLiteStatement() {
    Finalize();
}

int SQLiteStatement::Finalize() {
    if (!handle_) return SQLITE_OK;
    // sqlite3_finalize frees the statement even when it reports the last step's error, so the
    // handle must not be kept in either case.
    int rc = sqlite3_finalize(handle_);
    handle_ = nullptr;
    finished_ = 1;
    return rc;
}

int SQLiteStatement::BindInt(int index, int value) {
    if (!handle_) return SQLITE_MISUSE;
    return sqlite3_bind_int(handle_, index, value);
}

int SQLiteStatement::BindText(int index, const char* bytes, int byteLength) {
    if (!handle_) return SQLITE_MISUSE;
    return sqlite3_bind_text(handle_, index, bytes, byteLength, SQLITE_STATIC);
}

int SQLiteStatement::Step() {
    if (!handle_) return SQLITE_MISUSE;
    int rc = sqlite3_step(handle_);
    if (rc == SQLITE_DONE) finished_ = 1;
    return rc;
}

int SQLiteStatement::ColumnInt(int index) {
    if (!handle_) return 0;
    return sqlite3_column_int(handle_, index);
}

const char* SQLiteStatement::ColumnText(int index) {
    if (!handle_) return nullptr;
    return reinterpret_cast<const char*>(sqlite3_column_text(handle_, index));
}

int SQLiteStatement::Reset() {
    if (!handle_) return SQLITE_MISUSE;
    finished_ = 0;
    return sqlite3_reset(handle_);
}
