#pragma once

#include "app/shell/WorkerDeviceState.h"
#include "app/shell/upgrade/UpgradeNotices.h"

#include <array>
#include <cstdint>
#include <memory>

class DeviceLayout;

// What the worker asks of the main window. Every call comes from the worker thread and must
// return without waiting for the window: an implementation posts the work to the window thread
// (Tolva's cross-thread rule). The worker never touches a control itself. The upgrade tasks
// report through the UpgradeNotices part.
class WorkerWindow : public UpgradeNotices {
public:
    virtual ~WorkerWindow() = default;

    // Around every task that runs: the window takes no input meanwhile. Always paired; the
    // window counts them with its modal dialogs (WindowEnableCounter).
    virtual void DisableForTask() = 0;
    virtual void EnableAfterTask() = 0;
    // After tasks 6, 7, 8, 10 and 12 to 18: close the waiting dialog if one is shown.
    virtual void CloseWaitDialog() = 0;
    // Reload every page of the shown device from the store.
    virtual void PostPageReload() = 0;
    // Device list, page set, battery and mode icon.
    virtual void DeviceStateChanged(const WorkerDeviceState& state) = 0;
    // Task 4 finished: the shown device, its current profile and its layout (empty when the
    // layout file could not be read).
    virtual void DeviceSwitched(int deviceType, int profile,
                                std::shared_ptr<const DeviceLayout> layout) = 0;
    // Task 1, once per run: start the music visualizer.
    virtual void StartVisualizer() = 0;
    // A mouse button asked for a software function (types 8 to 11): the window posts itself
    // message 1092 with the function's key extra data id as lParam.
    virtual void SoftwareFunctionPressed(int /*keyExtraDataId*/) {}
    // A live lighting frame went to the mouse: the seven zones' colours (0x00BBGGRR), for the
    // lighting page's picture.
    virtual void LiveColoursSent(const std::array<uint32_t, 7>& /*colours*/) {}
};
