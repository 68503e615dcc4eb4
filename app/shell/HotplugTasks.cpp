#include "app/shell/HotplugTasks.h"

#include "app/shell/CThreadBasic.h"

HotplugTasks::HotplugTasks(CThreadBasic& worker,
                           HotplugMatcher::CommandInterfaceCheck isCommandInterface)
    : worker_(worker), isCommandInterface_(std::move(isCommandInterface)) {}

std::vector<HotplugMatcher::Target>
HotplugTasks::TargetsFor(const std::vector<SupportedDevice>& modes) {
    std::vector<HotplugMatcher::Target> targets;
    for (const SupportedDevice& mode : modes) {
        HotplugMatcher::Target target;
        target.vendorId = mode.vendorId;
        target.productId = mode.productId;
        target.interfacePattern = mode.interfacePattern;
        target.deviceType = mode.deviceType;
        targets.push_back(target);
    }
    return targets;
}

void HotplugTasks::SetTargets(std::vector<HotplugMatcher::Target> targets) {
    std::lock_guard<std::mutex> lock(mutex_);
    targets_ = std::move(targets);
}

std::vector<HotplugMatcher::Target> HotplugTasks::Targets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_;
}

HotplugMatcher::Action HotplugTasks::OnDeviceChange(const HotplugSource::Event& event) {
    HotplugMatcher::Result result;
    {
        // The check opens the interface; it runs under the lock so that a rescan's marks and
        // this event are applied one after the other.
        std::lock_guard<std::mutex> lock(mutex_);
        result = HotplugMatcher::OnDeviceChange(event.kind, event.name, event.path, targets_,
                                                isCommandInterface_);
    }
    switch (result.action) {
    case HotplugMatcher::Action::RescanAfterArrival:
        worker_.SetShownDeviceType(result.deviceType);
        worker_.SetStateChange(1);
        worker_.AddTask(CThreadBasic::kDelayedRescan);
        break;
    case HotplugMatcher::Action::RescanAfterRemoval:
        worker_.SetShownDeviceType(result.deviceType);
        worker_.SetStateChange(2);
        worker_.AddTask(CThreadBasic::kRescan);
        break;
    case HotplugMatcher::Action::None:
        break;
    }
    return result.action;
}

void HotplugTasks::MarkConnected(const WorkerDeviceState& state) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (HotplugMatcher::Target& target : targets_) {
        target.connected = false;
        for (const DeviceEntry& entry : state.entries)
            if (entry.online && entry.vendorId == target.vendorId &&
                entry.productId == target.productId)
                target.connected = true;
    }
}

void HotplugTasks::Attach() {
    worker_.SetRescanListener([this](const WorkerDeviceState& state) { MarkConnected(state); });
}
