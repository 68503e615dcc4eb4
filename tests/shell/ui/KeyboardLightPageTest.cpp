#include "PageFixture.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/pages/KeyboardConfigPage.h"
#include "app/shell/pages/KeyboardLightPage.h"
#include "app/store/KeyLightRow.h"
#include "app/store/LightFrameStore.h"
#include "app/store/ProfileRow.h"
#include "ui/controls/DListBox.h"
#include "ui/core/MControlFont.h"
#include "ui/platform/Platform.h"
#include "ui/widgets/KEY_INFO.h"
#include "ui/widgets/KeyboardCtrl.h"

using namespace Tolva;

namespace {

std::string TitleOf(MControl* control) {
    auto* text = dynamic_cast<MControlFont*>(control);
    return text ? text->GetControlTitle() : std::string();
}

constexpr int kWave = 1;    // shipped frames, brightness, speed, direction, colour list
constexpr int kStatic = 5;  // no frames: the colour list shows on every key
constexpr int kCustom = 10; // per-key colours
constexpr int kOff = 12;    // no settings

class KeyboardLightPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        ASSERT_TRUE(host->UseDevice(101, "ORMAN-K101"));
        page_ = std::make_unique<KeyboardLightPage>(*host);
        Attach(*page_);
    }
    void TearDown() override {
        page_.reset();
        PageTest::TearDown();
    }
    Point KeyCentre(int keyValue) {
        KeyboardCtrl* k = page_->Preview();
        const std::vector<KEY_INFO*> keys = k->GetKeyItems();
        for (size_t i = 0; i < keys.size(); ++i)
            if (static_cast<int>(keys[i]->keyValue) == keyValue) {
                const Rect r = k->KeyScreenRect(static_cast<int>(i));
                return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            }
        return {-1, -1};
    }
    std::map<int, int> StoredColours() {
        std::vector<std::unique_ptr<KeyLightRow>> rows;
        host->store.LoadKeyColours(KeyboardLightPage::kPerKeyLightId, rows);
        std::map<int, int> colours;
        for (const auto& row : rows)
            colours[row->keyCode] = row->keyRgb;
        return colours;
    }
    std::unique_ptr<KeyboardLightPage> page_;
};

TEST_F(KeyboardLightPageTest, ListsTheLayoutModesAndPreviewsTheDefaultOne) {
    EXPECT_EQ(page_->Modes()->GetItemCount(), 12);
    EXPECT_EQ(page_->CurrentMode(), kWave) << "the layout's default mode";
    EXPECT_EQ(page_->Preview()->GetKeyCount(), 104);
    if (LightFrameStore::Instance().IsStoreOpen()) {
        EXPECT_EQ(page_->Preview()->GetKeyboardCtrlMode(), KeyboardLightPage::kAnimationPreview);
        EXPECT_EQ(page_->Preview()->GetFrameCount(), 24) << "the shipped wave has 24 frames";
    }
    ASSERT_TRUE(page_->SelectMode(kStatic));
    EXPECT_EQ(page_->Preview()->GetKeyboardCtrlMode(), KeyboardLightPage::kColourPreview);
    EXPECT_EQ(page_->Preview()->GetKeyColor(4), KeyboardLightPage::Colours()[0]);
    ASSERT_TRUE(page_->SelectMode(kOff));
    EXPECT_EQ(page_->Preview()->GetKeyColor(4), 0u);
    EXPECT_FALSE(Find(KeyboardLightPage::kBrightnessSlider)->IsVisible());
    EXPECT_EQ(host->store.GetActiveLightMode(host->profile), kOff);
}

TEST_F(KeyboardLightPageTest, ShownSettingsStackWithoutTheGapsOfHiddenOnes) {
    auto top = [&](unsigned id) { return Find(id)->GetRect().top; };
    // The wave has every row: as built.
    ASSERT_TRUE(page_->SelectMode(kWave));
    const int brightness = top(KeyboardLightPage::kBrightnessSlider);
    const int speed = top(KeyboardLightPage::kSpeedSlider);
    EXPECT_GT(top(KeyboardLightPage::kDirectionLeft), speed);
    EXPECT_GT(top(KeyboardLightPage::kFirstSwatch), top(KeyboardLightPage::kDirectionLeft));
    // Static: brightness and colours only; the colours take the speed's row.
    ASSERT_TRUE(page_->SelectMode(kStatic));
    EXPECT_FALSE(Find(KeyboardLightPage::kSpeedSlider)->IsVisible());
    EXPECT_EQ(top(KeyboardLightPage::kColourLabel), speed);
    EXPECT_EQ(top(KeyboardLightPage::kFirstSwatch), speed + 2) << "with the label";
    // The custom mode: brightness, colours, the key hint and its buttons one after another.
    ASSERT_TRUE(page_->SelectMode(kCustom));
    EXPECT_EQ(top(KeyboardLightPage::kBrightnessSlider), brightness);
    EXPECT_EQ(top(KeyboardLightPage::kColourLabel), speed);
    EXPECT_LT(top(KeyboardLightPage::kKeyHint), top(KeyboardLightPage::kDirectionLeft) + 50);
    EXPECT_GT(top(KeyboardLightPage::kSelectAll), top(KeyboardLightPage::kKeyHint));
    // Back to the wave: every row where it was.
    ASSERT_TRUE(page_->SelectMode(kWave));
    EXPECT_EQ(top(KeyboardLightPage::kSpeedSlider), speed);
    EXPECT_GT(top(KeyboardLightPage::kFirstSwatch), top(KeyboardLightPage::kDirectionLeft));
}

TEST_F(KeyboardLightPageTest, SettingsAreStoredAndSentAtOnce) {
    host->tasks.clear();
    ASSERT_TRUE(page_->SetBrightness(2));
    EXPECT_FALSE(page_->SetBrightness(2)) << "unchanged";
    EXPECT_TRUE(page_->SetBrightness(99)) << "held at the top of the range";
    ASSERT_TRUE(page_->SetSpeed(0));
    ASSERT_TRUE(page_->SetDirection(1));
    ASSERT_TRUE(page_->SelectColour(5));
    EXPECT_FALSE(page_->SelectColour(8));
    LightRow row;
    ASSERT_TRUE(host->store.GetLightRow(host->profile, kWave, row));
    EXPECT_EQ(row.brightness, KeyboardLightPage::kMaxBrightness);
    EXPECT_EQ(row.speed, 0);
    EXPECT_EQ(row.direction, 1);
    EXPECT_EQ(row.colorIndex, 5);
    EXPECT_EQ(host->tasks, std::vector<int>(5, CThreadBasic::kKeyboardLighting));
    EXPECT_EQ(page_->Preview()->GetTicksPerFrame(), 12) << "speed 0 animates slowest";
    // A reload shows what was stored.
    page_->Reload();
    EXPECT_EQ(page_->CurrentRow().colorIndex, 5);
}

TEST_F(KeyboardLightPageTest, CustomModePaintsKeysAndSendsTheTable) {
    ASSERT_TRUE(page_->SelectMode(kCustom));
    EXPECT_TRUE(Find(KeyboardLightPage::kSelectAll)->IsVisible());
    EXPECT_EQ(page_->Preview()->GetKeyboardCtrlMode(), KeyboardLightPage::kColourPreview);
    ASSERT_TRUE(page_->SelectColour(3)); // green
    host->tasks.clear();

    Click(KeyCentre(4));
    std::map<int, int> stored = StoredColours();
    EXPECT_EQ(stored.size(), 104u) << "every key has its row";
    EXPECT_EQ(stored[4], 0x00FF00);
    EXPECT_EQ(stored[5], 0);
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kKeyboardKeyLights});
    Click(KeyCentre(4));
    EXPECT_EQ(StoredColours()[4], 0) << "a second click puts it out";

    ASSERT_TRUE(page_->SetAllKeyColours(0x0000FF));
    stored = StoredColours();
    EXPECT_EQ(stored[41], 0x0000FF);
    EXPECT_EQ(stored[88], 0x0000FF);
    // What is stored comes back on the picture.
    page_->Reload();
    EXPECT_EQ(page_->Preview()->GetKeyColor(41), 0x0000FFu);
    EXPECT_FALSE(page_->SetKeyColour(9999, 0x00FF00)) << "no such key";

    // Outside the custom mode the keys are not painted.
    ASSERT_TRUE(page_->SelectMode(kStatic));
    EXPECT_FALSE(page_->SetKeyColour(4, 0x00FF00));
}

TEST_F(KeyboardLightPageTest, NewProfileGetsItsLightModes) {
    ProfileRow profile;
    profile.name = "Extra";
    const int id = host->store.AddProfile(profile);
    ASSERT_GT(id, 0);
    host->profile = id;
    page_->Reload();
    EXPECT_EQ(page_->Modes()->GetItemCount(), 12);
    EXPECT_GT(page_->CurrentMode(), 0);
}

class KeyboardConfigPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        ASSERT_TRUE(host->UseDevice(101, "ORMAN-K101"));
        page_ = std::make_unique<KeyboardConfigPage>(*host);
        Attach(*page_);
    }
    void TearDown() override {
        page_.reset();
        PageTest::TearDown();
    }
    std::unique_ptr<KeyboardConfigPage> page_;
};

TEST_F(KeyboardConfigPageTest, ResetOfTheKeysAsksFirst) {
    KeyAssignmentRow row;
    row.profile = host->profile;
    row.keyCode = 4;
    row.macroType = 2;
    row.macroValue = 5;
    ASSERT_GT(host->store.SaveKeyAssignment(row), 0);
    host->answers.push_back(2);
    EXPECT_FALSE(page_->ResetKeyAssignments());
    EXPECT_TRUE(host->store.GetKeyAssignment(host->profile, 0, 4, row));
    EXPECT_TRUE(host->tasks.empty());
    Click(CentreOf(KeyboardConfigPage::kResetKeysId));
    EXPECT_FALSE(host->store.GetKeyAssignment(host->profile, 0, 4, row));
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kKeyboardKeyTable});
    EXPECT_EQ(host->boxes.size(), 2u);
}

TEST_F(KeyboardConfigPageTest, InformationNamesTheDeviceAndVersions) {
    Click(CentreOf(KeyboardConfigPage::kInformationId));
    ASSERT_EQ(host->boxes.size(), 1u);
    const std::string text = host->boxes[0].text;
    EXPECT_NE(text.find("Device: ORMAN-K101"), std::string::npos) << text;
    EXPECT_NE(text.find("Firmware version: 102"), std::string::npos) << text;
    EXPECT_NE(text.find("Software version: 1."), std::string::npos) << text;
    EXPECT_EQ(host->boxes[0].style, 0);
}

} // namespace

namespace {

TEST_F(KeyboardLightPageTest, TextsFollowTheLanguage) {
    ASSERT_TRUE(page_->SelectMode(kCustom));
    for (int language : {Language::kEnglish, Language::kChinese}) {
        Language::SetCurrent(language);
        page_->ApplyTexts();
        Platform::ProcessPending();
        EXPECT_EQ(TitleOf(Find(KeyboardLightPage::kModeTitle)), UiText::Dialog(860));
        EXPECT_EQ(TitleOf(Find(KeyboardLightPage::kSelectAll)), UiText::Dialog(887));
        // The modes are named in the language shown, whichever one the layout was read in.
        ASSERT_GT(page_->Modes()->GetItemCount(), 1);
        EXPECT_EQ(page_->Modes()->GetItemText(0), UiText::Dialog(854));
        EXPECT_EQ(page_->Modes()->GetItemText(1), UiText::Dialog(852));
        if (const char* dir = std::getenv("PIVANE_SHOT_DIR"))
            head->SaveFrame(host->window.GetSafeHwnd(),
                            std::string(dir) + "/kb-light-" + std::to_string(language) + ".png");
    }
    Language::SetCurrent(Language::kEnglish);
    ASSERT_TRUE(page_->SelectMode(kWave));
    if (const char* dir = std::getenv("PIVANE_SHOT_DIR"))
        head->SaveFrame(host->window.GetSafeHwnd(), std::string(dir) + "/kb-light-wave.png");
}

} // namespace

namespace {

TEST_F(KeyboardConfigPageTest, TextsFollowTheLanguage) {
    for (int language : {Language::kEnglish, Language::kChinese}) {
        Language::SetCurrent(language);
        page_->ApplyTexts();
        Platform::ProcessPending();
        EXPECT_EQ(TitleOf(Find(KeyboardConfigPage::kResetKeysId)), UiText::Dialog(153));
        if (const char* dir = std::getenv("PIVANE_SHOT_DIR"))
            head->SaveFrame(host->window.GetSafeHwnd(),
                            std::string(dir) + "/kb-config-" + std::to_string(language) + ".png");
    }
    Language::SetCurrent(Language::kEnglish);
}

} // namespace
