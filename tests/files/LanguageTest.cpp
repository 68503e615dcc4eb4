#include "app/files/Language.h"
#include "app/platform/ProgramRegistry.h"
#include "files/FilesFixture.h"

#include <cstdlib>
#include <filesystem>

namespace {

class LanguageTest : public FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        for (const char* v : {"LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(v);
            saved_.emplace_back(v, value ? value : "");
            had_.push_back(value != nullptr);
        }
        unsetenv("LC_MESSAGES");
    }
    void TearDown() override {
        for (size_t i = 0; i < saved_.size(); ++i) {
            if (had_[i])
                setenv(saved_[i].first, saved_[i].second.c_str(), 1);
            else
                unsetenv(saved_[i].first);
        }
        FilesFixture::TearDown();
    }
    int StoredId() { return ProgramRegistry::ReadProgramRegistryValue("LCID"); }

    std::vector<std::pair<const char*, std::string>> saved_;
    std::vector<bool> had_;
};

TEST_F(LanguageTest, FirstRunOnAnEnglishDesktopUsesAndStores1033) {
    setenv("LANG", "en_GB.UTF-8", 1);
    EXPECT_EQ(Language::Startup(programFolder_), 1033);
    EXPECT_EQ(StoredId(), 1033);
    // The second run takes the stored value, whatever the desktop says now.
    setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(Language::Startup(programFolder_), 1033);
}

TEST_F(LanguageTest, FirstRunOnAChineseDesktopStores2052) {
    setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(Language::Startup(programFolder_), 2052);
    EXPECT_EQ(StoredId(), 2052);
}

TEST_F(LanguageTest, AnotherDesktopLanguageStores1033) {
    setenv("LANG", "de_DE.UTF-8", 1);
    // Without a German file the first run is not left without texts.
    EXPECT_EQ(Language::Startup(programFolder_), 1033);
    EXPECT_EQ(StoredId(), 1033);

    // With one, the first run is in German, the next ones in English.
    std::filesystem::remove(ProgramRegistry::KeyFile());
    WriteFile("program/language/1031.lan", "[KB.DIALOG]\n65=Profil\n");
    EXPECT_EQ(Language::Startup(programFolder_), 1031);
    EXPECT_EQ(StoredId(), 1033);
    EXPECT_EQ(Language::Startup(programFolder_), 1033);
}

TEST_F(LanguageTest, AStoredValueWinsOverTheDesktop) {
    setenv("LANG", "en_US.UTF-8", 1);
    ProgramRegistry::ReadLanguageId(); // creates the key
    ASSERT_TRUE(ProgramRegistry::WriteLanguageId(2052));
    EXPECT_EQ(Language::Startup(programFolder_), 2052);
    EXPECT_EQ(Language::Current(), 2052);
    ASSERT_TRUE(Language::Set(1033));
    EXPECT_EQ(StoredId(), 1033);
}

TEST_F(LanguageTest, RestoringFactorySettingsEndsOnAChoiceOfTheLanguageBox) {
    ProgramRegistry::WriteLanguageId(1033);
    setenv("LANG", "zh_CN.UTF-8", 1);
    EXPECT_EQ(Language::ResetToDesktop(1033), 2052);
    EXPECT_EQ(StoredId(), 2052);
    EXPECT_EQ(Language::Current(), 2052);
    // A desktop language the box does not offer leaves the box's choice in place.
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(Language::ResetToDesktop(2052), 2052);
    EXPECT_EQ(StoredId(), 2052);
    EXPECT_EQ(Language::ResetToDesktop(1033), 1033);
    EXPECT_EQ(StoredId(), 1033);
}

TEST(LanguageNames, TerritoryBeatsLanguageAndUnknownNamesGiveZero) {
    EXPECT_EQ(Language::FromLocaleName("zh_CN.UTF-8"), 2052);
    EXPECT_EQ(Language::FromLocaleName("zh-TW"), 1028);
    EXPECT_EQ(Language::FromLocaleName("de_AT@euro"), 3079);
    EXPECT_EQ(Language::FromLocaleName("de_LU"), 1031);
    EXPECT_EQ(Language::FromLocaleName("xx_YY"), 0);
}

} // namespace
