#include "StoreFixture.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "app/store/FactoryConfiguration.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"

namespace {

constexpr int kMouse = 601;
constexpr int kKeyboard = 200;

class SettingsDatabaseTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_TRUE(db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    }

    void CreateProfiles(int deviceType) {
        std::vector<std::unique_ptr<ProfileRow>> list;
        ASSERT_EQ(ProfileDefaults::LoadOrCreateProfiles(db, "Profile", deviceType, list), 3);
    }

    int Rows(const std::string& where) {
        return QueryInt(DatabaseFile(), "SELECT count(*) " + where);
    }

    static KeyAssignmentRow Assignment(int profile, int fnLayer, int keyCode, int type, int value,
                                       int value2 = 0) {
        KeyAssignmentRow row;
        row.profile = profile;
        row.fnLayer = fnLayer;
        row.keyCode = keyCode;
        row.layoutValue = keyCode;
        row.layoutDesc = "default";
        row.macroType = type;
        row.macroValue = value;
        row.macroValue2 = value2;
        row.macroValue3 = 9;
        row.macroDesc = "assigned";
        return row;
    }

    SettingsDatabase db;
};

} // namespace

TEST_F(SettingsDatabaseTest, NewFileHoldsExactlyTheSchemaWithItsStoredText) {
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"t_configdata", "CREATE TABLE t_configdata(config_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  profile INTEGER, key TEXT, value TEXT)"},
        {"t_profile_data", "CREATE TABLE t_profile_data(profile INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  name TEXT, status INTEGER, app TEXT, type INTEGER)"},
        {"profileindex", "CREATE INDEX profileindex ON t_profile_data(profile)"},
        {"t_key_macro_data", "CREATE TABLE t_key_macro_data(key_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\tprofile INTEGER, fn_layer INTEGER, key_code INTEGER, layout_value INTEGER, layout_desc TEXT, \t\t\t\t\t\t\t\tmacro_type INTEGER, macro_value INTEGER, macro_value2 INTEGER, macro_value3 INTEGER, macro_desc TEXT)"},
        {"keyindex", "CREATE INDEX keyindex ON t_key_macro_data(key_id)"},
        {"t_mousekey_macro_data", "CREATE TABLE t_mousekey_macro_data(key_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\tprofile INTEGER, fn_layer INTEGER, key_code INTEGER, layout_value INTEGER, layout_desc TEXT, \t\t\t\t\t\t\t\tmacro_type INTEGER, macro_value INTEGER, macro_value2 INTEGER, macro_value3 INTEGER, macro_desc TEXT)"},
        {"mousekeyindex", "CREATE INDEX mousekeyindex ON t_mousekey_macro_data(key_id)"},
        {"t_key_otherdata", "CREATE TABLE t_key_otherdata(macro_value INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  macro_desc TEXT, param TEXT, type INTEGER)"},
        {"otheridindex", "CREATE INDEX otheridindex ON t_key_otherdata(macro_value)"},
        {"t_macro_data", "CREATE TABLE t_macro_data(macro_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  play_times INTEGER, delay_type INTEGER, delay_time INTEGER, link_count INTEGER, loop_type INTEGER, name TEXT)"},
        {"macroidindex", "CREATE INDEX macroidindex ON t_macro_data(macro_id)"},
        {"t_macrorecord", "CREATE TABLE t_macrorecord(record_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  macro_id INTEGER, type INTEGER, record_index INTEGER, desc TEXT, value INTEGER, delay_time INTEGER)"},
        {"macrorecordindex", "CREATE INDEX macrorecordindex ON t_macrorecord(record_id)"},
        {"t_light_data", "CREATE TABLE t_light_data(light_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t\t\t  profile INTEGER, name TEXT, mode INTEGER, brightness INTEGER, speed INTEGER, \t\t\t\t\t\t\t\t\t\tdirection INTEGER, colorful INTEGER, colorindex INTEGER, \t\t\t\t\t\t\t\t\t\tcolor_value INTEGER, config_func INTEGER, reserved INTEGER, status INTEGER)"},
        {"lightindex", "CREATE INDEX lightindex ON t_light_data(light_id)"},
        {"t_key_light_data", "CREATE TABLE t_key_light_data(keylight_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, light_id INTEGER, key_code INTEGER, key_rgb INTEGER)"},
        {"keylightindex", "CREATE INDEX keylightindex ON t_key_light_data(keylight_id)"},
        {"t_musiclayer_data", "CREATE TABLE t_musiclayer_data(layer_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, name TEXT, deviceindex INTEGER, foremode INTEGER, fore_amplitude INTEGER,\t\t\t\t\t\t\t\t   backmode INTEGER, backb_right INTEGER, sel INTEGER)"},
        {"musiclayerindex", "CREATE INDEX musiclayerindex ON t_musiclayer_data(layer_id)"},
    };
    // clang-format on
    EXPECT_TRUE(db.IsSettingsOpen());
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(DatabaseFile().c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), 0);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw,
                                 "SELECT name, sql FROM sqlite_master WHERE name NOT LIKE "
                                 "'sqlite_%' ORDER BY rowid",
                                 -1, &s, nullptr),
              0);
    std::vector<std::pair<std::string, std::string>> actual;
    while (sqlite3_step(s) == SQLITE_ROW)
        actual.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)),
                            reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
    sqlite3_finalize(s);
    sqlite3_close(raw);
    // SQLite stores the statement without "IF NOT EXISTS", everything else byte for byte.
    EXPECT_EQ(actual, expected);
}

TEST_F(SettingsDatabaseTest, FirstStartWithAMouseSeedsThreeProfilesWithFactoryValues) {
    CreateProfiles(kMouse);
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(Rows("FROM t_configdata WHERE profile = " + std::to_string(p)), 55) << p;
    EXPECT_EQ(Rows("FROM t_configdata"), 165);
    EXPECT_EQ(db.FindActiveProfile(), 1);

    std::vector<std::unique_ptr<ProfileRow>> list;
    ASSERT_EQ(db.LoadProfileList(list), 3);
    EXPECT_EQ(list[0]->name, "Profile 1");
    EXPECT_EQ(list[2]->name, "Profile 3");
    EXPECT_EQ(list[0]->status, 1);
    EXPECT_EQ(list[1]->status, 0);

    // The stored sequence follows the factory table row for row.
    const auto& entries = FactoryConfiguration::Entries();
    ASSERT_EQ(static_cast<int>(entries.size()), FactoryConfiguration::kKeyCount);
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string where = " FROM t_configdata WHERE profile = 2 ORDER BY config_id LIMIT 1 "
                            "OFFSET " +
                            std::to_string(i);
        EXPECT_EQ(Query(DatabaseFile(), "SELECT key" + where), entries[i].key);
        EXPECT_EQ(Query(DatabaseFile(), "SELECT value" + where), entries[i].value);
    }
    std::string value;
    EXPECT_TRUE(db.GetConfigValue(2, "dpi_group5_value", value));
    EXPECT_EQ(value, "5000");
    EXPECT_TRUE(db.GetConfigValue(1, FactoryConfiguration::DpiValueKey(6), value));
    EXPECT_EQ(value, "4000");
    EXPECT_TRUE(db.GetConfigValue(3, FactoryConfiguration::DpiRgbKey(1), value));
    EXPECT_EQ(value, "65280");
    EXPECT_TRUE(db.GetConfigValue(3, FactoryConfiguration::DpiColorKey(7), value));
    EXPECT_EQ(value, "7");
    EXPECT_TRUE(db.GetConfigValue(1, "lightmode5_area2_rgb", value));
    EXPECT_EQ(value, "16776960");

    // A second start finds the profiles and adds nothing.
    CreateProfiles(kMouse);
    EXPECT_EQ(Rows("FROM t_profile_data"), 3);
    EXPECT_EQ(Rows("FROM t_configdata"), 165);
}

TEST_F(SettingsDatabaseTest, KeyboardSeedsProfileOneOnlyAndSettingMissingKeysStoresNothing) {
    CreateProfiles(kKeyboard);
    EXPECT_EQ(Rows("FROM t_configdata WHERE profile = 1"), 55);
    EXPECT_EQ(Rows("FROM t_configdata WHERE profile = 2"), 0);
    EXPECT_TRUE(db.SetConfigValue(2, "report_rate", "3"));
    std::string value = "stale";
    EXPECT_FALSE(db.GetConfigValue(2, "report_rate", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(db.SetConfigValue(1, "no_such_key", "1"));
    EXPECT_EQ(Rows("FROM t_configdata"), 55);
}

TEST_F(SettingsDatabaseTest, SetConfigValueChangesOnlyTheNamedProfile) {
    CreateProfiles(kMouse);
    EXPECT_TRUE(db.SetConfigValue(1, "report_rate", "2"));
    std::string value;
    ASSERT_TRUE(db.GetConfigValue(1, "report_rate", value));
    EXPECT_EQ(value, "2");
    for (int p : {2, 3}) {
        ASSERT_TRUE(db.GetConfigValue(p, "report_rate", value));
        EXPECT_EQ(value, "0");
    }
    // Seeding twice duplicates the keys; an update reaches every copy.
    db.WriteFactoryConfiguration(1);
    EXPECT_EQ(Rows("FROM t_configdata WHERE profile = 1"), 110);
    EXPECT_TRUE(db.SetConfigValue(1, "dpi_index", "4"));
    EXPECT_EQ(Rows("FROM t_configdata WHERE profile = 1 AND key = 'dpi_index' AND value = '4'"), 2);
}

TEST_F(SettingsDatabaseTest, ProfilesAddRenameDeleteAndActivate) {
    CreateProfiles(kMouse);
    ProfileRow row;
    row.name = "配置方案 4";
    row.app = "game.exe";
    row.status = 1; // ignored: new profiles start inactive
    row.type = 7;   // ignored
    int id = db.AddProfile(row);
    EXPECT_EQ(id, 4);
    std::vector<std::unique_ptr<ProfileRow>> list;
    ASSERT_EQ(db.LoadProfileList(list), 4);
    EXPECT_EQ(list[3]->name, "配置方案 4");
    EXPECT_EQ(list[3]->app, "game.exe");
    EXPECT_EQ(list[3]->status, 0);
    EXPECT_EQ(list[3]->type, 0);

    EXPECT_TRUE(db.SetActiveProfile(4));
    EXPECT_EQ(db.FindActiveProfile(), 4);
    EXPECT_EQ(Rows("FROM t_profile_data WHERE status = 1"), 1);

    EXPECT_TRUE(db.RenameProfile(2, "Work"));
    std::string name = "stale";
    EXPECT_TRUE(db.GetProfileName(2, name));
    EXPECT_EQ(name, "Work");
    EXPECT_TRUE(db.DeleteProfile(2));
    EXPECT_FALSE(db.GetProfileName(2, name));
    EXPECT_EQ(name, "");
    // Only the profile row goes.
    EXPECT_EQ(Rows("FROM t_configdata WHERE profile = 2"), 55);
}

TEST_F(SettingsDatabaseTest, KeyboardAssignmentsReplaceDeleteAndIgnoreKeyCodeZero) {
    KeyAssignmentRow out;
    out.keyId = -5;
    EXPECT_EQ(db.SaveKeyAssignment(Assignment(1, 0, 0, 3, 7)), 0);
    EXPECT_EQ(Rows("FROM t_key_macro_data"), 0);

    int first = db.SaveKeyAssignment(Assignment(1, 0, 4, 3, 7));
    EXPECT_GT(first, 0);
    int second = db.SaveKeyAssignment(Assignment(1, 0, 4, 2, 0, 65));
    EXPECT_GT(second, first);
    EXPECT_EQ(Rows("FROM t_key_macro_data"), 1);
    ASSERT_TRUE(db.GetKeyAssignment(1, 0, 4, out));
    EXPECT_EQ(out.keyId, second);
    EXPECT_EQ(out.macroType, 2);
    EXPECT_EQ(out.macroValue, 0);
    EXPECT_EQ(out.macroValue2, 65);
    EXPECT_EQ(out.macroValue3, 9);
    EXPECT_EQ(out.layoutDesc, "default");
    EXPECT_EQ(out.macroDesc, "assigned");

    // Other layers and profiles are separate rows.
    db.SaveKeyAssignment(Assignment(1, 1, 4, 3, 8));
    db.SaveKeyAssignment(Assignment(2, 0, 4, 3, 8));
    std::vector<std::unique_ptr<KeyAssignmentRow>> list;
    EXPECT_EQ(db.LoadKeyAssignments(1, 0, list), 1);

    // The default function is stored as no row.
    EXPECT_EQ(db.SaveKeyAssignment(Assignment(1, 0, 4, 1, 0, 0)), 0);
    KeyAssignmentRow untouched;
    untouched.keyId = 77;
    EXPECT_FALSE(db.GetKeyAssignment(1, 0, 4, untouched));
    EXPECT_EQ(untouched.keyId, 77);
    EXPECT_EQ(db.LoadKeyAssignments(1, 0, list), 0);
    EXPECT_TRUE(list.empty());

    EXPECT_TRUE(db.DeleteProfileKeyAssignments(1));
    EXPECT_EQ(Rows("FROM t_key_macro_data"), 1); // profile 2's row remains
}

TEST_F(SettingsDatabaseTest, ButtonAssignmentsStoreKeyCodeZeroAndReadLayerZero) {
    EXPECT_GT(db.SaveButtonAssignment(Assignment(1, 0, 0, 3, 5)), 0);
    KeyAssignmentRow out;
    ASSERT_TRUE(db.GetButtonAssignment(1, 0, out));
    EXPECT_EQ(out.macroValue, 5);

    db.SaveButtonAssignment(Assignment(1, 0, 209, 4, 1));
    db.SaveButtonAssignment(Assignment(1, 1, 210, 4, 2));
    EXPECT_FALSE(db.GetButtonAssignment(1, 210, out));
    std::vector<std::unique_ptr<KeyAssignmentRow>> list;
    EXPECT_EQ(db.LoadButtonAssignments(1, list), 2);
    EXPECT_EQ(db.LoadAllButtonAssignments(1, list), 3);
    EXPECT_EQ(db.LoadAllButtonAssignments(2, list), 0);
}

TEST_F(SettingsDatabaseTest, DeletingAMacroRemovesItsItemsAndKeyboardUsesButKeepsButtons) {
    for (int i = 1; i <= 7; ++i)
        ASSERT_EQ(db.CreateMacro("m" + std::to_string(i)), i);
    for (int macro : {6, 7})
        for (int i = 0; i < 3; ++i) {
            MacroItemRow item;
            item.macroId = macro;
            item.recordIndex = i;
            EXPECT_GT(db.AddMacroItem(item), 0);
        }
    db.SaveKeyAssignment(Assignment(1, 0, 4, 3, 7));
    db.SaveKeyAssignment(Assignment(1, 0, 5, 3, 6));
    db.SaveKeyAssignment(Assignment(1, 0, 6, 2, 7)); // a different type with the same value
    db.SaveButtonAssignment(Assignment(1, 0, 209, 3, 7));

    EXPECT_TRUE(db.DeleteMacro(7));
    MacroRow macro;
    EXPECT_FALSE(db.GetMacro(7, macro));
    EXPECT_EQ(Rows("FROM t_macrorecord WHERE macro_id = 7"), 0);
    EXPECT_EQ(Rows("FROM t_macrorecord WHERE macro_id = 6"), 3);
    KeyAssignmentRow out;
    EXPECT_FALSE(db.GetKeyAssignment(1, 0, 4, out));
    EXPECT_TRUE(db.GetKeyAssignment(1, 0, 5, out));
    EXPECT_TRUE(db.GetKeyAssignment(1, 0, 6, out));
    EXPECT_TRUE(db.GetButtonAssignment(1, 209, out));
}

TEST_F(SettingsDatabaseTest, MacrosKeepTheirFieldsAndItemsComeBackInRecordOrder) {
    int id = db.CreateMacro("Combo");
    MacroRow macro;
    ASSERT_TRUE(db.GetMacro(id, macro));
    EXPECT_EQ(macro.name, "Combo");
    EXPECT_EQ(macro.playTimes, 1);
    EXPECT_EQ(macro.delayType, 1);
    EXPECT_EQ(macro.delayTime, 0);
    EXPECT_EQ(macro.loopType, 0);

    macro.macroId = id;
    macro.playTimes = 5;
    macro.delayType = 2;
    macro.delayTime = 40;
    macro.loopType = 3;
    macro.linkCount = 99; // not part of the playback update
    EXPECT_TRUE(db.UpdateMacroPlayback(macro));
    EXPECT_TRUE(db.RenameMacro(id, "宏 1"));
    MacroRow back;
    ASSERT_TRUE(db.GetMacro(id, back));
    EXPECT_EQ(back.name, "宏 1");
    EXPECT_EQ(back.playTimes, 5);
    EXPECT_EQ(back.delayType, 2);
    EXPECT_EQ(back.delayTime, 40);
    EXPECT_EQ(back.loopType, 3);
    EXPECT_EQ(back.linkCount, 0);
    int times = 0;
    EXPECT_TRUE(db.GetMacroPlayTimes(id, times));
    EXPECT_EQ(times, 5);

    MacroRow full = back;
    full.linkCount = 2;
    int copy = db.AddMacro(full);
    ASSERT_TRUE(db.GetMacro(copy, back));
    EXPECT_EQ(back.linkCount, 2);
    std::vector<std::unique_ptr<MacroRow>> macros;
    EXPECT_EQ(db.LoadMacroList(macros), 2);

    std::vector<std::unique_ptr<MacroItemRow>> items;
    for (int index : {2, 0, 1}) {
        auto item = std::make_unique<MacroItemRow>();
        item->macroId = id;
        item->type = 1;
        item->recordIndex = index;
        item->value = 4 + index;
        item->delayTime = 10 * index;
        item->desc = "A" + std::to_string(index);
        items.push_back(std::move(item));
    }
    EXPECT_EQ(db.SaveMacroItems(std::move(items)), 3);
    std::vector<std::unique_ptr<MacroItemRow>> loaded;
    ASSERT_EQ(db.LoadMacroItems(id, loaded), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded[i]->recordIndex, i);
        EXPECT_EQ(loaded[i]->value, 4 + i);
        EXPECT_EQ(loaded[i]->delayTime, 10 * i);
        EXPECT_EQ(loaded[i]->desc, "A" + std::to_string(i));
    }
    EXPECT_TRUE(db.DeleteMacroItems(id));
    EXPECT_EQ(db.LoadMacroItems(id, loaded), 0);
}

TEST_F(SettingsDatabaseTest, ClearAllSettingsKeepsMacrosAndRestartsIds) {
    CreateProfiles(kMouse);
    int macro = db.CreateMacro("kept");
    MacroItemRow item;
    item.macroId = macro;
    db.AddMacroItem(item);
    db.SaveKeyAssignment(Assignment(1, 0, 4, 3, macro));
    db.SaveButtonAssignment(Assignment(1, 0, 209, 3, macro));
    db.AddKeyExtraData("d", "p", 1);
    LightRow light;
    light.profile = 1;
    db.AddLightRow(light);
    db.AddMusicLayer(1, "Music");

    db.ClearAllSettings();
    for (const char* table :
         {"t_configdata", "t_profile_data", "t_key_macro_data", "t_mousekey_macro_data",
          "t_key_otherdata", "t_light_data", "t_key_light_data", "t_musiclayer_data"})
        EXPECT_EQ(Rows(std::string("FROM ") + table), 0) << table;
    EXPECT_EQ(Rows("FROM t_macro_data"), 1);
    EXPECT_EQ(Rows("FROM t_macrorecord"), 1);

    ProfileRow row;
    row.name = "again";
    EXPECT_EQ(db.AddProfile(row), 1);
    // The kept macro's id is not handed out again.
    EXPECT_EQ(db.CreateMacro("next"), macro + 1);
}

TEST_F(SettingsDatabaseTest, LightRowsOneActiveModeInTheWholeTable) {
    for (int profile : {1, 2})
        for (int mode : {1, 2, 3}) {
            LightRow row;
            row.profile = profile;
            row.mode = mode;
            row.name = "mode " + std::to_string(mode);
            row.colorful = 7;
            row.colorValue = 0xFDA80F;
            EXPECT_GT(db.AddLightRow(row), 0);
        }
    EXPECT_EQ(db.CountLightRows(1), 3);
    EXPECT_EQ(db.CountLightRows(9), 0);
    EXPECT_TRUE(db.SetActiveLightMode(1, 2));
    EXPECT_TRUE(db.SetActiveLightMode(2, 3));
    EXPECT_EQ(Rows("FROM t_light_data WHERE status = 1"), 1);
    EXPECT_EQ(db.GetActiveLightMode(2), 3);
    EXPECT_EQ(db.GetActiveLightMode(1), 0);

    LightRow change;
    change.brightness = 4;
    change.speed = 3;
    change.direction = 1;
    change.colorful = 0;
    change.colorIndex = 2;
    change.colorValue = 0x123456;
    change.configFunc = 0x21;
    change.reserved = 5;
    change.status = 0; // not part of the update
    EXPECT_TRUE(db.UpdateLightRow(2, 3, change));
    LightRow out;
    ASSERT_TRUE(db.GetLightRow(2, 3, out));
    EXPECT_EQ(out.name, "mode 3");
    EXPECT_EQ(out.brightness, 4);
    EXPECT_EQ(out.speed, 3);
    EXPECT_EQ(out.direction, 1);
    EXPECT_EQ(out.colorIndex, 2);
    EXPECT_EQ(out.colorValue, 0x123456);
    EXPECT_EQ(out.configFunc, 0x21);
    EXPECT_EQ(out.reserved, 5);
    EXPECT_EQ(out.status, 1);
    std::vector<std::unique_ptr<LightRow>> rows;
    EXPECT_EQ(db.LoadLightRows(1, rows), 3);
    EXPECT_EQ(rows[1]->mode, 2);
}

TEST_F(SettingsDatabaseTest, KeyColoursExtraDataAndMusicLayer) {
    std::vector<std::unique_ptr<KeyLightRow>> colours;
    for (int key : {4, 5, 6}) {
        auto row = std::make_unique<KeyLightRow>();
        row->profile = 1;
        row->lightId = 128;
        row->keyCode = key;
        row->keyRgb = key * 1000;
        colours.push_back(std::move(row));
    }
    EXPECT_EQ(db.SaveKeyColours(std::move(colours)), 3);
    std::vector<std::unique_ptr<KeyLightRow>> loaded;
    ASSERT_EQ(db.LoadKeyColours(128, loaded), 3);
    EXPECT_EQ(loaded[2]->keyRgb, 6000);
    EXPECT_TRUE(db.DeleteKeyColours(128));
    EXPECT_EQ(db.LoadKeyColours(128, loaded), 0);

    std::string desc = "keep", param = "keep";
    int type = -1;
    EXPECT_TRUE(db.GetKeyExtraData(42, desc, param, type));
    EXPECT_EQ(desc, "keep");
    EXPECT_EQ(type, -1);
    int id = db.AddKeyExtraData("Open", "https://example.org/ü", 3);
    EXPECT_GE(id, 1);
    EXPECT_TRUE(db.GetKeyExtraData(id, desc, param, type));
    EXPECT_EQ(desc, "Open");
    EXPECT_EQ(param, "https://example.org/ü");
    EXPECT_EQ(type, 3);

    EXPECT_EQ(db.CountMusicLayers(1), 0);
    EXPECT_EQ(db.AddMusicLayer(1, "Music"), 1);
    MusicLayerRow layer;
    ASSERT_TRUE(db.GetMusicLayer(1, layer));
    EXPECT_EQ(layer.profile, 1);
    EXPECT_EQ(layer.foreMode, 13);
    EXPECT_EQ(layer.foreAmplitude, 300);
    EXPECT_EQ(layer.backBright, 100);
    layer.layerId = 5; // the update always names layer 1
    layer.foreMode = 2;
    layer.backBright = 40;
    EXPECT_TRUE(db.UpdateMusicLayer(layer));
    ASSERT_TRUE(db.GetMusicLayer(1, layer));
    EXPECT_EQ(layer.foreMode, 2);
    EXPECT_EQ(layer.backBright, 40);
}

TEST_F(SettingsDatabaseTest, ListOperationsEmptyTheCallersVectorFirst) {
    std::vector<std::unique_ptr<ProfileRow>> list;
    list.push_back(std::make_unique<ProfileRow>());
    list.push_back(std::make_unique<ProfileRow>());
    EXPECT_EQ(db.LoadProfileList(list), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(SettingsDatabaseTest, SecondOpenOfAnOpenFileKeepsTheConnection) {
    sqlite3* before = db.Handle();
    EXPECT_TRUE(db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    EXPECT_EQ(db.Handle(), before);
    EXPECT_TRUE(db.CreateSettingsSchema());
    EXPECT_TRUE(db.CloseSettingsDatabase());
    EXPECT_FALSE(db.IsOpen());
}

TEST_F(SettingsDatabaseTest, MissingTableStaysMissingAndFailsQuietly) {
    CreateProfiles(kMouse);
    db.CloseSettingsDatabase();
    db.SetOpenFlag(false);
    ASSERT_TRUE(Exec(DatabaseFile(), "DROP TABLE t_macro_data"));

    SettingsDatabase again;
    EXPECT_TRUE(again.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    int result = again.CreateMacro("x");
    EXPECT_EQ(result, SQLITE_MISUSE); // preparation failed, the step had nothing to run
    std::vector<std::unique_ptr<MacroRow>> macros;
    macros.push_back(std::make_unique<MacroRow>());
    EXPECT_EQ(again.LoadMacroList(macros), 0);
    EXPECT_TRUE(macros.empty());
    EXPECT_FALSE(again.DeleteMacro(1));
    EXPECT_EQ(Rows("FROM sqlite_master WHERE name = 't_macro_data'"), 0);
    // The other tables keep working.
    std::string value;
    EXPECT_TRUE(again.GetConfigValue(1, "dpi_index", value));
    EXPECT_EQ(value, "1");
}

TEST_F(SettingsDatabaseTest, ZeroByteFileIsTreatedAsNew) {
    db.CloseSettingsDatabase();
    std::filesystem::remove(DatabaseFile());
    WriteFile(DatabaseFile(), "");
    SettingsDatabase again;
    EXPECT_TRUE(again.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    EXPECT_EQ(Rows("FROM sqlite_master WHERE type = 'table' AND name LIKE 't_%'"), 10);
}

TEST_F(SettingsDatabaseTest, OpenAndClearEmptiesTheSettings) {
    CreateProfiles(kMouse);
    db.CloseSettingsDatabase();
    SettingsDatabase again;
    EXPECT_TRUE(again.OpenSettingsDatabaseAndClear(DataFolder(), SettingsDatabase::kDeviceName));
    EXPECT_EQ(Rows("FROM t_profile_data"), 0);
    EXPECT_EQ(Rows("FROM t_configdata"), 0);
}

TEST_F(SettingsDatabaseTest, ClosedStoreFailsEveryOperationQuietly) {
    SettingsDatabase closed;
    EXPECT_FALSE(closed.OpenSettingsDatabase(Folder() + "nowhere/", SettingsDatabase::kDeviceName));
    EXPECT_FALSE(closed.IsSettingsOpen());
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(closed.CreateMacro("m"), SQLITE_MISUSE);
    EXPECT_EQ(closed.AddMusicLayer(1, "Music"), SQLITE_MISUSE);
    MacroItemRow item;
    EXPECT_EQ(closed.AddMacroItem(item), SQLITE_MISUSE);
    ProfileRow profile;
    EXPECT_EQ(closed.AddProfile(profile), 0);
    EXPECT_FALSE(closed.SetConfigValue(1, "dpi_index", "2"));
    std::string value = "stale";
    EXPECT_FALSE(closed.GetConfigValue(1, "dpi_index", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(closed.FindActiveProfile(), 0);
    EXPECT_EQ(closed.SaveMacroItems({}), 0);
    std::vector<std::unique_ptr<ProfileRow>> list;
    EXPECT_EQ(ProfileDefaults::LoadOrCreateProfiles(closed, "Profile", kMouse, list), 0);
    closed.ClearAllSettings();
}

TEST(ProfileDefaultsTest, DefaultNamesShowInTheCurrentLanguage) {
    EXPECT_EQ(ProfileDefaults::DisplayName("Profile 2", 2052, "配置方案"), "配置方案 2");
    EXPECT_EQ(ProfileDefaults::DisplayName("配置方案 3", 1033, "Profile"), "Profile 3");
    // Exact, case-sensitive prefix; other languages and names are left alone.
    EXPECT_EQ(ProfileDefaults::DisplayName("profile 2", 2052, "配置方案"), "profile 2");
    EXPECT_EQ(ProfileDefaults::DisplayName("Profile 2", 1033, "Profile"), "Profile 2");
    EXPECT_EQ(ProfileDefaults::DisplayName("Profile 2", 1031, "Profil"), "Profile 2");
    EXPECT_EQ(ProfileDefaults::DisplayName("Gaming", 2052, "配置方案"), "Gaming");
}

namespace {

// The data statements; the transaction around a replace is checked elsewhere.
int CollectStatement(unsigned type, void* context, void* statement, void*) {
    if (type != SQLITE_TRACE_STMT) return 0;
    std::string sql = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
    if (sql != "BEGIN" && sql != "END" && sql != "ROLLBACK")
        static_cast<std::vector<std::string>*>(context)->push_back(sql);
    return 0;
}

} // namespace

TEST_F(SettingsDatabaseTest, StatementsWithTabsAndRunsOfSpacesAreSentAsWritten) {
    std::vector<std::string> seen;
    sqlite3_trace_v2(db.Handle(), SQLITE_TRACE_STMT, CollectStatement, &seen);
    db.SaveKeyAssignment(Assignment(1, 0, 4, 3, 1));
    db.SaveButtonAssignment(Assignment(1, 0, 209, 3, 1));
    LightRow light;
    light.profile = 1;
    light.mode = 1;
    db.AddLightRow(light);
    db.UpdateLightRow(1, 1, light);
    MacroRow macro;
    macro.macroId = db.CreateMacro("m");
    db.UpdateMacroPlayback(macro);
    MacroItemRow item;
    db.AddMacroItem(item);
    db.AddMusicLayer(1, "Music");
    db.UpdateMusicLayer(MusicLayerRow());
    sqlite3_trace_v2(db.Handle(), 0, nullptr, nullptr);

    // clang-format off
    const std::vector<std::string> expected = {
        "DELETE FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?",
        "INSERT INTO t_key_macro_data(profile, fn_layer, key_code, layout_value, layout_desc,                     macro_type, macro_value, macro_value2, macro_value3, macro_desc) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);",
        "DELETE FROM t_mousekey_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?",
        "INSERT INTO t_mousekey_macro_data(profile, fn_layer, key_code, layout_value, layout_desc,                     macro_type, macro_value, macro_value2, macro_value3, macro_desc) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);",
        "INSERT INTO t_light_data(profile, name, mode, brightness, speed, direction, \t\t\t\t\t colorful, colorindex, color_value, config_func, reserved, status) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);",
        "UPDATE t_light_data SET brightness = ?, speed = ?, direction = ?, colorful = ?, colorindex = ?,\t\t\t color_value = ?, config_func = ?, reserved = ? WHERE profile = ? AND mode = ?",
        "INSERT INTO t_macro_data(play_times, delay_type, delay_time, link_count, loop_type, name) VALUES (?, ?, ?, ?, ?, ?);",
        "UPDATE t_macro_data SET play_times = ?, delay_type = ?, \t\t\t\t\t delay_time = ?, loop_type = ? WHERE macro_id = ?",
        "INSERT INTO t_macrorecord(macro_id, type, record_index, desc, value, delay_time) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?);",
        "INSERT INTO t_musiclayer_data(profile, name, deviceindex, foremode, fore_amplitude, backmode, backb_right, sel) \t\t\t\t\t\t\t\t\t\t\t\t\tVALUES (?, ?, ?, ?, ?, ?, ?, ?);",
        "UPDATE t_musiclayer_data SET deviceindex= ?, foremode= ?, fore_amplitude = ?, backmode= ?, backb_right= ? WHERE layer_id = ?",
    };
    // clang-format on
    EXPECT_EQ(seen, expected);
}
