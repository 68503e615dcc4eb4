#include "tests/fuzz/FuzzStore.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::string gFolder;

void RemoveFolder() {
    std::error_code ec;
    if (!gFolder.empty()) std::filesystem::remove_all(gFolder, ec);
}

} // namespace

SettingsDatabase& FuzzStore::Database() {
    static SettingsDatabase* db = [] {
        // Memory-backed when the machine has it: the targets write a few rows per input.
        char pattern[] = "/dev/shm/pivane_fuzz_XXXXXX";
        char fallback[] = "/tmp/pivane_fuzz_XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) made = mkdtemp(fallback);
        if (!made) std::abort();
        gFolder = std::string(made) + "/";
        std::filesystem::create_directories(gFolder + "db");
        std::atexit(RemoveFolder);
        auto* created = new SettingsDatabase();
        if (!created->OpenSettingsDatabase(gFolder, SettingsDatabase::kDeviceName)) std::abort();
        // Thousands of inputs each write a few rows: keep the journal in memory.
        created->Execute("PRAGMA journal_mode = MEMORY");
        ProfileRow profile;
        profile.name = "Profile 1";
        created->AddProfile(profile);
        return created;
    }();
    return *db;
}

std::string FuzzStore::Fingerprint() {
    SettingsDatabase& db = Database();
    // Keep the store small so that a long run stays fast; emptied between inputs only.
    std::string count;
    auto first = [](void* out, int columns, char** values, char**) {
        if (columns > 0 && values[0]) *static_cast<std::string*>(out) = values[0];
        return 0;
    };
    db.Execute("SELECT count(*) FROM t_macro_data", first, &count);
    if (std::atoi(count.c_str()) > 500) {
        db.Execute("DELETE FROM t_macro_data; DELETE FROM t_macrorecord; "
                   "DELETE FROM t_mousekey_macro_data; DELETE FROM t_key_macro_data; "
                   "DELETE FROM t_profile_data WHERE profile > 1");
    }
    std::string out;
    db.Execute("SELECT (SELECT count(*) || ':' || total(macro_id) || ':' || group_concat(name) "
               "FROM t_macro_data) || '|' || "
               "(SELECT count(*) || ':' || total(value + type + delay_time + record_index) FROM "
               "t_macrorecord) || '|' || "
               "(SELECT count(*) || ':' || group_concat(name) FROM t_profile_data) || '|' || "
               "(SELECT count(*) || ':' || total(key_code + macro_type + macro_value + "
               "macro_value2 + macro_value3 + fn_layer + profile) FROM t_mousekey_macro_data) "
               "|| '|' || (SELECT count(*) || ':' || total(key_code + macro_type + macro_value + "
               "profile) FROM t_key_macro_data)",
               first, &out);
    return out;
}
