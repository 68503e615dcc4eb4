#pragma once

#include <mutex>

// Why the main window is disabled, counted: the worker while a task runs, each modal dialog
// while it is open. The window is enabled again only when the last reason is gone, so a task
// that ends while a dialog is shown does not make the window under the dialog usable.
// Thread-safe; the window applies what the calls return on its own thread.
class WindowEnableCounter {
public:
    // One more reason; true when this is the first and the window must be disabled now.
    bool Disable();
    // One reason fewer; true when none is left and the window must be enabled now. A call
    // without a matching Disable changes nothing and returns false.
    bool Enable();
    bool IsEnabled() const;
    int Reasons() const;

private:
    mutable std::mutex mutex_;
    int reasons_ = 0;
};
