// A settings file damaged in arbitrary places: the store must fail quietly, never crash. The
// input is a list of patches applied to a real settings file built once: byte 0 picks a length
// to cut the file to (0 keeps it whole), then each three bytes are a page-scaled offset (two
// bytes) and the byte to write there.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"

namespace {

std::string gFolder;

void RemoveFolder() {
    std::error_code ec;
    if (!gFolder.empty()) std::filesystem::remove_all(gFolder, ec);
}

std::string File() {
    return gFolder + "db/" + SettingsDatabase::kDeviceName + "_data_v7.db";
}

const std::vector<char>& Template() {
    static const std::vector<char> bytes = [] {
        char pattern[] = "/tmp/pivane_fuzz_settings_XXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        gFolder = std::string(pattern) + "/";
        std::filesystem::create_directories(gFolder + "db");
        std::atexit(RemoveFolder);
        {
            SettingsDatabase db;
            if (!db.OpenSettingsDatabase(gFolder, SettingsDatabase::kDeviceName)) std::abort();
            std::vector<std::unique_ptr<ProfileRow>> list;
            ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, list);
            int macro = db.CreateMacro("m");
            MacroItemRow item;
            item.macroId = macro;
            db.AddMacroItem(item);
            KeyAssignmentRow key;
            key.profile = 1;
            key.keyCode = 4;
            key.macroType = 3;
            key.macroValue = macro;
            db.SaveKeyAssignment(key);
        }
        std::ifstream in(File(), std::ios::binary);
        return std::vector<char>((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    }();
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> bytes = Template();
    if (bytes.empty()) return 0;
    if (size > 0 && data[0] != 0) bytes.resize(bytes.size() * data[0] / 256);
    for (size_t i = 1; i + 2 < size; i += 3) {
        if (bytes.empty()) break;
        size_t offset = ((static_cast<size_t>(data[i]) << 8) | data[i + 1]) * 7 % bytes.size();
        bytes[offset] = static_cast<char>(data[i + 2]);
    }
    {
        std::ofstream out(File(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::error_code ec;
    std::filesystem::remove(File() + "-journal", ec);

    SettingsDatabase db;
    db.OpenSettingsDatabase(gFolder, SettingsDatabase::kDeviceName);
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    ProfileDefaults::LoadOrCreateProfiles(db, "Profile", 601, profiles);
    std::string value;
    db.GetConfigValue(1, "dpi_index", value);
    db.SetConfigValue(1, "dpi_index", "2");
    std::vector<std::unique_ptr<MacroRow>> macros;
    db.LoadMacroList(macros);
    std::vector<std::unique_ptr<MacroItemRow>> items;
    for (const auto& m : macros)
        db.LoadMacroItems(m->macroId, items);
    std::vector<std::unique_ptr<KeyAssignmentRow>> keys;
    db.LoadKeyAssignments(1, 0, keys);
    db.DeleteMacro(1);
    db.CreateMacro("again");
    std::vector<std::unique_ptr<LightRow>> lights;
    db.LoadLightRows(1, lights);
    db.ClearAllSettings();
    db.CloseSettingsDatabase();
    return 0;
}
