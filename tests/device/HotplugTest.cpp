#include "app/device/HidBackend.h"
#include "app/device/HotplugMatcher.h"
#include "app/device/HotplugName.h"
#include "app/device/HotplugSource.h"
#include "app/device/HotplugUdevSource.h"
#include "sim/EmulatedMouse.h"

#include <gtest/gtest.h>
#include <libudev.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kUsbPath =
    "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1/0003:25A7:FA07.0004/hidraw/hidraw3";

TEST(HotplugNameTest, ParentPropertiesGiveTheEnumerationName) {
    HotplugName::UdevFacts facts;
    facts.devNode = "/dev/hidraw3";
    facts.devPath = kUsbPath;
    facts.hidId = "0003:000025A7:0000FA07";
    facts.interfaceNumber = "01";
    std::string name = HotplugName::FromUdev(facts);
    EXPECT_EQ(name, "HID#VID_25A7&PID_FA07&MI_01#HIDRAW3");
    // The same interface as enumeration names it, so patterns and hot-plug agree.
    EXPECT_EQ(name, HidBackend::ComposeInterfaceName(0x25A7, 0xFA07, 1, "/dev/hidraw3"));
}

TEST(HotplugNameTest, RemovalWithoutParentsReadsTheDevicePath) {
    // On removal sysfs is gone: only node and path are left. The PCI components before the
    // USB interface must not be taken for vendor and product.
    HotplugName::UdevFacts facts;
    facts.devNode = "/dev/hidraw3";
    facts.devPath = kUsbPath;
    EXPECT_EQ(HotplugName::FromUdev(facts), "HID#VID_25A7&PID_FA07&MI_01#HIDRAW3");
}

TEST(HotplugNameTest, InterfaceNumberIsHexAndUpperCased) {
    HotplugName::UdevFacts facts;
    facts.devNode = "/dev/hidraw12";
    facts.hidId = "0003:00001a2b:00000c0d";
    facts.interfaceNumber = "0a";
    EXPECT_EQ(HotplugName::FromUdev(facts), "HID#VID_1A2B&PID_0C0D&MI_0A#HIDRAW12");
}

TEST(HotplugNameTest, DeviceWithoutUsbInterfaceGetsTheEnumerationDefault) {
    HotplugName::UdevFacts facts;
    facts.devNode = "/dev/hidraw5";
    facts.devPath = "/devices/virtual/misc/uhid/0005:046D:B012.0007/hidraw/hidraw5";
    EXPECT_EQ(HotplugName::FromUdev(facts),
              HidBackend::ComposeInterfaceName(0x046D, 0xB012, -1, "/dev/hidraw5"));
}

TEST(HotplugNameTest, UnknownDevicesGiveNoName) {
    HotplugName::UdevFacts facts;
    facts.devPath = kUsbPath;
    EXPECT_EQ(HotplugName::FromUdev(facts), "") << "no node";
    facts.devNode = "/dev/hidraw3";
    facts.devPath = "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1/hidraw/hidraw3";
    EXPECT_EQ(HotplugName::FromUdev(facts), "") << "no hid component";
    facts.hidId = "0003:XYZ:0000FA07";
    EXPECT_EQ(HotplugName::FromUdev(facts), "") << "garbled HID_ID";
    facts.hidId = "0003:000125A7:0000FA07";
    EXPECT_EQ(HotplugName::FromUdev(facts), "") << "vendor id above 16 bits";
}

TEST(HotplugNameTest, RealUdevDeviceWithoutHidParentsGivesNoName) {
    udev* context = udev_new();
    ASSERT_NE(context, nullptr);
    udev_device* device = udev_device_new_from_subsystem_sysname(context, "mem", "null");
    if (!device) {
        udev_unref(context);
        GTEST_SKIP() << "no /sys/class/mem/null here";
    }
    HotplugName::UdevFacts facts = HotplugUdevSource::FactsOf(device);
    EXPECT_EQ(facts.devNode, "/dev/null");
    EXPECT_NE(facts.devPath.find("/mem/null"), std::string::npos);
    EXPECT_EQ(facts.hidId, "");
    EXPECT_EQ(facts.interfaceNumber, "");
    EXPECT_EQ(HotplugName::FromUdev(facts), "");
    udev_device_unref(device);
    udev_unref(context);
    EXPECT_EQ(HotplugUdevSource::FactsOf(nullptr).devNode, "");
}

TEST(HotplugUdevSourceTest, OpensOnThisSystem) {
    HotplugUdevSource source;
    ASSERT_TRUE(source.Open());
    EXPECT_GE(source.Fd(), 0);
    HotplugSource::Event event;
    EXPECT_FALSE(source.Receive(event)) << "nothing is pending";
    source.Close();
    EXPECT_EQ(source.Fd(), -1);
}

// The described devices: the mouse by cable and through its receiver, and a keyboard.
class HotplugMatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        targets_ = {{0x25A7, 0xFA07, "MI_01", 601, false},
                    {0x25A7, 0xFA08, "MI_01", 601, false},
                    {0x1234, 0x5678, "MI_02", 150, false}};
    }

    HotplugMatcher::Result Arrive(const std::string& name, bool commandInterface) {
        checked_.clear();
        return HotplugMatcher::OnDeviceChange(HotplugSource::kArrival, name, "/dev/hidraw7",
                                              targets_, [&](const std::string& path) {
                                                  checked_.push_back(path);
                                                  return commandInterface;
                                              });
    }
    HotplugMatcher::Result Remove(const std::string& name) {
        return HotplugMatcher::OnDeviceChange(HotplugSource::kRemoval, name, "/dev/hidraw7",
                                              targets_, [](const std::string&) { return true; });
    }

    std::vector<HotplugMatcher::Target> targets_;
    std::vector<std::string> checked_;
};

TEST_F(HotplugMatcherTest, ArrivalOfTheCommandInterfaceAsksForTheDelayedRescan) {
    auto result = Arrive("HID#VID_25A7&PID_FA07&MI_01#HIDRAW7", true);
    EXPECT_EQ(result.action, HotplugMatcher::Action::RescanAfterArrival);
    EXPECT_EQ(result.deviceType, 601);
    EXPECT_EQ(result.target, 0);
    EXPECT_EQ(checked_, std::vector<std::string>{"/dev/hidraw7"}) << "opened by its node";
}

TEST_F(HotplugMatcherTest, ArrivalOfAnotherUsagePageTriggersNothing) {
    auto result = Arrive("HID#VID_25A7&PID_FA07&MI_01#HIDRAW7", false);
    EXPECT_EQ(result.action, HotplugMatcher::Action::None);
    EXPECT_EQ(result.deviceType, 0) << "an ignored arrival does not change the shown device";
    // The first description whose pattern fits decides; the others are not tried.
    EXPECT_EQ(checked_.size(), 1u);
}

TEST_F(HotplugMatcherTest, ArrivalNameIsUpperCasedButPatternsAreNot) {
    auto result = Arrive("hid#vid_1234&pid_5678&mi_02#hidraw7", true);
    EXPECT_EQ(result.action, HotplugMatcher::Action::RescanAfterArrival);
    EXPECT_EQ(result.deviceType, 150);
    EXPECT_EQ(result.target, 2);

    targets_[2].interfacePattern = "mi_02"; // written in lower case: never matches
    result = Arrive("HID#VID_1234&PID_5678&MI_02#HIDRAW7", true);
    EXPECT_EQ(result.action, HotplugMatcher::Action::None);
    EXPECT_TRUE(checked_.empty());
}

TEST_F(HotplugMatcherTest, ArrivalOfAnUndescribedInterfaceIsNotOpened) {
    auto result = Arrive("HID#VID_046D&PID_C52B&MI_00#HIDRAW7", true);
    EXPECT_EQ(result.action, HotplugMatcher::Action::None);
    EXPECT_TRUE(checked_.empty());
}

TEST_F(HotplugMatcherTest, RemovalOfAConnectedDeviceClearsItsMark) {
    targets_[1].connected = true;
    auto result = Remove("hid#vid_25a7&pid_fa08&mi_00#hidraw9");
    EXPECT_EQ(result.action, HotplugMatcher::Action::RescanAfterRemoval);
    EXPECT_EQ(result.deviceType, 601);
    EXPECT_EQ(result.target, 1);
    EXPECT_FALSE(targets_[1].connected);
    // Gone already: the same removal again means nothing.
    EXPECT_EQ(Remove("HID#VID_25A7&PID_FA08&MI_00#HIDRAW9").action, HotplugMatcher::Action::None);
}

TEST_F(HotplugMatcherTest, RemovalOfADeviceNotMarkedConnectedTriggersNothing) {
    targets_[0].connected = true;
    // The receiver is described but not connected; the cable is connected but its product id
    // is not in the name.
    auto result = Remove("HID#VID_25A7&PID_FA08&MI_01#HIDRAW9");
    EXPECT_EQ(result.action, HotplugMatcher::Action::None);
    EXPECT_TRUE(targets_[0].connected);
}

TEST_F(HotplugMatcherTest, OtherEventKindsAreIgnored) {
    targets_[0].connected = true;
    auto result = HotplugMatcher::OnDeviceChange(0x8001, "HID#VID_25A7&PID_FA07&MI_01#HIDRAW7",
                                                 "/dev/hidraw7", targets_,
                                                 [](const std::string&) { return true; });
    EXPECT_EQ(result.action, HotplugMatcher::Action::None);
    EXPECT_TRUE(targets_[0].connected);
}

TEST(HotplugCommandInterfaceTest, OnlyTheVendorCollectionCounts) {
    EmulatedMouse mouse(EmulatedMouse::Fixture::Default(true, false));
    std::string command, decoy, consumer;
    for (const HidInterfaceInfo& info : mouse.Enumerate()) {
        if (info.usagePage == 0xFF02 && info.usage == 2) command = info.path;
        if (info.usagePage == 0x0001) decoy = info.path;
        if (info.usagePage == 0x000C) consumer = info.path;
    }
    ASSERT_FALSE(command.empty());
    EXPECT_TRUE(HotplugMatcher::IsCommandInterface(mouse, command));
    EXPECT_FALSE(HotplugMatcher::IsCommandInterface(mouse, decoy));
    EXPECT_FALSE(HotplugMatcher::IsCommandInterface(mouse, consumer));
    EXPECT_FALSE(HotplugMatcher::IsCommandInterface(mouse, "/dev/hidraw99"));
    EXPECT_FALSE(HotplugMatcher::IsCommandInterface(mouse, ""));
}

} // namespace
