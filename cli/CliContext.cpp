#include "cli/CliContext.h"

#include "app/device/HidDeviceManager.h"
#include "app/files/ApplicationConfig.h"
#include "app/platform/AppFolders.h"
#include "cli/TerminalText.h"
#include "sim/EmulatedKeyboard.h"
#include "sim/EmulatedMouse.h"
#include "sim/SimHidBus.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

int CliContext::ParseGlobalOptions(int argc, char** argv) {
    int i = 1;
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) break;
        if (arg == "--json") {
            json = true;
        } else if (arg == "--simulated-mouse") {
            simulatedMouse = "both";
        } else if (arg.rfind("--simulated-mouse=", 0) == 0) {
            simulatedMouse = arg.substr(std::strlen("--simulated-mouse="));
            if (simulatedMouse != "wired" && simulatedMouse != "wireless" &&
                simulatedMouse != "both") {
                Usage("--simulated-mouse takes wired, wireless or both");
                return -1;
            }
        } else if (arg == "--simulated-keyboard") {
            simulatedKeyboard = "feature";
        } else if (arg.rfind("--simulated-keyboard=", 0) == 0) {
            simulatedKeyboard = arg.substr(std::strlen("--simulated-keyboard="));
            if (simulatedKeyboard != "feature" && simulatedKeyboard != "prefixed") {
                Usage("--simulated-keyboard takes feature or prefixed");
                return -1;
            }
        } else if (arg == "--sim-state" || arg == "--profile") {
            if (i + 1 >= argc) {
                Usage(arg + " needs a value");
                return -1;
            }
            std::string value = argv[++i];
            if (arg == "--sim-state") {
                simStateFile = value;
            } else {
                char* end = nullptr;
                long n = std::strtol(value.c_str(), &end, 10);
                if (value.empty() || *end != '\0' || n < 1 || n > 1000000) {
                    Usage("--profile takes a profile id");
                    return -1;
                }
                profile = static_cast<int>(n);
            }
        } else if (arg == "--help") {
            break;
        } else {
            Usage("unknown option " + arg);
            return -1;
        }
    }
    return i;
}

bool CliContext::ParseNumber(const std::string& text, int min, int max, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    int parsed = std::stoi(text);
    if (parsed < min || parsed > max) return false;
    value = parsed;
    return true;
}

int CliContext::Fail(const std::string& message) const {
    std::fprintf(stderr, "pivanectl: %s\n", TerminalText::Printable(message, true).c_str());
    return kFailed;
}

int CliContext::Usage(const std::string& message) const {
    std::fprintf(stderr, "pivanectl: %s\nTry 'pivanectl --help'.\n",
                 TerminalText::Printable(message, true).c_str());
    return kUsage;
}

void CliContext::Say(const std::string& text) const {
    // Every human line passes here, so no stored text reaches the terminal raw.
    if (!json) std::fputs(TerminalText::Printable(text, true).c_str(), stdout);
}

void CliContext::PrintJson(const std::string& document) const {
    std::fputs(document.c_str(), stdout);
    std::fputc('\n', stdout);
}

CliContext::CliContext() = default;

CliContext::~CliContext() {
    if (!mouse_ && !keyboard_) return;
    // The process-wide manager outlives this context; it must not keep using the mouse.
    if (devicesReady_) HidDeviceManager::Instance().SetBackend(nullptr);
}

EmulatedMouse* CliContext::SimulatedMouse() {
    if (simulatedMouse.empty()) return nullptr;
    if (mouse_) return mouse_.get();
    bool cable = simulatedMouse != "wireless";
    bool receiver = simulatedMouse != "wired";
    mouse_ = std::make_shared<EmulatedMouse>(EmulatedMouse::Fixture::Default(cable, receiver));
    struct stat st;
    if (!simStateFile.empty() && lstat(simStateFile.c_str(), &st) == 0)
        stateRefused_ = !mouse_->LoadState(simStateFile);
    // The command line says what is plugged in, whatever the saved state says.
    mouse_->PlugCable(cable);
    mouse_->PlugReceiver(receiver);
    return mouse_.get();
}

std::string CliContext::KeyboardStateFile() const {
    if (simStateFile.empty() || simulatedKeyboard.empty()) return {};
    return EmulatedKeyboard::StatePathBeside(simStateFile, simulatedKeyboard == "prefixed"
                                                               ? EmulatedKeyboard::Family::Prefixed
                                                               : EmulatedKeyboard::Family::Feature);
}

EmulatedKeyboard* CliContext::SimulatedKeyboard() {
    if (simulatedKeyboard.empty()) return nullptr;
    if (keyboard_) return keyboard_.get();
    keyboard_ = std::make_shared<EmulatedKeyboard>(simulatedKeyboard == "prefixed"
                                                       ? EmulatedKeyboard::Family::Prefixed
                                                       : EmulatedKeyboard::Family::Feature);
    const std::string file = KeyboardStateFile();
    struct stat st;
    if (!file.empty() && lstat(file.c_str(), &st) == 0)
        keyboardStateRefused_ = !keyboard_->LoadState(file);
    keyboard_->Plug(true);
    return keyboard_.get();
}

bool CliContext::SaveSimulatedMouse() {
    if (stateSaved_ || simStateFile.empty()) return true;
    stateSaved_ = true;
    bool ok = true;
    if (mouse_ && !stateRefused_ && !mouse_->SaveState(simStateFile)) {
        Fail("cannot write the emulated mouse's state to " + simStateFile);
        ok = false;
    }
    if (keyboard_ && !keyboardStateRefused_ && !keyboard_->SaveState(KeyboardStateFile())) {
        Fail("cannot write the emulated keyboard's state to " + KeyboardStateFile());
        ok = false;
    }
    return ok;
}

bool CliContext::LoadSimulatedMouse() {
    if (simStateFile.empty()) return true;
    if (!simulatedKeyboard.empty()) {
        const std::string file = KeyboardStateFile();
        struct stat st;
        if (stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            keyboardStateRefused_ = true;
            Fail(file + " is not a regular file; it was left as it is");
            return false;
        }
        SimulatedKeyboard();
        if (keyboardStateRefused_) {
            Fail(file + " is not a state file of the emulated keyboard; it was left as it is");
            return false;
        }
    }
    if (simulatedMouse.empty()) return true;
    struct stat st;
    if (stat(simStateFile.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        stateRefused_ = true;
        Fail(simStateFile + " is not a regular file; it was left as it is");
        return false;
    }
    SimulatedMouse();
    if (!stateRefused_) return true;
    Fail(simStateFile + " is not a state file of the emulated mouse; it was left as it is");
    return false;
}

// The device modes of config.xml, read by the program's own configuration loader.
static bool ReadConfiguredModes(const std::string& path, std::vector<CliContext::DeviceMode>& out) {
    ApplicationConfig config;
    if (!config.Load(path, nullptr)) return false;
    for (const auto& entry : config.Modes()) {
        const DeviceModeEntry& e = *entry;
        out.push_back(CliContext::DeviceMode{e.name, e.deviceType, e.mode, e.vendorId, e.productId,
                                             e.release, e.desc, e.hidInterface});
    }
    return true;
}

const std::vector<CliContext::DeviceMode>& CliContext::DeviceModes() {
    if (modesRead_) return modes_;
    modesRead_ = true;
    std::string folder = AppFolders::ProgramFolder();
    if (!folder.empty() && ReadConfiguredModes(folder + "config.xml", modes_)) return modes_;
    modes_.clear();
    if (!simulatedKeyboard.empty()) {
        EmulatedKeyboard* keyboard = SimulatedKeyboard();
        DeviceMode mode;
        mode.name = keyboard->Name();
        mode.deviceType = keyboard->DeviceType();
        mode.vendorId = EmulatedKeyboard::kVendorId;
        mode.productId = keyboard->ProductId();
        mode.release = EmulatedKeyboard::kRelease;
        mode.desc = "USB cable";
        mode.hidInterface = EmulatedKeyboard::kInterfacePattern;
        modes_.push_back(mode);
    }
    if (simulatedMouse.empty()) return modes_;
    // No configuration: describe the emulated mouse so that it can still be tried.
    DeviceMode cable;
    cable.name = EmulatedMouse::kName;
    cable.deviceType = EmulatedMouse::kDeviceType;
    cable.mode = 0;
    cable.vendorId = EmulatedMouse::kVendorId;
    cable.productId = EmulatedMouse::kCableProductId;
    cable.release = EmulatedMouse::kCableRelease;
    cable.desc = "USB cable";
    cable.hidInterface = EmulatedMouse::kInterfacePattern;
    DeviceMode receiver = cable;
    receiver.mode = 2;
    receiver.productId = EmulatedMouse::kReceiverProductId;
    receiver.release = EmulatedMouse::kReceiverRelease;
    receiver.desc = "2.4G receiver";
    modes_.push_back(cable);
    modes_.push_back(receiver);
    return modes_;
}

HidDeviceManager& CliContext::Devices() {
    HidDeviceManager& manager = HidDeviceManager::Instance();
    if (devicesReady_) return manager;
    devicesReady_ = true;
    SimulatedMouse();
    SimulatedKeyboard();
    if (mouse_ && keyboard_) {
        auto bus = std::make_shared<SimHidBus>();
        bus->Add(mouse_);
        bus->Add(keyboard_);
        manager.SetBackend(bus);
    } else if (mouse_) {
        manager.SetBackend(mouse_);
    } else if (keyboard_) {
        manager.SetBackend(keyboard_);
    }
    manager.ClearSupportedDevices();
    for (const DeviceMode& m : DeviceModes())
        manager.AddSupportedDevice(m.vendorId, m.productId, m.release, m.name, m.deviceType, m.mode,
                                   m.hidInterface);
    manager.Rescan();
    // The keyboards are configured first; the commands here are mostly the mouse's.
    int chosen = 0;
    for (bool mouseOnly : {true, false})
        for (const DeviceMode& m : DeviceModes())
            if (!chosen && (!mouseOnly || m.deviceType > 600) &&
                manager.FindOnline(m.vendorId, m.productId, m.name, m.mode) >= 0)
                chosen = m.deviceType;
    if (!chosen && !DeviceModes().empty()) chosen = DeviceModes().front().deviceType;
    if (chosen) manager.SetSelectedDeviceType(chosen);
    return manager;
}
