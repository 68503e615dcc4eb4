#include "app/device/DeviceStatusMonitor.h"

#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/MaintenanceCommands.h"
#include "app/platform/Clock.h"

namespace {

// The main window also writes 1 for the receiver; both name the same link.
bool SameMode(int a, int b) {
    if (CommandFrame::IsWirelessMode(a) && CommandFrame::IsWirelessMode(b)) return true;
    return a == b;
}

} // namespace

DeviceStatusMonitor::DeviceStatusMonitor(HidDeviceManager& manager) : manager_(manager) {}

DeviceStatusMonitor::State DeviceStatusMonitor::Current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

void DeviceStatusMonitor::SetConnection(bool connected, int mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    state_.connected = connected;
    state_.mode = mode;
}

bool DeviceStatusMonitor::TakeBattery(int byte5) {
    if (byte5 < 0 || byte5 > 100) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    bool changed = state_.battery != byte5;
    state_.battery = byte5;
    return changed;
}

DeviceStatusMonitor::PollResult DeviceStatusMonitor::Poll(int deviceType) {
    PollResult result;
    State before = Current();

    // Listening: status reports the mouse sends by itself.
    if (deviceType >= 600 && deviceType <= 799) {
        uint8_t buffer[HidDeviceManager::kReportSize] = {};
        const bool read = manager_.ReadNotification(buffer);
        if (read) result.pressedButton = CommandFrame::ButtonReportKey(buffer, sizeof buffer);
        if (read && CommandFrame::HasStatusSignature(buffer, sizeof buffer)) {
            bool connected = before.connected;
            int mode = before.mode;
            switch (buffer[6]) {
            case CommandFrame::kLinkNone:
                connected = false;
                break;
            case CommandFrame::kLinkReceiver:
                mode = CommandFrame::kModeWireless;
                break;
            case CommandFrame::kLinkCable:
                mode = CommandFrame::kModeWired;
                break;
            default:
                break;
            }
            if (buffer[6] != CommandFrame::kLinkNone && TakeBattery(buffer[5]))
                result.batteryChanged = true;
            if (connected != before.connected || !SameMode(mode, before.mode)) {
                SetConnection(connected, mode);
                result.rescan = true;
                return result;
            }
        }
    }

    // Asking, rate-limited.
    int64_t now = manager_.GetClock().NowMs();
    if (!polled_) {
        polled_ = true;
        lastPollMs_ = now;
        return result;
    }
    if (now - lastPollMs_ < kPollIntervalMs) return result;
    lastPollMs_ = now;

    CommandFrame::Payload reply{};
    if (!MaintenanceCommands(manager_).QueryStatus(before.mode, reply)) {
        // A lost mouse is looked for again on every interval.
        result.rescan = true;
        return result;
    }
    auto status = CommandFrame::ParseStatus(reply.data(), reply.size());
    if (!status.signature) return result;
    int link = status.linkState;
    bool connected = link == CommandFrame::kLinkReceiver || link == CommandFrame::kLinkCable;
    int mode = before.mode;
    if (link == CommandFrame::kLinkCable) mode = CommandFrame::kModeWired;
    if (link == CommandFrame::kLinkReceiver) mode = CommandFrame::kModeWireless;
    if (link != CommandFrame::kLinkNone && TakeBattery(reply[5])) result.batteryChanged = true;
    if (connected != before.connected || !SameMode(mode, before.mode)) {
        SetConnection(connected, mode);
        result.rescan = true;
    }
    return result;
}

bool DeviceStatusMonitor::RefreshShownDevice() {
    CommandFrame::Payload reply{};
    if (!MaintenanceCommands(manager_).QueryStatus(Current().mode, reply)) return false;
    TakeBattery(reply[5]);
    return true;
}

void DeviceStatusMonitor::RescanDevices(int deviceType) {
    manager_.Rescan();
    manager_.SetSelectedDeviceType(deviceType);
    int mode = manager_.ConnectedMode();
    SetConnection(mode != CommandFrame::kModeNone, mode);
}
