#include "PageFixture.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/SoftwareFunction.h"
#include "app/shell/pages/MouseKeyPage.h"
#include "app/shell/pages/ProfilePage.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MComboBox.h"
#include "ui/controls/MEdit.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"
#include "ui/widgets/MouseCtrl.h"
#include "ui/widgets/MouseKeyCtrl.h"

#include <cstdlib>
#include <string>
#include <vector>

using namespace Tolva;

namespace {

constexpr int kLeft = 208, kRight = 209, kMiddle = 210, kBack = 211;

// Records the software functions instead of starting anything.
class RecordingFunction : public SoftwareFunction {
public:
    explicit RecordingFunction(std::vector<std::string>& uris) : uris_(uris) {}

protected:
    bool RunProgram(const std::string&) override { return true; }
    bool OpenUri(const std::string& uri) override {
        uris_.push_back(uri);
        return true;
    }
    bool TypeText(const std::string&) override { return true; }

private:
    std::vector<std::string>& uris_;
};

class MouseKeyPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        if (HasFatalFailure()) return;
        // As in the window, only the shown page's layout takes the pointer.
        for (unsigned id : {50u, 51u, 52u, 53u, 54u, 502u, 503u, 504u})
            if (MTabLayout* layout = host->FindLayout(id)) layout->SetVisible(false);
        page = std::make_unique<MouseKeyPage>(*host);
        page->SetSoftwareFunction(std::make_unique<RecordingFunction>(uris));
    }
    void TearDown() override {
        if (host) host->window.page = nullptr;
        page.reset();
        PageTest::TearDown();
    }

    MouseKeyCtrl* Keys() { return dynamic_cast<MouseKeyCtrl*>(Find(MouseKeyPage::kKeyListId)); }
    MouseCtrl* Picture() { return dynamic_cast<MouseCtrl*>(Find(MouseKeyPage::kPictureId)); }
    MComboBox* Types() { return dynamic_cast<MComboBox*>(Find(MouseKeyPage::kTypeComboId)); }
    MComboBox* Functions() {
        return dynamic_cast<MComboBox*>(Find(MouseKeyPage::kFunctionComboId));
    }
    MEdit* KeyEdit() { return dynamic_cast<MEdit*>(Find(MouseKeyPage::kKeyEditId)); }

    int IndexOf(int keyCode) {
        for (int i = 0; i < Keys()->GetItemCount(); ++i)
            if (Keys()->GetItemKeyValue(i) == keyCode) return i;
        return -1;
    }
    std::string DescOf(int keyCode) { return Keys()->GetItemKeyDesc(IndexOf(keyCode)); }
    // A click on the button's row of the list.
    void ClickButton(int keyCode) {
        const Rect list = Keys()->GetRect();
        const Rect row = Keys()->GetItemRect(IndexOf(keyCode));
        Press({list.left + row.left + 20, list.top + (row.top + row.bottom) / 2});
    }
    // Chooses a type as the combo's choice does, then a function of its list by value.
    void Choose(int type, int value) {
        ASSERT_EQ(Types()->SelectData(type), 1);
        page->OnNotify(MouseKeyPage::kTypeComboId, 2, Types()->GetCurSel(), 0);
        if (type != MouseKeyPage::kKeyboardKey) {
            ASSERT_EQ(Functions()->SelectData(value), 1);
        }
    }
    void ClickApply() { Press(CentreOf(MouseKeyPage::kApplyId)); }
    void Key(int vk, int scan, bool extended = false, bool release = false) {
        page->OnWindowMessage(ShellPage::kKeyEvent, static_cast<WPARAM>(vk),
                              KeyLParam(1, scan, extended, release, release));
    }
    KeyAssignmentRow Stored(int keyCode) {
        KeyAssignmentRow row;
        host->store.GetButtonAssignment(host->profile, keyCode, row);
        return row;
    }

    // The pointer comes to the point first: presses go to the control under it.
    void Press(Point pt) {
        head->MouseMove(host->window.GetSafeHwnd(), pt);
        Click(pt);
    }

    std::unique_ptr<MouseKeyPage> page;
    std::vector<std::string> uris;
};

TEST_F(MouseKeyPageTest, LoadsTheLayoutsButtonsWithTheStoredDescriptions) {
    KeyAssignmentRow row;
    row.profile = 1;
    row.keyCode = kBack;
    row.macroType = MouseKeyPage::kMediaFunction;
    row.macroValue = 235; // mute
    row.macroDesc = "stale text";
    ASSERT_GT(host->store.SaveButtonAssignment(row), 0);
    row.keyCode = kMiddle;
    row.macroType = MouseKeyPage::kShortcut;
    row.macroValue = 4;
    ASSERT_GT(host->store.SaveButtonAssignment(row), 0);
    Attach(*page);
    ASSERT_EQ(Keys()->GetItemCount(), 6);
    ASSERT_EQ(Picture()->GetItemCount(), 6);
    EXPECT_EQ(DescOf(kLeft), UiText::Dialog(820));
    EXPECT_EQ(DescOf(kBack), UiText::Dialog(236));
    EXPECT_EQ(DescOf(kMiddle), UiText::Dialog(704));
    EXPECT_EQ(Picture()->GetItemText(IndexOf(kBack)), UiText::Dialog(236));
    // The first button is selected in both, with the mouse functions in the catalogue's order.
    EXPECT_EQ(page->SelectedButton(), kLeft);
    EXPECT_EQ(Keys()->GetSelectItem(), IndexOf(kLeft));
    EXPECT_EQ(Picture()->GetItemKeyValue(Picture()->GetSelectItem()), kLeft);
    EXPECT_EQ(Types()->GetCurData(), MouseKeyPage::kMouseFunction);
    ASSERT_EQ(Functions()->GetItemCount(), 6);
    EXPECT_EQ(Functions()->GetItemData(5), 213);
    EXPECT_EQ(Functions()->GetItemText(5), UiText::Dialog(835));
    ASSERT_EQ(Types()->GetItemCount(), 5);
    EXPECT_EQ(Types()->GetItemData(1), MouseKeyPage::kKeyboardKey);
}

TEST_F(MouseKeyPageTest, ListAndPictureFollowEachOther) {
    Attach(*page);
    ClickButton(kMiddle);
    EXPECT_EQ(page->SelectedButton(), kMiddle);
    EXPECT_EQ(Picture()->GetItemKeyValue(Picture()->GetSelectItem()), kMiddle);
    // A press on a call-out label selects the same button in the list.
    const Rect pic = Picture()->GetRect();
    const Rect label = Picture()->GetItemRect(IndexOf(kRight));
    Press({pic.left + (label.left + label.right) / 2, pic.top + (label.top + label.bottom) / 2});
    EXPECT_EQ(page->SelectedButton(), kRight);
    EXPECT_EQ(Keys()->GetItemKeyValue(Keys()->GetSelectItem()), kRight);
}

TEST_F(MouseKeyPageTest, TheOnlyLeftButtonKeepsItsFunction) {
    Attach(*page);
    Choose(MouseKeyPage::kMouseFunction, kRight);
    ClickApply();
    ASSERT_EQ(host->boxes.size(), 1u);
    EXPECT_EQ(host->boxes[0].caption, UiText::Dialog(840));
    EXPECT_EQ(host->boxes[0].text, UiText::Dialog(841));
    EXPECT_EQ(Stored(kLeft).keyCode, 0);
    EXPECT_TRUE(host->tasks.empty());
    EXPECT_EQ(host->waitDialogs, 0);
    EXPECT_EQ(DescOf(kLeft), UiText::Dialog(820));
}

TEST_F(MouseKeyPageTest, WithTwoLeftButtonsOneMayChange) {
    Attach(*page);
    ClickButton(kBack);
    Choose(MouseKeyPage::kMouseFunction, kLeft);
    ClickApply();
    EXPECT_EQ(DescOf(kBack), UiText::Dialog(820));
    EXPECT_EQ(Stored(kBack).macroValue, kLeft);
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kAssignButton});
    EXPECT_EQ(host->waitDialogs, 1);

    ClickButton(kLeft);
    Choose(MouseKeyPage::kMediaFunction, 238);
    ClickApply();
    EXPECT_TRUE(host->boxes.empty());
    EXPECT_EQ(DescOf(kLeft), UiText::Dialog(230));
    EXPECT_EQ(Stored(kLeft).macroType, MouseKeyPage::kMediaFunction);

    // Now the back button is the only left button.
    ClickButton(kBack);
    Choose(MouseKeyPage::kShortcut, 2);
    ClickApply();
    EXPECT_EQ(host->boxes.size(), 1u);
    EXPECT_EQ(Stored(kBack).macroValue, kLeft);
    EXPECT_EQ(host->tasks.size(), 2u);
}

TEST_F(MouseKeyPageTest, CaptureTakesTheLastKeyAndEndsWhenTheEditIsLeft) {
    Attach(*page);
    ClickButton(kRight);
    Choose(MouseKeyPage::kKeyboardKey, 0);
    EXPECT_TRUE(KeyEdit()->IsVisible());
    EXPECT_FALSE(Functions()->IsVisible());
    Key(VK_SHIFT, 0x2A); // ignored: no capture yet
    EXPECT_EQ(page->CapturedKey(), 0);
    Press(CentreOf(MouseKeyPage::kKeyEditId));
    EXPECT_EQ(page->Mode(), MouseKeyPage::kCaptureMode);

    Key(VK_SHIFT, 0x2A);
    EXPECT_EQ(page->CapturedKey(), 225);
    EXPECT_EQ(KeyEdit()->GetEditText(), "Shift");
    EXPECT_TRUE(page->Held().IsHeld(VK_LSHIFT));
    Key(VK_SHIFT, 0x2A, false, true);
    EXPECT_FALSE(page->Held().IsHeld(VK_LSHIFT));
    // Num Lock off: keypad 5 arrives as Clear.
    Key(VK_CLEAR, 76);
    EXPECT_EQ(page->CapturedKey(), 93);
    EXPECT_EQ(KeyEdit()->GetEditText(), "Num 5");
    // A key without a code leaves the captured one.
    Key(VK_VOLUME_MUTE, 0x20, true);
    EXPECT_EQ(page->CapturedKey(), 93);

    ClickApply();
    EXPECT_EQ(page->Mode(), 0);
    const KeyAssignmentRow row = Stored(kRight);
    EXPECT_EQ(row.macroType, MouseKeyPage::kKeyboardKey);
    EXPECT_EQ(row.macroValue, 93);
    EXPECT_EQ(row.macroDesc, "Num 5");
    EXPECT_EQ(DescOf(kRight), "Num 5");
    // Keys after capture ended change nothing.
    Key('A', 0x1E);
    EXPECT_EQ(KeyEdit()->GetEditText(), "Num 5");
    EXPECT_EQ(page->CapturedKey(), 93);
}

TEST_F(MouseKeyPageTest, AKeyWithoutNameOrCodeIsNotApplied) {
    Attach(*page);
    ClickButton(kRight);
    Choose(MouseKeyPage::kKeyboardKey, 0);
    Press(CentreOf(MouseKeyPage::kKeyEditId));
    ClickApply();
    EXPECT_EQ(Stored(kRight).keyCode, 0);
    EXPECT_TRUE(host->tasks.empty());
    EXPECT_EQ(DescOf(kRight), UiText::Dialog(821));
}

TEST_F(MouseKeyPageTest, MacroNamesFollowTheInterfaceLanguage) {
    EXPECT_EQ(MouseKeyPage::MacroDisplayName("Macro 3", Language::kChinese, "X"), "X 3");
    EXPECT_EQ(MouseKeyPage::MacroDisplayName("Macro 3", Language::kEnglish, "X"), "Macro 3");
    EXPECT_EQ(MouseKeyPage::MacroDisplayName("\xE5\xAE\x8F"
                                             "7",
                                             Language::kEnglish, "Macro"),
              "Macro7");
    EXPECT_EQ(MouseKeyPage::MacroDisplayName("macro 3", Language::kChinese, "X"), "macro 3");

    Language::SetCurrent(Language::kChinese);
    const int macro = host->store.CreateMacro("Macro 3");
    ASSERT_GT(macro, 0);
    KeyAssignmentRow row;
    row.profile = 1;
    row.keyCode = kMiddle;
    row.macroType = MouseKeyPage::kMacro;
    row.macroValue = macro;
    row.macroDesc = "Macro 3";
    ASSERT_GT(host->store.SaveButtonAssignment(row), 0);
    Attach(*page);
    const std::string shown = UiText::Dialog(331) + " 3";
    EXPECT_EQ(shown, "\xE5\xAE\x8F 3");
    EXPECT_EQ(DescOf(kMiddle), shown);
    ClickButton(kMiddle);
    EXPECT_EQ(Types()->GetCurData(), MouseKeyPage::kMacro);
    EXPECT_EQ(Functions()->GetItemText(Functions()->GetCurSel()), shown);
    Language::SetCurrent(Language::kEnglish);
}

TEST_F(MouseKeyPageTest, ANewMacroJoinsTheList) {
    const int first = host->store.CreateMacro("Macro 1");
    Attach(*page);
    ClickButton(kBack);
    Choose(MouseKeyPage::kMacro, first);
    EXPECT_EQ(Functions()->GetItemCount(), 1);
    const int second = host->store.CreateMacro("Macro 2");
    page->OnWindowMessage(ShellPage::kMacrosChanged, 0, 0);
    ASSERT_EQ(Functions()->GetItemCount(), 2);
    EXPECT_EQ(Functions()->GetCurData(), first);
    Functions()->SelectData(second);
    ClickApply();
    EXPECT_EQ(Stored(kBack).macroValue, second);
    EXPECT_EQ(DescOf(kBack), "Macro 2");
}

TEST_F(MouseKeyPageTest, SoftwareFunctionsOpenPagesAndSwitchProfiles) {
    Attach(*page);
    const int bare = host->store.AddKeyExtraData("example.com", "", 9);
    const int full = host->store.AddKeyExtraData("https://www.example.com/a", "", 9);
    const int profile = host->store.AddKeyExtraData("Profile 3", "3", 11);
    EXPECT_TRUE(page->OnWindowMessage(MouseKeyPage::kSoftwareFunctionMessage, 0, bare));
    EXPECT_TRUE(page->OnWindowMessage(MouseKeyPage::kSoftwareFunctionMessage, 0, full));
    EXPECT_EQ(uris,
              (std::vector<std::string>{"http://www.example.com", "https://www.example.com/a"}));

    page->OnWindowMessage(MouseKeyPage::kSoftwareFunctionMessage, 0, profile);
    EXPECT_EQ(host->profile, 3);
    EXPECT_EQ(host->store.FindActiveProfile(), 3);
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kActivateProfile});
    EXPECT_EQ(host->reloads, 1);
    // A profile that does not exist changes nothing.
    const int gone = host->store.AddKeyExtraData("Profile 9", "9", 11);
    page->OnWindowMessage(MouseKeyPage::kSoftwareFunctionMessage, 0, gone);
    EXPECT_EQ(host->profile, 3);
    EXPECT_EQ(host->tasks.size(), 1u);
}

TEST_F(MouseKeyPageTest, AssignmentsBelongToTheCurrentProfile) {
    Attach(*page);
    ClickButton(kMiddle);
    Choose(MouseKeyPage::kMediaFunction, 234);
    ClickApply();
    host->profile = 2;
    page->Reload();
    EXPECT_EQ(DescOf(kMiddle), UiText::Dialog(822));
    host->profile = 1;
    page->Reload();
    EXPECT_EQ(DescOf(kMiddle), UiText::Dialog(234));
}

} // namespace

namespace {

// Both pages of layout 501 side by side in each language: every button and list has its text.
// With PIVANE_SHOT_DIR set the frames are also written there as PNG for a person to look at.
TEST_F(MouseKeyPageTest, BothPagesShowTheirTextsInEitherLanguage) {
    ProfilePage profiles(*host);
    for (int language : {Language::kEnglish, Language::kChinese}) {
        Language::SetCurrent(language);
        if (language == Language::kEnglish) {
            Attach(*page);
            profiles.Build();
            profiles.Reload();
        }
        // A change of language re-applies the texts only; nothing is reloaded for it.
        profiles.ApplyTexts();
        page->ApplyTexts();
        Platform::ProcessPending();
        EXPECT_EQ(Types()->GetItemText(Types()->GetCurSel()), UiText::Dialog(207));
        EXPECT_EQ(Functions()->GetItemText(0), UiText::Dialog(820));
        EXPECT_EQ(Keys()->GetItemKeyName(0), UiText::Dialog(811));
        EXPECT_EQ(profiles.List()->GetItemText(0), UiText::Dialog(65) + " 1");
        EXPECT_EQ(Find(ProfilePage::kNewId)->GetTooltip(), UiText::Dialog(28));
        if (const char* dir = std::getenv("PIVANE_SHOT_DIR"))
            head->SaveFrame(host->window.GetSafeHwnd(),
                            std::string(dir) + "/keypage-" + std::to_string(language) + ".png");
    }
    Language::SetCurrent(Language::kEnglish);
}

} // namespace
