#include "StoreFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Points HOME and the XDG folders at a private folder before any test (or GLib) looks at them.
struct TemporaryHome {
    std::string path;
    TemporaryHome() {
        std::string pattern = (fs::temp_directory_path() / "pivane-store-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data())) path = std::string(made) + "/";
        fs::create_directories(path + "home/.config");
        setenv("HOME", (path + "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (path + "home/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (path + "home/.local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", (path + "home/.cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (path + "home/run").c_str(), 1);
    }
    ~TemporaryHome() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
};

TemporaryHome& Temporary() {
    static TemporaryHome home;
    return home;
}

// Built during static initialisation, before main() runs any test.
const bool kHomeReady = !Temporary().path.empty();

} // namespace

const std::string& StoreFixture::Home() {
    return Temporary().path;
}

void StoreFixture::SetUp() {
    ASSERT_TRUE(kHomeReady);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = Home() + "t/" + info->test_suite_name() + "." + info->name() + "/";
    std::error_code ec;
    fs::remove_all(folder_, ec);
    fs::create_directories(DataFolder() + "db");
}

void StoreFixture::TearDown() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

std::string StoreFixture::Query(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string result = "<error>";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK) {
            int rc = sqlite3_step(s);
            if (rc == SQLITE_ROW) {
                const unsigned char* text = sqlite3_column_text(s, 0);
                result = text ? reinterpret_cast<const char*>(text) : "";
            } else if (rc == SQLITE_DONE) {
                result = "";
            }
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return result;
}

int StoreFixture::QueryInt(const std::string& file, const std::string& sql) {
    std::string text = Query(file, sql);
    return text == "<error>" ? -1 : std::atoi(text.c_str());
}

bool StoreFixture::Exec(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

std::string StoreFixture::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void StoreFixture::WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
