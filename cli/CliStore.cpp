#include "cli/CliStore.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/platform/AppFolders.h"
#include "app/platform/InstanceLock.h"
#include "app/platform/ProgramRegistry.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"
#include "cli/CliContext.h"

#include <memory>
#include <sys/stat.h>
#include <vector>

std::string CliStore::ProfileWord() {
    int language = ProgramRegistry::ReadLanguageId();
    if (language == 0) language = Language::DesktopUiLanguage();
    std::string folder = AppFolders::ProgramFolder();
    std::string word;
    if (!folder.empty())
        word = UiText::FromFile(UiText::LanguageFile(folder, language), UiText::kDialogSection,
                                std::to_string(ProfileDefaults::kProfileTextId));
    return word.empty() ? std::string("Profile") : word;
}

bool CliStore::StoreFailed() {
    return SettingsDatabase::LastResult() != SQLITE_OK;
}

std::string CliStore::Problem(SettingsDatabase& db) {
    const int rc = SettingsDatabase::LastResult();
    const std::string message = SettingsDatabase::LastMessage();
    const std::string store = "the settings database " + db.DatabasePath();
    const std::string damaged = store + " is damaged (" + message + "); it was left as it is";
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return store + " is busy: " +
               (InstanceLock::IsHeldElsewhere() ? "the Pivane window is using it"
                                                : "another program is writing to it") +
               "; nothing was changed, try again";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return damaged;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return store + " is read-only; nothing was changed";
    case SQLITE_FULL:
        return "the disk holding " + db.DatabasePath() + " is full; nothing was changed";
    case SQLITE_CANTOPEN:
        return "cannot open " + store + " (" + message + ")";
    case SQLITE_OK:
        return "the operation failed";
    default:
        break;
    }
    // Anything else (a missing table, an I/O error) may be damage that the error does not name.
    std::string finding;
    if (!db.QuickCheck(&finding))
        return store + " is damaged (" + (finding.empty() ? message : finding) +
               "); it was left as it is";
    return store + " cannot be used (" + message + "); it was left as it is";
}

int CliStore::Failure(const CliContext& context, SettingsDatabase& db, const std::string& what) {
    return context.Fail(what + ": " + Problem(db));
}

int CliStore::NotFound(const CliContext& context, SettingsDatabase& db,
                       const std::string& message) {
    if (StoreFailed()) return context.Fail(Problem(db));
    std::string finding;
    if (!db.QuickCheck(&finding)) {
        if (StoreFailed()) return context.Fail(Problem(db));
        return context.Fail("the settings database " + db.DatabasePath() + " is damaged (" +
                            finding + "); it was left as it is");
    }
    return context.Fail(message);
}

SettingsDatabase* CliStore::Open(const CliContext& context, int& exitCode) {
    std::string data = AppFolders::DataFolder();
    if (data.empty()) {
        exitCode = context.Fail("cannot find the Documents folder (is HOME set?)");
        return nullptr;
    }
    auto& db = SettingsDatabase::Instance();
    std::string path = data + "db/" + SettingsDatabase::kDeviceName + "_data_v7.db";
    if (!AppFolders::EnsureFolderExists(data + "db")) {
        exitCode = context.Fail("cannot create the folder " + data + "db");
        return nullptr;
    }
    // SQLite would wait forever on a pipe and cannot use a folder; neither is touched.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        exitCode = context.Fail("the settings database " + path +
                                " is not a regular file; it was left as it is");
        return nullptr;
    }
    // A new store gets its initial profiles in the same transaction as its tables.
    db.SetCurrentDeviceType(kMouseDeviceType);
    db.SetInitialProfileWord(ProfileWord());
    if (!db.OpenSettingsDatabase(data, SettingsDatabase::kDeviceName)) {
        exitCode = context.Fail(Problem(db));
        return nullptr;
    }
    std::vector<std::unique_ptr<ProfileRow>> list;
    if (ProfileDefaults::LoadOrCreateProfiles(db, ProfileWord(), kMouseDeviceType, list) == 0) {
        exitCode = NotFound(context, db,
                            "the settings database " + path +
                                " holds no profiles and none could be added");
        return nullptr;
    }
    return &db;
}

int CliStore::ResolveProfile(const CliContext& context, SettingsDatabase& db, int& exitCode) {
    if (context.profile > 0) {
        std::string name;
        if (!db.GetProfileName(context.profile, name)) {
            exitCode = StoreFailed()
                           ? Failure(context, db, "cannot read the profile")
                           : context.Fail("no such profile: " + std::to_string(context.profile));
            return 0;
        }
        return context.profile;
    }
    int active = db.FindActiveProfile();
    // Never the case in a sound store: every write keeps exactly one profile active.
    if (active <= 0) exitCode = NotFound(context, db, "no profile is active");
    return active;
}
