// The animation tick plays a keyboard's light sequence on the timer thread while the window
// thread changes its keys, data and mode and paints it. Run under ThreadSanitizer.

#include "TolvaFixture.h"

#include "ui/core/MPanel.h"
#include "ui/widgets/KeyboardCtrl.h"

#include <atomic>
#include <vector>

using namespace Tolva;

namespace TolvaTest {
namespace {

class CountingKeyboard : public KeyboardCtrl {
public:
    using KeyboardCtrl::KeyboardCtrl;
    int OnControlTimer() override {
        ++ticks;
        return KeyboardCtrl::OnControlTimer();
    }
    std::atomic<int> ticks{0};
};

class KeyboardThreadTest : public TolvaTest {
protected:
    void SetUp() override {
        TolvaTest::SetUp();
        head->SetManualPeriodicTimers(false); // real ticks on the timer thread
    }
};

TEST_F(KeyboardThreadTest, LightSequenceTicksWhileTheWindowThreadWorks) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Open(500, 200));
    dlg.EnableWndDrag(false);
    auto* page = static_cast<MPanel*>(dlg.GetPaintManager().AddControl(
        std::make_unique<MPanel>(&dlg, 900, Rect{0, 0, 500, 200}), 1));
    auto* kb = static_cast<CountingKeyboard*>(
        page->AddChild(std::make_unique<CountingKeyboard>(page, 100, Rect{0, 0, 480, 180}), 1));
    for (int i = 0; i < 20; ++i)
        kb->AddKeyItem("K", "K", static_cast<uint32_t>(i), Rect{10 + 22 * i, 10, 30 + 22 * i, 40});
    std::vector<uint8_t> data(20 * 8);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    kb->SetLightModeData(data.data(), static_cast<int>(data.size()));
    kb->SetLightSpeed(4);
    kb->SetKeyboardCtrlMode(KeyboardCtrl::LightSequence);
    ASSERT_NE(dlg.SetMTimer(1), 0u);

    NativeWindow* w = dlg.GetSafeHwnd();
    int rounds = 0;
    while (rounds < 200 || (kb->ticks < 20 && rounds < 1000000)) {
        const int n = rounds % 8 + 1;
        kb->SetLightModeData(data.data(), 20 * n);
        kb->SetKeyColor(static_cast<uint32_t>(rounds % 20), 0x102030u * (rounds % 5));
        kb->SetLightSpeed(rounds % 5);
        if (rounds % 50 == 25) kb->SetKeyboardCtrlMode(KeyboardCtrl::PerKeyColor);
        if (rounds % 50 == 30) kb->SetKeyboardCtrlMode(KeyboardCtrl::LightSequence);
        head->MouseMove(w, {15 + rounds % 440, 25});
        if (rounds % 10 == 0) head->Click(w, {15 + rounds % 440, 25});
        (void)kb->GetCurrentFrame();
        dlg.GetPaintManager().Invalidate();
        Platform::ProcessPending();
        ++rounds;
    }
    dlg.KillMTimer(dlg.GetPaintManager().GetMTimerId());
    Platform::ProcessPending();
    EXPECT_GE(kb->ticks, 20);
    EXPECT_LT(kb->GetCurrentFrame(), kb->GetFrameCount());
}

} // namespace
} // namespace TolvaTest
