#include "app/store/SQLiteAutoTransaction.h"

#include "app/store/SQLiteDB.h"

SQLiteAutoTransaction::SQLiteAutoTransaction(SQLiteDB* owner) : owner_(owner) {
    if (!owner_) return;
    if (owner_->IsOpen()) beginResult_ = owner_->Execute("BEGIN");
    active_ = 1;
}

SQLiteAutoTransaction::~SQLiteAutoTransaction() {
    if (active_ && owner_ && owner_->IsOpen()) {
        owner_->Execute("END");
        active_ = 0;
    }
}

bool SQLiteAutoTransaction::Begin() {
    if (!owner_ || active_) return false;
    active_ = 1;
    if (!owner_->IsOpen()) return false;
    beginResult_ = owner_->Execute("BEGIN");
    return beginResult_ == 0;
}

bool SQLiteAutoTransaction::End() {
    if (!owner_) return false;
    int rc = -1;
    if (owner_->IsOpen()) rc = owner_->Execute("END");
    active_ = 0;
    return rc == 0;
}

bool SQLiteAutoTransaction::Rollback() {
    if (!owner_) return false;
    int rc = -1;
    if (owner_->IsOpen()) rc = owner_->Execute("ROLLBACK");
    active_ = 0;
    return rc == 0;
}
