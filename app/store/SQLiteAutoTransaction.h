#pragma once

class SQLiteDB;

// BEGIN on construction, END on destruction. There is no rollback: whatever happened inside,
// the transaction is committed.
class SQLiteAutoTransaction {
public:
    // A null owner makes every call a no-op.
    explicit SQLiteAutoTransaction(SQLiteDB* owner);
    SQLiteAutoTransaction(const SQLiteAutoTransaction&) = delete;
    SQLiteAutoTransaction& operator=(const SQLiteAutoTransaction&) = delete;
    virtual ~SQLiteAutoTransaction();

    // False without an owner, when already active, without a connection, or when BEGIN failed.
    bool Begin();
    // False without an owner or when END failed; clears the active flag either way.
    bool End();

    bool IsActive() const { return active_ != 0; }

private:
    SQLiteDB* owner_ = nullptr;
    unsigned char active_ = 0;
};
