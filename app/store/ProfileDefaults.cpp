#include "app/store/ProfileDefaults.h"

#include "app/store/SettingsDatabase.h"

int ProfileDefaults::LoadOrCreateProfiles(SettingsDatabase& db, const std::string& profileWord,
                                          int deviceType,
                                          std::vector<std::unique_ptr<ProfileRow>>& list) {
    // One step for every caller: the window thread and a worker must not both find the list
    // empty and create two sets.
    auto lock = db.Lock();
    if (db.LoadProfileList(list) > 0) return static_cast<int>(list.size());

    bool mouse = deviceType > kLastKeyboardType;
    ProfileRow row;
    int firstId = 0;
    for (int number = 1; number <= 3; ++number) {
        row.name = profileWord + " " + std::to_string(number);
        int id = db.AddProfile(row);
        if (id <= 0) break;
        if (number == 1) firstId = id;
        if (number == 1 || mouse) db.WriteFactoryConfiguration(id);
    }
    // Ids start at 1 on a fresh or cleared store; activate by id so that a store whose counter
    // has moved on still ends up with one active profile.
    if (firstId > 0) db.SetActiveProfile(firstId);
    return db.LoadProfileList(list);
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
