#include "PageFixture.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/audio/Visualizer.h"
#include "app/shell/pages/LightingPage.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/DListBox.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MText.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/CirclePalette.h"
#include "ui/widgets/MPalette.h"
#include "ui/widgets/MouseLight.h"

#include <array>
#include <cstdlib>

using namespace Tolva;

namespace {

constexpr int kTask = CThreadBasic::kMouseLighting;

class LightingPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        if (HasFatalFailure()) return;
        // As in the window, only the shown page's layout takes the pointer.
        for (unsigned id : {50u, 51u, 52u, 53u, 54u, 501u, 502u, 504u})
            if (MTabLayout* layout = host->FindLayout(id)) layout->SetVisible(false);
        page = std::make_unique<LightingPage>(*host);
        Attach(*page);
    }
    void TearDown() override {
        if (host) host->window.page = nullptr;
        page.reset();
        PageTest::TearDown();
    }

    bool Shown(unsigned id) {
        MControl* c = Find(id);
        return c && c->IsVisible();
    }
    // Clicks the list row of a mode; false when the list has no such mode.
    bool ChooseMode(int mode) {
        auto* list = dynamic_cast<DListBox*>(Find(LightingPage::kModeList));
        if (!list) return false;
        const int index = list->FindItemData(mode);
        if (index < 0) return false;
        const Rect r = list->GetItemRect(index);
        Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        return page->SelectedMode() == mode;
    }
    LightRow Row(int mode, int profile = 1) {
        LightRow row;
        EXPECT_TRUE(host->store.GetLightRow(profile, mode, row));
        return row;
    }
    std::string Config(const std::string& key, int profile = 1) {
        std::string value;
        host->store.GetConfigValue(profile, key, value);
        return value;
    }
    // Press on the slider's thumb, moves to each x, release at the last.
    void Drag(MSlider& slider, std::initializer_list<int> xs) {
        const Rect thumb = slider.ThumbRect();
        Point at{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
        NativeWindow* w = host->window.GetSafeHwnd();
        head->MouseMove(w, at);
        head->MouseDown(w, MouseButton::Left, at);
        for (int x : xs) {
            at.x = x;
            head->MouseMove(w, at);
            Platform::ProcessPending();
        }
        head->MouseUp(w, MouseButton::Left, at);
        Platform::ProcessPending();
    }

    std::unique_ptr<LightingPage> page;
};

} // namespace

TEST_F(LightingPageTest, ModeSelectionShowsTheGroupsOfItsAttributeBits) {
    auto* list = dynamic_cast<DListBox*>(Find(LightingPage::kModeList));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetItemCount(), 10);
    EXPECT_EQ(list->GetItemText(0), "Off");
    // Loading shows the layout's default mode, Breathing (0x23), and sends nothing.
    EXPECT_EQ(page->SelectedMode(), 3);
    EXPECT_TRUE(host->tasks.empty());
    EXPECT_TRUE(Shown(LightingPage::kBrightnessSlider));
    EXPECT_TRUE(Shown(LightingPage::kSpeedSlider));
    EXPECT_FALSE(Shown(LightingPage::kDirectionLeft));
    EXPECT_TRUE(Shown(LightingPage::kColourWheel));
    EXPECT_TRUE(Shown(LightingPage::kRedEdit + 2));
    EXPECT_FALSE(Shown(LightingPage::kAreaFirst));
    EXPECT_FALSE(Shown(LightingPage::kOptionBox));

    ASSERT_TRUE(ChooseMode(6)); // Wave: brightness, speed, direction
    EXPECT_TRUE(Shown(LightingPage::kDirectionLeft));
    EXPECT_TRUE(Shown(LightingPage::kDirectionRight));
    EXPECT_FALSE(Shown(LightingPage::kColourWheel));
    EXPECT_FALSE(Shown(LightingPage::kRedEdit));
    EXPECT_EQ(host->store.GetActiveLightMode(1), 6);
    EXPECT_EQ(Config(LightingPage::kModeKey), "6");
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});
    EXPECT_EQ(host->waitDialogs, 1);

    host->tasks.clear();
    ASSERT_TRUE(ChooseMode(5)); // zone colours: brightness and six areas
    for (int i = 0; i < LightingPage::kAreaCount; ++i)
        EXPECT_TRUE(Shown(LightingPage::kAreaFirst + i)) << i;
    EXPECT_TRUE(Shown(LightingPage::kAreaPalette));
    EXPECT_FALSE(Shown(LightingPage::kSpeedSlider));
    ASSERT_TRUE(ChooseMode(7)); // 0x63: the option box too
    EXPECT_TRUE(Shown(LightingPage::kOptionBox));
    EXPECT_FALSE(Shown(LightingPage::kAreaFirst));
    ASSERT_TRUE(ChooseMode(8));
    EXPECT_EQ(page->Attributes(), LightingPage::kMusicBit | LightingPage::kBrightnessBit);
    ASSERT_TRUE(ChooseMode(1)); // Off: nothing to set
    EXPECT_EQ(page->Attributes(), 0);
    for (unsigned id :
         {LightingPage::kBrightnessSlider, LightingPage::kSpeedSlider, LightingPage::kDirectionLeft,
          LightingPage::kColourWheel, LightingPage::kAreaFirst, LightingPage::kOptionBox})
        EXPECT_FALSE(Shown(id)) << id;
    auto* picture = dynamic_cast<MouseLight*>(Find(LightingPage::kMousePicture));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetItemCount(), LightingPage::kZoneCount);
    for (int zone = 0; zone < LightingPage::kZoneCount; ++zone)
        EXPECT_EQ(picture->GetLightColor(zone), 0u);
}

TEST_F(LightingPageTest, ASliderDragStoresEveryStepButQueuesOnlyWhileTheQueueIsEmpty) {
    auto* slider = dynamic_cast<MSlider*>(Find(LightingPage::kBrightnessSlider));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->GetMaxProgress(), 100);
    EXPECT_EQ(slider->GetProgress(), 100);
    const Rect r = slider->GetRect();
    Drag(*slider, {r.left + 200, r.left + 120, r.left + 40, r.left - 50});
    // The drag ends beyond the left end: 0 is stored.
    EXPECT_EQ(slider->GetProgress(), 0);
    EXPECT_EQ(Row(3).brightness, 0);
    // One send for the whole drag: the later steps found it still queued.
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});
    EXPECT_EQ(host->waitDialogs, 1);
    auto* picture = dynamic_cast<MouseLight*>(Find(LightingPage::kMousePicture));
    EXPECT_EQ(picture->GetLightColor(0), 0u); // brightness 0 shows dark

    // Once the worker ran it, the next change queues again; the far end stores the maximum.
    host->tasks.clear();
    Drag(*slider, {r.right + 40});
    EXPECT_EQ(Row(3).brightness, 100);
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});

    host->tasks.clear();
    auto* speed = dynamic_cast<MSlider*>(Find(LightingPage::kSpeedSlider));
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->GetMaxProgress(), 4);
    Drag(*speed, {speed->GetRect().left + 1});
    EXPECT_EQ(Row(3).speed, 0);
    EXPECT_EQ(Row(3).brightness, 100); // only the changed field
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});
}

TEST_F(LightingPageTest, DirectionRadiosStoreLeftAndRight) {
    ASSERT_TRUE(ChooseMode(6));
    host->tasks.clear();
    auto* left = dynamic_cast<CRadioButton*>(Find(LightingPage::kDirectionLeft));
    auto* right = dynamic_cast<CRadioButton*>(Find(LightingPage::kDirectionRight));
    ASSERT_TRUE(left && right);
    EXPECT_TRUE(left->GetCheck());
    Click(CentreOf(LightingPage::kDirectionRight));
    EXPECT_TRUE(right->GetCheck());
    EXPECT_FALSE(left->GetCheck());
    EXPECT_EQ(Row(6).direction, 1);
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});
    host->tasks.clear();
    Click(CentreOf(LightingPage::kDirectionLeft));
    EXPECT_EQ(Row(6).direction, 0);
    EXPECT_FALSE(right->GetCheck());
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});
}

TEST_F(LightingPageTest, ColourFromTheWheelAndFromTheEditsCutToEightBits) {
    auto* wheel = dynamic_cast<CirclePalette*>(Find(LightingPage::kColourWheel));
    ASSERT_NE(wheel, nullptr);
    const Point c = CentreOf(LightingPage::kColourWheel);
    Click({c.x + 50, c.y}); // on the ring
    const uint32_t picked = wheel->GetSelectColor();
    ASSERT_NE(picked, 0xFDA80Fu);
    EXPECT_EQ(static_cast<uint32_t>(Row(3).colorValue), picked);
    auto edit = [&](int i) { return dynamic_cast<MEdit*>(Find(LightingPage::kRedEdit + i)); };
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(edit(i)->GetEditText(), std::to_string((picked >> (8 * i)) & 0xFF)) << i;
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});
    auto* picture = dynamic_cast<MouseLight*>(Find(LightingPage::kMousePicture));
    EXPECT_EQ(picture->GetLightColor(4), picked);

    // Each part is read as a decimal number and cut to 8 bits.
    host->tasks.clear();
    edit(0)->SetEditText("300");
    edit(1)->SetEditText("-1");
    edit(2)->SetEditText("x");
    EXPECT_TRUE(page->OnNotify(LightingPage::kRedEdit + 1, 26, 0, 0));
    const uint32_t expected = 44 | 255 << 8;
    EXPECT_EQ(static_cast<uint32_t>(Row(3).colorValue), expected);
    EXPECT_EQ(wheel->GetSelectColor(), expected);
    EXPECT_EQ(edit(0)->GetEditText(), "44");
    EXPECT_EQ(edit(1)->GetEditText(), "255");
    EXPECT_EQ(edit(2)->GetEditText(), "0");
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});
}

TEST_F(LightingPageTest, AreaColoursAreStoredUnderTheirKeysAndShownInTheirZones) {
    ASSERT_TRUE(ChooseMode(5));
    // Every mouse profile starts with the factory area colours.
    const std::string area1 = Config(LightingPage::AreaKey(1));
    ASSERT_FALSE(area1.empty());
    const std::string area2 = Config(LightingPage::AreaKey(2));
    host->tasks.clear();
    Click(CentreOf(LightingPage::kAreaFirst + 2));
    auto* field = dynamic_cast<MPalette*>(Find(LightingPage::kAreaPalette));
    ASSERT_NE(field, nullptr);
    const Rect f = field->GetRect();
    Click({f.left + 60, f.top + f.Height() / 2});
    const uint32_t colour = field->GetSelectColor();
    ASSERT_NE(colour, 0u);
    ASSERT_NE(std::to_string(colour), area2) << "pick a colour the area did not have";
    EXPECT_EQ(Config(LightingPage::AreaKey(2)), std::to_string(colour));
    EXPECT_EQ(Config(LightingPage::AreaKey(1)), area1); // only the chosen area changes
    auto* swatch = dynamic_cast<CColorButton*>(Find(LightingPage::kAreaFirst + 2));
    EXPECT_EQ(swatch->GetColor(), colour);
    auto* picture = dynamic_cast<MouseLight*>(Find(LightingPage::kMousePicture));
    EXPECT_EQ(picture->GetLightColor(3), colour); // area 2 lights zone 3
    EXPECT_EQ(picture->GetLightColor(2), static_cast<uint32_t>(std::stoul(area1)));
    EXPECT_EQ(host->tasks, std::vector<int>{kTask});
}

TEST_F(LightingPageTest, ReloadForAnotherProfileKeepsEachProfilesChoice) {
    ASSERT_TRUE(ChooseMode(6));
    auto* slider = dynamic_cast<MSlider*>(Find(LightingPage::kBrightnessSlider));
    host->tasks.clear();
    Drag(*slider, {slider->GetRect().left + 130});
    const int brightness = Row(6).brightness;
    ASSERT_LT(brightness, 100);

    host->tasks.clear();
    host->profile = 2;
    page->Reload();
    // The new profile gets its rows and the default mode; loading sends nothing.
    EXPECT_EQ(page->SelectedMode(), 3);
    EXPECT_EQ(slider->GetProgress(), 100);
    EXPECT_EQ(host->store.CountLightRows(2), 10);
    ASSERT_TRUE(ChooseMode(9)); // the store's active flag is shared: profile 1 loses its own
    EXPECT_EQ(host->store.GetActiveLightMode(1), 0);

    host->tasks.clear();
    host->profile = 1;
    page->Reload();
    EXPECT_EQ(page->SelectedMode(), 6);
    EXPECT_EQ(slider->GetProgress(), brightness);
    EXPECT_EQ(host->store.GetActiveLightMode(1), 6); // what task 15 sends for profile 1
    EXPECT_TRUE(Shown(LightingPage::kDirectionLeft));
    EXPECT_TRUE(host->tasks.empty());
    EXPECT_EQ(host->store.CountMusicLayers(1), 1);
    EXPECT_EQ(host->store.CountMusicLayers(2), 1);
}

TEST_F(LightingPageTest, TheStartMessageStartsTheVisualizerFromTheMusicLayer) {
    // A server that is not there: the capture stays silent.
    const char* old = std::getenv("PULSE_SERVER");
    const std::string saved = old ? old : "";
    setenv("PULSE_SERVER", "unix:/nonexistent/pivane/native", 1);
    EXPECT_EQ(page->GetVisualizer(), nullptr);
    EXPECT_TRUE(page->OnWindowMessage(ShellPage::kStartVisualizer, 0, 0));
    Visualizer* v = page->GetVisualizer();
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->IsRunning());
    EXPECT_FALSE(v->IsEnabled()); // Breathing is no music mode
    EXPECT_EQ(v->GetColours().barScheme, 13);
    EXPECT_EQ(v->GetAnalysis().gain, 300.0f);
    EXPECT_TRUE(page->OnWindowMessage(ShellPage::kStartVisualizer, 0, 0));
    EXPECT_EQ(page->GetVisualizer(), v); // once per run
    ASSERT_TRUE(ChooseMode(8));
    EXPECT_TRUE(v->IsEnabled());
    ASSERT_TRUE(ChooseMode(9));
    EXPECT_FALSE(v->IsEnabled());
    EXPECT_FALSE(page->OnWindowMessage(ShellPage::kMacrosChanged, 0, 0));
    page.reset();
    if (old)
        setenv("PULSE_SERVER", saved.c_str(), 1);
    else
        unsetenv("PULSE_SERVER");
}

TEST_F(LightingPageTest, LiveFramesColourThePictureOnlyInLiveModesAndTheNoteSaysWhenNoScreen) {
    auto* picture = dynamic_cast<MouseLight*>(Find(LightingPage::kMousePicture));
    ASSERT_NE(picture, nullptr);
    const std::array<uint32_t, LightingPage::kZoneCount> frame = {
        0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0xFFFFFF, 0x808080, 0x010203};
    // Breathing has its own colour: a late live frame does not paint over it.
    const uint32_t breathing = picture->GetLightColor(0);
    EXPECT_TRUE(
        page->OnWindowMessage(ShellPage::kLiveColours, 0, reinterpret_cast<Tolva::LPARAM>(&frame)));
    EXPECT_EQ(picture->GetLightColor(0), breathing);

    ASSERT_TRUE(ChooseMode(9));                     // screen colours
    EXPECT_FALSE(Shown(LightingPage::kScreenNote)); // the screen can be read here
    for (int zone = 0; zone < LightingPage::kZoneCount; ++zone)
        EXPECT_EQ(picture->GetLightColor(zone), 0u) << zone;
    page->OnWindowMessage(ShellPage::kLiveColours, 0, reinterpret_cast<Tolva::LPARAM>(&frame));
    for (int zone = 0; zone < LightingPage::kZoneCount; ++zone)
        EXPECT_EQ(picture->GetLightColor(zone), frame[zone]) << zone;

    // A session whose screen cannot be read says so, only while a screen mode is shown.
    EXPECT_TRUE(page->OnWindowMessage(ShellPage::kScreenReadable, 0, 0));
    ASSERT_TRUE(Shown(LightingPage::kScreenNote));
    auto* note = dynamic_cast<MText*>(Find(LightingPage::kScreenNote));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->GetTitle(), UiText::Dialog(9901));
    EXPECT_FALSE(note->GetTitle().empty());
    ASSERT_TRUE(ChooseMode(8)); // music: the screen is not needed
    EXPECT_FALSE(Shown(LightingPage::kScreenNote));
    ASSERT_TRUE(ChooseMode(9));
    EXPECT_TRUE(Shown(LightingPage::kScreenNote));
}

namespace {

TEST_F(LightingPageTest, ModeNamesFollowTheLanguageShown) {
    auto* list = dynamic_cast<DListBox*>(Find(LightingPage::kModeList));
    ASSERT_NE(list, nullptr);
    std::shared_ptr<const DeviceLayout> layout = host->Layout();
    ASSERT_NE(layout, nullptr);
    std::vector<std::string> english;
    for (int language : {Language::kEnglish, Language::kChinese, -1}) {
        // -1: a reload (another device or profile) after the language changed refills the list.
        if (language > 0) {
            Language::SetCurrent(language);
            page->ApplyTexts();
        } else {
            page->Reload();
        }
        ASSERT_GT(list->GetItemCount(), 1);
        std::vector<std::string> names;
        for (int i = 0; i < list->GetItemCount(); ++i) {
            const int text = layout->LightModeNameText(static_cast<int>(list->GetItemData(i)));
            ASSERT_GT(text, 0) << i;
            EXPECT_EQ(list->GetItemText(i), UiText::Dialog(text)) << i;
            names.push_back(list->GetItemText(i));
        }
        if (language == Language::kEnglish)
            english = names;
        else
            EXPECT_NE(names, english);
    }
    Language::SetCurrent(Language::kEnglish);
}

} // namespace
