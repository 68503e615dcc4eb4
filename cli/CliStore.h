#pragma once

#include <string>

class CliContext;
class SettingsDatabase;

// The settings store as pivanectl's commands use it: the program's database in the user's data
// folder, with the initial profiles created on first use as the program creates them.
class CliStore {
public:
    // pivanectl configures the mouse family.
    static constexpr int kMouseDeviceType = 601;

    // The opened store, or null after printing the reason (exitCode then holds the status).
    static SettingsDatabase* Open(const CliContext& context, int& exitCode);
    // --profile N when given (it must exist), else the active profile; 0 after printing why.
    static int ResolveProfile(const CliContext& context, SettingsDatabase& db, int& exitCode);
    // The word for "profile" in the user's language ("Profile" without language files).
    static std::string ProfileWord();

    // What is wrong with the store after an operation failed, from the operation's outcome:
    // busy (and whether the Pivane window holds it), damaged (checked with a quick check when
    // the error itself does not say so), read-only, full, or SQLite's own words.
    static std::string Problem(SettingsDatabase& db);
    // Prints "<what>: <Problem()>" and returns kFailed.
    static int Failure(const CliContext& context, SettingsDatabase& db, const std::string& what);
    // After a lookup found nothing: Problem() when the lookup failed, "damaged" when the file
    // fails its quick check (a damaged table can read as empty), else the message.
    // Returns kFailed.
    static int NotFound(const CliContext& context, SettingsDatabase& db,
                        const std::string& message);
    // True when the last operation failed in the store (rather than finding nothing).
    static bool StoreFailed();
};
