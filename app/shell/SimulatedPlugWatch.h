#pragma once

#include "app/device/HotplugSource.h"

#include <deque>
#include <memory>
#include <mutex>
#include <string>

class EmulatedMouse;

// Hot-plug for the emulated mouse: watches its --sim-state file, and when someone rewrites the
// file's plug lines ("plugged CABLE RECEIVER", "linked N", "battery N") applies the change to
// the mouse and reports the links that came or went as the udev monitor reports real ones.
// The rest of the file (the mouse's settings and log) is left alone: the running program is
// the mouse's owner while it runs.
class SimulatedPlugWatch final : public HotplugSource {
public:
    SimulatedPlugWatch(std::shared_ptr<EmulatedMouse> mouse, std::string stateFile);
    ~SimulatedPlugWatch() override;

    bool Open() override;
    void Close() override;
    int Fd() const override;
    bool Receive(Event& event) override;

    // What the file says about plugs, link and battery; false when it is no state file.
    struct Plugs {
        bool cable = false;
        bool receiver = false;
        bool linked = true;
        int battery = -1; // -1 when the file does not say
    };
    static bool ReadPlugs(const std::string& stateFile, Plugs& plugs);

private:
    void Refresh();
    void Queue(const Event& event);

    std::shared_ptr<EmulatedMouse> mouse_;
    std::string stateFile_;
    std::string folder_;
    std::string name_;
    mutable std::mutex mutex_;
    int epollFd_ = -1;
    int inotifyFd_ = -1;
    int pendingFd_ = -1; // counts the events waiting in pending_
    std::deque<Event> pending_;
};
