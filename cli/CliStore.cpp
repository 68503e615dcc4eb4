#include "cli/CliStore.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/platform/AppFolders.h"
#include "app/platform/ProgramRegistry.h"
#include "app/store/ProfileDefaults.h"
#include "app/store/SettingsDatabase.h"
#include "cli/CliContext.h"

#include <memory>
#include <vector>

namespace {}

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

SettingsDatabase* CliStore::Open(const CliContext& context, int& exitCode) {
    std::string data = AppFolders::DataFolder();
    if (data.empty()) {
        exitCode = context.Fail("cannot find the Documents folder (is HOME set?)");
        return nullptr;
    }
    auto& db = SettingsDatabase::Instance();
    if (!AppFolders::EnsureFolderExists(data + "db") ||
        !db.OpenSettingsDatabase(data, SettingsDatabase::kDeviceName)) {
        exitCode = context.Fail("cannot open the settings database " + data + "db/" +
                                SettingsDatabase::kDeviceName + "_data_v7.db");
        return nullptr;
    }
    std::vector<std::unique_ptr<ProfileRow>> list;
    if (ProfileDefaults::LoadOrCreateProfiles(db, ProfileWord(), kMouseDeviceType, list) == 0) {
        exitCode = context.Fail("the settings database holds no profiles and none could be added");
        return nullptr;
    }
    return &db;
}

int CliStore::ResolveProfile(const CliContext& context, SettingsDatabase& db, int& exitCode) {
    if (context.profile > 0) {
        std::string name;
        if (!db.GetProfileName(context.profile, name)) {
            exitCode = context.Fail("no profile " + std::to_string(context.profile));
            return 0;
        }
        return context.profile;
    }
    int active = db.FindActiveProfile();
    if (active <= 0) exitCode = context.Fail("no profile is active");
    return active;
}
