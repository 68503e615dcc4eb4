// End to end on a real display (run under Xvfb): a Tolva dialog on the GTK back end, a button
// clicked by xdotool through the X server, and the notifications that reach the dialog.
#include <gtest/gtest.h>

#include <cairo.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/core/MControl.h"
#include "ui/core/MDialog.h"
#include "ui/core/PaintManager.h"
#include "ui/platform/NativeEdit.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace {

// A push button: 1 on a press inside, 2 on a release inside after a press.
class ClickButton : public MControl {
public:
    using MControl::MControl;
    void DrawControl(cairo_t* cr, const Rect& clip) override {
        const Rect r = GetRect();
        if (UpdateMemDC(r.Width(), r.Height())) {
            cairo_t* mem = cairo_create(MemSurface());
            cairo_set_source_rgb(mem, 0.06, 0.66, 0.99);
            cairo_paint(mem);
            cairo_destroy(mem);
        }
        BlitCache(cr, clip);
    }
    int OnControlLButtonDown(unsigned, Point pt) override {
        if (!PtInRect(pt)) return 0;
        pressed_ = true;
        SendMessageW(1);
        return 1;
    }
    int OnControlLButtonUp(unsigned, Point pt) override {
        const bool was = pressed_;
        pressed_ = false;
        if (was && PtInRect(pt)) SendMessageW(2);
        return 1;
    }

private:
    bool pressed_ = false;
};

class ClickDialog : public MDialog {
public:
    void InitUI(const Rect&) override {
        button = GetPaintManager().AddControl(
            std::make_unique<ClickButton>(this, 42, Rect{60, 40, 180, 90}), 1);
    }
    LRESULT OnMessage(unsigned id, int code, WPARAM, LPARAM) override {
        notes.push_back({id, code});
        rectAtClick = GetWindowRect();
        if (id == 42 && code == 2) DoOK();
        return 0;
    }
    MControl* button = nullptr;
    Rect rectAtClick;
    std::vector<std::pair<unsigned, int>> notes;
};

// Runs `command` on a thread of its own while the dialog's modal loop runs; when the loop is
// still running long after the command ended, closes the dialog with 2 so that a lost event
// fails the test instead of hanging it.
uint32_t RunModalWhile(MDialog& dlg, const std::string& command) {
    NativeWindow* w = dlg.GetSafeHwnd();
    std::mutex m;
    std::condition_variable cv;
    bool finished = false;
    std::thread driver([&] {
        int rc = std::system(command.c_str());
        EXPECT_EQ(rc, 0) << command;
        std::unique_lock lock(m);
        if (!cv.wait_for(lock, std::chrono::seconds(30), [&] { return finished; }))
            Platform::PostMessage(w, WM_TOLVA_USERCLOSE, 2, 0);
    });
    uint32_t result = dlg.ShowModal(SW_SHOW);
    {
        std::lock_guard lock(m);
        finished = true;
    }
    cv.notify_all();
    driver.join();
    return result;
}

void WaitForFirstFrame(MDialog& dlg) {
    NativeWindow* w = dlg.GetSafeHwnd();
    dlg.ShowWindow(SW_SHOW);
    while (Platform::IsWindow(w) && w->GetFramesShown() == 0)
        Platform::PumpOnce(true);
}

std::string Xdo(const std::string& args) {
    return "xdotool " + args;
}

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
        ASSERT_TRUE(Platform::Init(BackendKind::Gtk)) << "GTK cannot open the display";
    }
    void TearDown() override { Platform::Shutdown(); }
};

// Closes the dialog when the edit box reports a change that holds `want`.
struct EditWatch : EditListener {
    MDialog* dlg = nullptr;
    std::string want;
    std::vector<std::string> seen;
    void OnEditChanged(NativeEdit& e) override {
        seen.push_back(e.GetText());
        if (e.GetText() == want) dlg->DoOK();
    }
};

TEST_F(GuiTest, TypedTextReachesTheEditBoxThroughItsRules) {
    ClickDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr, "Tolva edit test", WS_POPUP, 0, Rect{200, 150, 500, 350}));
    WaitForFirstFrame(dlg);
    std::unique_ptr<NativeEdit> edit = Platform::CreateEdit(dlg.GetSafeHwnd());
    ASSERT_NE(edit, nullptr);
    EditWatch watch;
    watch.dlg = &dlg;
    watch.want = "1234";
    edit->SetListener(&watch);
    edit->SetNumberOnly(true);
    edit->SetLimit(4);
    edit->SetColors(0xFDA810, 0x141414);
    edit->SetRect(Rect{20, 120, 200, 150});
    edit->Show(true);
    edit->SetFocus();
    Point inside = dlg.GetSafeHwnd()->ClientToScreen(Point{100, 135});
    uint32_t result =
        RunModalWhile(dlg, Xdo("mousemove --sync " + std::to_string(inside.x) + " " +
                               std::to_string(inside.y) + " click 1 type --delay 20 'a12b345'"));
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(edit->GetText(), "1234");
    edit.reset();
}

TEST_F(GuiTest, PressOnEmptySpaceDragsTheWindow) {
    ClickDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr, "Tolva drag test", WS_POPUP, 0, Rect{200, 150, 500, 350}));
    WaitForFirstFrame(dlg);
    const Rect before = dlg.GetWindowRect();
    // Empty space at client (20, 150); the window ends the loop itself once it moved.
    std::string cmd = Xdo("mousemove --sync 220 300 mousedown 1 mousemove --sync 260 330 "
                          "mousemove --sync 300 360 mouseup 1");
    // Give the loop a way to end: after the drag, a click on the button closes it with 1.
    Point button = dlg.GetSafeHwnd()->ClientToScreen(Point{120, 65});
    cmd += " && " + Xdo("mousemove --sync " + std::to_string(button.x + 80) + " " +
                        std::to_string(button.y + 60) + " click 1");
    uint32_t result = RunModalWhile(dlg, cmd);
    EXPECT_EQ(result, 1u);
    const Rect after = dlg.rectAtClick;
    EXPECT_EQ(after.left - before.left, 80);
    EXPECT_EQ(after.top - before.top, 60);
    EXPECT_EQ(after.Width(), before.Width());
}

TEST_F(GuiTest, XdotoolClickReachesTheDialogAsPressAndClick) {
    ClickDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr, "Tolva click test", WS_POPUP, 0, Rect{200, 150, 500, 350}));
    ASSERT_NE(dlg.button, nullptr);
    // The button must be on the screen before it is clicked.
    WaitForFirstFrame(dlg);
    Rect b = dlg.button->GetRect();
    Point target =
        dlg.GetSafeHwnd()->ClientToScreen(Point{(b.left + b.right) / 2, (b.top + b.bottom) / 2});
    uint32_t result = RunModalWhile(dlg, Xdo("mousemove --sync " + std::to_string(target.x) + " " +
                                             std::to_string(target.y) + " click 1"));
    EXPECT_EQ(result, 1u);
    std::vector<std::pair<unsigned, int>> expected{{42u, 1}, {42u, 2}};
    EXPECT_EQ(dlg.notes, expected);
}

struct PopupLog {
    std::vector<WPARAM> activations;
    std::vector<WPARAM> keys;
    bool giveUp = false;
    static LRESULT Proc(void* self, NativeWindow*, uint32_t msg, WPARAM wp, LPARAM) {
        auto* log = static_cast<PopupLog*>(self);
        if (msg == WM_NCCREATE) return 1;
        if (msg == WM_ACTIVATE) log->activations.push_back(wp);
        if (msg == WM_KEYDOWN) log->keys.push_back(wp);
        if (msg == WM_USER) log->giveUp = true;
        return 0;
    }
};

TEST_F(GuiTest, ShownPopupTakesTheKeysAndIsActiveUntilAPressOutsideIt) {
    PopupLog ownerLog, popupLog;
    WindowParams ownerParams;
    ownerParams.rect = {100, 100, 400, 300};
    NativeWindow* owner = Platform::CreateNativeWindow(ownerParams, &PopupLog::Proc, &ownerLog);
    ASSERT_NE(owner, nullptr);
    owner->Show(SW_SHOW);
    WindowParams params;
    params.rect = {150, 150, 300, 250};
    params.owner = owner;
    params.popup = true;
    params.toolWindow = true;
    NativeWindow* popup = Platform::CreateNativeWindow(params, &PopupLog::Proc, &popupLog);
    ASSERT_NE(popup, nullptr);
    popup->Show(SW_SHOW);
    Platform::ProcessPending();
    ASSERT_EQ(popupLog.activations, std::vector<WPARAM>{WA_ACTIVE});

    std::mutex m;
    std::condition_variable cv;
    bool finished = false;
    std::thread driver([&] {
        EXPECT_EQ(
            std::system(Xdo("mousemove --sync 350 280 key Escape mousemove --sync 700 600 click 1")
                            .c_str()),
            0);
        std::unique_lock lock(m);
        if (!cv.wait_for(lock, std::chrono::seconds(30), [&] { return finished; }))
            Platform::PostMessage(popup, WM_USER); // the press was lost: stop waiting
    });
    while (popupLog.activations.size() < 2 && !popupLog.giveUp)
        Platform::PumpOnce(true);
    {
        std::lock_guard lock(m);
        finished = true;
    }
    cv.notify_all();
    driver.join();
    EXPECT_EQ(popupLog.activations, (std::vector<WPARAM>{WA_ACTIVE, WA_INACTIVE}));
    EXPECT_EQ(popupLog.keys, std::vector<WPARAM>{static_cast<WPARAM>(VK_ESCAPE)});
    EXPECT_TRUE(ownerLog.keys.empty());
    popup->Destroy();
    owner->Destroy();
}

} // namespace
