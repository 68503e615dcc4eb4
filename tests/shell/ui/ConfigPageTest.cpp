#include "PageFixture.h"
#include "TempConfigHome.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/platform/ProgramRegistry.h"
#include "app/shell/Autostart.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/pages/ConfigPage.h"
#include "ui/controls/CCheckButton.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MText.h"

#include <algorithm>

using namespace Tolva;

namespace {

class ConfigPageTest : public PageTest {
protected:
    void SetUp() override {
        config_ = std::make_unique<TempConfigHome>();
        PageTest::SetUp();
        if (HasFatalFailure()) return;
        // As in the window, only the shown page's layout takes the pointer.
        for (unsigned id : {50u, 51u, 52u, 53u, 54u, 501u, 502u, 503u})
            if (MTabLayout* layout = host->FindLayout(id)) layout->SetVisible(false);
        page_ = std::make_unique<ConfigPage>(*host);
        Attach(*page_);
    }
    void TearDown() override {
        if (host) host->window.page = nullptr;
        page_.reset();
        PageTest::TearDown();
        Language::SetCurrent(Language::kEnglish);
        config_.reset();
    }

    static void StoreValue(const char* name, const char* value) {
        ProgramRegistry::ReadProgramRegistryValue(name);
        ASSERT_TRUE(ProgramRegistry::WriteProgramRegistryValue(name, value));
    }
    std::string Config(int profile, const char* key) {
        std::string value;
        if (!host->store.GetConfigValue(profile, key, value)) return "<none>";
        return value;
    }
    int ProfileCount() {
        std::vector<std::unique_ptr<ProfileRow>> list;
        host->store.LoadProfileList(list);
        return static_cast<int>(list.size());
    }
    bool Posted(uint32_t msg) const {
        const auto& m = host->window.appMessages;
        return std::find(m.begin(), m.end(), msg) != m.end();
    }
    // The pointer goes onto the control first, as a person's does.
    void Press(unsigned id) {
        head->MouseMove(host->window.GetSafeHwnd(), CentreOf(id));
        Click(CentreOf(id));
    }
    MComboBox* Combo(unsigned id) { return dynamic_cast<MComboBox*>(Find(id)); }
    CCheckButton* Check() { return dynamic_cast<CCheckButton*>(Find(ConfigPage::kAutostartId)); }

    std::unique_ptr<TempConfigHome> config_;
    std::unique_ptr<ConfigPage> page_;
};

TEST_F(ConfigPageTest, RestoreDefaultsAnsweredWithTheSecondButtonChangesNothing) {
    StoreValue("exit_mode", "1");
    StoreValue("LCID", "1033");
    ASSERT_TRUE(Autostart::Enable("/opt/pivane/pivane"));
    ASSERT_TRUE(host->store.SetConfigValue(1, "report_rate", "3"));
    page_->Reload();
    ASSERT_TRUE(Check()->GetCheck());
    config_->SetDesktopLanguage("zh_CN.UTF-8"); // a confirmed restore would switch to 2052

    const std::string db = TempConfigHome::Contents(host->store.DatabasePath());
    const std::string registry = TempConfigHome::Contents(ProgramRegistry::KeyFile());
    const std::string entry = TempConfigHome::Contents(Autostart::EntryPath());
    const int reloads = host->reloads;
    host->window.appMessages.clear();

    host->answers = {2};
    Press(ConfigPage::kRestoreId);

    ASSERT_EQ(host->boxes.size(), 1u);
    EXPECT_EQ(host->boxes[0].text, UiText::Dialog(167));
    EXPECT_EQ(host->boxes[0].caption, UiText::Dialog(168));
    EXPECT_EQ(host->boxes[0].style, 4);
    EXPECT_EQ(TempConfigHome::Contents(host->store.DatabasePath()), db);
    EXPECT_EQ(TempConfigHome::Contents(ProgramRegistry::KeyFile()), registry);
    EXPECT_EQ(TempConfigHome::Contents(Autostart::EntryPath()), entry);
    EXPECT_EQ(Config(1, "report_rate"), "3");
    EXPECT_TRUE(Check()->GetCheck());
    EXPECT_EQ(Language::Current(), Language::kEnglish);
    EXPECT_TRUE(host->tasks.empty());
    EXPECT_EQ(host->waitDialogs, 0);
    EXPECT_EQ(host->reloads, reloads);
    EXPECT_FALSE(Posted(ConfigPage::kApplyTextsMessage));
}

TEST_F(ConfigPageTest, RestoreDefaultsConfirmedResetsEverythingAndQueuesTheDevice) {
    StoreValue("exit_mode", "2");
    StoreValue("LCID", "1033");
    ASSERT_TRUE(Autostart::Enable("/opt/pivane/pivane"));
    ASSERT_TRUE(host->store.SetConfigValue(1, "report_rate", "3"));
    ASSERT_GT(ProfileCount(), 0);
    page_->Reload();
    config_->SetDesktopLanguage("zh_CN.UTF-8");

    host->answers = {1};
    Press(ConfigPage::kRestoreId);

    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
    EXPECT_NE(TempConfigHome::Contents(ProgramRegistry::KeyFile()).find("exit_mode=0"),
              std::string::npos);
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), Language::kChinese);
    EXPECT_EQ(Language::Current(), Language::kChinese);
    EXPECT_EQ(Combo(ConfigPage::kLanguageId)->GetCurData(), Language::kChinese);
    EXPECT_TRUE(Posted(ConfigPage::kApplyTextsMessage));
    EXPECT_FALSE(Autostart::IsEnabled());
    EXPECT_FALSE(Check()->GetCheck());
    // The store is back to its factory state: no profiles until the profile list makes them.
    EXPECT_TRUE(host->store.IsSettingsOpen());
    EXPECT_EQ(ProfileCount(), 0);
    EXPECT_EQ(Config(1, "report_rate"), "<none>");
    EXPECT_EQ(host->reloads, 1);
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kRestoreDefaults});
    EXPECT_EQ(host->waitDialogs, 1);
}

TEST_F(ConfigPageTest, RestoreDefaultsWithoutADeviceLeavesTheStoreAndTheDeviceAlone) {
    StoreValue("exit_mode", "1");
    host->deviceType = 0;
    config_->SetDesktopLanguage("de_DE.UTF-8");
    const int profiles = ProfileCount();
    host->answers = {1};
    Press(ConfigPage::kRestoreId);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
    // A German desktop is stored as English, and the box keeps an entry it has.
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), Language::kEnglish);
    EXPECT_EQ(Language::Current(), Language::kEnglish);
    EXPECT_EQ(ProfileCount(), profiles);
    EXPECT_TRUE(host->tasks.empty());
    EXPECT_EQ(host->waitDialogs, 0);
}

TEST_F(ConfigPageTest, ARestoreWithALanguageTheBoxDoesNotOfferNeverStoresLanguageZero) {
    StoreValue("LCID", "1031");
    Language::SetCurrent(1031);
    page_->Reload();
    ASSERT_EQ(Combo(ConfigPage::kLanguageId)->GetCurSel(), -1);
    config_->SetDesktopLanguage("de_DE.UTF-8");
    host->answers = {1};
    Press(ConfigPage::kRestoreId);
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), Language::kEnglish);
    EXPECT_EQ(Language::Current(), Language::kEnglish);
    EXPECT_EQ(Combo(ConfigPage::kLanguageId)->GetCurData(), Language::kEnglish);
}

TEST_F(ConfigPageTest, ChoosingALanguageStoresItMakesItCurrentAndReappliesTheTexts) {
    host->window.appMessages.clear();
    Combo(ConfigPage::kLanguageId)->OnDropDownChoice(0);
    Platform::ProcessPending();
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), Language::kChinese);
    EXPECT_EQ(Language::Current(), Language::kChinese);
    EXPECT_TRUE(Posted(ConfigPage::kApplyTextsMessage));
    // What the window does on 2022: every page takes the texts of the new language.
    page_->ApplyTexts();
    EXPECT_EQ(dynamic_cast<MText*>(Find(ConfigPage::kLanguageLabelId))->GetTitle(),
              UiText::Dialog(140));
    EXPECT_NE(UiText::Dialog(140), "Language");
    EXPECT_EQ(Combo(ConfigPage::kWakeUpId)->GetItemText(0), UiText::Dialog(148));
}

TEST_F(ConfigPageTest, TheAutostartBoxWritesAndRemovesTheEntryAndShowsWhatIsOnDisk) {
    ASSERT_FALSE(Check()->GetCheck());
    const std::string path = Autostart::EntryPath();
    ASSERT_EQ(path.rfind(config_->Folder(), 0), 0u) << path;

    Press(ConfigPage::kAutostartId);
    EXPECT_TRUE(Check()->GetCheck());
    const std::string text = TempConfigHome::Contents(path);
    EXPECT_NE(text.find("Exec="), std::string::npos) << text;
    EXPECT_NE(text.find(" -minimize\n"), std::string::npos) << text;

    Press(ConfigPage::kAutostartId);
    EXPECT_FALSE(Check()->GetCheck());
    EXPECT_FALSE(std::filesystem::exists(path));

    // Made or removed behind the page's back: a reload shows the file's presence.
    ASSERT_TRUE(Autostart::Enable("/opt/pivane/pivane"));
    page_->Reload();
    EXPECT_TRUE(Check()->GetCheck());
    ASSERT_TRUE(Autostart::Disable());
    page_->Reload();
    EXPECT_FALSE(Check()->GetCheck());
}

TEST_F(ConfigPageTest, TheWakeUpMethodIsStoredForProfileOneThenQueued) {
    host->profile = 2;
    Combo(ConfigPage::kWakeUpId)->OnDropDownChoice(1);
    Platform::ProcessPending();
    EXPECT_EQ(Config(1, "wakeupmethod"), "2");
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kWakeUpMethod});

    ASSERT_TRUE(host->store.SetConfigValue(1, "wakeupmethod", "1"));
    page_->Reload();
    EXPECT_EQ(Combo(ConfigPage::kWakeUpId)->GetCurData(), 1);
    // Anything else leaves the box as it was.
    ASSERT_TRUE(host->store.SetConfigValue(1, "wakeupmethod", "7"));
    page_->Reload();
    EXPECT_EQ(Combo(ConfigPage::kWakeUpId)->GetCurData(), 1);
}

} // namespace
