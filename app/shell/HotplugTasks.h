#pragma once

#include "app/device/HotplugMatcher.h"
#include "app/device/HotplugSource.h"
#include "app/device/SupportedDevice.h"
#include "app/shell/WorkerDeviceState.h"

#include <mutex>
#include <vector>

class CThreadBasic;

// Turns the hot-plug monitor's events into worker tasks, as the main window's device-change
// handler does: an arrival of a described device's command interface queues task 2, a removal
// of a device marked connected queues task 3, both behind whatever is queued. The events come
// on the monitor's thread; the connected marks come from the worker after each rescan.
class HotplugTasks {
public:
    // The worker must outlive this object; the check opens the arriving interface.
    HotplugTasks(CThreadBasic& worker, HotplugMatcher::CommandInterfaceCheck isCommandInterface);

    // One target per configured device mode, in configuration order.
    static std::vector<HotplugMatcher::Target>
    TargetsFor(const std::vector<SupportedDevice>& modes);
    void SetTargets(std::vector<HotplugMatcher::Target> targets);
    std::vector<HotplugMatcher::Target> Targets() const;

    // Handles one event (any thread); returns what it decided.
    HotplugMatcher::Action OnDeviceChange(const HotplugSource::Event& event);
    // After a rescan: a target is connected while an online entry has its vendor and product.
    void MarkConnected(const WorkerDeviceState& state);
    // Makes the worker report every rescan here.
    void Attach();

private:
    CThreadBasic& worker_;
    HotplugMatcher::CommandInterfaceCheck isCommandInterface_;
    mutable std::mutex mutex_;
    std::vector<HotplugMatcher::Target> targets_;
};
