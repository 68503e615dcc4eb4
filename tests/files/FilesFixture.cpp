#include "files/FilesFixture.h"

#include "app/files/Language.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

const char* kVariables[6] = {"PIVANE_HOME",       "HOME",     "XDG_CONFIG_HOME",
                             "XDG_DOCUMENTS_DIR", "LANGUAGE", "LC_ALL"};

} // namespace

void FilesFixture::SetUp() {
    char pattern[] = "/tmp/pivane_files_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = std::string(pattern) + "/";
    programFolder_ = root_ + "program/";
    std::filesystem::create_directories(programFolder_ + "language");
    std::filesystem::create_directories(root_ + "home/Documents");
    std::filesystem::create_directories(root_ + "config");
    for (int i = 0; i < 6; ++i) {
        const char* value = std::getenv(kVariables[i]);
        hadEnv_[i] = value != nullptr;
        if (value) savedEnv_[i] = value;
    }
    setenv("PIVANE_HOME", programFolder_.c_str(), 1);
    setenv("HOME", (root_ + "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ + "config").c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
    unsetenv("LANGUAGE");
    unsetenv("LC_ALL");
    WriteFile("program/language/1033.lan",
              "[KB.DIALOG]\n65=Profile\n811=Left Button\n820=Left click\n850=Off\n");
    WriteFile("program/language/2052.lan",
              "[KB.DIALOG]\n65=\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\xB9\xE6\xA1\x88\n");
    Language::SetCurrent(Language::kEnglish);
    ASSERT_TRUE(OpenDatabase(db_, "main"));
}

void FilesFixture::TearDown() {
    db_.CloseSettingsDatabase();
    db_.SetOpenFlag(false);
    for (int i = 0; i < 6; ++i) {
        if (hadEnv_[i])
            setenv(kVariables[i], savedEnv_[i].c_str(), 1);
        else
            unsetenv(kVariables[i]);
    }
    Language::SetCurrent(Language::kEnglish);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

bool FilesFixture::OpenDatabase(SettingsDatabase& db, const std::string& name) {
    std::string folder = root_ + "data_" + name + "/";
    std::filesystem::create_directories(folder + "db");
    return db.OpenSettingsDatabase(folder, SettingsDatabase::kDeviceName);
}

std::string FilesFixture::WriteFile(const std::string& relative, const std::string& content) {
    std::string path = root_ + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return path;
}

std::string FilesFixture::ReadFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string FilesFixture::SourceData(const std::string& relative) {
    const char* source = std::getenv("PIVANE_SOURCE_DIR");
    return std::string(source ? source : ".") + "/data/" + relative;
}
