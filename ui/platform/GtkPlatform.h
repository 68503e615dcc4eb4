#pragma once

#include <memory>

#include "ui/platform/PlatformBackend.h"

namespace Tolva {

// The GTK 3 back end: real windows, GDK input, cairo presentation.
class GtkPlatform : public PlatformBackend {
public:
    // Null when GTK cannot open a display.
    static std::unique_ptr<PlatformBackend> Start(int* argc, char*** argv);
    ~GtkPlatform() override;

    BackendKind Kind() const override;
    std::shared_ptr<NativeWindow> NewWindow(const WindowParams& params, WindowProc proc,
                                            void* self) override;
    bool PollEvents() override;
    void WaitForEvents() override;
    void Wakeup() override;
    Point CursorPos() override;
    Rect ScreenRect() override;
    Rect WorkArea(Point near) override;
    bool HasCompositor() override;
    unsigned DoubleClickTime() override;
    uint64_t NowMs() override;
    std::unique_ptr<ToolTipWindow> NewToolTip(NativeWindow* owner) override;
    std::unique_ptr<NativeEdit> NewEdit(NativeWindow* parent) override;
    bool SetClipboardText(const std::string& text) override;
    bool GetClipboardText(std::string& text) override;

private:
    GtkPlatform() = default;
};

} // namespace Tolva
