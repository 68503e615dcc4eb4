#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/store/KeyAssignmentRow.h"
#include "app/store/KeyLightRow.h"
#include "app/store/LightRow.h"
#include "app/store/MacroItemRow.h"
#include "app/store/MacroRow.h"
#include "app/store/MusicLayerRow.h"
#include "app/store/ProfileRow.h"
#include "app/store/SQLiteDB.h"

// The settings database: profiles, configuration values, key and button assignments, macros,
// lighting and the music layer, in "<data folder>db/<device name>_data_v7.db".
//
// Every data operation holds the object's critical section for its whole length, prepares,
// binds, steps and finalises its statements inside the call, and never throws. On a closed or
// broken database the operations fail quietly: false, 0, an empty list, or (for the operations
// that return "new id or error") the SQLite code itself.
//
// List operations first empty the caller's vector, then append one record per row and return
// the number of elements; a read that fails part-way gives an empty list. "New id" is the low
// 32 bits of the last insert row id after a successful step, 0 otherwise.
//
// Every operation that writes more than one row runs in one transaction that commits only when
// every step succeeded and rolls back otherwise. LastResult() tells a failure (busy, damaged,
// read-only, missing table) from an answer that is merely empty.
class SettingsDatabase : public SQLiteDB {
public:
    // Every caller names the settings file after this device, whichever device is current.
    static constexpr const char* kDeviceName = "ORMAN-Q410_V2";

    // The process-wide object, built on first use.
    static SettingsDatabase& Instance();

    // Independent objects are for tools and tests; the program uses Instance().
    SettingsDatabase();
    // Closes the connection when the open flag is set.
    ~SettingsDatabase() override;

    // --- lifecycle (these do not take the critical section) ---

    // folder is the data folder with its trailing "/". An existing file is opened read-write
    // without touching its tables; a new (or empty, zero-byte, or table-less) file gets the
    // schema. False, with no connection kept, when the file stays busy past the time-out
    // (LastResult() says so). The result is kept in the open flag. When the connection is
    // already open and the file exists the result is true without reopening.
    bool OpenSettingsDatabase(const std::string& folder, const std::string& deviceName);
    // The same followed by ClearAllSettings, whatever the open gave. Returns the open result.
    bool OpenSettingsDatabaseAndClear(const std::string& folder, const std::string& deviceName);
    // True at once when a connection is open. Otherwise creates/opens the stored path and runs
    // every schema statement in one transaction, together with the initial profiles when a
    // profile word was set; on any failure nothing is kept, the connection is closed and the
    // result is false. An existing file without a single table is completed the same way.
    bool CreateSettingsSchema();
    // The word for "profile" (UI text 65) with which a new store gets its initial profiles in
    // the schema's own transaction (device type: CurrentDeviceType()). Empty: schema only.
    void SetInitialProfileWord(const std::string& word) { initialProfileWord_ = word; }
    // Closes the connection; the caller clears the open flag (SetOpenFlag(false)).
    bool CloseSettingsDatabase();

    bool IsSettingsOpen() const { return openFlag_ != 0; }
    void SetOpenFlag(bool open) { openFlag_ = open ? 1 : 0; }
    const std::string& DatabasePath() const { return databasePath_; }
    int CurrentDeviceType() const { return currentDeviceType_; }
    void SetCurrentDeviceType(int type) { currentDeviceType_ = type; }

    // The schema statements in the order they run.
    static const std::vector<std::string>& SchemaStatements();

    // Holds the critical section across several operations (it is recursive), e.g. to look at
    // the profile list and create the initial profiles as one step.
    std::unique_lock<std::recursive_mutex> Lock() {
        return std::unique_lock<std::recursive_mutex>(criticalSection_);
    }

    // The outcome of the last data operation on the calling thread: 0 (SQLITE_OK) when every
    // statement succeeded, a read that found no row included; otherwise the first failing
    // SQLite code (5 busy, 8 read-only, 11 damaged, 26 not a database, 1 e.g. a missing table).
    static int LastResult();
    // SQLite's words for LastResult(); empty when it is 0.
    static const std::string& LastMessage();
    // For callers that find a failure of their own (e.g. a failed quick check).
    static void SetLastResult(int rc, const std::string& message);

    // Runs body as one transaction: it commits only when body returned true and no statement
    // inside failed, and rolls back otherwise. Inside another transaction body joins it (and a
    // failure rolls the whole back). A store that stays busy is retried from the start until
    // the busy time-out has passed. False when nothing was kept; LastResult() then says why
    // (0 when body refused without a store failure).
    bool RunInTransaction(const std::function<bool()>& body);

    // PRAGMA quick_check. False when the file is damaged or cannot be read; problem (when given)
    // receives SQLite's first finding or the reason the check could not run.
    bool QuickCheck(std::string* problem = nullptr);

    // --- configuration values ---

    // value is emptied first; false when no row comes back.
    bool GetConfigValue(int profile, const std::string& key, std::string& value);
    // Updates existing rows only: true when the statement ran, even if no row matched.
    bool SetConfigValue(int profile, const std::string& key, const std::string& value);
    // For the program's own keys, which the factory rows do not hold: updates the row, or adds
    // it when there is none. False when either step failed.
    bool PutConfigValue(int profile, const std::string& key, const std::string& value);
    // Inserts the 55 factory rows for the profile (no check for existing rows), all or none.
    bool WriteFactoryConfiguration(int profile);

    // --- profiles ---

    // Stores name and app; status and type are written as 0. New id or 0.
    int AddProfile(const ProfileRow& row);
    // Only the profile row goes; its other data stays.
    bool DeleteProfile(int profile);
    bool RenameProfile(int profile, const std::string& name);
    // name is emptied first; false when there is no such profile.
    bool GetProfileName(int profile, std::string& name);
    int LoadProfileList(std::vector<std::unique_ptr<ProfileRow>>& list);
    // Clears every status, then sets the profile's, in one transaction. False, and nothing
    // changed, when the profile does not exist (that would leave no profile active).
    bool SetActiveProfile(int profile);
    // The first profile with status 1, or 0 when none.
    int FindActiveProfile();

    // --- keyboard key assignments (t_key_macro_data) ---

    // 0 and nothing changed when keyCode is 0. Otherwise deletes the (profile, fn layer, key)
    // row and, when macroValue or macroValue2 is non-zero, inserts the row: new id, else 0.
    int SaveKeyAssignment(const KeyAssignmentRow& row);
    // row untouched and false when nothing matches.
    bool GetKeyAssignment(int profile, int fnLayer, int keyCode, KeyAssignmentRow& row);
    int LoadKeyAssignments(int profile, int fnLayer,
                           std::vector<std::unique_ptr<KeyAssignmentRow>>& list);
    bool DeleteProfileKeyAssignments(int profile);

    // --- mouse button assignments (t_mousekey_macro_data, fn layer 0) ---

    // As SaveKeyAssignment but key code 0 is stored too.
    int SaveButtonAssignment(const KeyAssignmentRow& row);
    bool GetButtonAssignment(int profile, int keyCode, KeyAssignmentRow& row);
    int LoadButtonAssignments(int profile, std::vector<std::unique_ptr<KeyAssignmentRow>>& list);
    // Every fn layer.
    int LoadAllButtonAssignments(int profile, std::vector<std::unique_ptr<KeyAssignmentRow>>& list);

    // --- assignment parameters (t_key_otherdata) ---

    // New id; callers treat an id below 1 as failure.
    int AddKeyExtraData(const std::string& description, const std::string& parameter, int type);
    // Outputs set only when a row comes back; returns true either way.
    bool GetKeyExtraData(int id, std::string& description, std::string& parameter, int& type);

    // --- lighting ---

    int CountLightRows(int profile);
    // Stores profile to status of the row. New id or 0.
    int AddLightRow(const LightRow& row);
    // Updates brightness..reserved of the (profile, mode) row.
    bool UpdateLightRow(int profile, int mode, const LightRow& row);
    // Clears the status of every light row (all profiles), then sets the (profile, mode) row's.
    bool SetActiveLightMode(int profile, int mode);
    // The active mode of the profile, 0 when none.
    int GetActiveLightMode(int profile);
    bool GetLightRow(int profile, int mode, LightRow& row);
    int LoadLightRows(int profile, std::vector<std::unique_ptr<LightRow>>& list);
    // Inserts every row inside one transaction; rows.size(), or -1 with nothing stored.
    int SaveKeyColours(std::vector<std::unique_ptr<KeyLightRow>> rows);
    bool DeleteKeyColours(int lightId);
    int LoadKeyColours(int lightId, std::vector<std::unique_ptr<KeyLightRow>>& list);

    // --- macros ---

    // Play times 1, delay type 1, the rest 0. New id, or the failing SQLite code (e.g. 21 on a
    // closed database): callers must tell a small error code from an id.
    int CreateMacro(const std::string& name);
    // The row's values; result rule as CreateMacro.
    int AddMacro(const MacroRow& row);
    bool RenameMacro(int macroId, const std::string& name);
    // play times, delay type, delay time and loop type.
    bool UpdateMacroPlayback(const MacroRow& row);
    // Removes the macro; when that succeeded also its items and every keyboard assignment that
    // plays it (mouse button rows are kept). The result is that of the last statement.
    bool DeleteMacro(int macroId);
    bool GetMacroPlayTimes(int macroId, int& count);
    bool GetMacro(int macroId, MacroRow& row);
    int LoadMacroList(std::vector<std::unique_ptr<MacroRow>>& list);
    // Result rule as CreateMacro.
    int AddMacroItem(const MacroItemRow& item);
    // Appends every item inside one transaction; callers run DeleteMacroItems first. Returns
    // items.size(), or -1 with nothing stored.
    int SaveMacroItems(std::vector<std::unique_ptr<MacroItemRow>> items);
    // Ordered by record index.
    int LoadMacroItems(int macroId, std::vector<std::unique_ptr<MacroItemRow>>& list);
    bool DeleteMacroItems(int macroId);

    // --- music layer ---

    int CountMusicLayers(int profile);
    // Device index 0, fore mode 13, amplitude 300, back mode 0, back brightness 100, sel 0.
    // Result rule as CreateMacro.
    int AddMusicLayer(int profile, const std::string& name);
    bool GetMusicLayer(int layerId, MusicLayerRow& row);
    // Always updates layer 1 (the only one the music page uses) with the row's five values.
    bool UpdateMusicLayer(const MusicLayerRow& row);

    // --- whole database ---

    // Empties every table except the macros and their items and resets the id counters, all or
    // nothing.
    bool ClearAllSettings();

private:
    // Takes the critical section and starts a new outcome.
    std::unique_lock<std::recursive_mutex> Enter();
    // Records rc when it is a failure (first failure wins; inside a transaction it also dooms
    // the transaction) and returns it.
    int Note(int rc);
    int PrepareNoted(SQLiteStatement& statement, const char* sql);
    int Step(SQLiteStatement& statement);
    // Step succeeded (0, 100, 101).
    bool StepDone(SQLiteStatement& statement);
    // For reads: a row and "no more rows" are answers, everything else a failure.
    int StepRow(SQLiteStatement& statement);
    template <typename Row, typename Reader>
    int CollectRows(SQLiteStatement& s, std::vector<std::unique_ptr<Row>>& list, Reader read);
    int ReplaceAssignment(const char* deleteSql, const char* insertSql,
                          const KeyAssignmentRow& row);
    bool BuildSchema();

    std::recursive_mutex criticalSection_;
    std::string databasePath_;
    // Reserved for key material; always empty (the file is never encrypted).
    std::string key_;
    std::string rekey_;
    int currentDeviceType_ = 0;
    unsigned char openFlag_ = 0;
    std::string initialProfileWord_;
    int transactionDepth_ = 0;
    int transactionResult_ = 0; // first failure inside the running transaction
    bool transactionRefused_ = false;
};
