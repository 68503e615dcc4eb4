#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/store/ProfileRow.h"

class SettingsDatabase;

// The initial profile set and the display rule for default profile names. The word for
// "profile" (UI text 65 of the current language) is passed in by the caller.
class ProfileDefaults {
public:
    static constexpr int kProfileTextId = 65;

    // Device types above this one are mice; the others keyboards.
    static constexpr int kLastKeyboardType = 600;

    // Loads the profile list; when it was read and found empty creates "<word> 1" to
    // "<word> 3", seeds the factory configuration (profiles 1-3 for a mouse, profile 1 for a
    // keyboard), makes the first active and loads the list again, all in one transaction. A
    // read that failed (busy, damaged) is never taken for an empty list, and an empty list in a
    // file that fails its quick check is left alone. Returns the number of profiles listed; 0
    // when the store is unusable (SettingsDatabase::LastResult() says why).
    static int LoadOrCreateProfiles(SettingsDatabase& db, const std::string& profileWord,
                                    int deviceType, std::vector<std::unique_ptr<ProfileRow>>& list);

    // The creating part: inside a transaction (it joins the caller's or runs its own), creates
    // the initial set when the store holds no profile. True when the store has profiles after.
    static bool CreateInitialProfiles(SettingsDatabase& db, const std::string& profileWord,
                                      int deviceType);

    // The name to show for a stored name: a default name in the other language ("Profile ..."
    // under 2052, "配置方案..." under 1033) has that prefix replaced by the current word.
    // Exact, case-sensitive prefix match; other names come back unchanged.
    static std::string DisplayName(const std::string& storedName, int languageId,
                                   const std::string& profileWord);
};
