#include "PageFixture.h"
#include "TempConfigHome.h"

#include "app/files/UiText.h"
#include "app/platform/ProgramRegistry.h"
#include "app/shell/CloseDecision.h"
#include "app/shell/CloseWindowTipDlg.h"
#include "app/shell/TrayIcon.h"
#include "ui/controls/CRadioButton.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

#include <functional>

using namespace Tolva;

namespace {

// The close prompt is the real dialog over the fixture's window; what the person does in it is
// scripted and runs once the prompt's modal loop waits for input.
class CloseDecisionTest : public PageTest {
protected:
    void SetUp() override {
        config_ = std::make_unique<TempConfigHome>();
        PageTest::SetUp();
    }
    void TearDown() override {
        head->SetIdleHandler(nullptr);
        PageTest::TearDown();
        config_.reset();
    }

    static void StoreExitMode(const char* value) {
        ProgramRegistry::ReadProgramRegistryValue("exit_mode");
        ASSERT_TRUE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", value));
    }

    // A decision whose prompt opens CloseWindowTipDlg over the window, as the window's does,
    // and runs `person` in it once.
    CloseDecision Decision(std::function<void(NativeWindow*)> person) {
        return CloseDecision(
            [this, person] {
                ++prompts;
                CloseWindowTipDlg dlg;
                NativeWindow* prompt = dlg.Open(host->window.GetSafeHwnd());
                ASSERT_NE(prompt, nullptr);
                bool done = false;
                head->SetIdleHandler([&] {
                    if (done) return;
                    done = true;
                    person(prompt);
                    // What the person did ran inside the idle call; the waiting loop needs a
                    // message to notice that its window is gone.
                    Platform::PostMessage(host->window.GetSafeHwnd(), WM_NULL);
                });
                dlg.ShowModal(SW_SHOW);
                head->SetIdleHandler(nullptr);
            },
            [this](const std::string& text, const std::string& caption) {
                notices.push_back(text);
                EXPECT_EQ(caption, UiText::Dialog(CloseDecision::kNoTrayCaption));
            });
    }
    void Press(NativeWindow* prompt, Point p) {
        head->MouseMove(prompt, p);
        head->Click(prompt, p);
    }

    static constexpr Point kHideRadio{60, 75};
    static constexpr Point kExitRadio{60, 110};
    static constexpr Point kApply{CloseWindowTipDlg::kWidth - 70, CloseWindowTipDlg::kHeight - 35};

    std::unique_ptr<TempConfigHome> config_;
    int prompts = 0;
    std::vector<std::string> notices;
};

TEST_F(CloseDecisionTest, WithoutAStoredModeTheFirstCloseAsksAndAConfirmedHideIsKept) {
    CloseDecision decision = Decision([this](NativeWindow* prompt) {
        Press(prompt, kHideRadio);
        Press(prompt, kApply);
    });
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Hide);
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 1);
    // Later clicks hide without asking.
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Hide);
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Hide);
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(CloseDecision::CloseTooltip(), UiText::Dialog(171));
    EXPECT_TRUE(host->window.IsWindowEnabled());
}

TEST_F(CloseDecisionTest, ChoosingExitInThePromptExitsAndKeepsExiting) {
    CloseDecision decision = Decision([this](NativeWindow* prompt) {
        Press(prompt, kExitRadio);
        Press(prompt, kApply);
    });
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Exit);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 2);
    EXPECT_EQ(CloseDecision::CloseTooltip(), UiText::Dialog(172));
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Exit);
    EXPECT_EQ(prompts, 1);
}

TEST_F(CloseDecisionTest, DismissingThePromptExitsAndStoresNothing) {
    StoreExitMode("0");
    CloseDecision decision = Decision([this](NativeWindow* prompt) {
        Press(prompt, kHideRadio); // chosen, but never applied
        head->KeyDown(prompt, VK_ESCAPE);
    });
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Exit);
    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
}

TEST_F(CloseDecisionTest, StoredModesDecideWithoutAsking) {
    CloseDecision decision = Decision([](NativeWindow*) { ADD_FAILURE() << "no prompt expected"; });
    StoreExitMode("2");
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Exit);
    StoreExitMode("1");
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Hide);
    // Not a mode the prompt writes: treated as "exit", as everything but 1 is.
    StoreExitMode("9");
    EXPECT_EQ(decision.OnCloseButton(true), CloseDecision::Action::Exit);
    EXPECT_EQ(prompts, 0);
}

TEST_F(CloseDecisionTest, WithoutATrayAHideMinimisesAndSaysSoOnce) {
    StoreExitMode("1");
    CloseDecision decision = Decision([](NativeWindow*) {});
    EXPECT_EQ(decision.OnCloseButton(false), CloseDecision::Action::Minimise);
    EXPECT_EQ(decision.OnCloseButton(false), CloseDecision::Action::Minimise);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], UiText::Dialog(CloseDecision::kNoTrayText));
    EXPECT_FALSE(notices[0].empty());
    // Exiting needs no tray.
    StoreExitMode("2");
    EXPECT_EQ(decision.OnCloseButton(false), CloseDecision::Action::Exit);
}

TEST_F(CloseDecisionTest, ThePromptShowsTheStoredChoiceAndKeepsItWhenApplied) {
    StoreExitMode("2");
    bool exitChecked = false, hideChecked = true;
    CloseWindowTipDlg dlg;
    ASSERT_NE(dlg.Open(host->window.GetSafeHwnd()), nullptr);
    head->SetIdleHandler([&] {
        exitChecked =
            static_cast<CRadioButton*>(dlg.GetControl(CloseWindowTipDlg::kExitId))->GetCheck();
        hideChecked =
            static_cast<CRadioButton*>(dlg.GetControl(CloseWindowTipDlg::kHideId))->GetCheck();
        Press(dlg.GetSafeHwnd(), kApply);
        Platform::PostMessage(host->window.GetSafeHwnd(), WM_NULL);
    });
    dlg.ShowModal(SW_SHOW);
    EXPECT_TRUE(dlg.WasApplied());
    EXPECT_TRUE(exitChecked);
    EXPECT_FALSE(hideChecked);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 2);
}

} // namespace

namespace {

// Tolva's headless back end has no tray: nothing is added, and the window minimises on close.
TEST_F(CloseDecisionTest, OnTheHeadlessBackEndNoTrayIconIsAddedSoAHideMinimises) {
    TrayIcon tray;
    EXPECT_FALSE(tray.Add(host->window.GetSafeHwnd(), host->programFolder + TrayIcon::kIconFile,
                          TrayIcon::kTip));
    EXPECT_FALSE(tray.IsAdded());
    EXPECT_FALSE(tray.HasTray());
    tray.ShowMenu();
    tray.Remove();
    Platform::ProcessPending();
    EXPECT_TRUE(host->window.appMessages.empty());
    StoreExitMode("1");
    CloseDecision decision = Decision([](NativeWindow*) {});
    EXPECT_EQ(decision.OnCloseButton(tray.HasTray()), CloseDecision::Action::Minimise);
}

} // namespace
