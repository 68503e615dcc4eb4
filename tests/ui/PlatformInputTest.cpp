#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/KeyMap.h"
#include "ui/platform/Platform.h"
#include "ui/platform/VirtualKeys.h"

using namespace Tolva;

namespace {

TEST(PlatformKeyMapTest, KeyvalsGiveTheirVirtualKeys) {
    // Letters are the upper-case code whatever the shift state; digits their ASCII code.
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_a), 'A');
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_Z), 'Z');
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_7), '7');
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_ampersand), '7');
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_F1), VK_F1);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_F12), VK_F1 + 11);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_KP_0), VK_NUMPAD0);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_KP_9), VK_NUMPAD0 + 9);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_ISO_Left_Tab), VK_TAB); // Shift+Tab is still Tab
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_KP_Enter), VK_RETURN);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_Shift_R), VK_RSHIFT);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_Control_L), VK_LCONTROL);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_AudioRaiseVolume), VK_VOLUME_UP);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_bracketleft), VK_OEM_4);
    EXPECT_EQ(KeyMap::VirtualKey(GDK_KEY_dead_acute), 0);
}

TEST(PlatformKeyMapTest, EvdevCodesGiveSetOneScanCodes) {
    bool ext = true;
    EXPECT_EQ(KeyMap::ScanCode(1, ext), 0x01); // Escape
    EXPECT_FALSE(ext);
    EXPECT_EQ(KeyMap::ScanCode(30, ext), 0x1E); // A
    EXPECT_FALSE(ext);
    EXPECT_EQ(KeyMap::ScanCode(97, ext), 0x1D); // right Control shares the code, with E0
    EXPECT_TRUE(ext);
    EXPECT_EQ(KeyMap::ScanCode(103, ext), 0x48); // Up
    EXPECT_TRUE(ext);
    EXPECT_EQ(KeyMap::ScanCode(96, ext), 0x1C); // keypad Enter
    EXPECT_TRUE(ext);
    EXPECT_EQ(KeyMap::ScanCode(0, ext), 0);
    EXPECT_FALSE(ext);
    EXPECT_EQ(KeyMap::ScanCode(9999, ext), 0);
    EXPECT_FALSE(ext);
}

LRESULT Log(void* self, NativeWindow*, uint32_t msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) return 1;
    static_cast<std::vector<Message>*>(self)->push_back(Message{nullptr, msg, wp, lp});
    return 0;
}

class PlatformInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Platform::Init(BackendKind::Headless));
        head = Platform::Headless();
        WindowParams p;
        p.rect = {0, 0, 200, 100};
        w = Platform::CreateNativeWindow(p, &Log, &log);
        ASSERT_NE(w, nullptr);
        w->Show(SW_SHOW);
        Platform::ProcessPending();
        log.clear();
    }
    void TearDown() override { Platform::Shutdown(); }

    std::vector<uint32_t> Presses() const {
        std::vector<uint32_t> out;
        for (const Message& m : log)
            if (m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONDBLCLK ||
                m.message == WM_RBUTTONDOWN || m.message == WM_RBUTTONDBLCLK)
                out.push_back(m.message);
        return out;
    }

    HeadlessBackend* head = nullptr;
    NativeWindow* w = nullptr;
    std::vector<Message> log;
};

TEST_F(PlatformInputTest, DoubleClicksNeedTheSameButtonPlaceAndTime) {
    head->Click(w, {10, 10});
    head->Click(w, {10, 10}, MouseButton::Right); // another button: no pair
    head->AdvanceTime(600);
    head->Click(w, {10, 10});
    head->Click(w, {20, 10}); // too far
    head->AdvanceTime(600);
    head->Click(w, {30, 30});
    head->Click(w, {33, 27}); // within 4 pixels: double
    head->Click(w, {33, 27}); // a third press starts over
    EXPECT_EQ(Presses(),
              (std::vector<uint32_t>{WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN,
                                     WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
}

TEST_F(PlatformInputTest, RightButtonFlagsAndNegativeCoordinates) {
    head->MouseDown(w, MouseButton::Right, {5, 6});
    head->MouseMove(w, {-3, -4}); // outside to the left, as captured moves can be
    ASSERT_FALSE(log.empty());
    const Message& move = log.back();
    EXPECT_EQ(move.message, WM_MOUSEMOVE);
    EXPECT_EQ(move.wParam & MK_RBUTTON, MK_RBUTTON);
    EXPECT_EQ(GetXLParam(move.lParam), -3);
    EXPECT_EQ(GetYLParam(move.lParam), -4);
    head->MouseUp(w, MouseButton::Right, {5, 6});
    EXPECT_EQ(log.back().message, WM_RBUTTONUP);
    EXPECT_EQ(log.back().wParam & MK_RBUTTON, 0u);
}

TEST_F(PlatformInputTest, PendingTimerMessagesAreNotDuplicated) {
    // A timer message for the same id is not queued twice: a slow window gets one, as it would
    // from the system.
    Platform::PostMessage(w, WM_TIMER, 9);
    Platform::PostMessage(w, WM_TIMER, 9);
    Platform::PostMessage(w, WM_TIMER, 10);
    Platform::ProcessPending();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].wParam, 9u);
    EXPECT_EQ(log[1].wParam, 10u);
}

TEST_F(PlatformInputTest, BrokenTextIsHandledWithoutLoss) {
    std::unique_ptr<NativeEdit> edit = Platform::CreateEdit(w);
    ASSERT_NE(edit, nullptr);
    // Truncated and stray UTF-8 bytes become U+FFFD; nothing reads past the end.
    EXPECT_EQ(edit->FilterEdit("ab", 2, 2, "\xE4\xB8"), "ab\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(edit->FilterEdit("\x80", 0, 0, "x"), "x\xEF\xBF\xBD");
    // Out-of-range selections are clamped.
    EXPECT_EQ(edit->FilterEdit("abc", -5, 99, "z"), "z");
    EXPECT_EQ(edit->FilterEdit("abc", 2, 1, "z"), "abzc");
    // Line breaks never enter a single-line box.
    EXPECT_EQ(edit->FilterEdit("", 0, 0, "a\r\nb"), "ab");
    head->Type(w, "\xF0\x9F\x98\x80\xE4");
    std::vector<WPARAM> chars;
    for (const Message& m : log)
        if (m.message == WM_CHAR) chars.push_back(m.wParam);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0], 0x1F600u);
}

} // namespace

namespace {

struct ActivationLog {
    std::vector<WPARAM> activations;
    std::vector<uint32_t> input;
    static LRESULT Proc(void* self, NativeWindow*, uint32_t msg, WPARAM wp, LPARAM) {
        auto* log = static_cast<ActivationLog*>(self);
        if (msg == WM_NCCREATE) return 1;
        if (msg == WM_ACTIVATE) log->activations.push_back(wp);
        if (msg == WM_LBUTTONDOWN || msg == WM_KEYDOWN) log->input.push_back(msg);
        return 0;
    }
};

TEST(PlatformPopupTest, MenusAreActiveUntilAPressElsewhereAndTakeTheKeys) {
    ASSERT_TRUE(Platform::Init(BackendKind::Headless));
    HeadlessBackend* head = Platform::Headless();
    ActivationLog ownerLog, menuLog, tipLog;
    WindowParams ownerParams;
    ownerParams.rect = {0, 0, 400, 300};
    NativeWindow* owner =
        Platform::CreateNativeWindow(ownerParams, &ActivationLog::Proc, &ownerLog);
    owner->Show(SW_SHOW);
    WindowParams menuParams;
    menuParams.rect = {50, 50, 150, 150};
    menuParams.owner = owner;
    menuParams.popup = true;
    menuParams.toolWindow = true;
    NativeWindow* menu = Platform::CreateNativeWindow(menuParams, &ActivationLog::Proc, &menuLog);
    NativeWindow* tip = Platform::CreateNativeWindow(menuParams, &ActivationLog::Proc, &tipLog);
    ASSERT_NE(menu, nullptr);
    tip->Show(SW_SHOWNA); // tips never activate
    menu->Show(SW_SHOW);
    Platform::ProcessPending();
    EXPECT_EQ(menuLog.activations, std::vector<WPARAM>{WA_ACTIVE});
    EXPECT_TRUE(tipLog.activations.empty());

    head->KeyDown(owner, VK_ESCAPE);
    EXPECT_EQ(menuLog.input, std::vector<uint32_t>{WM_KEYDOWN});
    EXPECT_TRUE(ownerLog.input.empty());

    head->Click(menu, {10, 10}); // inside: still active
    EXPECT_EQ(menuLog.activations.size(), 1u);
    head->Click(owner, {300, 250}); // elsewhere: deactivated, and the owner gets its click
    EXPECT_EQ(menuLog.activations, (std::vector<WPARAM>{WA_ACTIVE, WA_INACTIVE}));
    EXPECT_EQ(ownerLog.input, std::vector<uint32_t>{WM_LBUTTONDOWN});

    menu->Show(SW_HIDE);
    menu->Show(SW_SHOW);
    head->PressOutside();
    EXPECT_EQ(menuLog.activations,
              (std::vector<WPARAM>{WA_ACTIVE, WA_INACTIVE, WA_ACTIVE, WA_INACTIVE}));
    head->KeyDown(owner, 'A'); // no menu active: the owner has its keys back
    EXPECT_EQ(ownerLog.input.back(), WM_KEYDOWN);
    Platform::Shutdown();
}

} // namespace
