#pragma once

#include "app/shell/WorkerWindow.h"

#include <atomic>

// The window as the worker sees it during the soak: it only counts, as a real window's calls
// only post. Disables and enables must pair up after every pass, faults or not.
class SoakWindow : public WorkerWindow {
public:
    void DisableForTask() override { ++disables_; }
    void EnableAfterTask() override { ++enables_; }
    void CloseWaitDialog() override { ++waitClosed_; }
    void PostPageReload() override { ++reloads_; }
    void DeviceStateChanged(const WorkerDeviceState&) override { ++states_; }
    void DeviceSwitched(int, int, std::shared_ptr<const DeviceLayout>) override { ++switched_; }
    void StartVisualizer() override {}
    void SoftwareFunctionPressed(int) override { ++functions_; }

    // Disables not yet followed by their enable.
    int OpenDisables() const { return disables_ - enables_; }
    long Calls() const {
        return disables_ + enables_ + waitClosed_ + reloads_ + states_ + switched_ + functions_;
    }

private:
    std::atomic<int> disables_{0}, enables_{0};
    std::atomic<long> waitClosed_{0}, reloads_{0}, states_{0}, switched_{0}, functions_{0};
};
