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
#include "ui/platform/Platform.h"

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
        if (id == 42 && code == 2) DoOK();
        return 0;
    }
    MControl* button = nullptr;
    std::vector<std::pair<unsigned, int>> notes;
};

TEST(GuiClickTest, XdotoolClickReachesTheDialogAsPressAndClick) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run under xvfb-run";
    ASSERT_TRUE(Platform::Init(BackendKind::Gtk)) << "GTK cannot open the display";
    {
        ClickDialog dlg;
        ASSERT_TRUE(dlg.Create(nullptr, "Tolva click test", WS_POPUP, 0, Rect{200, 150, 500, 350}));
        ASSERT_NE(dlg.button, nullptr);
        dlg.ShowWindow(SW_SHOW);
        NativeWindow* w = dlg.GetSafeHwnd();
        // The button must be on the screen before it is clicked.
        while (w->GetFramesShown() == 0)
            Platform::PumpOnce(true);
        Rect b = dlg.button->GetRect();
        Point target = w->ClientToScreen(Point{(b.left + b.right) / 2, (b.top + b.bottom) / 2});

        std::mutex m;
        std::condition_variable cv;
        bool finished = false;
        std::thread driver([&] {
            std::string cmd = "xdotool mousemove --sync " + std::to_string(target.x) + " " +
                              std::to_string(target.y) + " click 1";
            int rc = std::system(cmd.c_str());
            EXPECT_EQ(rc, 0) << cmd;
            // A guard against waiting forever when the click is lost, not a timing check.
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

        EXPECT_EQ(result, 1u);
        std::vector<std::pair<unsigned, int>> expected{{42u, 1}, {42u, 2}};
        EXPECT_EQ(dlg.notes, expected);
    }
    Platform::Shutdown();
}

} // namespace
