#pragma once

#include "app/store/SettingsDatabase.h"

#include <gtest/gtest.h>

#include <string>

// A temporary program folder (PIVANE_HOME), home and config folders, two small language files
// and a real settings database in the temporary data folder. Everything is removed afterwards.
class FilesFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file below the temporary root and returns its path.
    std::string WriteFile(const std::string& relative, const std::string& content);
    std::string ReadFile(const std::string& path) const;
    std::string Path(const std::string& relative) const { return root_ + relative; }

    // The shipped data file of the source tree.
    static std::string SourceData(const std::string& relative);

    // The build's program folder (PIVANE_HOME before the test replaced it), with its programs.
    const std::string& BuildProgramFolder() const { return savedEnv_[0]; }

    // Opens (creating) another settings database below the root, e.g. another computer's.
    bool OpenDatabase(SettingsDatabase& db, const std::string& name);

    std::string root_;          // ends with "/"
    std::string programFolder_; // root + "program/"
    SettingsDatabase db_;

private:
    std::string savedEnv_[6];
    bool hadEnv_[6] = {};
};
