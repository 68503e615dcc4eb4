#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <utility>

#include "ui/platform/HeadlessBackend.h"
#include "ui/platform/PlatformBackend.h"

namespace Tolva {

class HeadlessWindow;

// The headless back end: no display, a test clock, injected input.
class HeadlessPlatform : public PlatformBackend, public HeadlessBackend {
public:
    HeadlessPlatform() = default;
    ~HeadlessPlatform() override;

    // PlatformBackend
    BackendKind Kind() const override;
    std::shared_ptr<NativeWindow> NewWindow(const WindowParams& params, WindowProc proc,
                                            void* self) override;
    bool PollEvents() override { return false; }
    void WaitForEvents() override;
    void Wakeup() override;
    Point CursorPos() override;
    Rect ScreenRect() override;
    Rect WorkArea(Point near) override;
    bool HasCompositor() override { return compositor_; }
    unsigned DoubleClickTime() override { return 500; }
    uint64_t NowMs() override { return now_; }
    std::unique_ptr<ToolTipWindow> NewToolTip(NativeWindow* owner) override;
    std::unique_ptr<NativeEdit> NewEdit(NativeWindow* parent) override;
    HeadlessBackend* Headless() override { return this; }
    bool ManualPeriodicTimers() const override { return manualPeriodic_; }

    // HeadlessBackend
    void MouseMove(NativeWindow* window, Point p) override;
    void MouseDown(NativeWindow* window, MouseButton button, Point p) override;
    void MouseUp(NativeWindow* window, MouseButton button, Point p) override;
    void Click(NativeWindow* window, Point p, MouseButton button) override;
    void Wheel(NativeWindow* window, int delta, Point p) override;
    void Leave(NativeWindow* window) override;
    void PressOutside() override;
    void KeyDown(NativeWindow* window, int virtualKey) override;
    void KeyUp(NativeWindow* window, int virtualKey) override;
    void Type(NativeWindow* window, const std::string& text) override;
    void SetModifiers(bool shift, bool control, bool alt) override;
    void EditType(NativeEdit* edit, const std::string& text) override;
    void EditKey(NativeEdit* edit, int virtualKey) override;
    void EditLoseFocus(NativeEdit* edit) override;
    void ImeCommit(NativeWindow* window, const std::string& text) override;
    void ImePreedit(NativeWindow* window, const std::string& text, int cursor) override;
    int AdvanceTime(uint32_t ms) override;
    bool FireTimer(NativeWindow* window, uint32_t id) override;
    void SetManualPeriodicTimers(bool manual) override { manualPeriodic_ = manual; }
    int TickPeriodicTimers() override;
    void SetIdleHandler(std::function<void()> handler) override { idle_ = std::move(handler); }
    cairo_surface_t* Frame(NativeWindow* window) override;
    uint32_t Pixel(NativeWindow* window, Point p) override;
    bool SaveFrame(NativeWindow* window, const std::string& pngPath) override;
    bool IsMoveDragging() const override { return dragWindow_ != nullptr; }
    void SetScreen(const Rect& screen, const Rect& workArea) override;
    void SetCompositor(bool present) override { compositor_ = present; }

    // For HeadlessWindow.
    void AddTimer(HeadlessWindow* window, uint32_t id, uint32_t periodMs);
    void RemoveTimer(HeadlessWindow* window, uint32_t id);
    void ForgetWindow(HeadlessWindow* window);
    void StartMoveDrag(HeadlessWindow* window, Point screen);
    void SetActivePopup(HeadlessWindow* window);

private:
    struct Timer {
        uint32_t periodMs = 0;
        uint64_t due = 0;
    };
    HeadlessWindow* Live(NativeWindow* window);
    void Pointer(HeadlessWindow* window, Point client);
    static int ButtonKey(MouseButton button);

    std::atomic<uint64_t> now_{1000000};
    std::map<std::pair<HeadlessWindow*, uint32_t>, Timer> timers_;
    HeadlessWindow* dragWindow_ = nullptr;
    HeadlessWindow* activePopup_ = nullptr;
    Point dragLast_;
    Rect screen_{0, 0, 1920, 1080};
    Rect work_{0, 0, 1920, 1040};
    bool compositor_ = true;
    bool manualPeriodic_ = false;
    std::function<void()> idle_;
};

} // namespace Tolva
