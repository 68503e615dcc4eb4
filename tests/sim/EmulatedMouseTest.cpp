#include "sim/EmulatedMouse.h"
#include "app/device/CommandFrame.h"
#include "app/device/HidDeviceManager.h"
#include "sim/VirtualClock.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

using Link = EmulatedMouse::Link;

namespace {

// The mouse opened directly through its back-end interface, one handle per link.
struct MouseRig {
    explicit MouseRig(EmulatedMouse::Fixture fixture = EmulatedMouse::Fixture::Default())
        : mouse(std::move(fixture), &clock) {
        cable = mouse.Open("/dev/simhid11");
        receiver = mouse.Open("/dev/simhid21");
    }
    int Send(Link link, const CommandFrame::Report& report) {
        return mouse.Write(link == Link::Cable ? cable : receiver, report.data(), report.size());
    }
    // The next reply on the link, as hex of its first n bytes, or "" when none is waiting.
    std::string Reply(Link link, size_t n = 8) {
        uint8_t buffer[65] = {};
        int got = mouse.ReadTimeout(link == Link::Cable ? cable : receiver, buffer, 65, 100);
        return got > 0 ? CommandFrame::ToHex(buffer, n) : "";
    }
    VirtualClock clock;
    EmulatedMouse mouse;
    HidBackend::Handle cable = nullptr;
    HidBackend::Handle receiver = nullptr;
};

CommandFrame::Report Cable(uint8_t code, std::initializer_list<uint8_t> args = {}) {
    return CommandFrame::Mouse(0, code, args);
}
CommandFrame::Report Air(uint8_t code, std::initializer_list<uint8_t> args = {}) {
    return CommandFrame::Mouse(2, code, args);
}

} // namespace

TEST(EmulatedMouseInterfaces, EachLinkShowsDecoysAroundItsCommandInterface) {
    MouseRig rig;
    auto list = rig.mouse.Enumerate();
    ASSERT_EQ(list.size(), 8u);
    int command = 0;
    for (const auto& info : list)
        if (info.usagePage == 0xFF02 && info.usage == 2) ++command;
    EXPECT_EQ(command, 2);
    EXPECT_EQ(list[2].interfaceName, "HID#VID_25A7&PID_FA07&MI_01#SIMHID11");
    rig.mouse.PlugCable(false);
    EXPECT_EQ(rig.mouse.Enumerate().size(), 4u);
    EXPECT_EQ(rig.mouse.Open("/dev/simhid11"), nullptr);
    // A handle of an unplugged link fails instead of blocking.
    EXPECT_EQ(rig.Send(Link::Cable, Cable(0xFD)), -1);
    uint8_t buffer[65];
    EXPECT_EQ(rig.mouse.ReadTimeout(rig.cable, buffer, 65, 10), -1);
}

TEST(EmulatedMouseProtocol, StatusRepliesFollowTheLink) {
    MouseRig rig;
    rig.mouse.SetBattery(42);
    rig.Send(Link::Cable, Cable(0xFD));
    EXPECT_EQ(rig.Reply(Link::Cable), "AA55CC33002A0300");
    rig.Send(Link::Receiver, Air(0xFD));
    EXPECT_EQ(rig.Reply(Link::Receiver), "AA55CC33002A0100");
    // Losing the mouse is announced once; asking again repeats it.
    rig.mouse.SetReceiverLinked(false);
    rig.mouse.SetReceiverLinked(false);
    EXPECT_EQ(rig.Reply(Link::Receiver), "AA55CC33002A0000");
    EXPECT_EQ(rig.Reply(Link::Receiver), "");
    rig.mouse.SendNotification(Link::Receiver);
    EXPECT_EQ(rig.Reply(Link::Receiver), "AA55CC33002A0000");
    EXPECT_EQ(rig.Reply(Link::Cable), "");
}

TEST(EmulatedMouseProtocol, EachLinkUnderstandsOnlyItsOwnFrame) {
    MouseRig rig;
    rig.Send(Link::Receiver, Cable(0xF8, {3}));
    rig.Send(Link::Cable, Air(0xF8, {2}));
    EXPECT_EQ(rig.Reply(Link::Cable), "");
    EXPECT_EQ(rig.Reply(Link::Receiver), "");
    EXPECT_TRUE(rig.mouse.GetState().profiles.empty());
    // Both reports were received all the same.
    EXPECT_EQ(rig.mouse.Log().size(), 2u);
}

TEST(EmulatedMouseProtocol, PerformanceSettingsLandInTheActiveProfile) {
    MouseRig rig;
    rig.Send(Link::Cable, Cable(0xF7, {2}));
    EXPECT_EQ(rig.Reply(Link::Cable, 3), "08F702");
    rig.Send(Link::Cable, Cable(0xF8, {3}));
    rig.Send(Link::Cable, CommandFrame::Magic(6));
    // 1200 dpi: step 11 over the cable, 12 through the receiver; colour R=00 G=FF B=00.
    rig.Send(Link::Cable, Cable(0xF9, {2, 2, 0x0B, 0x00, 0xFF, 0x00}));
    rig.Send(Link::Receiver, Air(0xF9, {3, 1, 0x0C, 0x10, 0x20, 0x30}));
    rig.Send(Link::Receiver, Air(0xF9, {4, 1, 0x00, 0, 0, 0}));
    rig.Send(Link::Cable, Cable(0xF9, {5, 1, 0xFF, 0, 0, 0}));
    auto state = rig.mouse.GetState();
    EXPECT_EQ(state.activeProfile, 2);
    ASSERT_EQ(state.profiles.count(2), 1u);
    const auto& p = state.profiles[2];
    EXPECT_EQ(p.reportRate, 3);
    EXPECT_EQ(p.debounce, 6);
    EXPECT_EQ(p.dpiIndex, 5);
    EXPECT_EQ(p.dpiLevels.at(2).dpi, 1200);
    EXPECT_EQ(p.dpiLevels.at(2).colour, 0x00FF00u);
    EXPECT_EQ(p.dpiLevels.at(2).colourIndex, 2);
    EXPECT_EQ(p.dpiLevels.at(3).dpi, 1200);
    EXPECT_EQ(p.dpiLevels.at(3).colour, 0x302010u);
    EXPECT_EQ(p.dpiLevels.at(4).dpi, 0); // step 0 through the receiver names no resolution
    EXPECT_EQ(p.dpiLevels.at(5).dpi, 0); // 0xFF over the cable names none either
    EXPECT_EQ(state.profiles.count(1), 0u);
    // SetDpiLevel is a plain write: the mouse does not answer it.
    EXPECT_EQ(rig.Reply(Link::Cable, 3), "08F803");
    EXPECT_EQ(rig.Reply(Link::Cable, 3), "2BAA55");
    EXPECT_EQ(rig.Reply(Link::Cable, 3), "");
}

TEST(EmulatedMouseProtocol, WakeUpMethodOnlyThroughTheReceiver) {
    MouseRig rig;
    rig.Send(Link::Cable, Cable(0xFE, {1}));
    EXPECT_EQ(rig.mouse.GetState().wakeUpMethod, -1);
    rig.Send(Link::Receiver, Air(0xFE, {1}));
    EXPECT_EQ(rig.mouse.GetState().wakeUpMethod, 1);
}

TEST(EmulatedMouseProtocol, MacroChunksAreReassembledPerProfileAndKey) {
    MouseRig rig;
    // Shortcut 2 (Ctrl+C) on key 209 of profile 1, with loop type 16 in the high bits.
    std::vector<uint8_t> image(138, 0);
    uint8_t head[] = {0x11, 0xD1, 0x01, 0x04, 0xE0, 0x01, 0x06, 0x01, 0x06, 0x81, 0xE0, 0x81};
    std::copy(std::begin(head), std::end(head), image.begin());
    image[23] = 0x77; // first byte of chunk 1
    image[137] = 0x99;
    for (int k = 0; k < 6; ++k) {
        std::vector<uint8_t> chunk(image.begin() + 23 * k, image.begin() + 23 * (k + 1));
        auto report = CommandFrame::Mouse(2, static_cast<uint8_t>(0xF0 + k), chunk);
        rig.Send(Link::Receiver, report);
        // Not complete before the last chunk.
        if (k < 5) {
            EXPECT_TRUE(rig.mouse.GetState().profiles.empty());
        }
    }
    auto state = rig.mouse.GetState();
    const auto& stored = state.profiles[1].macroImages.at(0xD1);
    ASSERT_EQ(stored.size(), 512u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), stored.begin()));
    EXPECT_EQ(stored[138], 0);
}

TEST(EmulatedMouseProtocol, KeyFunctionsLightingLiveFramesAndReset) {
    MouseRig rig;
    rig.Send(Link::Cable, Cable(0xF6, {3, 210, 5}));
    rig.Send(Link::Cable, Cable(0xFC, {3, 0x64, 2, 0, 1, 0xFF, 0, 0}));
    std::vector<uint8_t> live = {0x0B};
    for (int i = 0; i < 21; ++i)
        live.push_back(static_cast<uint8_t>(i));
    rig.Send(Link::Cable, CommandFrame::Mouse(0, 0xFC, live));
    // Live frames through the receiver do not exist.
    rig.Send(Link::Receiver, CommandFrame::Mouse(2, 0xFC, std::vector<uint8_t>(22, 0x0B)));
    auto state = rig.mouse.GetState();
    EXPECT_EQ(state.profiles[3].keyFunctions.at(210), 5);
    const auto& light = state.profiles[1].lighting;
    EXPECT_TRUE(light.set);
    EXPECT_EQ(light.effect, 3);
    EXPECT_EQ(light.brightness, 100);
    EXPECT_EQ(light.direction, 1);
    EXPECT_EQ(light.colour, 0x0000FFu);
    ASSERT_TRUE(state.liveFrameSet);
    EXPECT_EQ(state.liveFrame[0], 0);
    EXPECT_EQ(state.liveFrame[20], 20);

    rig.Send(Link::Receiver, Air(0xFB));
    state = rig.mouse.GetState();
    EXPECT_TRUE(state.profiles.empty());
    EXPECT_FALSE(state.liveFrameSet);
    EXPECT_EQ(state.factoryResets, 1);
    EXPECT_EQ(rig.Reply(Link::Receiver), ""); // the reset is not answered
}

TEST(EmulatedMouseFaults, CountdownPicksTheNthWrite) {
    MouseRig rig;
    rig.mouse.InjectFault(EmulatedMouse::Fault::MissingReply, 2);
    rig.mouse.InjectFault(EmulatedMouse::Fault::WriteTransfersNothing, 3);
    rig.Send(Link::Cable, Cable(0xFD));
    EXPECT_NE(rig.Reply(Link::Cable), "");
    rig.Send(Link::Cable, Cable(0xFD));
    EXPECT_EQ(rig.Reply(Link::Cable), "");
    EXPECT_EQ(rig.Send(Link::Cable, Cable(0xF8, {1})), 0);
    EXPECT_EQ(rig.Send(Link::Cable, Cable(0xF8, {2})), 65);
    EXPECT_EQ(rig.mouse.Log().size(), 3u); // the write that transferred nothing is not logged
    EXPECT_EQ(rig.mouse.GetState().profiles[1].reportRate, 2);
}

TEST(EmulatedMouseLog, ReportsAreTimestampedOnTheMouseClock) {
    MouseRig rig;
    rig.Send(Link::Cable, Cable(0xF8, {1}));
    rig.clock.SleepMs(1000);
    rig.Send(Link::Cable, Cable(0xF8, {2}));
    auto log = rig.mouse.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].timeMs, 0);
    EXPECT_EQ(log[1].timeMs, 1000);
    EXPECT_EQ(CommandFrame::ToHex(log[1].bytes.data(), 4), "0008F802");
}

TEST(EmulatedMouseState, SurvivesASaveAndLoad) {
    auto path = (std::filesystem::temp_directory_path() /
                 ("pivane-sim-" + std::to_string(::getpid()) + ".state"))
                    .string();
    {
        MouseRig rig;
        rig.mouse.SetBattery(33);
        rig.Send(Link::Cable, Cable(0xF7, {2}));
        rig.Send(Link::Cable, Cable(0xF9, {1, 4, 15, 1, 2, 3}));
        rig.Send(Link::Cable, Cable(0xF6, {2, 208, 7}));
        rig.Send(Link::Cable, Cable(0xFC, {2, 50, 1, 0, 0, 9, 8, 7}));
        for (int k = 0; k < 6; ++k)
            rig.Send(Link::Cable, Cable(static_cast<uint8_t>(0xF0 + k), {2, 211, 1, 0}));
        rig.clock.SleepMs(250);
        ASSERT_TRUE(rig.mouse.SaveState(path));
    }
    MouseRig copy(EmulatedMouse::Fixture::Default(true, false));
    ASSERT_TRUE(copy.mouse.LoadState(path));
    std::filesystem::remove(path);
    auto state = copy.mouse.GetState();
    EXPECT_EQ(state.activeProfile, 2);
    EXPECT_EQ(state.profiles[2].dpiLevels.at(1).dpi, 1600);
    EXPECT_EQ(state.profiles[2].dpiLevels.at(1).colour, 0x030201u);
    EXPECT_EQ(state.profiles[2].keyFunctions.at(208), 7);
    EXPECT_EQ(state.profiles[2].lighting.colour, 0x070809u);
    EXPECT_EQ(state.profiles[2].macroImages.at(211)[2], 1);
    EXPECT_EQ(copy.mouse.GetFixture().battery, 33);
    EXPECT_TRUE(copy.mouse.GetFixture().receiverPlugged);
    ASSERT_EQ(copy.mouse.Log().size(), 10u);
    // Time continues where the saved mouse stopped.
    copy.Send(Link::Cable, Cable(0xF8, {0}));
    EXPECT_EQ(copy.mouse.Log().back().timeMs, 250);
}

TEST(EmulatedMouseState, MissingOrForeignFilesAreRefused) {
    MouseRig rig;
    EXPECT_FALSE(rig.mouse.LoadState("/nonexistent/pivane.state"));
    auto path = (std::filesystem::temp_directory_path() /
                 ("pivane-sim-bad-" + std::to_string(::getpid()) + ".state"))
                    .string();
    {
        std::ofstream out(path);
        out << "something else\nbattery 5\n";
    }
    EXPECT_FALSE(rig.mouse.LoadState(path));
    EXPECT_EQ(rig.mouse.GetFixture().battery, 80);
    {
        std::ofstream out(path);
        out << "pivane-simulated-mouse 1\nbattery x\nkey 1 2\nmacro 1 2 ZZ\nreport 1 9 0 1 00\n"
               "live 0102\nbattery 12\n";
    }
    EXPECT_TRUE(rig.mouse.LoadState(path));
    std::filesystem::remove(path);
    EXPECT_EQ(rig.mouse.GetFixture().battery, 12);
    EXPECT_TRUE(rig.mouse.GetState().profiles.empty());
    EXPECT_TRUE(rig.mouse.Log().empty());
}
