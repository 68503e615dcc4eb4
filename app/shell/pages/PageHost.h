#pragma once

#include <memory>
#include <string>

class CThreadBasic;
class DeviceLayout;
class SettingsDatabase;

namespace Tolva {
class MDialog;
class MTabLayout;
} // namespace Tolva

// What a page may ask of the main window. Every call is made on the window thread; nothing here
// waits for the device (device work is a queued worker task).
class PageHost {
public:
    virtual ~PageHost() = default;

    virtual Tolva::MDialog& Window() = 0;
    // One of the page layouts (50 to 54, 501 to 504); null for an unknown id.
    virtual Tolva::MTabLayout* FindLayout(unsigned id) = 0;
    virtual SettingsDatabase& Store() = 0;

    // Appends a worker task code. Nothing happens before the worker runs.
    virtual void QueueTask(int code) = 0;
    // For the facts a task reads (selected button, colour index ...); null before the worker runs.
    virtual CThreadBasic* Worker() = 0;
    // Queued tasks not yet finished, for a host without a worker (with one, its queue tells).
    virtual int PendingTasks() const { return 0; }
    // The waiting dialog over the main window; an older one is closed first.
    virtual void ShowWaitDialog() = 0;
    // The program's message box (style 4: two answers, 0: a notice); the button pressed, 1 or 2.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, int style) = 0;

    // The shown device type (0 when none), its current profile and its layout file (null when
    // none was read).
    virtual int DeviceType() const = 0;
    virtual int CurrentProfile() const = 0;
    virtual void SetCurrentProfile(int profile) = 0;
    virtual std::shared_ptr<const DeviceLayout> Layout() const = 0;
    // Every page re-reads the store (after a profile change, an import, restore defaults).
    virtual void ReloadPages() = 0;
    // Whether the key-remapping driver can take over a keyboard's keys (it is present).
    virtual bool RemapsKeys() const { return false; }

    // Both end with "/".
    virtual const std::string& ProgramFolder() const = 0;
    virtual const std::string& DataFolder() const = 0;
};
