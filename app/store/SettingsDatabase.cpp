#include "app/store/SettingsDatabase.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>
#include <thread>

#include "app/store/FactoryConfiguration.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SQLiteAutoTransaction.h"
#include "app/store/SQLiteStatement.h"

namespace {

// The statement texts are stored verbatim in sqlite_master (schema) and are kept byte for byte,
// tabs included, so that databases written by every version compare equal.
// clang-format off
constexpr const char* kCreateConfigData =
    "CREATE TABLE IF NOT EXISTS t_configdata(config_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  profile INTEGER, key TEXT, value TEXT)";
constexpr const char* kCreateProfileData =
    "CREATE TABLE IF NOT EXISTS t_profile_data(profile INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  name TEXT, status INTEGER, app TEXT, type INTEGER)";
constexpr const char* kIndexProfile =
    "CREATE INDEX IF NOT EXISTS profileindex ON t_profile_data(profile)";
constexpr const char* kCreateKeyMacroData =
    "CREATE TABLE IF NOT EXISTS t_key_macro_data(key_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\tprofile INTEGER, fn_layer INTEGER, key_code INTEGER, layout_value INTEGER, layout_desc TEXT, \t\t\t\t\t\t\t\tmacro_type INTEGER, macro_value INTEGER, macro_value2 INTEGER, macro_value3 INTEGER, macro_desc TEXT)";
constexpr const char* kIndexKey =
    "CREATE INDEX IF NOT EXISTS keyindex ON t_key_macro_data(key_id)";
constexpr const char* kCreateMouseKeyMacroData =
    "CREATE TABLE IF NOT EXISTS t_mousekey_macro_data(key_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\tprofile INTEGER, fn_layer INTEGER, key_code INTEGER, layout_value INTEGER, layout_desc TEXT, \t\t\t\t\t\t\t\tmacro_type INTEGER, macro_value INTEGER, macro_value2 INTEGER, macro_value3 INTEGER, macro_desc TEXT)";
constexpr const char* kIndexMouseKey =
    "CREATE INDEX IF NOT EXISTS mousekeyindex ON t_mousekey_macro_data(key_id)";
constexpr const char* kCreateKeyOtherData =
    "CREATE TABLE IF NOT EXISTS t_key_otherdata(macro_value INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  macro_desc TEXT, param TEXT, type INTEGER)";
constexpr const char* kIndexOtherId =
    "CREATE INDEX IF NOT EXISTS otheridindex ON t_key_otherdata(macro_value)";
constexpr const char* kCreateMacroData =
    "CREATE TABLE IF NOT EXISTS t_macro_data(macro_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  play_times INTEGER, delay_type INTEGER, delay_time INTEGER, link_count INTEGER, loop_type INTEGER, name TEXT)";
constexpr const char* kIndexMacroId =
    "CREATE INDEX IF NOT EXISTS macroidindex ON t_macro_data(macro_id)";
constexpr const char* kCreateMacroRecord =
    "CREATE TABLE IF NOT EXISTS t_macrorecord(record_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t  macro_id INTEGER, type INTEGER, record_index INTEGER, desc TEXT, value INTEGER, delay_time INTEGER)";
constexpr const char* kIndexMacroRecord =
    "CREATE INDEX IF NOT EXISTS macrorecordindex ON t_macrorecord(record_id)";
constexpr const char* kCreateLightData =
    "CREATE TABLE IF NOT EXISTS t_light_data(light_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t\t\t  profile INTEGER, name TEXT, mode INTEGER, brightness INTEGER, speed INTEGER, \t\t\t\t\t\t\t\t\t\tdirection INTEGER, colorful INTEGER, colorindex INTEGER, \t\t\t\t\t\t\t\t\t\tcolor_value INTEGER, config_func INTEGER, reserved INTEGER, status INTEGER)";
constexpr const char* kIndexLight =
    "CREATE INDEX IF NOT EXISTS lightindex ON t_light_data(light_id)";
constexpr const char* kCreateKeyLightData =
    "CREATE TABLE IF NOT EXISTS t_key_light_data(keylight_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, light_id INTEGER, key_code INTEGER, key_rgb INTEGER)";
constexpr const char* kIndexKeyLight =
    "CREATE INDEX IF NOT EXISTS keylightindex ON t_key_light_data(keylight_id)";
constexpr const char* kCreateMusicLayerData =
    "CREATE TABLE IF NOT EXISTS t_musiclayer_data(layer_id INTEGER PRIMARY KEY AUTOINCREMENT, \t\t\t\t\t\t\t\t   profile INTEGER, name TEXT, deviceindex INTEGER, foremode INTEGER, fore_amplitude INTEGER,\t\t\t\t\t\t\t\t   backmode INTEGER, backb_right INTEGER, sel INTEGER)";
constexpr const char* kIndexMusicLayer =
    "CREATE INDEX IF NOT EXISTS musiclayerindex ON t_musiclayer_data(layer_id)";
constexpr const char* kSelectConfigValue =
    "SELECT value FROM t_configdata WHERE profile = ? and key = ?";
constexpr const char* kUpdateConfigValue =
    "UPDATE t_configdata SET value = ? WHERE profile = ? and key = ?";
constexpr const char* kInsertProfile =
    "INSERT INTO t_profile_data(name, status, app, type) VALUES (?, ?, ?, ?);";
constexpr const char* kDeleteProfile =
    "DELETE FROM t_profile_data WHERE profile = ?";
constexpr const char* kRenameProfile =
    "UPDATE t_profile_data SET name = ? WHERE profile = ?";
constexpr const char* kSelectProfileName =
    "SELECT name FROM t_profile_data WHERE profile = ?";
constexpr const char* kSelectProfiles =
    "SELECT * FROM t_profile_data";
constexpr const char* kClearProfileStatus =
    "UPDATE t_profile_data SET status = ?";
constexpr const char* kSetProfileStatus =
    "UPDATE t_profile_data SET status = ? WHERE profile = ?";
constexpr const char* kSelectActiveProfile =
    "SELECT profile FROM t_profile_data WHERE status = ?";
constexpr const char* kDeleteKeyAssignment =
    "DELETE FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?";
constexpr const char* kInsertKeyAssignment =
    "INSERT INTO t_key_macro_data(profile, fn_layer, key_code, layout_value, layout_desc,                     macro_type, macro_value, macro_value2, macro_value3, macro_desc) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char* kSelectKeyAssignment =
    "SELECT * FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?";
constexpr const char* kSelectKeyAssignments =
    "SELECT * FROM t_key_macro_data WHERE profile = ? and fn_layer = ?";
constexpr const char* kDeleteProfileKeyAssignments =
    "DELETE FROM t_key_macro_data WHERE profile = ?";
constexpr const char* kDeleteButtonAssignment =
    "DELETE FROM t_mousekey_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?";
constexpr const char* kInsertButtonAssignment =
    "INSERT INTO t_mousekey_macro_data(profile, fn_layer, key_code, layout_value, layout_desc,                     macro_type, macro_value, macro_value2, macro_value3, macro_desc) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char* kSelectButtonAssignment =
    "SELECT * FROM t_mousekey_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?";
constexpr const char* kSelectButtonAssignments =
    "SELECT * FROM t_mousekey_macro_data WHERE profile = ? and fn_layer = ?";
constexpr const char* kSelectAllButtonAssignments =
    "SELECT * FROM t_mousekey_macro_data WHERE profile = ?";
constexpr const char* kInsertKeyExtraData =
    "INSERT INTO t_key_otherdata(macro_desc, param, type) VALUES (?, ?, ?);";
constexpr const char* kSelectKeyExtraData =
    "SELECT macro_desc, param, type FROM t_key_otherdata WHERE macro_value = ?";
constexpr const char* kCountLightRows =
    "select count(*) FROM t_light_data WHERE profile = ?";
constexpr const char* kInsertLightRow =
    "INSERT INTO t_light_data(profile, name, mode, brightness, speed, direction, \t\t\t\t\t colorful, colorindex, color_value, config_func, reserved, status) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char* kUpdateLightRow =
    "UPDATE t_light_data SET brightness = ?, speed = ?, direction = ?, colorful = ?, colorindex = ?,\t\t\t color_value = ?, config_func = ?, reserved = ? WHERE profile = ? AND mode = ?";
constexpr const char* kClearLightStatus =
    "UPDATE t_light_data SET status = ?";
constexpr const char* kSetLightStatus =
    "UPDATE t_light_data SET status = ? WHERE profile = ? and mode = ?";
constexpr const char* kSelectActiveLightMode =
    "SELECT mode FROM t_light_data WHERE profile = ? and status = ?";
constexpr const char* kSelectLightRow =
    "SELECT * FROM t_light_data WHERE profile = ? AND mode = ?";
constexpr const char* kSelectLightRows =
    "SELECT * FROM t_light_data WHERE profile = ?";
constexpr const char* kInsertKeyColour =
    "INSERT INTO t_key_light_data(profile, light_id, key_code, key_rgb) VALUES (?, ?, ?, ?);";
constexpr const char* kDeleteKeyColours =
    "DELETE FROM t_key_light_data WHERE light_id = ?";
constexpr const char* kSelectKeyColours =
    "SELECT * FROM t_key_light_data WHERE light_id = ?";
constexpr const char* kInsertMacro =
    "INSERT INTO t_macro_data(play_times, delay_type, delay_time, link_count, loop_type, name) VALUES (?, ?, ?, ?, ?, ?);";
constexpr const char* kRenameMacro =
    "UPDATE t_macro_data SET name = ? WHERE macro_id = ?";
constexpr const char* kUpdateMacroPlayback =
    "UPDATE t_macro_data SET play_times = ?, delay_type = ?, \t\t\t\t\t delay_time = ?, loop_type = ? WHERE macro_id = ?";
constexpr const char* kDeleteMacro =
    "DELETE FROM t_macro_data WHERE macro_id = ?";
constexpr const char* kDeleteKeysPlayingMacro =
    "DELETE FROM t_key_macro_data WHERE macro_type = ? and macro_value = ?";
constexpr const char* kSelectMacroPlayTimes =
    "SELECT play_times FROM t_macro_data WHERE macro_id = ?";
constexpr const char* kSelectMacro =
    "SELECT * FROM t_macro_data WHERE macro_id = ?";
constexpr const char* kSelectMacros =
    "SELECT * FROM t_macro_data";
constexpr const char* kInsertMacroItem =
    "INSERT INTO t_macrorecord(macro_id, type, record_index, desc, value, delay_time) \t\t\t\t\t VALUES (?, ?, ?, ?, ?, ?);";
constexpr const char* kSelectMacroItems =
    "SELECT * FROM t_macrorecord WHERE macro_id = ? ORDER BY record_index ASC";
constexpr const char* kDeleteMacroItems =
    "DELETE FROM t_macrorecord WHERE macro_id = ?";
constexpr const char* kCountMusicLayers =
    "select count(*) FROM t_musiclayer_data WHERE profile = ?";
constexpr const char* kInsertMusicLayer =
    "INSERT INTO t_musiclayer_data(profile, name, deviceindex, foremode, fore_amplitude, backmode, backb_right, sel) \t\t\t\t\t\t\t\t\t\t\t\t\tVALUES (?, ?, ?, ?, ?, ?, ?, ?);";
constexpr const char* kSelectMusicLayer =
    "SELECT * FROM t_musiclayer_data WHERE layer_id = ?";
constexpr const char* kUpdateMusicLayer =
    "UPDATE t_musiclayer_data SET deviceindex= ?, foremode= ?, fore_amplitude = ?, backmode= ?, backb_right= ? WHERE layer_id = ?";
constexpr const char* kClearConfigData =
    "DELETE FROM t_configdata";
constexpr const char* kClearProfileData =
    "DELETE FROM t_profile_data";
constexpr const char* kClearKeyMacroData =
    "DELETE FROM t_key_macro_data";
constexpr const char* kClearMouseKeyMacroData =
    "DELETE FROM t_mousekey_macro_data";
constexpr const char* kClearKeyOtherData =
    "DELETE FROM t_key_otherdata";
constexpr const char* kClearLightData =
    "DELETE FROM t_light_data";
constexpr const char* kClearKeyLightData =
    "DELETE FROM t_key_light_data";
constexpr const char* kClearMusicLayerData =
    "DELETE FROM t_musiclayer_data";
constexpr const char* kClearSequence =
    "DELETE FROM sqlite_sequence";
constexpr const char* kInsertConfigValue =
    "INSERT INTO t_configdata(profile, key, value) VALUES (?, ?, ?);";
constexpr const char* kCountSchemaObjects =
    "SELECT count(*) FROM sqlite_master";
constexpr const char* kQuickCheck =
    "PRAGMA quick_check";
// clang-format on

bool Succeeded(int rc) {
    return rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE;
}

std::string Text(SQLiteStatement& s, int column) {
    const char* text = s.ColumnText(column);
    return text ? std::string(text) : std::string();
}

int BindString(SQLiteStatement& s, int index, const std::string& text) {
    return s.BindText(index, text.data(), static_cast<int>(text.size()));
}

void ReadProfile(SQLiteStatement& s, ProfileRow& r) {
    r.profile = s.ColumnInt(0);
    r.name = Text(s, 1);
    r.status = s.ColumnInt(2);
    r.app = Text(s, 3);
    r.type = s.ColumnInt(4);
}

void ReadKeyAssignment(SQLiteStatement& s, KeyAssignmentRow& r) {
    r.keyId = s.ColumnInt(0);
    r.profile = s.ColumnInt(1);
    r.fnLayer = s.ColumnInt(2);
    r.keyCode = s.ColumnInt(3);
    r.layoutValue = s.ColumnInt(4);
    r.layoutDesc = Text(s, 5);
    r.macroType = s.ColumnInt(6);
    r.macroValue = s.ColumnInt(7);
    r.macroValue2 = s.ColumnInt(8);
    r.macroValue3 = s.ColumnInt(9);
    r.macroDesc = Text(s, 10);
}

void ReadMacro(SQLiteStatement& s, MacroRow& r) {
    r.macroId = s.ColumnInt(0);
    r.playTimes = s.ColumnInt(1);
    r.delayType = s.ColumnInt(2);
    r.delayTime = s.ColumnInt(3);
    r.linkCount = s.ColumnInt(4);
    r.loopType = s.ColumnInt(5);
    r.name = Text(s, 6);
}

void ReadMacroItem(SQLiteStatement& s, MacroItemRow& r) {
    r.recordId = s.ColumnInt(0);
    r.macroId = s.ColumnInt(1);
    r.type = s.ColumnInt(2);
    r.recordIndex = s.ColumnInt(3);
    r.desc = Text(s, 4);
    r.value = s.ColumnInt(5);
    r.delayTime = s.ColumnInt(6);
}

void ReadLight(SQLiteStatement& s, LightRow& r) {
    r.lightId = s.ColumnInt(0);
    r.profile = s.ColumnInt(1);
    r.name = Text(s, 2);
    r.mode = s.ColumnInt(3);
    r.brightness = s.ColumnInt(4);
    r.speed = s.ColumnInt(5);
    r.direction = s.ColumnInt(6);
    r.colorful = s.ColumnInt(7);
    r.colorIndex = s.ColumnInt(8);
    r.colorValue = s.ColumnInt(9);
    r.configFunc = s.ColumnInt(10);
    r.reserved = s.ColumnInt(11);
    r.status = s.ColumnInt(12);
}

void ReadKeyLight(SQLiteStatement& s, KeyLightRow& r) {
    r.keyLightId = s.ColumnInt(0);
    r.profile = s.ColumnInt(1);
    r.lightId = s.ColumnInt(2);
    r.keyCode = s.ColumnInt(3);
    r.keyRgb = s.ColumnInt(4);
}

void ReadMusicLayer(SQLiteStatement& s, MusicLayerRow& r) {
    r.layerId = s.ColumnInt(0);
    r.profile = s.ColumnInt(1);
    r.name = Text(s, 2);
    r.deviceIndex = s.ColumnInt(3);
    r.foreMode = s.ColumnInt(4);
    r.foreAmplitude = s.ColumnInt(5);
    r.backMode = s.ColumnInt(6);
    r.backBright = s.ColumnInt(7);
    r.sel = s.ColumnInt(8);
}

// The outcome of the last data operation of this thread (see LastResult).
thread_local int tLastResult = SQLITE_OK;
thread_local std::string tLastMessage;

bool IsBusy(int rc) {
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

void BindAssignment(SQLiteStatement& s, const KeyAssignmentRow& row) {
    s.BindInt(1, row.profile);
    s.BindInt(2, row.fnLayer);
    s.BindInt(3, row.keyCode);
    s.BindInt(4, row.layoutValue);
    BindString(s, 5, row.layoutDesc);
    s.BindInt(6, row.macroType);
    s.BindInt(7, row.macroValue);
    s.BindInt(8, row.macroValue2);
    s.BindInt(9, row.macroValue3);
    BindString(s, 10, row.macroDesc);
}

} // namespace

SettingsDatabase& SettingsDatabase::Instance() {
    static SettingsDatabase instance;
    return instance;
}

SettingsDatabase::SettingsDatabase() {
    // No key material is ever used.
    key_.clear();
    rekey_.clear();
}

SettingsDatabase::~SettingsDatabase() {
    if (openFlag_) {
        Close();
        openFlag_ = 0;
    }
}

// --- outcome tracking and transactions ---

int SettingsDatabase::LastResult() {
    return tLastResult;
}

const std::string& SettingsDatabase::LastMessage() {
    return tLastMessage;
}

void SettingsDatabase::SetLastResult(int rc, const std::string& message) {
    tLastResult = rc;
    tLastMessage = rc == SQLITE_OK ? std::string() : message;
}

std::unique_lock<std::recursive_mutex> SettingsDatabase::Enter() {
    std::unique_lock<std::recursive_mutex> lock(criticalSection_);
    SetLastResult(SQLITE_OK, std::string());
    return lock;
}

int SettingsDatabase::Note(int rc) {
    if (Succeeded(rc)) return rc;
    // The first failure is the one that explains the others.
    if (tLastResult == SQLITE_OK) SetLastResult(rc, IsOpen() ? ErrorMessage() : "no connection");
    if (transactionDepth_ > 0 && transactionResult_ == SQLITE_OK) transactionResult_ = rc;
    return rc;
}

int SettingsDatabase::PrepareNoted(SQLiteStatement& statement, const char* sql) {
    int rc = Prepare(statement, sql);
    if (rc != SQLITE_OK) Note(rc);
    return rc;
}

int SettingsDatabase::Step(SQLiteStatement& statement) {
    return Note(statement.Step());
}

bool SettingsDatabase::StepDone(SQLiteStatement& statement) {
    return Succeeded(Step(statement));
}

int SettingsDatabase::StepRow(SQLiteStatement& statement) {
    int rc = statement.Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) Note(rc);
    return rc;
}

template <typename Row, typename Reader>
int SettingsDatabase::CollectRows(SQLiteStatement& s, std::vector<std::unique_ptr<Row>>& list,
                                  Reader read) {
    int rc;
    while ((rc = StepRow(s)) == SQLITE_ROW) {
        auto row = std::make_unique<Row>();
        read(s, *row);
        list.push_back(std::move(row));
    }
    // A read that broke off is not a short list: the caller must not act on it.
    if (rc != SQLITE_DONE) list.clear();
    return static_cast<int>(list.size());
}

bool SettingsDatabase::RunInTransaction(const std::function<bool()>& body) {
    auto lock = Lock();
    if (transactionDepth_ > 0) {
        // Joins the caller's transaction, which rolls back when this part failed.
        bool ok = body();
        if (!ok && transactionResult_ == SQLITE_OK) transactionRefused_ = true;
        return ok && transactionResult_ == SQLITE_OK;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeout());
    std::minstd_rand jitter(
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (;;) {
        SetLastResult(SQLITE_OK, std::string());
        transactionResult_ = SQLITE_OK;
        transactionRefused_ = false;
        SQLiteAutoTransaction transaction(this);
        if (transaction.BeginResult() != SQLITE_OK) {
            int rc = IsOpen() ? transaction.BeginResult() : SQLITE_MISUSE;
            std::string message = IsOpen() ? ErrorMessage() : "no connection";
            transaction.Rollback();
            SetLastResult(rc, message);
            return false;
        }
        ++transactionDepth_;
        bool ok = body();
        --transactionDepth_;
        int failed = transactionResult_;
        std::string message = tLastMessage;
        if (ok && failed == SQLITE_OK && !transactionRefused_) {
            if (transaction.End()) {
                SetLastResult(SQLITE_OK, std::string());
                return true;
            }
            // END that failed (busy past the time-out) leaves the transaction open.
            failed = ErrorCode();
            if (failed == SQLITE_OK) failed = SQLITE_ERROR;
            message = ErrorMessage();
        }
        transaction.Rollback();
        // A reader that wants to write cannot wait for another writer inside its transaction
        // (SQLite answers busy at once to avoid a deadlock): start again from the beginning.
        if (IsBusy(failed) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2 + jitter() % 15));
            continue;
        }
        SetLastResult(failed, message);
        return false;
    }
}

bool SettingsDatabase::QuickCheck(std::string* problem) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kQuickCheck);
    int rc = StepRow(s);
    std::string first = rc == SQLITE_ROW ? Text(s, 0) : std::string();
    if (problem) *problem = rc == SQLITE_ROW ? first : LastMessage();
    return rc == SQLITE_ROW && first == "ok";
}

const std::vector<std::string>& SettingsDatabase::SchemaStatements() {
    static const std::vector<std::string> statements = {
        kCreateConfigData, kCreateProfileData,       kIndexProfile,    kCreateKeyMacroData,
        kIndexKey,         kCreateMouseKeyMacroData, kIndexMouseKey,   kCreateKeyOtherData,
        kIndexOtherId,     kCreateMacroData,         kIndexMacroId,    kCreateMacroRecord,
        kIndexMacroRecord, kCreateLightData,         kIndexLight,      kCreateKeyLightData,
        kIndexKeyLight,    kCreateMusicLayerData,    kIndexMusicLayer,
    };
    return statements;
}

bool SettingsDatabase::OpenSettingsDatabase(const std::string& folder,
                                            const std::string& deviceName) {
    SetLastResult(SQLITE_OK, std::string());
    databasePath_ = folder + "db/" + deviceName + "_data_v7.db";
    std::error_code ec;
    bool exists = std::filesystem::exists(databasePath_, ec);
    // A zero-byte file is what an interrupted first start leaves behind (SQLite creates the
    // file before the first table is written). It holds nothing, so it is treated as new;
    // otherwise the store would stay without tables for good.
    if (exists && std::filesystem::is_regular_file(databasePath_, ec) &&
        std::filesystem::file_size(databasePath_, ec) == 0 && !ec)
        exists = false;
    bool result;
    if (exists && IsOpen()) {
        result = true;
    } else if (exists) {
        result = Open(databasePath_.c_str(), key_, kOpenExisting);
        if (!result) {
            SetLastResult(SQLITE_CANTOPEN, "unable to open database file");
        } else {
            // A first start killed after SQLite had written pages rolls back to a file without
            // a single table: that is a new store, not a damaged one. (A file that cannot be
            // read at all is left alone; the first operation reports why.)
            auto lock = Enter();
            SQLiteStatement s;
            // Reading the schema for the statement is where a busy file shows first.
            int rc = PrepareNoted(s, kCountSchemaObjects);
            if (rc == SQLITE_OK) rc = StepRow(s);
            if (rc == SQLITE_ROW && s.ColumnInt(0) == 0) {
                s.Finalize();
                result = BuildSchema();
                if (!result) Close();
            } else if (IsBusy(rc)) {
                // Still busy after the time-out: say so now rather than wait again per read.
                s.Finalize();
                Close();
                result = false;
            }
        }
    } else {
        result = CreateSettingsSchema();
    }
    openFlag_ = result ? 1 : 0;
    return result;
}

bool SettingsDatabase::OpenSettingsDatabaseAndClear(const std::string& folder,
                                                    const std::string& deviceName) {
    bool result = OpenSettingsDatabase(folder, deviceName);
    ClearAllSettings();
    return result;
}

bool SettingsDatabase::CreateSettingsSchema() {
    if (IsOpen()) return true;
    if (!Open(databasePath_.c_str(), key_, kOpenCreate)) {
        SetLastResult(SQLITE_CANTOPEN, "unable to open database file");
        return false;
    }
    bool ok = BuildSchema();
    // Closed again so that the next open creates the store instead of taking a connection to
    // a file without tables for an open store.
    if (!ok) Close();
    return ok;
}

bool SettingsDatabase::BuildSchema() {
    const auto& statements = SchemaStatements();
    // One transaction: whatever is killed when, the file has no table or all of them (and,
    // when the word for "profile" is known, the initial profiles too).
    return RunInTransaction([&] {
        for (const auto& sql : statements)
            if (Note(Execute(sql.c_str())) != SQLITE_OK) return false;
        if (initialProfileWord_.empty()) return true;
        return ProfileDefaults::CreateInitialProfiles(*this, initialProfileWord_,
                                                      currentDeviceType_);
    });
}

bool SettingsDatabase::CloseSettingsDatabase() {
    return Close();
}

// --- configuration values ---

bool SettingsDatabase::GetConfigValue(int profile, const std::string& key, std::string& value) {
    auto lock = Enter();
    value.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectConfigValue);
    s.BindInt(1, profile);
    BindString(s, 2, key);
    if (StepRow(s) != SQLITE_ROW) return false;
    value = Text(s, 0);
    return true;
}

bool SettingsDatabase::SetConfigValue(int profile, const std::string& key,
                                      const std::string& value) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kUpdateConfigValue);
    BindString(s, 1, value);
    s.BindInt(2, profile);
    BindString(s, 3, key);
    return StepDone(s);
}

bool SettingsDatabase::PutConfigValue(int profile, const std::string& key,
                                      const std::string& value) {
    auto lock = Enter();
    return RunInTransaction([&] {
        SQLiteStatement s;
        PrepareNoted(s, kUpdateConfigValue);
        BindString(s, 1, value);
        s.BindInt(2, profile);
        BindString(s, 3, key);
        if (!StepDone(s)) return false;
        if (Changes() > 0) return true;
        SQLiteStatement add;
        PrepareNoted(add, kInsertConfigValue);
        add.BindInt(1, profile);
        BindString(add, 2, key);
        BindString(add, 3, value);
        return StepDone(add);
    });
}

bool SettingsDatabase::WriteFactoryConfiguration(int profile) {
    auto lock = Enter();
    return RunInTransaction([&] {
        SQLiteStatement s;
        for (const auto& entry : FactoryConfiguration::Entries()) {
            PrepareNoted(s, kInsertConfigValue);
            s.BindInt(1, profile);
            s.BindText(2, entry.key, -1);
            s.BindText(3, entry.value, -1);
            if (!StepDone(s)) return false;
        }
        return true;
    });
}

// --- profiles ---

int SettingsDatabase::AddProfile(const ProfileRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kInsertProfile);
    BindString(s, 1, row.name);
    s.BindInt(2, 0);
    BindString(s, 3, row.app);
    s.BindInt(4, 0);
    if (!StepDone(s)) return 0;
    return static_cast<int>(LastInsertRowId());
}

bool SettingsDatabase::DeleteProfile(int profile) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kDeleteProfile);
    s.BindInt(1, profile);
    return StepDone(s);
}

bool SettingsDatabase::RenameProfile(int profile, const std::string& name) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kRenameProfile);
    BindString(s, 1, name);
    s.BindInt(2, profile);
    return StepDone(s);
}

bool SettingsDatabase::GetProfileName(int profile, std::string& name) {
    auto lock = Enter();
    name.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectProfileName);
    s.BindInt(1, profile);
    if (StepRow(s) != SQLITE_ROW) return false;
    name = Text(s, 0);
    return true;
}

int SettingsDatabase::LoadProfileList(std::vector<std::unique_ptr<ProfileRow>>& list) {
    auto lock = Enter();
    list.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectProfiles);
    return CollectRows(s, list, ReadProfile);
}

bool SettingsDatabase::SetActiveProfile(int profile) {
    auto lock = Enter();
    return RunInTransaction([&] {
        SQLiteStatement s;
        PrepareNoted(s, kClearProfileStatus);
        s.BindInt(1, 0);
        if (!StepDone(s)) return false;
        PrepareNoted(s, kSetProfileStatus);
        s.BindInt(1, 1);
        s.BindInt(2, profile);
        if (!StepDone(s)) return false;
        // Clearing every status for a profile that is not there would leave none active.
        return Changes() > 0;
    });
}

int SettingsDatabase::FindActiveProfile() {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectActiveProfile);
    s.BindInt(1, 1);
    if (StepRow(s) != SQLITE_ROW) return 0;
    return s.ColumnInt(0);
}

// --- key and button assignments ---

int SettingsDatabase::ReplaceAssignment(const char* deleteSql, const char* insertSql,
                                        const KeyAssignmentRow& row) {
    int id = 0;
    // Delete and insert together: a kill between them would lose the assignment.
    bool ok = RunInTransaction([&] {
        id = 0;
        SQLiteStatement s;
        PrepareNoted(s, deleteSql);
        s.BindInt(1, row.profile);
        s.BindInt(2, row.fnLayer);
        s.BindInt(3, row.keyCode);
        if (!StepDone(s)) return false;
        // A default assignment is stored as no row.
        if (row.macroValue == 0 && row.macroValue2 == 0) return true;
        PrepareNoted(s, insertSql);
        BindAssignment(s, row);
        if (!StepDone(s)) return false;
        id = static_cast<int>(LastInsertRowId());
        return true;
    });
    return ok ? id : 0;
}

int SettingsDatabase::SaveKeyAssignment(const KeyAssignmentRow& row) {
    if (row.keyCode == 0) return 0;
    auto lock = Enter();
    return ReplaceAssignment(kDeleteKeyAssignment, kInsertKeyAssignment, row);
}

bool SettingsDatabase::GetKeyAssignment(int profile, int fnLayer, int keyCode,
                                        KeyAssignmentRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectKeyAssignment);
    s.BindInt(1, profile);
    s.BindInt(2, fnLayer);
    s.BindInt(3, keyCode);
    if (StepRow(s) != SQLITE_ROW) return false;
    ReadKeyAssignment(s, row);
    return true;
}

int SettingsDatabase::LoadKeyAssignments(int profile, int fnLayer,
                                         std::vector<std::unique_ptr<KeyAssignmentRow>>& list) {
    auto lock = Enter();
    list.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectKeyAssignments);
    s.BindInt(1, profile);
    s.BindInt(2, fnLayer);
    return CollectRows(s, list, ReadKeyAssignment);
}

bool SettingsDatabase::DeleteProfileKeyAssignments(int profile) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kDeleteProfileKeyAssignments);
    s.BindInt(1, profile);
    return StepDone(s);
}

int SettingsDatabase::SaveButtonAssignment(const KeyAssignmentRow& row) {
    auto lock = Enter();
    return ReplaceAssignment(kDeleteButtonAssignment, kInsertButtonAssignment, row);
}

bool SettingsDatabase::GetButtonAssignment(int profile, int keyCode, KeyAssignmentRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectButtonAssignment);
    s.BindInt(1, profile);
    s.BindInt(2, 0);
    s.BindInt(3, keyCode);
    if (StepRow(s) != SQLITE_ROW) return false;
    ReadKeyAssignment(s, row);
    return true;
}

int SettingsDatabase::LoadButtonAssignments(int profile,
                                            std::vector<std::unique_ptr<KeyAssignmentRow>>& list) {
    auto lock = Enter();
    list.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectButtonAssignments);
    s.BindInt(1, profile);
    s.BindInt(2, 0);
    return CollectRows(s, list, ReadKeyAssignment);
}

int SettingsDatabase::LoadAllButtonAssignments(
    int profile, std::vector<std::unique_ptr<KeyAssignmentRow>>& list) {
    auto lock = Enter();
    list.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectAllButtonAssignments);
    s.BindInt(1, profile);
    return CollectRows(s, list, ReadKeyAssignment);
}

// --- assignment parameters ---

int SettingsDatabase::AddKeyExtraData(const std::string& description, const std::string& parameter,
                                      int type) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kInsertKeyExtraData);
    BindString(s, 1, description);
    BindString(s, 2, parameter);
    s.BindInt(3, type);
    if (!StepDone(s)) return 0;
    return static_cast<int>(LastInsertRowId());
}

bool SettingsDatabase::GetKeyExtraData(int id, std::string& description, std::string& parameter,
                                       int& type) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectKeyExtraData);
    s.BindInt(1, id);
    if (StepRow(s) == SQLITE_ROW) {
        description = Text(s, 0);
        parameter = Text(s, 1);
        type = s.ColumnInt(2);
    }
    return true;
}

// --- lighting ---

int SettingsDatabase::CountLightRows(int profile) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kCountLightRows);
    s.BindInt(1, profile);
    if (StepRow(s) != SQLITE_ROW) return 0;
    return s.ColumnInt(0);
}

int SettingsDatabase::AddLightRow(const LightRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kInsertLightRow);
    s.BindInt(1, row.profile);
    BindString(s, 2, row.name);
    s.BindInt(3, row.mode);
    s.BindInt(4, row.brightness);
    s.BindInt(5, row.speed);
    s.BindInt(6, row.direction);
    s.BindInt(7, row.colorful);
    s.BindInt(8, row.colorIndex);
    s.BindInt(9, row.colorValue);
    s.BindInt(10, row.configFunc);
    s.BindInt(11, row.reserved);
    s.BindInt(12, row.status);
    if (!StepDone(s)) return 0;
    return static_cast<int>(LastInsertRowId());
}

bool SettingsDatabase::UpdateLightRow(int profile, int mode, const LightRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kUpdateLightRow);
    s.BindInt(1, row.brightness);
    s.BindInt(2, row.speed);
    s.BindInt(3, row.direction);
    s.BindInt(4, row.colorful);
    s.BindInt(5, row.colorIndex);
    s.BindInt(6, row.colorValue);
    s.BindInt(7, row.configFunc);
    s.BindInt(8, row.reserved);
    s.BindInt(9, profile);
    s.BindInt(10, mode);
    return StepDone(s);
}

bool SettingsDatabase::SetActiveLightMode(int profile, int mode) {
    auto lock = Enter();
    return RunInTransaction([&] {
        SQLiteStatement s;
        PrepareNoted(s, kClearLightStatus);
        s.BindInt(1, 0);
        if (!StepDone(s)) return false;
        PrepareNoted(s, kSetLightStatus);
        s.BindInt(1, 1);
        s.BindInt(2, profile);
        s.BindInt(3, mode);
        return StepDone(s);
    });
}

int SettingsDatabase::GetActiveLightMode(int profile) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectActiveLightMode);
    s.BindInt(1, profile);
    s.BindInt(2, 1);
    if (StepRow(s) != SQLITE_ROW) return 0;
    return s.ColumnInt(0);
}

bool SettingsDatabase::GetLightRow(int profile, int mode, LightRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectLightRow);
    s.BindInt(1, profile);
    s.BindInt(2, mode);
    if (StepRow(s) != SQLITE_ROW) return false;
    ReadLight(s, row);
    return true;
}

int SettingsDatabase::LoadLightRows(int profile, std::vector<std::unique_ptr<LightRow>>& list) {
    auto lock = Enter();
    list.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectLightRows);
    s.BindInt(1, profile);
    return CollectRows(s, list, ReadLight);
}

int SettingsDatabase::SaveKeyColours(std::vector<std::unique_ptr<KeyLightRow>> rows) {
    auto lock = Enter();
    if (rows.empty()) return 0;
    bool ok = RunInTransaction([&] {
        // One statement for every row, reset between them: a large set stays fast.
        SQLiteStatement s;
        if (PrepareNoted(s, kInsertKeyColour) != SQLITE_OK) return false;
        for (const auto& row : rows) {
            if (!row) continue;
            s.Reset();
            s.BindInt(1, row->profile);
            s.BindInt(2, row->lightId);
            s.BindInt(3, row->keyCode);
            s.BindInt(4, row->keyRgb);
            if (!StepDone(s)) return false;
        }
        return true;
    });
    return ok ? static_cast<int>(rows.size()) : -1;
}

bool SettingsDatabase::DeleteKeyColours(int lightId) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kDeleteKeyColours);
    s.BindInt(1, lightId);
    return StepDone(s);
}

int SettingsDatabase::LoadKeyColours(int lightId, std::vector<std::unique_ptr<KeyLightRow>>& list) {
    auto lock = Enter();
    list.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectKeyColours);
    s.BindInt(1, lightId);
    return CollectRows(s, list, ReadKeyLight);
}

// --- macros ---

int SettingsDatabase::CreateMacro(const std::string& name) {
    MacroRow row;
    row.name = name;
    row.playTimes = 1;
    row.delayType = 1;
    return AddMacro(row);
}

int SettingsDatabase::AddMacro(const MacroRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kInsertMacro);
    s.BindInt(1, row.playTimes);
    s.BindInt(2, row.delayType);
    s.BindInt(3, row.delayTime);
    s.BindInt(4, row.linkCount);
    s.BindInt(5, row.loopType);
    BindString(s, 6, row.name);
    int rc = Step(s);
    if (!Succeeded(rc)) return rc;
    return static_cast<int>(LastInsertRowId());
}

bool SettingsDatabase::RenameMacro(int macroId, const std::string& name) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kRenameMacro);
    BindString(s, 1, name);
    s.BindInt(2, macroId);
    return StepDone(s);
}

bool SettingsDatabase::UpdateMacroPlayback(const MacroRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kUpdateMacroPlayback);
    s.BindInt(1, row.playTimes);
    s.BindInt(2, row.delayType);
    s.BindInt(3, row.delayTime);
    s.BindInt(4, row.loopType);
    s.BindInt(5, row.macroId);
    return StepDone(s);
}

bool SettingsDatabase::DeleteMacro(int macroId) {
    auto lock = Enter();
    return RunInTransaction([&] {
        SQLiteStatement s;
        PrepareNoted(s, kDeleteMacro);
        s.BindInt(1, macroId);
        if (!StepDone(s)) return false;
        PrepareNoted(s, kDeleteMacroItems);
        s.BindInt(1, macroId);
        if (!StepDone(s)) return false;
        PrepareNoted(s, kDeleteKeysPlayingMacro);
        s.BindInt(1, 3);
        s.BindInt(2, macroId);
        return StepDone(s);
    });
}

bool SettingsDatabase::GetMacroPlayTimes(int macroId, int& count) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectMacroPlayTimes);
    s.BindInt(1, macroId);
    if (StepRow(s) != SQLITE_ROW) return false;
    count = s.ColumnInt(0);
    return true;
}

bool SettingsDatabase::GetMacro(int macroId, MacroRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectMacro);
    s.BindInt(1, macroId);
    if (StepRow(s) != SQLITE_ROW) return false;
    ReadMacro(s, row);
    return true;
}

int SettingsDatabase::LoadMacroList(std::vector<std::unique_ptr<MacroRow>>& list) {
    auto lock = Enter();
    list.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectMacros);
    return CollectRows(s, list, ReadMacro);
}

int SettingsDatabase::AddMacroItem(const MacroItemRow& item) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kInsertMacroItem);
    s.BindInt(1, item.macroId);
    s.BindInt(2, item.type);
    s.BindInt(3, item.recordIndex);
    BindString(s, 4, item.desc);
    s.BindInt(5, item.value);
    s.BindInt(6, item.delayTime);
    int rc = Step(s);
    if (!Succeeded(rc)) return rc;
    return static_cast<int>(LastInsertRowId());
}

int SettingsDatabase::SaveMacroItems(std::vector<std::unique_ptr<MacroItemRow>> items) {
    auto lock = Enter();
    if (items.empty()) return 0;
    bool ok = RunInTransaction([&] {
        SQLiteStatement s;
        if (PrepareNoted(s, kInsertMacroItem) != SQLITE_OK) return false;
        for (const auto& item : items) {
            if (!item) continue;
            s.Reset();
            s.BindInt(1, item->macroId);
            s.BindInt(2, item->type);
            s.BindInt(3, item->recordIndex);
            BindString(s, 4, item->desc);
            s.BindInt(5, item->value);
            s.BindInt(6, item->delayTime);
            if (!StepDone(s)) return false;
        }
        return true;
    });
    return ok ? static_cast<int>(items.size()) : -1;
}

int SettingsDatabase::LoadMacroItems(int macroId,
                                     std::vector<std::unique_ptr<MacroItemRow>>& list) {
    auto lock = Enter();
    list.clear();
    SQLiteStatement s;
    PrepareNoted(s, kSelectMacroItems);
    s.BindInt(1, macroId);
    return CollectRows(s, list, ReadMacroItem);
}

bool SettingsDatabase::DeleteMacroItems(int macroId) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kDeleteMacroItems);
    s.BindInt(1, macroId);
    return StepDone(s);
}

// --- music layer ---

int SettingsDatabase::CountMusicLayers(int profile) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kCountMusicLayers);
    s.BindInt(1, profile);
    if (StepRow(s) != SQLITE_ROW) return 0;
    return s.ColumnInt(0);
}

int SettingsDatabase::AddMusicLayer(int profile, const std::string& name) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kInsertMusicLayer);
    s.BindInt(1, profile);
    BindString(s, 2, name);
    s.BindInt(3, 0);   // device index
    s.BindInt(4, 13);  // fore mode
    s.BindInt(5, 300); // fore amplitude
    s.BindInt(6, 0);   // back mode
    s.BindInt(7, 100); // back brightness
    s.BindInt(8, 0);   // sel
    int rc = Step(s);
    if (!Succeeded(rc)) return rc;
    return static_cast<int>(LastInsertRowId());
}

bool SettingsDatabase::GetMusicLayer(int layerId, MusicLayerRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kSelectMusicLayer);
    s.BindInt(1, layerId);
    if (StepRow(s) != SQLITE_ROW) return false;
    ReadMusicLayer(s, row);
    return true;
}

bool SettingsDatabase::UpdateMusicLayer(const MusicLayerRow& row) {
    auto lock = Enter();
    SQLiteStatement s;
    PrepareNoted(s, kUpdateMusicLayer);
    s.BindInt(1, row.deviceIndex);
    s.BindInt(2, row.foreMode);
    s.BindInt(3, row.foreAmplitude);
    s.BindInt(4, row.backMode);
    s.BindInt(5, row.backBright);
    // The music page only ever uses the first layer.
    s.BindInt(6, 1);
    return StepDone(s);
}

// --- whole database ---

bool SettingsDatabase::ClearAllSettings() {
    auto lock = Enter();
    static const char* const statements[] = {
        kClearConfigData,        kClearProfileData,    kClearKeyMacroData,
        kClearMouseKeyMacroData, kClearKeyOtherData,   kClearLightData,
        kClearKeyLightData,      kClearMusicLayerData, kClearSequence,
    };
    return RunInTransaction([&] {
        SQLiteStatement s;
        for (const char* sql : statements) {
            PrepareNoted(s, sql);
            if (!StepDone(s)) return false;
        }
        return true;
    });
}
