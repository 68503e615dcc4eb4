#pragma once

#include <map>
#include <string>
#include <vector>

// Every row of every table of a SQLite file, read through a connection of its own (read-only),
// so that what the program's connection holds in memory cannot hide a change on disk.
class StoreSnapshot {
public:
    // False (and an empty snapshot) when the file cannot be read; error says why.
    bool Read(const std::string& path, std::string* error = nullptr);

    bool operator==(const StoreSnapshot& other) const { return tables_ == other.tables_; }
    // The first few differences, one per line ("t_configdata: lost 12|1|report_rate|2").
    std::string Describe(const StoreSnapshot& after, size_t limit = 6) const;
    // Rows of before that after no longer holds unchanged (lost or changed), over every table.
    size_t LostRows(const StoreSnapshot& after) const;

    // Leaves a table out of every comparison (e.g. sqlite_sequence, which every insert moves).
    void Drop(const std::string& table) { tables_.erase(table); }
    // Leaves the last column of a table's rows out of every comparison.
    void MaskLastColumn(const std::string& table);

    // Profiles whose status is 1.
    int ActiveProfiles() const;
    size_t RowCount() const;
    const std::map<std::string, std::vector<std::string>>& Tables() const { return tables_; }

private:
    // Per table, each row as its columns joined by '|' (NULL as "∅"), in rowid order.
    std::map<std::string, std::vector<std::string>> tables_;
    int activeProfiles_ = 0;
};
