#pragma once

#include <string>

#include <gtest/gtest.h>
#include <sqlite3.h>

// A fresh folder per test under the process's temporary home (HOME and XDG_* point there for the
// whole test program, so nothing touches the real user's files).
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // "<temp>/" for this test; DataFolder() additionally has its "db" subfolder.
    const std::string& Folder() const { return folder_; }
    std::string DataFolder() const { return folder_ + "data/"; }
    std::string DatabaseFile() const { return DataFolder() + "db/ORMAN-Q410_V2_data_v7.db"; }

    // Runs one query on a separate connection to file and returns the first column of the first
    // row as text ("" when no row, "<error>" when the query fails).
    static std::string Query(const std::string& file, const std::string& sql);
    static int QueryInt(const std::string& file, const std::string& sql);
    // Executes sql on a separate connection; true on success.
    static bool Exec(const std::string& file, const std::string& sql);
    static std::string ReadFile(const std::string& path);
    static void WriteFile(const std::string& path, const std::string& bytes);

    // The process-wide temporary home.
    static const std::string& Home();

private:
    std::string folder_;
};
