#include "PageFixture.h"

#include "app/files/Language.h"
#include "app/files/UiText.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/MousePaletteDlg.h"
#include "app/shell/pages/PointerPage.h"
#include "app/store/FactoryConfiguration.h"
#include "app/store/ProfileRow.h"
#include "ui/controls/CCheckButton.h"
#include "ui/controls/CRadioButton.h"
#include "ui/controls/MEdit.h"
#include "ui/controls/MSlider.h"
#include "ui/controls/MText.h"
#include "ui/platform/VirtualKeys.h"
#include "ui/widgets/CColorButton.h"
#include "ui/widgets/DPIControl.h"

#include <cstdlib>
#include <functional>
#include <map>

using namespace Tolva;

namespace {

using Setting = PointerSettings::Setting;
using Reach = PointerSettings::Reach;

// The desktop as the page sees it: values the test sets, and a record of what the page applied.
struct Desktop {
    int speed = 10;
    std::array<int, 3> mouse{6, 10, 1};
    int lines = 3;
    int doubleClick = 500;
    std::map<Setting, Reach> reach;
    bool refuseWrites = false;
    int writes = 0;
};

class FakePointerSettings : public PointerSettings {
public:
    explicit FakePointerSettings(Desktop& d) : d_(d) {}
    Reach ReachOf(Setting s) const override {
        const auto it = d_.reach.find(s);
        return it == d_.reach.end() ? Reach::Desktop : it->second;
    }
    bool GetMouseSpeed(int& speed) override { return Read(Setting::Speed, d_.speed, speed); }
    bool SetMouseSpeed(int speed) override { return Write(Setting::Speed, d_.speed, speed); }
    bool GetMouse(std::array<int, 3>& v) override { return Read(Setting::Precision, d_.mouse, v); }
    bool SetMouse(const std::array<int, 3>& v) override {
        return Write(Setting::Precision, d_.mouse, v);
    }
    bool GetWheelScrollLines(int& l) override { return Read(Setting::ScrollLines, d_.lines, l); }
    bool SetWheelScrollLines(int l) override { return Write(Setting::ScrollLines, d_.lines, l); }
    bool GetDoubleClickTime(int& ms) override {
        return Read(Setting::DoubleClick, d_.doubleClick, ms);
    }
    bool SetDoubleClickTime(int ms) override {
        return Write(Setting::DoubleClick, d_.doubleClick, ms);
    }

private:
    bool Usable(Setting s) const {
        const Reach r = ReachOf(s);
        return r == Reach::Desktop || r == Reach::Kept;
    }
    template <typename T> bool Read(Setting s, const T& from, T& to) {
        if (!Usable(s)) return false;
        to = from;
        return true;
    }
    template <typename T> bool Write(Setting s, T& to, const T& value) {
        if (!Usable(s) || d_.refuseWrites) return false;
        to = value;
        ++d_.writes;
        return true;
    }
    Desktop& d_;
};

class PointerPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        if (HasFatalFailure()) return;
        // As in the window, only the shown page's layout takes the pointer.
        for (unsigned id : {50u, 51u, 52u, 53u, 54u, 501u, 503u, 504u})
            if (MTabLayout* layout = host->FindLayout(id)) layout->SetVisible(false);
        Open();
    }
    void TearDown() override {
        head->SetIdleHandler(nullptr);
        if (host) host->window.page = nullptr;
        page_.reset();
        PageTest::TearDown();
        Language::SetCurrent(Language::kEnglish);
    }
    void Open() {
        page_ = std::make_unique<PointerPage>(*host, std::make_unique<FakePointerSettings>(desk_));
        Attach(*page_);
    }

    std::string Config(const std::string& key, int profile = 0) {
        std::string value;
        if (!host->store.GetConfigValue(profile ? profile : host->profile, key, value))
            return "<none>";
        return value;
    }
    void SetConfig(const std::string& key, const std::string& value, int profile = 1) {
        ASSERT_TRUE(host->store.SetConfigValue(profile, key, value));
    }
    MSlider* Slider(unsigned id) { return dynamic_cast<MSlider*>(Find(id)); }
    DPIControl* Level(int i) {
        return dynamic_cast<DPIControl*>(Find(PointerPage::kLevelFirst + i));
    }
    CCheckButton* Box(unsigned id) { return dynamic_cast<CCheckButton*>(Find(id)); }
    std::string Text(unsigned id) {
        auto* c = dynamic_cast<MControlFont*>(Find(id));
        return c ? c->GetTitle() : "<none>";
    }
    std::string DpiText(int dpi) { return UiText::Dialog(806) + "  " + std::to_string(dpi); }
    NativeWindow* Hwnd() { return host->window.GetSafeHwnd(); }
    // The pointer comes to the point first, as a person's does.
    void Tap(Point pt) {
        head->MouseMove(Hwnd(), pt);
        Click(pt);
    }

    // Presses the slider's thumb, moves to x (window coordinates), then checks `whileDown`
    // before releasing.
    void Drag(unsigned id, int x, const std::function<void()>& whileDown = {}) {
        MSlider* s = Slider(id);
        ASSERT_NE(s, nullptr);
        const Rect t = s->ThumbRect();
        const Point from{(t.left + t.right) / 2, (t.top + t.bottom) / 2};
        head->MouseMove(Hwnd(), from);
        head->MouseDown(Hwnd(), MouseButton::Left, from);
        head->MouseMove(Hwnd(), {x, from.y});
        if (whileDown) whileDown();
        head->MouseUp(Hwnd(), MouseButton::Left, {x, from.y});
    }
    void ClickLevel(int i) {
        const Rect r = Level(i)->GetLevelRect();
        Tap({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // Runs `steps` inside the colour dialog of level i, one per idle turn of its loop; the
    // dialog is cancelled if the steps do not close it.
    void InPalette(int i, std::vector<std::function<void(MousePaletteDlg&)>> steps) {
        size_t next = 0;
        head->SetIdleHandler([&] {
            MousePaletteDlg* dlg = page_->PaletteDialog();
            if (!dlg) return;
            // A step's click runs what is ready, so the dialog may already be gone: a message
            // wakes its loop to notice.
            if (!dlg->GetSafeHwnd()) {
                host->window.PostMessageW(WM_NULL);
                return;
            }
            if (next < steps.size())
                steps[next++](*dlg);
            else
                dlg->DoCancel();
        });
        const Rect swatch = Level(i)->GetSwatch()->GetRect();
        Tap({(swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2});
        head->SetIdleHandler(nullptr);
        EXPECT_EQ(page_->PaletteDialog(), nullptr);
    }
    static void Press(MousePaletteDlg& dlg, unsigned id) {
        MControl* c = dlg.GetControl(id);
        ASSERT_NE(c, nullptr) << id;
        const Rect r = c->GetRect();
        const Point centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        Platform::Headless()->MouseMove(dlg.GetSafeHwnd(), centre);
        Platform::Headless()->Click(dlg.GetSafeHwnd(), centre);
    }
    static void TypeInto(MousePaletteDlg& dlg, unsigned id, const std::string& text) {
        Press(dlg, id);
        auto* edit = dynamic_cast<MEdit*>(dlg.GetControl(id));
        ASSERT_TRUE(edit && edit->GetNativeEdit());
        Platform::Headless()->EditType(edit->GetNativeEdit(), text);
        Platform::Headless()->EditKey(edit->GetNativeEdit(), VK_RETURN);
    }

    Desktop desk_;
    std::unique_ptr<PointerPage> page_;
};

TEST_F(PointerPageTest, ReportRateRadioStoresItsRateAndQueuesOneTask) {
    Tap(CentreOf(PointerPage::kReportRateFirst + 3));
    EXPECT_EQ(Config("report_rate"), "3");
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kReportRate});
    Tap(CentreOf(PointerPage::kReportRateFirst));
    EXPECT_EQ(Config("report_rate"), "0");
    EXPECT_EQ(host->tasks.size(), 2u);
    int checked = 0;
    for (unsigned id = 525; id <= 528; ++id)
        checked += Box(id)->GetCheck() ? 1 : 0;
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(Box(525)->GetCheck());
    EXPECT_TRUE(host->window.unrouted.empty());
}

TEST_F(PointerPageTest, DebounceIsSentOnceOnReleaseNotWhileMoving) {
    MSlider* s = Slider(PointerPage::kDebounceSlider);
    Drag(PointerPage::kDebounceSlider, s->GetRect().right + 50, [&] {
        EXPECT_TRUE(host->tasks.empty());
        EXPECT_EQ(s->GetProgress(), s->GetMaxProgress());
        EXPECT_EQ(Text(PointerPage::kDebounceValue), std::to_string(s->GetMaxProgress()));
        EXPECT_EQ(Config("antishake_time"), "1"); // the factory value until the release
    });
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kDebounceTime});
    EXPECT_EQ(Config("antishake_time"), std::to_string(s->GetMaxProgress()));
}

TEST_F(PointerPageTest, SliderPositionsMapToDpiSteps) {
    EXPECT_EQ(PointerPage::DpiAtPosition(0), 100);
    EXPECT_EQ(PointerPage::DpiAtPosition(15), 1600);
    EXPECT_EQ(PointerPage::DpiAtPosition(239), 24000);
    EXPECT_EQ(PointerPage::DpiAtPosition(240), -1);
    EXPECT_EQ(PointerPage::DpiAtPosition(-1), -1);
    EXPECT_EQ(PointerPage::PositionOfDpi(100), 0);
    EXPECT_EQ(PointerPage::PositionOfDpi(24000), 239);
    EXPECT_EQ(PointerPage::PositionOfDpi(450), -1);
    EXPECT_EQ(PointerPage::PositionOfDpi(24100), -1);
}

TEST_F(PointerPageTest, DpiSliderStoresTheSelectedLevelWhileMovingAndSendsOnRelease) {
    ClickLevel(2);
    host->tasks.clear();
    MSlider* s = Slider(PointerPage::kDpiSlider);
    const Rect r = s->GetRect();
    Drag(PointerPage::kDpiSlider, r.right + 40, [&] {
        EXPECT_EQ(s->GetProgress(), 239);
        EXPECT_EQ(Config("dpi_group2_value"), "24000");
        EXPECT_EQ(Level(2)->GetDPIValue(), 24000);
        EXPECT_EQ(Text(PointerPage::kDpiLabel), DpiText(24000));
        EXPECT_TRUE(host->tasks.empty());
    });
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kDpiLevel});
    Drag(PointerPage::kDpiSlider, r.left - 40);
    EXPECT_EQ(s->GetProgress(), 0);
    EXPECT_EQ(Config("dpi_group2_value"), "100");
    Drag(PointerPage::kDpiSlider, (r.left + r.right) / 2);
    const int middle = s->GetProgress();
    EXPECT_GT(middle, 0);
    EXPECT_LT(middle, 239);
    EXPECT_EQ(Config("dpi_group2_value"), std::to_string((middle + 1) * 100));
    EXPECT_EQ(Text(PointerPage::kDpiLabel), DpiText((middle + 1) * 100));
    // The other levels keep their values.
    EXPECT_EQ(Config("dpi_group1_value"), "800");
    EXPECT_EQ(host->tasks.size(), 3u);
}

TEST_F(PointerPageTest, DpiSliderWithoutASelectedLevelOnlyMovesTheLabel) {
    SetConfig("dpi_index", "9");
    page_->Reload();
    ASSERT_EQ(page_->SelectedLevel(), -1);
    for (int i = 0; i < PointerPage::kLevelCount; ++i)
        EXPECT_EQ(Level(i)->GetCheckState(), 0) << i;
    const Rect r = Slider(PointerPage::kDpiSlider)->GetRect();
    Drag(PointerPage::kDpiSlider, r.right + 10);
    EXPECT_EQ(Text(PointerPage::kDpiLabel), DpiText(24000));
    for (int i = 0; i < PointerPage::kLevelCount; ++i)
        EXPECT_NE(Config(FactoryConfiguration::DpiValueKey(i)), "24000") << i;
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kDpiLevel});
}

TEST_F(PointerPageTest, LevelClickSelectsStoresTheIndexAndMovesTheSlider) {
    ClickLevel(4);
    EXPECT_EQ(Config("dpi_index"), "4");
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kDpiLevel});
    EXPECT_EQ(page_->SelectedLevel(), 4);
    EXPECT_EQ(Slider(PointerPage::kDpiSlider)->GetProgress(), 31); // 3200 DPI
    EXPECT_EQ(Text(PointerPage::kDpiLabel), DpiText(3200));
    for (int i = 0; i < PointerPage::kLevelCount; ++i)
        EXPECT_EQ(Level(i)->GetCheckState(), i == 4 ? 1 : 0) << i;

    // A level whose value is no step leaves the slider where it was.
    SetConfig("dpi_group0_value", "450");
    page_->Reload();
    ClickLevel(0);
    EXPECT_EQ(Slider(PointerPage::kDpiSlider)->GetProgress(), 31);
    EXPECT_EQ(Text(PointerPage::kDpiLabel), DpiText(450));
}

TEST_F(PointerPageTest, PaletteApplyStoresColourAndPresetAndQueuesOneTask) {
    InPalette(3, {[](MousePaletteDlg& d) {
                      EXPECT_EQ(d.GetWindowTextW(), "Mouse PaletteDlg");
                      const Rect c = d.GetClientRect();
                      EXPECT_EQ(c.Width(), 320);
                      EXPECT_EQ(c.Height(), 260);
                      EXPECT_EQ(d.GetColor(), 0xFF00FFu); // level 3's factory colour
                      Press(d, MousePaletteDlg::kPresetFirst + 6);
                  },
                  [](MousePaletteDlg& d) {
                      auto* red = dynamic_cast<MEdit*>(d.GetControl(MousePaletteDlg::kRedEdit));
                      EXPECT_EQ(red->GetEditText(), "0");
                      auto* blue =
                          dynamic_cast<MEdit*>(d.GetControl(MousePaletteDlg::kRedEdit + 2));
                      EXPECT_EQ(blue->GetEditText(), "255");
                      Press(d, MousePaletteDlg::kApplyButton);
                  }});
    EXPECT_EQ(Config("dpi_group3_rgb"), std::to_string(0xFFFF00));
    EXPECT_EQ(Config("dpi_color3_value"), "6");
    EXPECT_EQ(Config("dpi_index"), "3");
    EXPECT_EQ(Level(3)->GetColor(), 0xFFFF00u);
    EXPECT_EQ(Level(3)->GetCheckState(), 1);
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kDpiLevel});
}

TEST_F(PointerPageTest, PaletteClosedWithoutApplyChangesNothing) {
    InPalette(1, {[](MousePaletteDlg& d) { Press(d, MousePaletteDlg::kPresetFirst + 2); },
                  [](MousePaletteDlg& d) { Press(d, MousePaletteDlg::kCloseButton); }});
    EXPECT_EQ(Config("dpi_group1_rgb"), "65280");
    EXPECT_EQ(Config("dpi_color1_value"), "1");
    EXPECT_EQ(Level(1)->GetColor(), 0x00FF00u);
    EXPECT_TRUE(host->tasks.empty());
}

// Black is a colour the person can choose; it must not read as "cancelled".
TEST_F(PointerPageTest, PaletteAppliesBlackTypedIntoTheBoxes) {
    InPalette(0, {[](MousePaletteDlg& d) { TypeInto(d, MousePaletteDlg::kRedEdit, "0"); },
                  [](MousePaletteDlg& d) {
                      EXPECT_EQ(d.GetColor(), 0u);
                      Press(d, MousePaletteDlg::kApplyButton);
                  }});
    EXPECT_EQ(Config("dpi_group0_rgb"), "0");
    EXPECT_EQ(Config("dpi_color0_value"), "0"); // no preset is black: the old choice stays
    EXPECT_EQ(host->tasks, std::vector<int>{CThreadBasic::kDpiLevel});
}

TEST_F(PointerPageTest, ReloadForAnotherProfileShowsItsValues) {
    ProfileRow row;
    row.name = "Second";
    const int other = host->store.AddProfile(row);
    ASSERT_GT(other, 1);
    ASSERT_TRUE(host->store.WriteFactoryConfiguration(other));
    SetConfig("report_rate", "1", other);
    SetConfig("antishake_time", "7", other);
    SetConfig("dpi_group5_value", "2000", other);
    SetConfig("dpi_group5_rgb", std::to_string(0x123456), other);
    SetConfig("dpi_index", "5", other);
    host->SetCurrentProfile(other);
    page_->Reload();
    EXPECT_TRUE(Box(526)->GetCheck());
    EXPECT_FALSE(Box(525)->GetCheck());
    EXPECT_EQ(Slider(PointerPage::kDebounceSlider)->GetProgress(), 7);
    EXPECT_EQ(Text(PointerPage::kDebounceValue), "7");
    EXPECT_EQ(Level(5)->GetDPIValue(), 2000);
    EXPECT_EQ(Level(5)->GetColor(), 0x123456u);
    EXPECT_EQ(Level(5)->GetCheckState(), 1);
    EXPECT_EQ(Level(1)->GetCheckState(), 0); // profile 1's active level
    EXPECT_EQ(Slider(PointerPage::kDpiSlider)->GetProgress(), 19);
    EXPECT_EQ(Text(PointerPage::kDpiLabel), DpiText(2000));

    // Changes now go to the other profile only.
    ClickLevel(0);
    EXPECT_EQ(Config("dpi_index", other), "0");
    EXPECT_EQ(Config("dpi_index", 1), "1");
}

TEST_F(PointerPageTest, PointerSettingsFollowTheirMappings) {
    EXPECT_EQ(Slider(PointerPage::kSpeedSlider)->GetProgress(), 9);
    EXPECT_EQ(Text(PointerPage::kSpeedValue), "10");
    Drag(PointerPage::kSpeedSlider, Slider(PointerPage::kSpeedSlider)->GetRect().left - 20);
    EXPECT_EQ(desk_.speed, 1);
    EXPECT_EQ(Text(PointerPage::kSpeedValue), "1");

    EXPECT_TRUE(Box(PointerPage::kPrecisionBox)->GetCheck());
    Tap(CentreOf(PointerPage::kPrecisionBox));
    EXPECT_EQ(desk_.mouse, (std::array<int, 3>{6, 10, 0})); // thresholds untouched

    // Double-click 500 ms sits at 300; moving back to 300 sets 500 ms again.
    EXPECT_EQ(Slider(PointerPage::kDoubleClickSlider)->GetProgress(), 300);
    EXPECT_EQ(Text(PointerPage::kDoubleClickValue), "500");
    Drag(PointerPage::kDoubleClickSlider,
         Slider(PointerPage::kDoubleClickSlider)->GetRect().right + 10);
    EXPECT_EQ(desk_.doubleClick, 900);
    Slider(PointerPage::kDoubleClickSlider)->SetProgress(300);
    page_->OnNotify(PointerPage::kDoubleClickSlider, 8, 300, 0); // as a move reports it
    EXPECT_EQ(desk_.doubleClick, 500);
    EXPECT_EQ(Text(PointerPage::kDoubleClickValue), "500");
    EXPECT_TRUE(host->tasks.empty()); // nothing of this goes to the mouse
}

TEST_F(PointerPageTest, OneScreenBoxOnAndOffLeavesThreeLines) {
    desk_.lines = 7;
    page_->Reload();
    EXPECT_EQ(Slider(PointerPage::kScrollSlider)->GetProgress(), 7);
    Tap(CentreOf(PointerPage::kOneScreenBox));
    EXPECT_EQ(desk_.lines, PointerSettings::kPageScroll);
    EXPECT_EQ(Slider(PointerPage::kScrollSlider)->GetProgress(), 0);
    EXPECT_EQ(Text(PointerPage::kScrollValue), "0");
    Tap(CentreOf(PointerPage::kOneScreenBox));
    EXPECT_EQ(desk_.lines, 3);
    EXPECT_EQ(Slider(PointerPage::kScrollSlider)->GetProgress(), 3);
    EXPECT_EQ(Text(PointerPage::kScrollValue), "3");

    // Page scrolling and any value beyond the slider load as the checked box.
    for (int lines : {-1, 21, 100}) {
        desk_.lines = lines;
        page_->Reload();
        EXPECT_TRUE(Box(PointerPage::kOneScreenBox)->GetCheck()) << lines;
        EXPECT_EQ(Text(PointerPage::kScrollValue), "0") << lines;
    }
}

TEST_F(PointerPageTest, SettingsThatCannotBeAppliedAreDisabledWithTheReason) {
    desk_.reach[Setting::DoubleClick] = Reach::NoDesktopSetting;
    desk_.reach[Setting::Precision] = Reach::NoDisplay;
    desk_.reach[Setting::ScrollLines] = Reach::Kept;
    page_->Reload();
    EXPECT_FALSE(Slider(PointerPage::kDoubleClickSlider)->IsEnabled());
    EXPECT_FALSE(Box(PointerPage::kPrecisionBox)->IsEnabled());
    EXPECT_TRUE(Slider(PointerPage::kSpeedSlider)->IsEnabled());
    EXPECT_TRUE(Box(PointerPage::kOneScreenBox)->IsEnabled());
    EXPECT_EQ(Box(PointerPage::kOneScreenBox)->GetTooltip(), UiText::Dialog(9803));

    // The reason shows where the disabled box is, although the box itself takes no input.
    head->MouseMove(Hwnd(), CentreOf(PointerPage::kPrecisionBox));
    EXPECT_EQ(host->window.GetTooltipCtrlID(), PointerPage::kReasonCoverFirst + 1);
    EXPECT_EQ(Find(PointerPage::kReasonCoverFirst + 1)->GetTooltip(), UiText::Dialog(9801));
    EXPECT_EQ(Find(PointerPage::kReasonCoverFirst + 4)->GetTooltip(), UiText::Dialog(9802));
    Tap(CentreOf(PointerPage::kPrecisionBox));
    EXPECT_EQ(desk_.writes, 0);
    EXPECT_FALSE(UiText::Dialog(9801).empty());

    // Once the desktop offers it again, the control comes back.
    desk_.reach.clear();
    page_->Reload();
    EXPECT_TRUE(Box(PointerPage::kPrecisionBox)->IsEnabled());
    EXPECT_FALSE(Find(PointerPage::kReasonCoverFirst + 1)->IsVisible());
}

TEST_F(PointerPageTest, ARefusedDesktopChangeShowsWhatHolds) {
    desk_.refuseWrites = true;
    Drag(PointerPage::kSpeedSlider, Slider(PointerPage::kSpeedSlider)->GetRect().right + 20);
    EXPECT_EQ(desk_.speed, 10);
    EXPECT_EQ(Slider(PointerPage::kSpeedSlider)->GetProgress(), 9);
    EXPECT_EQ(Text(PointerPage::kSpeedValue), "10");
    Tap(CentreOf(PointerPage::kOneScreenBox));
    EXPECT_FALSE(Box(PointerPage::kOneScreenBox)->GetCheck());
    EXPECT_EQ(desk_.lines, 3);
}

TEST_F(PointerPageTest, TextsFollowTheLanguage) {
    Language::SetCurrent(Language::kChinese);
    page_->ApplyTexts();
    EXPECT_EQ(Text(PointerPage::kDpiLabel), UiText::Dialog(806) + "  800");
    EXPECT_EQ(Box(PointerPage::kPrecisionBox)->GetTitle(), UiText::Dialog(803));
    EXPECT_NE(UiText::Dialog(806), std::string("Current DPI:"));
}

} // namespace

namespace {

// Every label of the page and the colour dialog carries text in both languages. With
// PIVANE_FRAME_DIR set, the frames are written there as PNG for a person to look at.
TEST_F(PointerPageTest, PageAndDialogShowTheirTextsInBothLanguages) {
    const char* dir = std::getenv("PIVANE_FRAME_DIR");
    for (int language : {Language::kEnglish, Language::kChinese}) {
        Language::SetCurrent(language);
        // The Chinese pass also shows settings the desktop cannot take.
        if (language == Language::kChinese) {
            desk_.reach[Setting::DoubleClick] = Reach::NoDesktopSetting;
            desk_.reach[Setting::Precision] = Reach::NoDisplay;
            page_->Reload();
        }
        page_->ApplyTexts();
        ClickLevel(2);
        Platform::ProcessPending();
        const std::string suffix = std::to_string(language) + ".png";
        for (MControl* c : host->FindLayout(PointerPage::kLayoutId)->GetControls()) {
            auto* text = dynamic_cast<MControlFont*>(c);
            if (text && c->IsVisible() && !dynamic_cast<MSlider*>(c) &&
                !dynamic_cast<DPIControl*>(c) &&
                c->GetControlID() < PointerPage::kReasonCoverFirst) {
                EXPECT_FALSE(text->GetTitle().empty()) << c->GetControlID() << " in " << language;
            }
        }
        if (dir) {
            EXPECT_TRUE(head->SaveFrame(Hwnd(), std::string(dir) + "/pointer-page-" + suffix));
        }
        InPalette(2, {[&](MousePaletteDlg& d) {
                      EXPECT_EQ(dynamic_cast<MControlFont*>(d.GetControl(MousePaletteDlg::kCaption))
                                    ->GetTitle(),
                                UiText::Dialog(810));
                      EXPECT_FALSE(UiText::Dialog(810).empty());
                      if (dir) {
                          EXPECT_TRUE(Platform::Headless()->SaveFrame(
                              d.GetSafeHwnd(), std::string(dir) + "/palette-" + suffix));
                      }
                      d.DoCancel();
                  }});
    }
}

} // namespace
