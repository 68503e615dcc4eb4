#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/platform/Geometry.h"
#include "ui/platform/NativeWindow.h"

namespace Tolva {

class HeadlessBackend;
class NativeEdit;
class ToolTipWindow;
enum class BackendKind;

// What each back end provides to Platform; not part of the library's interface.
class PlatformBackend {
public:
    virtual ~PlatformBackend() = default;
    virtual BackendKind Kind() const = 0;
    // Builds the native side of a window; no message is sent yet. Null on failure.
    virtual std::shared_ptr<NativeWindow> NewWindow(const WindowParams& params, WindowProc proc,
                                                    void* self) = 0;
    // Runs the next native event source that is ready, without waiting; true when one ran.
    virtual bool PollEvents() = 0;
    // Waits until a native event arrives or Wakeup is called.
    virtual void WaitForEvents() = 0;
    // Any thread: ends a WaitForEvents.
    virtual void Wakeup() = 0;
    virtual Point CursorPos() = 0;
    virtual Rect ScreenRect() = 0;
    virtual Rect WorkArea(Point near) = 0;
    virtual bool HasCompositor() = 0;
    virtual unsigned DoubleClickTime() = 0;
    virtual uint64_t NowMs() = 0;
    virtual std::unique_ptr<ToolTipWindow> NewToolTip(NativeWindow* owner) = 0;
    virtual std::unique_ptr<NativeEdit> NewEdit(NativeWindow* parent) = 0;
    virtual HeadlessBackend* Headless() { return nullptr; }
    // Manual periodic timers (headless tests); false lets them run on their own threads.
    virtual bool ManualPeriodicTimers() const { return false; }
    // Clipboard text; a back end without a desktop clipboard keeps it in the process.
    virtual bool SetClipboardText(const std::string& text) {
        clipboard_ = text;
        hasClipboard_ = true;
        return true;
    }
    virtual bool GetClipboardText(std::string& text) {
        if (!hasClipboard_) return false;
        text = clipboard_;
        return true;
    }

private:
    std::string clipboard_;
    bool hasClipboard_ = false;
};

} // namespace Tolva
