#pragma once

#include "app/device/HidDeviceManager.h"
#include "app/shell/CThreadBasic.h"
#include "app/shell/HotplugTasks.h"
#include "app/shell/WindowEnableCounter.h"
#include "app/shell/WorkerWindow.h"
#include "app/store/SettingsDatabase.h"
#include "sim/EmulatedMouse.h"
#include "sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The window as the worker sees it: it counts what it is asked, and disables through the
// window's own counter so that modal dialogs can be modelled. Thread-safe.
class RecordingWindow : public WorkerWindow {
public:
    void DisableForTask() override;
    void EnableAfterTask() override;
    void CloseWaitDialog() override;
    void PostPageReload() override;
    void DeviceStateChanged(const WorkerDeviceState& state) override;
    void DeviceSwitched(int deviceType, int profile,
                        std::shared_ptr<const DeviceLayout> layout) override;
    void StartVisualizer() override;

    // Runs inside DisableForTask, i.e. while a task is about to run (once, then cleared).
    void DuringNextTask(std::function<void()> action);

    int Disables() const;
    int Enables() const;
    int MaxNesting() const;
    int WaitClosed() const;
    int Reloads() const;
    int VisualizerStarts() const;
    int SwitchedType() const;
    int SwitchedProfile() const;
    bool LayoutLoaded() const;
    WorkerDeviceState LastState() const;
    size_t StateCount() const;

    WindowEnableCounter enable; // the window's counter, shared with its modal dialogs

private:
    mutable std::mutex mutex_;
    std::function<void()> duringTask_;
    int disables_ = 0, enables_ = 0, nesting_ = 0, maxNesting_ = 0;
    int waitClosed_ = 0, reloads_ = 0, visualizer_ = 0;
    int switchedType_ = 0, switchedProfile_ = 0;
    bool layoutLoaded_ = false;
    std::vector<WorkerDeviceState> states_;
};

// The worker over the emulated mouse on virtual time, with the shipped config.xml registered,
// a real settings store in a temporary data folder and the hot-plug bridge attached. Tests run
// the worker's passes themselves unless they start its thread.
class WorkerFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // (Re)builds mouse, manager, worker and hot-plug bridge. clock may replace the fixture's.
    void Build(const EmulatedMouse::Fixture& fixture, VirtualClock* clock = nullptr);
    // Passes until the queue is empty (at most maxPasses); returns the passes run.
    int Drain(int maxPasses = 200);
    // Start-up (task 2) and the choice of the mouse (task 4 and what it queues); traffic
    // forgotten afterwards.
    void StartAndChooseMouse();
    void Forget();
    // Payload hex (first n bytes) of the output reports that reached a command interface.
    std::vector<std::string> Sent(size_t n = 8) const;
    // Feature reports, the same way.
    std::vector<std::string> SentFeatures(size_t n = 8) const;
    // The command interface of a link as enumeration names it (plugged links only).
    HidInterfaceInfo CommandInterface(EmulatedMouse::Link link) const;
    HotplugSource::Event Event(int kind, EmulatedMouse::Link link) const;
    CThreadBasic::Setup MakeSetup();
    void SaveButton(int profile, int keyCode, int value);

    std::string folder_;
    VirtualClock ownClock_;
    VirtualClock* clock_ = &ownClock_;
    std::shared_ptr<EmulatedMouse> mouse_;
    std::unique_ptr<HidDeviceManager> manager_;
    SettingsDatabase store_;
    RecordingWindow window_;
    std::unique_ptr<CThreadBasic> worker_;
    std::unique_ptr<HotplugTasks> hotplug_;
};
