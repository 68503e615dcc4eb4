#include "PageFixture.h"

#include "app/files/FileChooser.h"
#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/CustomKeyDlg.h"
#include "app/shell/pages/KeyboardKeyPage.h"
#include "app/shell/pages/ProfilePage.h"
#include "app/store/ProfileRow.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MText.h"
#include "ui/core/MControlFont.h"
#include "ui/core/MenuWnd.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"
#include "ui/widgets/CKeyboardTips.h"
#include "ui/widgets/KEY_INFO.h"
#include "ui/widgets/KeyFuncControl.h"
#include "ui/widgets/KeyboardCtrl.h"

#include <cstdlib>
#include <fstream>

using namespace Tolva;

namespace {

std::string TitleOf(MControl* control) {
    auto* text = dynamic_cast<MControlFont*>(control);
    return text ? text->GetControlTitle() : std::string();
}

// Answers the open-file dialog with a prepared path.
class AnswerChooser : public FileChooser {
public:
    explicit AnswerChooser(std::string path) : path_(std::move(path)) {}
    bool ChooseSaveFile(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool ChooseOpenFile(const std::string& filterName, const std::string& pattern,
                        std::string& path) override {
        filter = filterName + "|" + pattern;
        path = path_;
        return !path_.empty();
    }
    std::string filter;

private:
    std::string path_;
};

class CustomKeyTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        ASSERT_TRUE(host->UseDevice(101, "ORMAN-K101"));
    }
    // A dialog for key A (usage 4), open but without its loop.
    std::unique_ptr<CustomKeyDlg> Open(int type) {
        auto dlg = std::make_unique<CustomKeyDlg>(host->store, host->profile, 0, 4, "A", type);
        EXPECT_TRUE(dlg->Open(host->window.GetSafeHwnd()));
        return dlg;
    }
    void TearDown() override { PageTest::TearDown(); }
    bool Stored(KeyAssignmentRow& row) {
        return host->store.GetKeyAssignment(host->profile, 0, 4, row);
    }
};

TEST_F(CustomKeyTest, ModifierTextFollowsShiftCtrlWinAltWithTheJoinedPlus) {
    using D = CustomKeyDlg;
    EXPECT_EQ(D::ModifierText(0), "");
    EXPECT_EQ(D::ModifierText(D::kShift | D::kCtrl), "Shift+ Ctrl");
    EXPECT_EQ(D::ModifierText(D::kAlt | D::kCtrl), "Ctrl+ Alt");
    EXPECT_EQ(D::ModifierText(D::kWin), "Win");
    EXPECT_EQ(D::ModifierText(15), "Shift+ Ctrl+ Win+ Alt");
    EXPECT_EQ(D::KeyDescription(D::kShift | D::kCtrl, "A"), "Shift+ Ctrl + A");
    EXPECT_EQ(D::KeyDescription(0, "A"), "A");
    EXPECT_EQ(D::KeyDescription(D::kAlt, ""), "");
}

TEST_F(CustomKeyTest, KeyWithModifiersStoresTheFlagSumAndText) {
    auto dlg = Open(CustomKeyDlg::kKey);
    KeyAssignmentRow row;
    EXPECT_FALSE(dlg->Apply()) << "no key captured yet";
    EXPECT_FALSE(Stored(row));

    dlg->SetCapturedKey(6, "C");
    dlg->SetModifier(CustomKeyDlg::kShift, true);
    dlg->SetModifier(CustomKeyDlg::kWin, true);
    dlg->SetModifier(CustomKeyDlg::kAlt, true);
    EXPECT_EQ(dlg->Modifiers(), 2 + 8 + 4);
    dlg->SetModifier(CustomKeyDlg::kAlt, false);
    dlg->SetModifier(CustomKeyDlg::kCtrl, true);
    EXPECT_EQ(dlg->Modifiers(), 2 + 8 + 1);
    ASSERT_TRUE(dlg->Apply());
    ASSERT_TRUE(Stored(row));
    EXPECT_EQ(row.macroType, 2);
    EXPECT_EQ(row.macroValue, 6);
    EXPECT_EQ(row.macroValue2, 11);
    EXPECT_EQ(row.macroDesc, "Shift+ Ctrl+ Win + C");
    dlg->DestroyWindow();
}

TEST_F(CustomKeyTest, KeyCaptureTakesTheLastKeyWithACode) {
    auto dlg = Open(CustomKeyDlg::kKey);
    // The key box captures after a press on it.
    MControl* box = dlg->GetControl(CustomKeyDlg::kKeyEditId);
    ASSERT_NE(box, nullptr);
    const Rect r = box->GetRect();
    head->Click(dlg->GetSafeHwnd(), {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    Platform::ProcessPending();
    const LPARAM shiftScan = 0x2A << 16;
    dlg->OnWindowMessage(WM_KEYDOWN, VK_SHIFT, shiftScan);
    EXPECT_EQ(dlg->CapturedKey(), 225);
    dlg->OnWindowMessage(WM_KEYDOWN, 0x41, 0x1E << 16);
    dlg->OnWindowMessage(WM_KEYDOWN, 0xFF, 0); // no code: the last key stays
    EXPECT_EQ(dlg->CapturedKey(), 4);
    dlg->DestroyWindow();
}

TEST_F(CustomKeyTest, TextFunctionsNeedADescriptionAndStoreItAsExtraData) {
    for (int type : {CustomKeyDlg::kWebPage, CustomKeyDlg::kText}) {
        auto dlg = Open(type);
        KeyAssignmentRow row;
        const int before = host->store.AddKeyExtraData("probe", "", 1);
        dlg->SetText("");
        EXPECT_FALSE(dlg->Apply()) << type;
        EXPECT_FALSE(Stored(row)) << "an empty description cancels";
        EXPECT_EQ(host->store.AddKeyExtraData("probe", "", 1), before + 1)
            << "no extra data row was added";

        dlg->SetText("example.com");
        ASSERT_TRUE(dlg->Apply());
        ASSERT_TRUE(Stored(row));
        EXPECT_EQ(row.macroType, type);
        std::string description, parameter = "x";
        int stored = 0;
        host->store.GetKeyExtraData(row.macroValue, description, parameter, stored);
        EXPECT_EQ(description, "example.com");
        EXPECT_EQ(parameter, "");
        EXPECT_EQ(stored, type);
        EXPECT_EQ(row.macroDesc, "example.com");
        dlg->DestroyWindow();
        host->store.DeleteProfileKeyAssignments(host->profile);
    }
}

TEST_F(CustomKeyTest, ProfileSwitchKeepsTheProfileNumberAsParameter) {
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    ASSERT_GE(host->store.LoadProfileList(profiles), 2);
    const int second = profiles[1]->profile;
    auto dlg = Open(CustomKeyDlg::kProfile);
    EXPECT_EQ(dlg->FunctionCount(), static_cast<int>(profiles.size()));
    ASSERT_TRUE(dlg->SelectFunction(second));
    ASSERT_TRUE(dlg->Apply());
    KeyAssignmentRow row;
    ASSERT_TRUE(Stored(row));
    EXPECT_EQ(row.macroType, 11);
    std::string description, parameter;
    int type = 0;
    host->store.GetKeyExtraData(row.macroValue, description, parameter, type);
    EXPECT_EQ(parameter, std::to_string(second));
    EXPECT_EQ(description, profiles[1]->name);
    EXPECT_EQ(type, 11);
    dlg->DestroyWindow();
}

TEST_F(CustomKeyTest, ProgramNeedsAnExistingFileFromBrowse) {
    const std::string program = host->dataFolder + "tool.exe";
    std::ofstream(program) << "x";
    auto dlg = Open(CustomKeyDlg::kProgram);
    EXPECT_TRUE(dlg->GetControl(CustomKeyDlg::kBrowseId)->IsVisible());
    dlg->SetText("Tool");
    MControl* note = dlg->GetControl(CustomKeyDlg::kNoteId);
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->IsVisible());
    EXPECT_FALSE(dlg->Apply()) << "no program chosen";
    // A refusal a person can see: the dialog says what is missing.
    EXPECT_TRUE(note->IsVisible());
    EXPECT_EQ(TitleOf(note), UiText::Dialog(219));

    auto* missing = new AnswerChooser(host->dataFolder + "gone.exe");
    dlg->SetFileChooser(std::unique_ptr<FileChooser>(missing));
    EXPECT_FALSE(dlg->Browse());
    EXPECT_EQ(missing->filter, "Application (*.exe)|*.exe");
    EXPECT_EQ(dlg->ProgramPath(), "");

    dlg->SetFileChooser(std::make_unique<AnswerChooser>(program));
    ASSERT_TRUE(dlg->Browse());
    EXPECT_EQ(dlg->Text(), "tool.exe");
    EXPECT_FALSE(note->IsVisible()) << "a program was chosen";
    ASSERT_TRUE(dlg->Apply());
    KeyAssignmentRow row;
    ASSERT_TRUE(Stored(row));
    std::string description, parameter;
    int type = 0;
    host->store.GetKeyExtraData(row.macroValue, description, parameter, type);
    EXPECT_EQ(description, "tool.exe");
    EXPECT_EQ(parameter, program);
    dlg->DestroyWindow();

    // Other types have no browse button.
    auto web = Open(CustomKeyDlg::kWebPage);
    EXPECT_FALSE(web->GetControl(CustomKeyDlg::kBrowseId)->IsVisible());
    web->DestroyWindow();
}

TEST_F(CustomKeyTest, ListTypesOfferTheKeyboardCatalogue) {
    auto dlg = Open(CustomKeyDlg::kMouse);
    EXPECT_EQ(dlg->FunctionCount(), 5);
    EXPECT_FALSE(dlg->SelectFunction(4)) << "mouse functions are 1, 2, 3, 7, 8";
    ASSERT_TRUE(dlg->SelectFunction(8));
    dlg->SelectType(CustomKeyDlg::kMedia);
    EXPECT_EQ(dlg->FunctionCount(), 7);
    dlg->SelectType(CustomKeyDlg::kShortcut);
    EXPECT_EQ(dlg->FunctionCount(), 15);
    ASSERT_TRUE(dlg->SelectFunction(15));
    ASSERT_TRUE(dlg->Apply());
    KeyAssignmentRow row;
    ASSERT_TRUE(Stored(row));
    EXPECT_EQ(row.macroType, 7);
    EXPECT_EQ(row.macroValue, 15);
    EXPECT_EQ(row.macroDesc, "Close Window (Alt+F4)");
    dlg->DestroyWindow();

    auto macros = Open(CustomKeyDlg::kMacro);
    EXPECT_EQ(macros->FunctionCount(), 0);
    EXPECT_FALSE(macros->Apply()) << "no macro to choose";
    macros->DestroyWindow();
}

class KeyboardKeyPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        ASSERT_TRUE(host->UseDevice(101, "ORMAN-K101"));
        page_ = std::make_unique<KeyboardKeyPage>(*host);
        Attach(*page_);
    }
    void TearDown() override {
        page_.reset();
        PageTest::TearDown();
    }
    // The centre of a key of the picture, in window coordinates.
    Point KeyCentre(int keyValue) {
        KeyboardCtrl* k = page_->Keyboard();
        const std::vector<KEY_INFO*> keys = k->GetKeyItems();
        for (size_t i = 0; i < keys.size(); ++i)
            if (static_cast<int>(keys[i]->keyValue) == keyValue) {
                const Rect r = k->KeyScreenRect(static_cast<int>(i));
                return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            }
        return {-1, -1};
    }
    std::unique_ptr<KeyboardKeyPage> page_;
};

TEST_F(KeyboardKeyPageTest, ShowsTheLayoutKeysAndAssignsAPickedFunction) {
    ASSERT_EQ(page_->Keyboard()->GetKeyCount(), 104);
    EXPECT_EQ(page_->SelectedKey(), 41) << "the first key of the layout";
    Click(KeyCentre(4)); // A
    EXPECT_EQ(page_->SelectedKey(), 4);

    // F1 of the function keyboard: usage 58.
    KeyFuncControl* functions = page_->Functions();
    const Rect f = functions->GetRect();
    Click({f.left + 96, f.top + 52});
    KeyAssignmentRow row;
    ASSERT_TRUE(host->store.GetKeyAssignment(host->profile, 0, 4, row));
    EXPECT_EQ(row.macroType, 2);
    EXPECT_EQ(row.macroValue, 58);
    EXPECT_EQ(row.macroDesc, "F1");
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kKeyboardKeyTable});
    EXPECT_EQ(host->waitDialogs, 1);

    // Assigned keys stay marked after a reload.
    page_->Reload();
    int checked = 0;
    for (const KEY_INFO* key : page_->Keyboard()->GetKeyItems())
        if (key->checked) {
            ++checked;
            EXPECT_EQ(key->keyValue, 4u);
        }
    EXPECT_EQ(checked, 1);

    // Its own function again: the row goes.
    host->tasks.clear();
    EXPECT_TRUE(page_->SelectKey(4));
    EXPECT_TRUE(page_->AssignFunction(4));
    EXPECT_FALSE(host->store.GetKeyAssignment(host->profile, 0, 4, row));
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kKeyboardKeyTable});
    EXPECT_FALSE(page_->RestoreDefault()) << "nothing left to restore";
}

TEST_F(KeyboardKeyPageTest, MenuChoicesOpenTheDialogOrRestoreOnce) {
    ASSERT_TRUE(page_->SelectKey(5));
    // The dialog opens on the chosen type; applying from inside its loop stores.
    int seenType = 0;
    page_->SetDialogHook([&](CustomKeyDlg& dlg) {
        seenType = dlg.CurrentType();
        dlg.SelectFunction(2);
        dlg.Apply();
    });
    page_->OnWindowMessage(KeyboardKeyPage::kMenuMessage, 0, KeyboardKeyPage::kMenuShortcut);
    EXPECT_EQ(seenType, 0) << "no menu was open: a stray post is not a choice";
    EXPECT_TRUE(page_->OpenCustomKey(CustomKeyDlg::kShortcut));
    EXPECT_EQ(seenType, CustomKeyDlg::kShortcut);
    KeyAssignmentRow row;
    ASSERT_TRUE(host->store.GetKeyAssignment(host->profile, 0, 5, row));
    EXPECT_EQ(row.macroType, 7);
    EXPECT_EQ(page_->DisplayText(row), "Copy (Ctrl+C)");
    EXPECT_TRUE(page_->RestoreDefault());
    EXPECT_FALSE(host->store.GetKeyAssignment(host->profile, 0, 5, row));

    // A dialog closed without applying changes nothing.
    host->tasks.clear();
    page_->SetDialogHook([](CustomKeyDlg& dlg) { dlg.DoCancel(); });
    EXPECT_FALSE(page_->OpenCustomKey(CustomKeyDlg::kMouse));
    EXPECT_TRUE(host->tasks.empty());
}

TEST_F(KeyboardKeyPageTest, KeyTipShowsBesideTheKeysMenuWithoutClosingIt) {
    NativeWindow* w = host->window.GetSafeHwnd();
    const Point b = KeyCentre(5);
    head->MouseMove(w, b);
    head->Click(w, b, MouseButton::Right);
    Platform::ProcessPending();
    ASSERT_NE(page_->Menu(), nullptr);
    NativeWindow* menu = page_->Menu()->GetSafeHwnd();
    ASSERT_TRUE(menu && Platform::IsWindow(menu));
    // The pointer rests on the key a moment longer, as a hand does on its way to the menu.
    head->MouseMove(w, {b.x - 1, b.y});
    head->MouseMove(w, {b.x - 2, b.y});
    Platform::ProcessPending();
    CKeyboardTips* tip = page_->Keyboard()->GetTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->IsWindowVisible());
    EXPECT_TRUE(Platform::IsWindow(menu)) << "the tip took the menu's activation";
    // The menu still answers: its first row opens the dialog.
    int opened = 0;
    page_->SetDialogHook([&](CustomKeyDlg& dlg) {
        ++opened;
        dlg.DoCancel();
    });
    head->MouseMove(menu, {20, MenuWnd::kItemHeight / 2});
    head->Click(menu, {20, MenuWnd::kItemHeight / 2});
    Platform::ProcessPending();
    EXPECT_EQ(opened, 1);
}

TEST_F(KeyboardKeyPageTest, PrefixedKeyboardSaysWhenNoDriverCanTakeItsKeys) {
    auto hint = [&] {
        return dynamic_cast<MControlFont*>(Find(KeyboardKeyPage::kHintId))->GetTitle();
    };
    const std::string missing = UiText::Dialog(890);
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(hint().find(missing), std::string::npos) << "the feature family takes a key table";
    ASSERT_TRUE(host->UseDevice(301, "ORMAN-K301"));
    page_->Reload();
    EXPECT_NE(hint().find(missing), std::string::npos);
    EXPECT_EQ(hint().find(UiText::Dialog(218)), 0u) << "after the usual hint";
    if (const char* dir = std::getenv("PIVANE_SHOT_DIR")) {
        Platform::ProcessPending();
        head->SaveFrame(host->window.GetSafeHwnd(), std::string(dir) + "/kb-keys-no-driver.png");
    }
    // The assignment is still kept and sent (task 6 loads the driver's table when it comes).
    ASSERT_TRUE(page_->SelectKey(5));
    EXPECT_TRUE(page_->AssignFunction(58));
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kKeyboardKeyTable});
    host->remapsKeys = true;
    page_->Reload();
    EXPECT_EQ(hint().find(missing), std::string::npos);
}

TEST_F(KeyboardKeyPageTest, MouseFamilyShowsNoKeys) {
    host->deviceType = 601;
    page_->Reload();
    EXPECT_EQ(page_->Keyboard()->GetKeyCount(), 0);
    EXPECT_FALSE(page_->AssignFunction(58)) << "no key is selected";
}

class KeyboardProfileListTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        ASSERT_TRUE(host->UseDevice(301, "ORMAN-K301"));
        page_ = std::make_unique<ProfilePage>(*host, ProfilePage::KeyboardFamily());
        Attach(*page_);
    }
    void TearDown() override {
        page_.reset();
        PageTest::TearDown();
    }
    std::unique_ptr<ProfilePage> page_;
};

TEST_F(KeyboardProfileListTest, KeyboardIdsAndTasks) {
    EXPECT_EQ(page_->PageId(), 1);
    for (unsigned id : {59u, 60u, 61u, 62u, 63u, 65u})
        EXPECT_NE(Find(id), nullptr) << id;
    ASSERT_EQ(page_->List()->GetItemCount(), 3);
    Click(CentreOf(59));
    EXPECT_EQ(page_->List()->GetItemCount(), 4);
    EXPECT_EQ(host->tasks,
              (std::vector<int>{CThreadBasic::kKeyboardKeyTable, CThreadBasic::kKeyboardLighting}));
    // The rename request belongs to the list of the shown family.
    EXPECT_TRUE(page_->OnWindowMessage(ProfilePage::kRenameMessage, 0, 0));
    host->deviceType = 601;
    EXPECT_FALSE(page_->OnWindowMessage(ProfilePage::kRenameMessage, 0, 0));
}

} // namespace

namespace {

// The page with its profile list and the dialog in both languages: every text comes from the
// language's own file (PIVANE_SHOT_DIR keeps the frames for a look).
TEST_F(KeyboardKeyPageTest, TextsFollowTheLanguage) {
    ProfilePage profiles(*host, ProfilePage::KeyboardFamily());
    profiles.Build();
    profiles.Reload();
    ASSERT_TRUE(page_->SelectKey(4));
    ASSERT_TRUE(page_->AssignFunction(58));
    std::string englishHint;
    for (int language : {Language::kEnglish, Language::kChinese}) {
        Language::SetCurrent(language);
        profiles.ApplyTexts();
        page_->ApplyTexts();
        Platform::ProcessPending();
        const std::string hint = TitleOf(Find(KeyboardKeyPage::kHintId));
        EXPECT_EQ(hint, UiText::Dialog(218));
        EXPECT_FALSE(hint.empty());
        if (language == Language::kEnglish)
            englishHint = hint;
        else
            EXPECT_NE(hint, englishHint);
        EXPECT_EQ(profiles.List()->GetItemText(0), UiText::Dialog(65) + " 1");
        EXPECT_NE(page_->Status()->GetControlTitle().find("F1"), std::string::npos);
        const char* dir = std::getenv("PIVANE_SHOT_DIR");
        if (dir)
            head->SaveFrame(host->window.GetSafeHwnd(),
                            std::string(dir) + "/kb-keys-" + std::to_string(language) + ".png");
        for (int type : {CustomKeyDlg::kKey, CustomKeyDlg::kProgram}) {
            CustomKeyDlg dlg(host->store, host->profile, 0, 4, "A", type);
            ASSERT_TRUE(dlg.Open(host->window.GetSafeHwnd()));
            dlg.ShowWindow(SW_SHOW);
            Platform::ProcessPending();
            EXPECT_EQ(TitleOf(dlg.GetControl(CustomKeyDlg::kTypeLabelId)), UiText::Dialog(202));
            if (dir)
                head->SaveFrame(dlg.GetSafeHwnd(), std::string(dir) + "/kb-dialog-" +
                                                       std::to_string(type) + "-" +
                                                       std::to_string(language) + ".png");
            dlg.DestroyWindow();
        }
    }
    Language::SetCurrent(Language::kEnglish);
}

} // namespace
