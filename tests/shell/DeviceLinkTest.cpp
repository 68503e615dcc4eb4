#include "app/shell/DeviceLink.h"
#include "app/device/HidDeviceManager.h"
#include "app/device/HotplugMonitor.h"
#include "app/shell/ShellOptions.h"
#include "app/shell/ShellServices.h"
#include "app/shell/SimulatedPlugWatch.h"
#include "sim/EmulatedKeyboard.h"
#include "sim/SimHidFilter.h"
#include "sim/SimVirtualHid.h"
#include "tests/shell/WorkerFixture.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <thread>

namespace {

// Writes a state file the way a writer replaces it: a temporary file renamed over it.
void WriteState(const std::string& path, const std::string& body) {
    std::string temp = path + ".new";
    {
        std::ofstream out(temp);
        out << EmulatedMouse::kStateHeader << "\n" << body;
    }
    std::rename(temp.c_str(), path.c_str());
}

// Takes every event the watch has once it has woken up (a generous wait for that).
std::vector<HotplugSource::Event> Collect(SimulatedPlugWatch& watch) {
    std::vector<HotplugSource::Event> events;
    bool woke = false;
    for (int rounds = 0; rounds < 50; ++rounds) {
        pollfd pfd{watch.Fd(), POLLIN, 0};
        if (poll(&pfd, 1, 100) <= 0) {
            if (woke) break;
            continue;
        }
        woke = true;
        HotplugSource::Event event;
        if (watch.Receive(event)) events.push_back(event);
    }
    return events;
}

} // namespace

using DeviceLinkTest = WorkerFixture;

TEST_F(DeviceLinkTest, TheCommandLineDecidesThePlugsAndTheConfigurationTheModes) {
    std::string state = folder_ + "mouse.state";
    WriteState(state, "plugged 1 1\nbattery 42\n");
    ShellOptions options;
    options.simulatedMouse = "wired";
    options.simStateFile = state;
    HidDeviceManager manager(nullptr, clock_);
    DeviceLink link;
    ASSERT_TRUE(link.Setup(options, MakeSetup().programFolder, manager));
    ASSERT_NE(link.SimulatedMouse(), nullptr);
    EXPECT_TRUE(link.SimulatedMouse()->GetFixture().cablePlugged);
    EXPECT_FALSE(link.SimulatedMouse()->GetFixture().receiverPlugged);
    EXPECT_EQ(link.SimulatedMouse()->GetFixture().battery, 42);
    // Both keyboards and the mouse's two links.
    EXPECT_EQ(manager.SupportedDevices().size(), 4u);
    EXPECT_EQ(link.Config().Devices().size(), 3u);
    EXPECT_EQ(link.SimulatedKeyboard(), nullptr);
    EXPECT_EQ(link.SimulatedFilter(), nullptr);
    manager.Rescan();
    manager.SetSelectedDeviceType(EmulatedMouse::kDeviceType);
    EXPECT_EQ(manager.ConnectedMode(), 0);
    EXPECT_TRUE(link.SaveSimulatedState());
    SimulatedPlugWatch::Plugs plugs;
    ASSERT_TRUE(SimulatedPlugWatch::ReadPlugs(state, plugs));
    EXPECT_TRUE(plugs.cable);
    EXPECT_FALSE(plugs.receiver);

    // Without a configuration there is nothing to serve, and no crash.
    HidDeviceManager bare(nullptr, clock_);
    DeviceLink missing;
    EXPECT_FALSE(missing.Setup(options, folder_, bare));
    EXPECT_TRUE(bare.SupportedDevices().empty());
}

TEST_F(DeviceLinkTest, AKeyboardJoinsTheMouseOnTheBusAndKeepsItsStateBesideTheMouses) {
    std::string state = folder_ + "both.state";
    char program[] = "pivane";
    char mouseArg[] = "--simulated-mouse=wired";
    char keyboardArg[] = "--simulated-keyboard=prefixed";
    char stateArg[64];
    std::snprintf(stateArg, sizeof stateArg, "--sim-state=%s", state.c_str());
    char* argv[] = {program, mouseArg, keyboardArg, stateArg};
    ShellOptions options;
    ASSERT_TRUE(options.Parse(4, argv));
    EXPECT_EQ(options.simulatedKeyboard, "prefixed");

    HidDeviceManager manager(nullptr, clock_);
    DeviceLink link;
    ASSERT_TRUE(link.Setup(options, MakeSetup().programFolder, manager));
    ASSERT_NE(link.SimulatedKeyboard(), nullptr);
    ASSERT_NE(link.SimulatedMouse(), nullptr);
    ASSERT_NE(link.SimulatedFilter(), nullptr);
    ASSERT_NE(link.SimulatedVirtualHid(), nullptr);
    EXPECT_TRUE(link.SimulatedFilter()->Open()) << "the emulated driver is present";
    link.SimulatedFilter()->Close();
    manager.Rescan();
    EXPECT_EQ(manager.EntryCount(), 2);
    manager.SetSelectedDeviceType(EmulatedKeyboard::kPrefixedDeviceType);
    EXPECT_EQ(manager.ConnectedMode(), 0);
    manager.SetSelectedDeviceType(EmulatedMouse::kDeviceType);
    EXPECT_EQ(manager.ConnectedMode(), 0);
    EXPECT_TRUE(link.CommandInterfaceCheck()(link.SimulatedKeyboard()->CommandPath()));

    ASSERT_TRUE(link.SaveSimulatedState());
    const std::string kept = state + ".keyboard-prefixed";
    ASSERT_TRUE(std::filesystem::exists(kept));
    EmulatedKeyboard reread(EmulatedKeyboard::Family::Prefixed);
    ASSERT_TRUE(reread.LoadState(kept));
    EXPECT_EQ(reread.Log().size(), link.SimulatedKeyboard()->Log().size());
    EXPECT_FALSE(reread.Log().empty()) << "the handshake was logged";

    // A value the option does not know is refused, not taken for the default.
    char wrong[] = "--simulated-keyboard=usb";
    char* bad[] = {program, wrong};
    ShellOptions refused;
    EXPECT_FALSE(refused.Parse(2, bad));
    EXPECT_TRUE(refused.simulatedKeyboard.empty());
    char bare[] = "--simulated-keyboard";
    char* plain[] = {program, bare};
    ShellOptions defaulted;
    ASSERT_TRUE(defaulted.Parse(2, plain));
    EXPECT_EQ(defaulted.simulatedKeyboard, "feature");
}

TEST_F(DeviceLinkTest, RewrittenPlugLinesUnplugAndPlugTheEmulatedMouse) {
    std::string state = folder_ + "mouse.state";
    WriteState(state, "plugged 1 0\n");
    SimulatedPlugWatch watch(mouse_, state);
    ASSERT_TRUE(watch.Open());

    // Cable out, receiver in: the removal is told first, as the links are listed.
    WriteState(state, "plugged 0 1\nlinked 1\n");
    std::vector<HotplugSource::Event> events = Collect(watch);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, HotplugSource::kRemoval);
    EXPECT_NE(events[0].name.find("PID_FA07&MI_01"), std::string::npos);
    EXPECT_EQ(events[1].kind, HotplugSource::kArrival);
    EXPECT_NE(events[1].name.find("PID_FA08&MI_01"), std::string::npos);
    EXPECT_FALSE(mouse_->GetFixture().cablePlugged);
    EXPECT_TRUE(mouse_->GetFixture().receiverPlugged);

    // The same plugs again, other files in the folder, and a file that is no state: nothing.
    WriteState(state, "plugged 0 1\n");
    std::ofstream(folder_ + "other.state") << "plugged 1 1\n";
    EXPECT_TRUE(Collect(watch).empty());
    std::ofstream(state) << "garbage\nplugged 1 1\n";
    EXPECT_TRUE(Collect(watch).empty());
    EXPECT_FALSE(mouse_->GetFixture().cablePlugged);
}

TEST_F(DeviceLinkTest, AnUnpluggedEmulatedCableReachesTheWorkerAsARemoval) {
    Build(EmulatedMouse::Fixture::Default(true, true));
    StartAndChooseMouse();
    ASSERT_EQ(window_.LastState().mode, 0);
    std::string state = folder_ + "mouse.state";
    WriteState(state, "plugged 1 1\n");
    HotplugMonitor monitor(std::make_unique<SimulatedPlugWatch>(mouse_, state));
    ASSERT_TRUE(
        monitor.Start([this](const HotplugSource::Event& e) { hotplug_->OnDeviceChange(e); }));
    WriteState(state, "plugged 0 1\n");
    for (int i = 0; i < 500 && worker_->Queue().Empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    monitor.Stop();
    EXPECT_EQ(worker_->Queue().Snapshot(), (std::vector<int>{CThreadBasic::kRescan}));
    Drain();
    EXPECT_EQ(window_.LastState().mode, 2);
    EXPECT_EQ(window_.LastState().stateChange, 2);
}

TEST_F(DeviceLinkTest, TheServicesFindTheMouseFollowItsPlugsAndCloseEverythingAtTheEnd) {
    std::string state = folder_ + "mouse.state";
    ShellOptions options;
    options.simulatedMouse = "both";
    options.simStateFile = state;
    HidDeviceManager manager(nullptr, clock_);
    RecordingWindow window;
    ShellServices services(manager, store_);
    ASSERT_TRUE(services.Start(options, {MakeSetup().programFolder, folder_}, window));
    EXPECT_FALSE(services.Start(options, {MakeSetup().programFolder, folder_}, window));
    EXPECT_TRUE(services.HotplugRunning());
    CThreadBasic& worker = *services.Worker();
    auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 1000 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return done();
    };
    // The start-up rescan finds both links.
    ASSERT_TRUE(waitFor([&] { return window.LastState().present; }));
    EXPECT_EQ(window.LastState().entries.size(), 2u);
    worker.ChooseDevice(EmulatedMouse::kDeviceType, "ORMAN-Q410");
    worker.AddTask(CThreadBasic::kSwitchDevice);
    ASSERT_TRUE(waitFor([&] { return window.SwitchedType() == EmulatedMouse::kDeviceType; }));
    ASSERT_TRUE(waitFor([&] { return window.LastState().mode == 0; }));

    // Someone pulls the emulated cable through the state file.
    WriteState(state, "plugged 0 1\n");
    EXPECT_TRUE(waitFor([&] { return window.LastState().mode == 2; }));
    EXPECT_EQ(window.LastState().stateChange, 2);

    services.Stop();
    EXPECT_FALSE(services.IsStarted());
    EXPECT_EQ(manager.EntryCount(), 0);
    SimulatedPlugWatch::Plugs plugs;
    ASSERT_TRUE(SimulatedPlugWatch::ReadPlugs(state, plugs));
    EXPECT_FALSE(plugs.cable);
    EXPECT_TRUE(plugs.receiver);
    EXPECT_EQ(window.Disables(), window.Enables());
}
