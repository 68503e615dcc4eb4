#pragma once

class SQLiteDB;

// BEGIN on construction, END on destruction. Callers that check their steps end it themselves:
// End() when every step succeeded, Rollback() otherwise (also after an END that failed, which
// leaves the transaction open).
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
    // ROLLBACK; false without an owner or connection or when it failed. Clears the active flag.
    bool Rollback();
    // What the BEGIN run by the constructor or Begin() returned (21 when none could run).
    int BeginResult() const { return beginResult_; }

    bool IsActive() const { return active_ != 0; }

private:
    SQLiteDB* owner_ = nullptr;
    unsigned char active_ = 0;
    int beginResult_ = 21;
};
