#include "app/device/MaintenanceCommands.h"

#include "app/device/HidDeviceManager.h"

namespace {

// Anything that is not the receiver goes in the wired frame, even "no device": the manager then
// finds nothing to send to.
int FrameMode(int mode) {
    return CommandFrame::IsWirelessMode(mode) ? mode : CommandFrame::kModeWired;
}

} // namespace

MaintenanceCommands::MaintenanceCommands(HidDeviceManager& manager) : manager_(manager) {}

bool MaintenanceCommands::QueryStatus(int mode, CommandFrame::Payload& reply) {
    // No arguments.
    auto payload =
        CommandFrame::PayloadOf(CommandFrame::Mouse(FrameMode(mode), CommandFrame::kQueryStatus));
    if (!manager_.QueryCommand(payload.data())) return false;
    reply = payload;
    return true;
}

bool MaintenanceCommands::RestoreFactoryDefaults(int mode) {
    // Without a mouse connection the keyboard families' resets apply instead.
    if (!CommandFrame::HasFrame(mode)) return false;
    // No arguments.
    auto report = CommandFrame::Mouse(mode, CommandFrame::kRestoreFactoryDefaults);
    return manager_.WriteReport(report.data(), false);
}
