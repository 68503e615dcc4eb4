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
        char pattern[] = "/tmp/pivane_fuzz_XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        gFolder = std::string(pattern) + "/";
        std::filesystem::create_directories(gFolder + "db");
        std::atexit(RemoveFolder);
        auto* created = new SettingsDatabase();
        if (!created->OpenSettingsDatabase(gFolder, SettingsDatabase::kDeviceName)) std::abort();
        ProfileRow profile;
        profile.name = "Profile 1";
        created->AddProfile(profile);
        return created;
    }();
    return *db;
}

std::string FuzzStore::Fingerprint() {
    SettingsDatabase& db = Database();
    std::string out;
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    out += std::to_string(db.LoadProfileList(profiles)) + ";";
    std::vector<std::unique_ptr<MacroRow>> macros;
    out += std::to_string(db.LoadMacroList(macros)) + ";";
    long items = 0;
    for (const auto& m : macros) {
        std::vector<std::unique_ptr<MacroItemRow>> list;
        items += db.LoadMacroItems(m->macroId, list);
    }
    out += std::to_string(items) + ";";
    std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
    out += std::to_string(db.LoadAllButtonAssignments(1, rows)) + ";";
    long sum = 0;
    for (const auto& r : rows)
        sum += r->macroValue + r->keyCode;
    out += std::to_string(sum);
    return out;
}
