#include <cairo.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace {

// A window procedure that records what it gets and paints a solid colour when asked.
struct Recorder {
    std::vector<Message> log;
    bool refuseCreate = false;
    bool paint = true;
    double r = 0.2, g = 0.4, b = 0.6, a = 1.0;
    Rect lastPaint;
    std::vector<NativeWindow*> windows;
    std::string createTitle;

    // Its windows must not outlive it: their procedure writes here.
    ~Recorder() {
        for (NativeWindow* w : windows)
            if (Platform::IsWindow(w)) w->Destroy();
    }

    static LRESULT Proc(void* self, NativeWindow* w, uint32_t msg, WPARAM wp, LPARAM lp) {
        auto* rec = static_cast<Recorder*>(self);
        rec->log.push_back(Message{w, msg, wp, lp});
        if (msg == WM_NCCREATE) {
            rec->windows.push_back(w);
            return 1;
        }
        if (msg == WM_CREATE) {
            rec->createTitle = reinterpret_cast<const WindowParams*>(lp)->title;
            return rec->refuseCreate ? -1 : 0;
        }
        if (msg == WM_PAINT && rec->paint) {
            Rect update;
            if (!w->BeginPaint(update)) return 0;
            rec->lastPaint = update;
            Rect c = w->GetClientRect();
            cairo_surface_t* s =
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, c.Width(), c.Height());
            cairo_t* cr = cairo_create(s);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_set_source_rgba(cr, rec->r, rec->g, rec->b, rec->a);
            cairo_paint(cr);
            cairo_destroy(cr);
            w->Present(s, update);
            cairo_surface_destroy(s);
        }
        return 0;
    }
    int Count(uint32_t msg) const {
        int n = 0;
        for (const Message& m : log)
            n += m.message == msg;
        return n;
    }
    std::vector<uint32_t> Mouse() const {
        std::vector<uint32_t> out;
        for (const Message& m : log)
            if (m.message >= WM_MOUSEMOVE && m.message <= WM_MOUSEWHEEL) out.push_back(m.message);
        return out;
    }
    const Message* Last(uint32_t msg) const {
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->message == msg) return &*it;
        return nullptr;
    }
};

class PlatformHeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Platform::Init(BackendKind::Headless));
        head = Platform::Headless();
        ASSERT_NE(head, nullptr);
    }
    void TearDown() override { Platform::Shutdown(); }

    NativeWindow* Make(Recorder& rec, Rect rect = {100, 50, 300, 200}, bool show = true,
                       NativeWindow* owner = nullptr) {
        WindowParams p;
        p.title = "test";
        p.rect = rect;
        p.owner = owner;
        NativeWindow* w = Platform::CreateNativeWindow(p, &Recorder::Proc, &rec);
        if (w && show) w->Show(SW_SHOW);
        return w;
    }

    HeadlessBackend* head = nullptr;
};

TEST_F(PlatformHeadlessTest, CreationAndDestructionFollowTheWindowLifecycle) {
    Recorder rec;
    NativeWindow* w = Make(rec, {10, 20, 110, 70}, false);
    ASSERT_NE(w, nullptr);
    ASSERT_GE(rec.log.size(), 2u);
    EXPECT_EQ(rec.log[0].message, WM_NCCREATE);
    EXPECT_EQ(rec.log[1].message, WM_CREATE);
    EXPECT_EQ(rec.createTitle, "test");
    EXPECT_EQ(w->GetClientRect(), (Rect{0, 0, 100, 50}));
    EXPECT_EQ(w->ClientToScreen(Point{5, 5}), (Point{15, 25}));
    EXPECT_TRUE(Platform::IsWindow(w));

    w->Destroy();
    EXPECT_FALSE(Platform::IsWindow(w));
    ASSERT_GE(rec.log.size(), 2u);
    EXPECT_EQ(rec.log[rec.log.size() - 2].message, WM_DESTROY);
    EXPECT_EQ(rec.log.back().message, WM_NCDESTROY);
    EXPECT_FALSE(Platform::PostMessage(w, WM_USER));
    EXPECT_FALSE(Platform::InvalidateRect(w));

    Recorder refusing;
    refusing.refuseCreate = true;
    EXPECT_EQ(Make(refusing), nullptr);
    EXPECT_EQ(refusing.log.back().message, WM_NCDESTROY);
}

TEST_F(PlatformHeadlessTest, DestroyingAnOwnerDestroysOwnedWindowsFirst) {
    Recorder ownerRec, ownedRec;
    NativeWindow* owner = Make(ownerRec);
    NativeWindow* owned = Make(ownedRec, {0, 0, 50, 50}, true, owner);
    ASSERT_NE(owned, nullptr);
    std::vector<NativeWindow*> order;
    owner->Destroy();
    EXPECT_FALSE(Platform::IsWindow(owned));
    EXPECT_EQ(ownedRec.log.back().message, WM_NCDESTROY);
    EXPECT_EQ(ownerRec.log.back().message, WM_NCDESTROY);
    WindowParams p;
    p.owner = owner; // gone
    EXPECT_EQ(Platform::CreateNativeWindow(p, &Recorder::Proc, &ownedRec), nullptr);
}

TEST_F(PlatformHeadlessTest, PostedMessagesComeInOrderBeforePaintAndQuitEndsTheLoop) {
    Recorder rec;
    NativeWindow* w = Make(rec);
    Platform::ProcessPending();
    rec.log.clear();
    Platform::PostMessage(w, WM_USER + 1, 1, 2);
    Rect a{0, 0, 10, 10}, b{50, 40, 60, 50};
    Platform::InvalidateRect(w, &a);
    Platform::InvalidateRect(w, &b);
    Platform::PostMessage(w, WM_APP_RELOAD_TEXTS);
    Platform::PostQuitMessage(7);

    Message m;
    std::vector<uint32_t> seen;
    while (Platform::GetMessage(m)) {
        seen.push_back(m.message);
        Platform::DispatchMessage(m);
    }
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
    // Quit comes after the posted messages; paint waits for an empty queue.
    ASSERT_EQ(seen, (std::vector<uint32_t>{WM_USER + 1, WM_APP_RELOAD_TEXTS}));
    EXPECT_TRUE(Platform::PeekMessage(m));
    EXPECT_EQ(m.message, WM_PAINT);
    Platform::DispatchMessage(m);
    EXPECT_EQ(rec.lastPaint, (Rect{0, 0, 60, 50})); // both requests in one paint
    EXPECT_FALSE(Platform::PeekMessage(m));
}

TEST_F(PlatformHeadlessTest, PaintIsSkippedForHiddenWindowsAndValidatedWhenIgnored) {
    Recorder rec;
    rec.paint = false;
    NativeWindow* w = Make(rec, {0, 0, 40, 40}, false);
    w->Invalidate();
    Platform::ProcessPending();
    EXPECT_EQ(rec.Count(WM_PAINT), 0);
    w->Show(SW_SHOW);
    Platform::ProcessPending();
    // A procedure that does not paint is not asked again and again.
    EXPECT_EQ(rec.Count(WM_PAINT), 1);
    EXPECT_TRUE(w->GetUpdateRect().IsEmpty());
}

TEST_F(PlatformHeadlessTest, ShowingNormalRestoresAMinimisedWindowAndItPaintsAgain) {
    Recorder rec;
    NativeWindow* w = Make(rec, {0, 0, 40, 40});
    Platform::ProcessPending();
    w->Show(SW_MINIMIZE);
    EXPECT_TRUE(w->IsIconic());
    // Plain show leaves it minimised, as on the desktop.
    w->Show(SW_SHOW);
    EXPECT_TRUE(w->IsIconic());
    w->Show(SW_SHOWNORMAL);
    EXPECT_FALSE(w->IsIconic());
    const int before = rec.Count(WM_PAINT);
    w->Invalidate();
    Platform::ProcessPending();
    EXPECT_GT(rec.Count(WM_PAINT), before);
}

TEST_F(PlatformHeadlessTest, ClicksDoubleClicksAndMouseFlags) {
    Recorder rec;
    NativeWindow* w = Make(rec);
    head->Click(w, {20, 30});
    head->Click(w, {21, 31});
    head->AdvanceTime(1000);
    head->Click(w, {21, 31});
    EXPECT_EQ(rec.Mouse(), (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                                  WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    const Message* down = rec.Last(WM_LBUTTONDOWN);
    EXPECT_EQ(GetXLParam(down->lParam), 21);
    EXPECT_EQ(GetYLParam(down->lParam), 31);
    EXPECT_EQ(down->wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(rec.Last(WM_LBUTTONUP)->wParam & MK_LBUTTON, 0u);

    rec.log.clear();
    head->SetModifiers(true, true, false);
    head->Wheel(w, -WHEEL_DELTA, {5, 6});
    const Message* wheel = rec.Last(WM_MOUSEWHEEL);
    ASSERT_NE(wheel, nullptr);
    EXPECT_EQ(GetWheelDelta(wheel->wParam), -WHEEL_DELTA);
    EXPECT_EQ(LoWord(wheel->wParam) & (MK_SHIFT | MK_CONTROL),
              static_cast<int>(MK_SHIFT | MK_CONTROL));
    EXPECT_EQ(GetXLParam(wheel->lParam), 105); // screen coordinates
    EXPECT_EQ(GetYLParam(wheel->lParam), 56);
}

TEST_F(PlatformHeadlessTest, DisabledWindowsGetNoInputAndEnableWorksFromAnyThread) {
    Recorder rec;
    NativeWindow* w = Make(rec);
    std::thread([w] { EXPECT_TRUE(Platform::EnableWindow(w, false)); }).join();
    EXPECT_TRUE(w->IsEnabled()); // applied on the window thread
    Platform::ProcessPending();
    EXPECT_FALSE(w->IsEnabled());
    EXPECT_EQ(rec.Last(WM_ENABLE)->wParam, 0u);
    head->Click(w, {10, 10});
    head->KeyDown(w, 'A');
    EXPECT_TRUE(rec.Mouse().empty());
    EXPECT_EQ(rec.Count(WM_KEYDOWN), 0);
    w->Enable(true);
    head->Click(w, {10, 10});
    EXPECT_EQ(rec.Mouse().size(), 2u);
}

TEST_F(PlatformHeadlessTest, CaptureSendsInputToTheCapturingWindowInItsCoordinates) {
    Recorder a, b;
    NativeWindow* wa = Make(a, {100, 100, 200, 200});
    NativeWindow* wb = Make(b, {300, 100, 400, 200});
    wa->SetCapture();
    EXPECT_EQ(Platform::GetCapture(), wa);
    head->MouseMove(wb, {10, 10});
    EXPECT_TRUE(b.Mouse().empty());
    const Message* move = a.Last(WM_MOUSEMOVE);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(GetXLParam(move->lParam), 210); // outside its client area, as captured moves are
    EXPECT_EQ(GetYLParam(move->lParam), 10);
    wa->ReleaseCapture();
    EXPECT_EQ(Platform::GetCapture(), nullptr);
    EXPECT_EQ(a.Count(WM_CAPTURECHANGED), 1);
    head->MouseMove(wb, {10, 10});
    EXPECT_EQ(b.Mouse().size(), 1u);
}

TEST_F(PlatformHeadlessTest, LeaveAndHoverAreReportedOncePerRequest) {
    Recorder rec;
    NativeWindow* w = Make(rec);
    head->MouseMove(w, {10, 10});
    head->Leave(w);
    EXPECT_EQ(rec.Count(WM_MOUSELEAVE), 0); // nobody asked

    head->MouseMove(w, {10, 10});
    w->TrackMouse(true, 400);
    head->AdvanceTime(300);
    head->MouseMove(w, {12, 10}); // moving restarts the hover time
    head->AdvanceTime(300);
    EXPECT_EQ(rec.Count(WM_MOUSEHOVER), 0);
    head->AdvanceTime(200);
    EXPECT_EQ(rec.Count(WM_MOUSEHOVER), 1);
    EXPECT_EQ(GetXLParam(rec.Last(WM_MOUSEHOVER)->lParam), 12);
    head->AdvanceTime(2000);
    EXPECT_EQ(rec.Count(WM_MOUSEHOVER), 1);

    head->Leave(w);
    head->Leave(w);
    EXPECT_EQ(rec.Count(WM_MOUSELEAVE), 1);
    EXPECT_FALSE(w->IsTrackingLeave());
}

TEST_F(PlatformHeadlessTest, WindowTimersFollowTheTestClock) {
    Recorder rec;
    NativeWindow* w = Make(rec);
    ASSERT_TRUE(w->SetTimer(17, 100));
    EXPECT_EQ(head->AdvanceTime(99), 0);
    EXPECT_EQ(head->AdvanceTime(1), 1);
    EXPECT_EQ(head->AdvanceTime(350), 3);
    EXPECT_EQ(rec.Count(WM_TIMER), 4);
    EXPECT_EQ(rec.Last(WM_TIMER)->wParam, 17u);

    // Setting a running id again restarts it with the new period.
    ASSERT_TRUE(w->SetTimer(17, 1000));
    EXPECT_EQ(head->AdvanceTime(999), 0);
    EXPECT_EQ(head->AdvanceTime(1), 1);
    EXPECT_TRUE(w->KillTimer(17));
    EXPECT_FALSE(w->KillTimer(17));
    EXPECT_EQ(head->AdvanceTime(5000), 0);
    EXPECT_FALSE(head->FireTimer(w, 17));
    w->SetTimer(3, 10);
    EXPECT_TRUE(head->FireTimer(w, 3));
    EXPECT_EQ(rec.Last(WM_TIMER)->wParam, 3u);
}

TEST_F(PlatformHeadlessTest, KeysCharactersAndModifiers) {
    Recorder rec;
    NativeWindow* w = Make(rec);
    head->KeyDown(w, VK_TAB);
    EXPECT_EQ(rec.Last(WM_KEYDOWN)->wParam, static_cast<WPARAM>(VK_TAB));
    head->KeyDown(w, VK_TAB);
    EXPECT_NE(rec.Last(WM_KEYDOWN)->lParam & (1 << 30), 0); // auto-repeat: was down
    head->KeyUp(w, VK_TAB);
    head->SetModifiers(false, false, true);
    EXPECT_TRUE(Platform::IsKeyDown(VK_MENU));
    head->KeyDown(w, VK_F1 + 3);
    EXPECT_EQ(rec.Last(WM_SYSKEYDOWN)->wParam, static_cast<WPARAM>(VK_F1 + 3));
    head->SetModifiers(false, false, false);
    EXPECT_FALSE(Platform::IsKeyDown(VK_MENU));
    head->Type(w, "a\xC3\xA9\xE4\xB8\xAD");
    std::vector<WPARAM> chars;
    for (const Message& m : rec.log)
        if (m.message == WM_CHAR) chars.push_back(m.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 0xE9, 0x4E2D}));
}

TEST_F(PlatformHeadlessTest, FramesKeepAlphaOnlyForLayeredWindowsWithACompositor) {
    Recorder rec;
    rec.r = 1.0, rec.g = 0.0, rec.b = 0.0, rec.a = 0.5;
    NativeWindow* w = Make(rec, {0, 0, 20, 10});
    Platform::ProcessPending();
    EXPECT_EQ(head->Pixel(w, {3, 3}) >> 24, 0xFFu); // opaque window
    w->SetLayered(true);
    Platform::ProcessPending();
    uint32_t px = head->Pixel(w, {3, 3});
    EXPECT_NEAR(static_cast<int>(px >> 24), 128, 1);
    EXPECT_NEAR(static_cast<int>((px >> 16) & 0xFF), 255, 1);
    head->SetCompositor(false);
    w->Invalidate();
    Platform::ProcessPending();
    EXPECT_EQ(head->Pixel(w, {3, 3}) >> 24, 0xFFu);
    EXPECT_EQ(head->Pixel(w, {30, 3}), 0u);

    auto path = std::filesystem::temp_directory_path() / "tolva_headless_frame.png";
    ASSERT_TRUE(head->SaveFrame(w, path.string()));
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(png), 20);
    EXPECT_EQ(cairo_image_surface_get_height(png), 10);
    cairo_surface_destroy(png);
    std::filesystem::remove(path);
    EXPECT_FALSE(head->SaveFrame(nullptr, path.string()));
}

TEST_F(PlatformHeadlessTest, MoveDragFollowsThePointerAndSwallowsTheRelease) {
    Recorder rec;
    NativeWindow* w = Make(rec, {100, 100, 300, 200});
    head->MouseDown(w, MouseButton::Left, {10, 10});
    w->BeginMoveDrag(w->ClientToScreen(Point{10, 10}));
    ASSERT_TRUE(head->IsMoveDragging());
    rec.log.clear();
    head->MouseMove(w, {40, 30});
    EXPECT_EQ(w->GetWindowRect(), (Rect{130, 120, 330, 220}));
    EXPECT_EQ(rec.Count(WM_MOVE), 1);
    head->MouseUp(w, MouseButton::Left, {10, 10});
    EXPECT_FALSE(head->IsMoveDragging());
    EXPECT_TRUE(rec.Mouse().empty());

    // Without a held button nothing starts.
    w->BeginMoveDrag({0, 0});
    EXPECT_FALSE(head->IsMoveDragging());
}

struct EditLog : EditListener {
    int changed = 0, lost = 0;
    std::vector<int> keys;
    bool takeKeys = true;
    void OnEditChanged(NativeEdit&) override { ++changed; }
    void OnEditFocusLost(NativeEdit&) override { ++lost; }
    bool OnEditKey(NativeEdit&, int vk) override {
        keys.push_back(vk);
        return takeKeys;
    }
};

TEST_F(PlatformHeadlessTest, EditBoxTypingRulesAndReports) {
    Recorder rec;
    NativeWindow* w = Make(rec);
    std::unique_ptr<NativeEdit> edit = Platform::CreateEdit(w);
    ASSERT_NE(edit, nullptr);
    EditLog log;
    edit->SetListener(&log);
    edit->SetLimit(5);
    edit->SetNumberOnly(true);
    edit->SetText("12");
    EXPECT_EQ(log.changed, 0);
    head->EditType(edit.get(), "9"); // hidden: nobody can type
    EXPECT_EQ(edit->GetText(), "12");
    edit->Show(true);
    edit->SetFocus();
    edit->SelectAll();
    head->EditType(edit.get(), "4a5b678");
    EXPECT_EQ(edit->GetText(), "45678");
    EXPECT_EQ(log.changed, 1);
    head->EditType(edit.get(), "9"); // full
    EXPECT_EQ(log.changed, 1);
    head->EditKey(edit.get(), VK_RETURN);
    EXPECT_EQ(log.keys, std::vector<int>{VK_RETURN});
    head->EditLoseFocus(edit.get());
    head->EditLoseFocus(edit.get());
    EXPECT_EQ(log.lost, 1);

    edit->SetNumberOnly(false);
    EXPECT_EQ(edit->FilterEdit("h\xC3\xA9llo", 1, 2, "e"), "hello");
    edit->SetLimit(3);
    EXPECT_EQ(edit->FilterEdit("\xE4\xB8\xAD\xE6\x96\x87", 2, 2, "abc"), "\xE4\xB8\xAD\xE6\x96\x87"
                                                                         "a");
    edit->SetReadOnly(true);
    EXPECT_EQ(edit->FilterEdit("abc", 0, 3, "x"), "abc");
}

TEST_F(PlatformHeadlessTest, ToolTipStaysOnTheScreen) {
    head->SetScreen({0, 0, 800, 600}, {0, 0, 800, 560});
    std::unique_ptr<ToolTipWindow> tip = Platform::CreateToolTip(nullptr);
    ASSERT_NE(tip, nullptr);
    tip->Show("Battery 80%", {790, 590});
    EXPECT_TRUE(tip->IsVisible());
    EXPECT_EQ(tip->GetText(), "Battery 80%");
    EXPECT_LE(tip->GetRect().right, 800);
    EXPECT_LE(tip->GetRect().bottom, 600);
    tip->Show("", {0, 0});
    EXPECT_FALSE(tip->IsVisible());
}

TEST_F(PlatformHeadlessTest, NestedLoopsRunWhileTheIdleHandlerFeedsThem) {
    Recorder rec;
    NativeWindow* w = Make(rec);
    int idleCalls = 0;
    head->SetIdleHandler([&] {
        if (++idleCalls == 2) Platform::PostMessage(w, WM_CLOSE, 6);
    });
    Message m;
    uint32_t result = 0;
    while (Platform::GetMessage(m)) {
        if (m.message == WM_CLOSE) {
            result = static_cast<uint32_t>(m.wParam);
            break;
        }
        Platform::DispatchMessage(m);
    }
    EXPECT_EQ(result, 6u);
    EXPECT_EQ(idleCalls, 2);
    head->SetIdleHandler(nullptr);
}

TEST_F(PlatformHeadlessTest, PeriodicTimersTickOnTheirOwnThreadOrByHand) {
    std::atomic<int> ticks{0};
    std::atomic<bool> otherThread{false};
    std::thread::id self = std::this_thread::get_id();
    uint32_t id = Platform::StartPeriodicTimer(1, [&](uint32_t) {
        otherThread = std::this_thread::get_id() != self;
        ++ticks;
        return true;
    });
    ASSERT_NE(id, 0u);
    while (ticks < 3)
        std::this_thread::yield();
    EXPECT_TRUE(Platform::StopPeriodicTimer(id));
    int after = ticks;
    EXPECT_TRUE(otherThread);
    EXPECT_FALSE(Platform::StopPeriodicTimer(id));
    EXPECT_EQ(ticks, after); // nothing runs after Stop returned

    // A tick may stop its own timer.
    std::atomic<bool> stopped{false};
    uint32_t selfStop = 0;
    std::atomic<uint32_t> selfId{0};
    selfStop = Platform::StartPeriodicTimer(1, [&](uint32_t tid) {
        if (!stopped.exchange(true)) selfId = tid, Platform::StopPeriodicTimer(tid);
        return true;
    });
    while (!stopped)
        std::this_thread::yield();
    EXPECT_EQ(selfId.load(), selfStop);

    head->SetManualPeriodicTimers(true);
    int manual = 0;
    uint32_t m = Platform::StartPeriodicTimer(10, [&](uint32_t) {
        ++manual;
        return true;
    });
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(manual, 2);
    Platform::StopPeriodicTimer(m);
    EXPECT_EQ(head->TickPeriodicTimers(), 0);
}

TEST_F(PlatformHeadlessTest, PeriodicTimerWithNothingToDoSleepsUntilWoken) {
    // On its own thread: a 1 ms timer that has nothing to do stays quiet until woken.
    std::atomic<int> ticks{0};
    std::atomic<bool> busy{false};
    uint32_t id = Platform::StartPeriodicTimer(1, [&](uint32_t) {
        ++ticks;
        return busy.load();
    });
    ASSERT_NE(id, 0u);
    while (ticks < 1)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(ticks, 1);
    busy = true;
    EXPECT_TRUE(Platform::WakePeriodicTimer(id));
    while (ticks < 4)
        std::this_thread::yield();
    EXPECT_TRUE(Platform::StopPeriodicTimer(id));
    EXPECT_FALSE(Platform::WakePeriodicTimer(id));

    // A sleeping timer still stops at once.
    busy = false;
    ticks = 0;
    id = Platform::StartPeriodicTimer(1, [&](uint32_t) {
        ++ticks;
        return false;
    });
    while (ticks < 1)
        std::this_thread::yield();
    EXPECT_TRUE(Platform::StopPeriodicTimer(id));

    // By hand: a wake that comes during the tick keeps the timer going.
    head->SetManualPeriodicTimers(true);
    int manual = 0;
    bool wakeInTick = false;
    uint32_t m = 0;
    m = Platform::StartPeriodicTimer(10, [&](uint32_t tid) {
        ++manual;
        if (wakeInTick) Platform::WakePeriodicTimer(tid);
        wakeInTick = false;
        return false;
    });
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(head->TickPeriodicTimers(), 0);
    Platform::WakePeriodicTimer(m);
    wakeInTick = true;
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(head->TickPeriodicTimers(), 1);
    EXPECT_EQ(head->TickPeriodicTimers(), 0);
    EXPECT_EQ(manual, 3);
    Platform::StopPeriodicTimer(m);
}

} // namespace
