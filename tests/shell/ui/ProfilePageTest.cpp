#include "PageFixture.h"

#include "app/files/Language.h"
#include "app/files/PresetFileChooser.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/pages/ProfilePage.h"
#include "ui/controls/DListBox.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

#include <filesystem>
#include <string>
#include <vector>

using namespace Tolva;

namespace {

class ProfilePageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        if (HasFatalFailure()) return;
        for (unsigned id : {50u, 51u, 52u, 53u, 54u, 502u, 503u, 504u})
            if (MTabLayout* layout = host->FindLayout(id)) layout->SetVisible(false);
        page = std::make_unique<ProfilePage>(*host);
    }
    void TearDown() override {
        if (host) host->window.page = nullptr;
        page.reset();
        PageTest::TearDown();
    }

    DListBox* List() { return page->List(); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int i = 0; i < List()->GetItemCount(); ++i)
            names.push_back(List()->GetItemText(i));
        return names;
    }
    int StoredProfiles() {
        std::vector<std::unique_ptr<ProfileRow>> rows;
        return host->store.LoadProfileList(rows);
    }
    void ClickRow(int index) {
        const Rect row = List()->GetItemRect(index);
        Press({row.left + 30, (row.top + row.bottom) / 2});
    }
    // A store as the first run finds it: no profile, ids from 1.
    void EmptyStore() { ASSERT_TRUE(host->store.ClearAllSettings()); }

    // The pointer comes to the point first: presses go to the control under it.
    void Press(Point pt) {
        head->MouseMove(host->window.GetSafeHwnd(), pt);
        Click(pt);
    }

    std::unique_ptr<ProfilePage> page;
};

TEST_F(ProfilePageTest, AFreshStoreShowsThreeProfilesTheFirstActive) {
    EmptyStore();
    Attach(*page);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Profile 1", "Profile 2", "Profile 3"}));
    EXPECT_EQ(StoredProfiles(), 3);
    EXPECT_EQ(host->store.FindActiveProfile(), 1);
    EXPECT_EQ(List()->GetCurData(), 1);
    EXPECT_EQ(host->profile, 1);
    // Every default profile has its settings.
    std::string rate;
    EXPECT_TRUE(host->store.GetConfigValue(3, "report_rate", rate));
}

TEST_F(ProfilePageTest, DefaultNamesShowInTheInterfaceLanguage) {
    EmptyStore();
    Language::SetCurrent(Language::kChinese);
    Attach(*page);
    const std::string word = UiText::Dialog(65);
    EXPECT_EQ(Names(), (std::vector<std::string>{word + " 1", word + " 2", word + " 3"}));
    ASSERT_TRUE(host->store.RenameProfile(2, "Profile 2b"));
    page->Reload();
    EXPECT_EQ(List()->GetItemText(1), word + " 2b");
    std::string stored;
    ASSERT_TRUE(host->store.GetProfileName(2, stored));
    EXPECT_EQ(stored, "Profile 2b");
    Language::SetCurrent(Language::kEnglish);
}

TEST_F(ProfilePageTest, TheActiveProfileOfTheStoreBecomesCurrent) {
    ASSERT_TRUE(host->store.SetActiveProfile(2));
    Attach(*page);
    EXPECT_EQ(List()->GetCurData(), 2);
    EXPECT_EQ(host->profile, 2);
}

TEST_F(ProfilePageTest, ANewProfileTakesTheLowestFreeNumber) {
    Attach(*page);
    ASSERT_TRUE(host->store.RenameProfile(2, "Work"));
    page->Reload();
    EXPECT_EQ(page->UniqueName(), "Profile 2");
    Press(CentreOf(ProfilePage::kNewId));
    ASSERT_EQ(List()->GetItemCount(), 4);
    EXPECT_EQ(List()->GetItemText(3), "Profile 2");
    const int id = static_cast<int>(List()->GetCurData());
    EXPECT_GT(id, 3);
    EXPECT_EQ(host->store.FindActiveProfile(), id);
    EXPECT_EQ(host->profile, id);
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kAssignAllButtons});
    EXPECT_EQ(host->waitDialogs, 1);
    EXPECT_EQ(host->reloads, 1);
    // Its settings can be changed like any other profile's.
    EXPECT_TRUE(host->store.SetConfigValue(id, "report_rate", "2"));
    std::string rate;
    ASSERT_TRUE(host->store.GetConfigValue(id, "report_rate", rate));
    EXPECT_EQ(rate, "2");
    EXPECT_EQ(page->UniqueName(), "Profile 4");
}

TEST_F(ProfilePageTest, TheLastProfileIsNeverDeleted) {
    Attach(*page);
    // The first entry hands over to the one after it.
    ClickRow(0);
    host->tasks.clear();
    Press(CentreOf(ProfilePage::kDeleteId));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Profile 2", "Profile 3"}));
    EXPECT_EQ(List()->GetCurData(), 2);
    EXPECT_EQ(host->store.FindActiveProfile(), 2);
    EXPECT_EQ(host->profile, 2);
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kAssignAllButtons});
    // Any later entry hands over to the one before it.
    List()->SetCurSel(1);
    EXPECT_TRUE(page->DeleteSelected());
    EXPECT_EQ(Names(), std::vector<std::string>{"Profile 2"});
    EXPECT_EQ(host->profile, 2);
    EXPECT_FALSE(page->DeleteSelected());
    Press(CentreOf(ProfilePage::kDeleteId));
    EXPECT_EQ(StoredProfiles(), 1);
    EXPECT_EQ(host->store.FindActiveProfile(), 2);
    EXPECT_EQ(host->tasks.size(), 2u);
}

TEST_F(ProfilePageTest, ChoosingAProfileSwitchesTheDevice) {
    Attach(*page);
    ClickRow(2);
    EXPECT_EQ(host->store.FindActiveProfile(), 3);
    EXPECT_EQ(host->profile, 3);
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kActivateProfile});
    EXPECT_EQ(host->waitDialogs, 1);
    EXPECT_EQ(host->reloads, 1);
}

TEST_F(ProfilePageTest, RenameStoresTheEditedName) {
    Attach(*page);
    List()->SetCurSel(1);
    EXPECT_TRUE(page->OnWindowMessage(ProfilePage::kRenameMessage, 0, 0));
    ASSERT_TRUE(List()->IsEditShown());
    List()->GetEdit()->SetText("Games");
    head->EditKey(List()->GetEdit(), VK_RETURN);
    Platform::ProcessPending();
    std::string stored;
    ASSERT_TRUE(host->store.GetProfileName(2, stored));
    EXPECT_EQ(stored, "Games");
    // An empty name is not kept.
    Press(CentreOf(ProfilePage::kRenameId));
    ASSERT_TRUE(List()->IsEditShown());
    List()->GetEdit()->SetText("");
    head->EditKey(List()->GetEdit(), VK_RETURN);
    Platform::ProcessPending();
    ASSERT_TRUE(host->store.GetProfileName(2, stored));
    EXPECT_EQ(stored, "Games");
    EXPECT_EQ(List()->GetItemText(1), "Games");
}

TEST_F(ProfilePageTest, ExportAndImportCarryTheButtonsAndTheirMacro) {
    Attach(*page);
    const int macro = host->store.CreateMacro("Macro 1");
    KeyAssignmentRow row;
    row.profile = 1;
    row.keyCode = 211;
    row.macroType = 3;
    row.macroValue = macro;
    row.macroDesc = "Macro 1";
    ASSERT_GT(host->store.SaveButtonAssignment(row), 0);
    const std::string file = host->dataFolder + "profile.xml";
    auto chooser = std::make_unique<PresetFileChooser>(file);
    PresetFileChooser* asked = chooser.get();
    page->SetFileChooser(std::move(chooser));
    Press(CentreOf(ProfilePage::kExportId));
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(asked->LastFilter(), "Profile (*.xml)");

    row.macroType = 5;
    row.macroValue = 211;
    ASSERT_GT(host->store.SaveButtonAssignment(row), 0);
    host->tasks.clear();
    Press(CentreOf(ProfilePage::kImportId));
    KeyAssignmentRow back;
    ASSERT_TRUE(host->store.GetButtonAssignment(1, 211, back));
    EXPECT_EQ(back.macroType, 3);
    EXPECT_EQ(back.macroValue, macro); // same name and id: the macro is reused
    EXPECT_EQ(StoredProfiles(), 3);    // a mouse file adds no profile
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kAssignAllButtons});
    EXPECT_EQ(host->reloads, 1);
}

TEST_F(ProfilePageTest, ExportWithoutASelectionSaysSo) {
    Attach(*page);
    List()->SetCurSel(-1);
    auto chooser = std::make_unique<PresetFileChooser>(host->dataFolder + "none.xml");
    PresetFileChooser* asked = chooser.get();
    page->SetFileChooser(std::move(chooser));
    EXPECT_FALSE(page->Export());
    ASSERT_EQ(host->boxes.size(), 1u);
    EXPECT_EQ(host->boxes[0].text, UiText::Dialog(151));
    EXPECT_EQ(host->boxes[0].caption, UiText::Dialog(152));
    EXPECT_EQ(asked->TimesAsked(), 0);
    // A cancelled or missing import changes nothing.
    page->SetFileChooser(std::make_unique<PresetFileChooser>(host->dataFolder + "missing.xml"));
    EXPECT_FALSE(page->Import());
    EXPECT_TRUE(host->tasks.empty());
}

} // namespace
