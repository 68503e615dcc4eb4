#include "app/store/ProfileDefaults.h"

#include "app/store/SettingsDatabase.h"

int ProfileDefaults::LoadOrCreateProfiles(SettingsDatabase& db, const std::string& profileWord,
                                          int deviceType,
                                          std::vector<std::unique_ptr<ProfileRow>>& list) {
    // One step for every caller in this process; other processes are kept apart by the
    // transaction, which looks at the list again before it adds anything.
    auto lock = db.Lock();
    int count = db.LoadProfileList(list);
    if (count > 0) return count;
    if (SettingsDatabase::LastResult() != SQLITE_OK) return 0;
    // A damaged table can read as empty; seeding it would write into the damage.
    std::string problem;
    if (!db.QuickCheck(&problem)) {
        int rc = SettingsDatabase::LastResult();
        SettingsDatabase::SetLastResult(rc == SQLITE_OK ? SQLITE_CORRUPT : rc, problem);
        return 0;
    }
    if (!CreateInitialProfiles(db, profileWord, deviceType)) return 0;
    return db.LoadProfileList(list);
}

bool ProfileDefaults::CreateInitialProfiles(SettingsDatabase& db, const std::string& profileWord,
                                            int deviceType) {
    return db.RunInTransaction([&] {
        std::vector<std::unique_ptr<ProfileRow>> existing;
        if (db.LoadProfileList(existing) > 0) return true;
        if (SettingsDatabase::LastResult() != SQLITE_OK) return false;
        bool mouse = deviceType > kLastKeyboardType;
        ProfileRow row;
        int firstId = 0;
        for (int number = 1; number <= 3; ++number) {
            row.name = profileWord + " " + std::to_string(number);
            int id = db.AddProfile(row);
            if (id <= 0) return false;
            if (number == 1) firstId = id;
            if ((number == 1 || mouse) && !db.WriteFactoryConfiguration(id)) return false;
        }
        // Ids start at 1 on a fresh or cleared store; activate by id so that a store whose
        // counter has moved on still ends up with one active profile.
        return db.SetActiveProfile(firstId);
    });
}

std::string ProfileDefaults::DisplayName(const std::string& storedName, int languageId,
                                         const std::string& profileWord) {
    static const std::string english = "Profile";
    static const std::string chinese = "配置方案";
    const std::string* prefix = nullptr;
    if (languageId == 2052)
        prefix = &english;
    else if (languageId == 1033)
        prefix = &chinese;
    if (!prefix || storedName.compare(0, prefix->size(), *prefix) != 0) return storedName;
    return profileWord + storedName.substr(prefix->size());
}
