#include "app/shell/PermissionNotice.h"

#include "app/device/HidPermissionProbe.h"
#include "app/files/ApplicationConfig.h"
#include "app/files/UiText.h"
#include "ui/controls/MText.h"

#include <utility>

namespace {

constexpr int kHelpText = 9251;
constexpr int kNoDeviceText = 61;
// The explanation and a command need more lines than "no device"; the device list under the
// text is empty while no device is online.
constexpr int kHelpBottom = 400;

} // namespace

void PermissionNotice::Configure() {
    std::string command = HidPermissionProbe::FixCommandHere();
    std::lock_guard<std::mutex> guard(lock_);
    command_ = std::move(command);
}

void PermissionNotice::SetRoots(const std::string& sysfsRoot, const std::string& devRoot) {
    std::lock_guard<std::mutex> guard(lock_);
    sysfsRoot_ = sysfsRoot;
    devRoot_ = devRoot;
}

std::string PermissionNotice::Check(const ApplicationConfig& config, bool realDevices) const {
    if (!realDevices) return {};
    std::lock_guard<std::mutex> guard(lock_);
    HidPermissionProbe probe(sysfsRoot_, devRoot_);
    for (const auto& mode : config.Modes())
        if (mode && mode->vendorId > 0 && mode->vendorId <= 0xFFFF && mode->productId > 0 &&
            mode->productId <= 0xFFFF)
            probe.AddSupported(static_cast<uint16_t>(mode->vendorId),
                               static_cast<uint16_t>(mode->productId));
    return probe.FindBlocked().empty() ? std::string() : command_;
}

std::string PermissionNotice::Compose(const std::string& command) {
    std::string text = UiText::Dialog(kHelpText);
    if (text.empty()) text = "The device is plugged in, but this user may not open it. Run:";
    return text + "\n\n" + command;
}

void PermissionNotice::Show(Tolva::MText* noDevice, const std::string& command) {
    if (!noDevice || command == shown_) return;
    shown_ = command;
    Tolva::Rect rect = noDevice->GetRect();
    if (!command.empty() && !enlarged_) {
        originalBottom_ = rect.bottom;
        rect.bottom = kHelpBottom;
        noDevice->SetRect(rect);
        enlarged_ = true;
    } else if (command.empty() && enlarged_) {
        rect.bottom = originalBottom_;
        noDevice->SetRect(rect);
        enlarged_ = false;
    }
    noDevice->SetTitle(command.empty() ? UiText::Dialog(kNoDeviceText) : Compose(command));
}

void PermissionNotice::ApplyTexts(Tolva::MText* noDevice) {
    if (noDevice && !shown_.empty()) noDevice->SetTitle(Compose(shown_));
}
