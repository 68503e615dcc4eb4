// Faults found in the core before the standard controls were built on it.
#include "TolvaFixture.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/MPanel.h"
#include "ui/core/Manager.h"
#include "ui/paint/FontRegistry.h"
#include "ui/paint/MRender.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace Tolva;

namespace TolvaTest {
namespace {

namespace fs = std::filesystem;

class GroundFixTest : public TolvaTest {};

// A titled control that draws its title with whatever the defaults are.
class TitleProbe : public MControlFont {
public:
    using MControlFont::MControlFont;
    void DrawControl(cairo_t* cr, const Rect& clip) override {
        DrawTitle(cr, GetRect(), 0xFFFFFFFF);
    }
};

// Remembers the keys its timer hook was called with and the characters it was typed.
class KeyProbe : public ProbeButton {
public:
    using ProbeButton::ProbeButton;
    int OnControlTimerKey(uint32_t key) override {
        timerKeys.push_back(key);
        currentKeys.push_back(CurrentTimerKey());
        return 1;
    }
    LRESULT OnWindowMessage(unsigned msg, WPARAM wparam, LPARAM) override {
        if (msg != WM_CHAR) return 0;
        chars.push_back(static_cast<char32_t>(wparam));
        return 1;
    }
    std::vector<uint32_t> timerKeys;
    std::vector<uint32_t> currentKeys;
    std::u32string chars;
};

int LitPixels(cairo_surface_t* s, const Rect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += (PixelAt(s, x, y) & 0xFF) > 0x80;
    return n;
}

TEST_F(GroundFixTest, FamilyPlusStyleNamesResolveAndDefaultTitlesShowPixels) {
    FontRegistry& fonts = FontRegistry::Instance();
    const FontRegistry::Face semibold = fonts.Resolve("Open Sans Semibold");
    EXPECT_EQ(semibold.family, "Open Sans");
    EXPECT_EQ(semibold.weight, 600);
    EXPECT_EQ(fonts.Resolve("Open Sans Light").weight, 300);
    EXPECT_TRUE(fonts.HasFamily(Manager::GetFontName()));
    EXPECT_TRUE(fonts.Resolve("No Such Family Anywhere").family.empty());

    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(300, 100));
    auto* title = static_cast<TitleProbe*>(dlg.GetPaintManager().AddControl(
        std::make_unique<TitleProbe>(&dlg, 1, Rect{0, 0, 300, 100}, "Apply"), 1));
    EXPECT_EQ(title->GetTextFont(), "Open Sans Semibold");
    title->UpdateControl(true);
    Platform::ProcessPending();
    EXPECT_GT(LitPixels(head->Frame(dlg.GetSafeHwnd()), {0, 0, 300, 100}), 50);
}

TEST_F(GroundFixTest, FontSizesArePoints) {
    TextStyle style;
    style.family = "Open Sans";
    style.size = 18;
    const Size at18 = MRender::GetTextBounds(style, "Hg");
    style.size = 24;
    const Size at24 = MRender::GetTextBounds(style, "Hg");
    // 18 points are 24 pixels: a line is taller than 24 pixels and grows with the size.
    EXPECT_GT(at18.cy, 24);
    EXPECT_GT(at24.cy, at18.cy);
    EXPECT_DOUBLE_EQ(FontRegistry::PointsToPixels(18), 24.0);
}

TEST_F(GroundFixTest, ControlTimersAndTheAnimationTickTellTheirKeysApart) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    auto* c = static_cast<KeyProbe*>(dlg.GetPaintManager().AddControl(
        std::make_unique<KeyProbe>(&dlg, 1, Rect{0, 0, 10, 10}), 1));
    PaintManager& pm = dlg.GetPaintManager();
    ASSERT_EQ(pm.SetTimer(c, 100, 30), 1);
    ASSERT_EQ(pm.SetTimer(c, 7, 50), 1);
    head->AdvanceTime(60);
    EXPECT_EQ(c->timerKeys, (std::vector<uint32_t>{100, 7, 100}));
    EXPECT_EQ(c->currentKeys, c->timerKeys);
    c->timerKeys.clear();
    pm.KillTimer(c);
    c->SetRunTimer(true);
    c->AddMTimer();
    ASSERT_NE(dlg.SetMTimer(10), 0u);
    head->TickPeriodicTimers();
    EXPECT_EQ(c->timerKeys, (std::vector<uint32_t>{MControl::kAnimationTick}));
}

TEST_F(GroundFixTest, ControlTimerIdsSkipTheMainWindowsTimerAndTheWindowsOwnIds) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    ASSERT_TRUE(dlg.SetTimer(150, 1000)); // the window's own timer
    ProbeButton* b = dlg.AddButton(1, {0, 0, 10, 10});
    PaintManager& pm = dlg.GetPaintManager();
    std::vector<uint32_t> ids;
    for (uint32_t key = 0; key < 200; ++key) {
        ASSERT_EQ(pm.SetTimer(b, key, 1000), 1) << key;
        ids.push_back(pm.GetNativeTimerId(b, key));
    }
    for (uint32_t id : {66u, 88u, 99u, 150u, 200u})
        EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 0) << id;
    EXPECT_NE(std::find(ids.begin(), ids.end(), 201u), ids.end());
}

TEST_F(GroundFixTest, DisablingIsCountedAcrossAModalDialogAndAWorkersTask) {
    ProbeDialog owner;
    ASSERT_TRUE(owner.Open());
    NativeWindow* w = owner.GetSafeHwnd();
    ProbeDialog child;
    ASSERT_TRUE(child.Create(w, "child", WS_POPUP, 0, {0, 0, 100, 100}));
    int step = 0;
    bool stayedDisabled = false;
    head->SetIdleHandler([&] {
        // The worker disables the window around a task while the modal dialog is up.
        if (step == 0) Platform::EnableWindow(w, false);
        if (step == 1) Platform::EnableWindow(w, true);
        if (step == 2) {
            stayedDisabled = !w->IsEnabled();
            child.DoOK();
        }
        ++step;
    });
    EXPECT_EQ(child.ShowModal(), 1u);
    head->SetIdleHandler(nullptr);
    EXPECT_TRUE(stayedDisabled);
    EXPECT_TRUE(w->IsEnabled());
    // An enable with nothing disabled does not count ahead.
    w->Enable(true);
    w->Enable(false);
    EXPECT_FALSE(w->IsEnabled());
    w->Enable(true);
    EXPECT_TRUE(w->IsEnabled());
}

TEST_F(GroundFixTest, AClosingDialogThatRefusesStaysOpenAndItsModalLoopGoesOn) {
    struct Stubborn : ProbeDialog {
        LRESULT OnClose() override { return ++asked > 1 ? 1 : 0; }
        int asked = 0;
    };
    ProbeDialog owner;
    ASSERT_TRUE(owner.Open());
    Stubborn dlg;
    ASSERT_TRUE(dlg.Create(owner.GetSafeHwnd(), "d", WS_POPUP, 0, {0, 0, 100, 100}));
    bool openAfterRefusal = false;
    bool ownerDisabledAfterRefusal = false;
    head->SetIdleHandler([&] {
        if (dlg.asked == 0) {
            dlg.DoCancel();
        } else if (dlg.asked == 1 && !openAfterRefusal) {
            openAfterRefusal = dlg.GetSafeHwnd() != nullptr;
            ownerDisabledAfterRefusal = !owner.IsWindowEnabled();
            dlg.DoYes();
        }
    });
    EXPECT_EQ(dlg.ShowModal(), 6u);
    head->SetIdleHandler(nullptr);
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_TRUE(ownerDisabledAfterRefusal);
    EXPECT_EQ(dlg.asked, 2);
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST_F(GroundFixTest, TypedCharactersAndClickFocusReachControlsInsidePanels) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(400, 300));
    auto* page = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
        std::make_unique<MPanel>(&dlg, 50, Rect{0, 0, 300, 200}), 1));
    auto* inner = static_cast<MPanel*>(
        page->AddChild(std::make_unique<MPanel>(page, 51, Rect{20, 20, 280, 180}), 1));
    auto* edit = static_cast<KeyProbe*>(
        inner->AddChild(std::make_unique<KeyProbe>(inner, 52, Rect{40, 40, 200, 70}), 1));
    auto* other = static_cast<KeyProbe*>(
        inner->AddChild(std::make_unique<KeyProbe>(inner, 53, Rect{40, 100, 200, 130}), 1));
    NativeWindow* w = dlg.GetSafeHwnd();
    head->MouseMove(w, {50, 50});
    head->Click(w, {50, 50});
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), edit);
    EXPECT_TRUE(edit->IsFocused());
    // The pointer moves on; the characters follow the focus.
    head->MouseMove(w, {50, 110});
    head->Type(w, "ab");
    EXPECT_EQ(edit->chars, U"ab");
    EXPECT_TRUE(other->chars.empty());
    head->KeyDown(w, 'Q');
    ASSERT_FALSE(edit->keys.empty());
    EXPECT_EQ(edit->keys.front(), static_cast<unsigned>('Q'));
    // Without focus the control under the pointer gets them.
    dlg.GetPaintManager().SetFocusControl(nullptr);
    head->Type(w, "c");
    EXPECT_EQ(other->chars, U"c");
    // Removing the focused control clears the focus at once.
    head->Click(w, {50, 110});
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), other);
    ASSERT_TRUE(inner->RemoveControl(other));
    EXPECT_EQ(dlg.GetPaintManager().GetFocusControl(), nullptr);
    EXPECT_EQ(dlg.GetPaintManager().GetDeepHoverControl(), inner);
}

TEST_F(GroundFixTest, EveryAcceptedClassWithASourceFileIsCreatableByName) {
    const char* src = std::getenv("PIVANE_SOURCE_DIR");
    ASSERT_NE(src, nullptr);
    int checked = 0;
    for (const std::string& name : ControlFactory::AcceptedNames(ControlFactory::Host::Panel)) {
        bool hasSource = name == "CArea";
        for (const char* dir : {"ui/controls/", "ui/widgets/"})
            hasSource = hasSource || fs::exists(fs::path(src) / (dir + name + ".cpp"));
        if (!hasSource) continue;
        ++checked;
        EXPECT_TRUE(ControlFactory::IsRegistered(name)) << name;
    }
    EXPECT_GE(checked, 2); // CArea and MenuItem at least
    EXPECT_TRUE(ControlFactory::IsRegistered("MenuItem"));
}

TEST_F(GroundFixTest, SkinAndFontsComeFromTheProgramFolderTheApplicationNames) {
    const fs::path tmp = fs::temp_directory_path() / ("tolva-folder-" + std::to_string(getpid()));
    fs::create_directories(tmp / "bin");
    const std::string bin = (tmp / "bin").string() + "/";
    const char* home = std::getenv("PIVANE_HOME");
    const std::string saved = home ? home : "";
    unsetenv("PIVANE_HOME");
    EXPECT_EQ(Manager::DefaultProgramFolder(bin), bin + "../share/pivane/");
    std::ofstream(tmp / "bin" / "config.xml") << "<config/>";
    EXPECT_EQ(Manager::DefaultProgramFolder(bin), bin);
    setenv("PIVANE_HOME", tmp.c_str(), 1);
    EXPECT_EQ(Manager::DefaultProgramFolder(bin), tmp.string() + "/");
    if (!saved.empty()) setenv("PIVANE_HOME", saved.c_str(), 1);

    Manager::SetProgramFolder(bin.substr(0, bin.size() - 1));
    EXPECT_EQ(Manager::GetProgramFolder(), bin);
    EXPECT_EQ(Manager::GetSkinFolder(), bin + "skins/theme1/");
    EXPECT_EQ(Manager::GetFontFolder(), bin + "font/");
    Manager::SetProgramFolder("");
    EXPECT_NE(Manager::GetProgramFolder(), bin);
    fs::remove_all(tmp);
}

TEST_F(GroundFixTest, TheLibraryFontThatStartUpAddsIsInTheSkin) {
    EXPECT_TRUE(fs::exists(Manager::GetSkinFolder() + "res_106.ttf"));
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open());
    EXPECT_TRUE(dlg.GetPaintManager().AddGDITempFont(106));
}

} // namespace
} // namespace TolvaTest
