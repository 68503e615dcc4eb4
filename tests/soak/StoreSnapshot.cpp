#include "tests/soak/StoreSnapshot.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

namespace {

std::string Column(sqlite3_stmt* statement, int i) {
    switch (sqlite3_column_type(statement, i)) {
    case SQLITE_NULL:
        return "∅";
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_column_int64(statement, i));
    default: {
        const unsigned char* text = sqlite3_column_text(statement, i);
        return text ? reinterpret_cast<const char*>(text) : "";
    }
    }
}

bool Query(sqlite3* db, const std::string& sql, std::vector<std::string>& rows,
           std::string* error) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        if (error) *error = sqlite3_errmsg(db);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        std::string row;
        int columns = sqlite3_column_count(statement);
        for (int i = 0; i < columns; ++i) {
            if (i) row += '|';
            row += Column(statement, i);
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE && error) *error = sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE;
}

} // namespace

bool StoreSnapshot::Read(const std::string& path, std::string* error) {
    tables_.clear();
    activeProfiles_ = 0;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        if (error) *error = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    std::vector<std::string> names;
    bool ok =
        Query(db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name", names, error);
    for (size_t i = 0; ok && i < names.size(); ++i) {
        std::vector<std::string>& rows = tables_[names[i]];
        ok = Query(db, "SELECT * FROM \"" + names[i] + "\" ORDER BY rowid", rows, error);
    }
    if (ok && tables_.count("t_profile_data")) {
        std::vector<std::string> count;
        ok = Query(db, "SELECT count(*) FROM t_profile_data WHERE status = 1", count, error);
        if (ok && !count.empty()) activeProfiles_ = std::stoi(count.front());
    }
    sqlite3_close(db);
    if (!ok) tables_.clear();
    return ok;
}

size_t StoreSnapshot::LostRows(const StoreSnapshot& after) const {
    size_t lost = 0;
    for (const auto& [name, rows] : tables_) {
        auto it = after.tables_.find(name);
        if (it == after.tables_.end()) {
            lost += rows.size();
            continue;
        }
        std::multiset<std::string> kept(it->second.begin(), it->second.end());
        for (const std::string& row : rows) {
            auto found = kept.find(row);
            if (found == kept.end())
                ++lost;
            else
                kept.erase(found);
        }
    }
    return lost;
}

std::string StoreSnapshot::Describe(const StoreSnapshot& after, size_t limit) const {
    std::string text;
    size_t lines = 0;
    auto add = [&](const std::string& line) {
        if (lines++ < limit) text += line + "\n";
    };
    std::set<std::string> names;
    for (const auto& entry : tables_)
        names.insert(entry.first);
    for (const auto& entry : after.tables_)
        names.insert(entry.first);
    static const std::vector<std::string> none;
    for (const std::string& name : names) {
        auto a = tables_.find(name);
        auto b = after.tables_.find(name);
        const auto& before = a == tables_.end() ? none : a->second;
        const auto& now = b == after.tables_.end() ? none : b->second;
        for (const std::string& row : before)
            if (std::find(now.begin(), now.end(), row) == now.end()) add(name + ": lost " + row);
        for (const std::string& row : now)
            if (std::find(before.begin(), before.end(), row) == before.end())
                add(name + ": added " + row);
    }
    if (lines > limit) text += "... " + std::to_string(lines - limit) + " more\n";
    return text;
}

void StoreSnapshot::MaskLastColumn(const std::string& table) {
    auto it = tables_.find(table);
    if (it == tables_.end()) return;
    for (std::string& row : it->second) {
        size_t bar = row.rfind('|');
        if (bar != std::string::npos) row.erase(bar);
    }
}

int StoreSnapshot::ActiveProfiles() const {
    return activeProfiles_;
}

size_t StoreSnapshot::RowCount() const {
    size_t count = 0;
    for (const auto& entry : tables_)
        count += entry.second.size();
    return count;
}
