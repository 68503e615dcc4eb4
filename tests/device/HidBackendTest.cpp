#include "app/device/HidBackend.h"
#include "app/device/HidapiBackend.h"

#include <gtest/gtest.h>

TEST(HidBackendName, ComposedFromIdsInterfaceAndNode) {
    EXPECT_EQ(HidBackend::ComposeInterfaceName(0x1a2b, 0x0c0d, 1, "/dev/hidraw3"),
              "HID#VID_1A2B&PID_0C0D&MI_01#HIDRAW3");
    // Not a USB interface: hidapi reports -1, which still yields two digits.
    EXPECT_EQ(HidBackend::ComposeInterfaceName(0xFFFF, 0x0001, -1, "hidraw12"),
              "HID#VID_FFFF&PID_0001&MI_FF#HIDRAW12");
    EXPECT_EQ(HidBackend::ComposeInterfaceName(1, 2, 0, ""), "HID#VID_0001&PID_0002&MI_00#");
}

// The production back end on a machine without a matching device: failures, never crashes.
TEST(HidapiBackendTest, MissingDevicesFailQuietly) {
    HidapiBackend backend;
    for (const auto& info : backend.Enumerate())
        EXPECT_EQ(info.interfaceName.rfind("HID#VID_", 0), 0u) << info.path;
    EXPECT_EQ(backend.Open("/dev/pivane-no-such-hidraw"), nullptr);
    uint8_t report[65] = {};
    EXPECT_EQ(backend.Write(nullptr, report, sizeof report), -1);
    EXPECT_EQ(backend.ReadTimeout(nullptr, report, sizeof report, 10), -1);
    EXPECT_EQ(backend.SendFeatureReport(nullptr, report, sizeof report), -1);
    EXPECT_EQ(backend.ManufacturerString(nullptr), "");
    EXPECT_EQ(backend.ProductString(nullptr), "");
    backend.Close(nullptr);
}
