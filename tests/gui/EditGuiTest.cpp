// End to end on a real display (run under Xvfb): an MRichEdit and an MEdit on a tab page of an
// MTabCtrl, typed into with xdotool through the X server and GTK, including text that GTK's input
// method commits (its Ctrl+Shift+U code entry, then the context driven directly).
#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/controls/MEdit.h"
#include "ui/controls/MRichEdit.h"
#include "ui/controls/MTabCtrl.h"
#include "ui/controls/MTabLayout.h"
#include "ui/core/MDialog.h"
#include "ui/core/PaintManager.h"
#include "ui/platform/GtkNativeWindow.h"
#include "ui/platform/Platform.h"

using namespace Tolva;

namespace {

class TypingDialog : public MDialog {
public:
    void InitUI(const Rect&) override {
        PaintManager& pm = GetPaintManager();
        tabs = static_cast<MTabCtrl*>(
            pm.CreateControl(1, this, "MTabCtrl", 1, {10, 10, 410, 40}, "", true, true));
        MTabLayout* other = tabs->CreatePanel(2, {10, 45, 410, 290});
        page = tabs->CreatePanel(3, {10, 45, 410, 290});
        tabs->InsertItem(2, "First", {}, other, -1, 100);
        tabs->InsertItem(3, "Edits", {}, page, -1, 100);
        tabs->SetSelectItem(1);
        rich = static_cast<MRichEdit*>(page->CreateControl("MRichEdit", 10, {30, 60, 390, 160}));
        field = static_cast<MEdit*>(page->CreateControl("MEdit", 11, {30, 180, 250, 210}));
    }
    LRESULT OnMessage(unsigned id, int code, WPARAM, LPARAM) override {
        notes.push_back({id, code});
        if (id == 11 && code == 29) DoOK();
        return 0;
    }
    LRESULT OnWindowMessage(uint32_t msg, WPARAM wparam, LPARAM lparam) override {
        const LRESULT r = MDialog::OnWindowMessage(msg, wparam, lparam);
        // What the editor showed while the input method composed.
        if (msg == WM_IME_COMPOSITION && (lparam & GCS_COMPSTR) && rich &&
            !rich->GetPreedit().empty())
            preedits.push_back(rich->GetPreedit());
        return r;
    }
    Point Screen(const MControl* c, int dx, int dy) {
        const Rect r = c->GetRect();
        return GetSafeHwnd()->ClientToScreen(Point{r.left + dx, r.top + dy});
    }

    MTabCtrl* tabs = nullptr;
    MTabLayout* page = nullptr;
    MRichEdit* rich = nullptr;
    MEdit* field = nullptr;
    std::vector<std::pair<unsigned, int>> notes;
    std::vector<std::string> preedits;
};

std::string At(Point p) {
    return "mousemove --sync " + std::to_string(p.x) + " " + std::to_string(p.y);
}

class EditGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
        ASSERT_TRUE(Platform::Init(BackendKind::Gtk)) << "GTK cannot open the display";
    }
    void TearDown() override { Platform::Shutdown(); }
};

TEST_F(EditGuiTest, TypingReachesTheEditorsOnATabPageIncludingInputMethodText) {
    TypingDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr, "Tolva typing test", WS_POPUP, 0, Rect{200, 150, 620, 450}));
    ASSERT_TRUE(dlg.rich && dlg.field);
    NativeWindow* w = dlg.GetSafeHwnd();
    dlg.ShowWindow(SW_SHOW);
    while (Platform::IsWindow(w) && w->GetFramesShown() == 0)
        Platform::PumpOnce(true);

    // Plain typing, a line break, then U+4F60 through the input method's code entry; then the
    // field: a click opens its box, Return closes it (29), which ends the loop.
    const std::string cmd = "xdotool " + At(dlg.Screen(dlg.rich, 20, 20)) +
                            " click 1 sleep 0.2 type --delay 30 'hello'" +
                            " && xdotool key --delay 50 Return && xdotool type --delay 30 world" +
                            " && xdotool key ctrl+shift+u && xdotool type --delay 60 4f60" +
                            " && sleep 0.2 && xdotool key space && sleep 0.2" + " && xdotool " +
                            At(dlg.Screen(dlg.field, 40, 15)) +
                            " click 1 sleep 0.3 type --delay 30 'a1b' && xdotool key Return";
    std::mutex m;
    std::condition_variable cv;
    bool finished = false;
    std::thread driver([&] {
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        std::unique_lock lock(m);
        if (!cv.wait_for(lock, std::chrono::seconds(30), [&] { return finished; }))
            Platform::PostMessage(w, WM_TOLVA_USERCLOSE, 2, 0);
    });
    const uint32_t result = dlg.ShowModal(SW_SHOW);
    {
        std::lock_guard lock(m);
        finished = true;
    }
    cv.notify_all();
    driver.join();

    EXPECT_EQ(result, 1u);
    EXPECT_EQ(dlg.rich->GetText(), "hello\nworld\xE4\xBD\xA0"); // 你
    EXPECT_EQ(dlg.field->GetEditText(), "a1b");
    // The code being entered was shown at the caret before it was committed.
    ASSERT_FALSE(dlg.preedits.empty());
    EXPECT_NE(dlg.preedits.back().find("4f60"), std::string::npos) << dlg.preedits.back();
    EXPECT_EQ(dlg.rich->GetPreedit(), "");

    // Ending the modal loop destroyed that dialog; the context is checked on a fresh one.
    EXPECT_FALSE(Platform::IsWindow(w));
    TypingDialog second;
    ASSERT_TRUE(second.Create(nullptr, "Tolva typing test", WS_POPUP, 0, Rect{200, 150, 620, 450}));
    NativeWindow* w2 = second.GetSafeHwnd();
    second.ShowWindow(SW_SHOW);
    while (Platform::IsWindow(w2) && w2->GetFramesShown() == 0)
        Platform::PumpOnce(true);
    second.GetPaintManager().SetFocusControl(second.rich);
    auto* gw = dynamic_cast<GtkNativeWindow*>(w2);
    ASSERT_NE(gw, nullptr);
    ASSERT_NE(gw->ImContext(), nullptr);
    EXPECT_TRUE(gw->IsTextInput());
    g_signal_emit_by_name(gw->ImContext(), "commit", "\xE4\xB8\xAD\xE6\x96\x87"); // 中文
    Platform::ProcessPending();
    EXPECT_EQ(second.rich->GetText(), "\xE4\xB8\xAD\xE6\x96\x87");
    second.GetPaintManager().SetFocusControl(nullptr);
    EXPECT_FALSE(gw->IsTextInput());
    second.DestroyWindow();
    Platform::ProcessPending();
}

} // namespace
