#include "app/files/ApplicationConfig.h"
#include "app/device/HidBackend.h"
#include "app/device/HidDeviceManager.h"
#include "files/FilesFixture.h"

namespace {

class ApplicationConfigTest : public FilesFixture {};

const char* kTwoMice =
    "<config><device.info>"
    "<keyboard name=\"kb\" device_type=\"100\"><mode value=\"0\" vid=\"1111\" "
    "pid=\"2222\"/></keyboard>"
    "<mouse name=\"First\" device_type=\"601\" device_info=\"first\">"
    "<mode value=\"0\" desc=\"cable\" vid=\"1A2B\" pid=\"fa07\" rev=\"0105\" "
    "hid_interface=\"MI_01\"/>"
    "<mode value=\"2\" desc=\"receiver\" vid=\"1A2B\" pid=\"FA08\" rev=\"110\" "
    "hid_interface=\"MI_02\"/>"
    "</mouse>"
    "<mouse name=\"Second\" device_type=\"602\" device_info=\"second\">"
    "<mode value=\"0\" vid=\"abcd\" pid=\"0001\"/>"
    "</mouse>"
    "</device.info>"
    "<software caption=\"Cap\" version=\"1.0.1\">"
    "<website url=\"https://w/\"/><upgrade url=\"https://u/\"/><copyright info=\"(c)\"/>"
    "</software></config>";

TEST_F(ApplicationConfigTest, ReadsEveryModeAndRegistersIt) {
    std::string path = WriteFile("program/config.xml", kTwoMice);
    HidDeviceManager manager;
    ApplicationConfig config;
    ASSERT_TRUE(config.Load(path, &manager));
    ASSERT_EQ(config.Modes().size(), 3u);
    ASSERT_EQ(config.Devices().size(), 2u);
    EXPECT_EQ(config.Devices()[1]->name, "Second");
    EXPECT_EQ(config.Devices()[1]->deviceType, 602);

    const DeviceModeEntry& cable = *config.Modes()[0];
    EXPECT_EQ(cable.name, "First");
    EXPECT_EQ(cable.layoutName, "first");
    EXPECT_EQ(cable.vendorId, 0x1A2B);
    EXPECT_EQ(cable.productId, 0xFA07);
    EXPECT_EQ(cable.release, 0x105);
    EXPECT_EQ(cable.desc, "cable");
    EXPECT_EQ(config.Modes()[1]->mode, 2);
    EXPECT_EQ(config.Modes()[2]->vendorId, 0xABCD);
    EXPECT_EQ(config.Modes()[2]->hidInterface, "");
    EXPECT_EQ(config.FindByDeviceType(601), config.Modes()[0].get());
    EXPECT_EQ(config.FindByDeviceType(5), nullptr);

    auto rows = manager.SupportedDevices();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].vendorId, 0x1A2B);
    EXPECT_EQ(rows[1].productId, 0xFA08);
    EXPECT_EQ(rows[1].release, 0x110);
    EXPECT_EQ(rows[1].name, "First");
    EXPECT_EQ(rows[1].deviceType, 601);
    EXPECT_EQ(rows[1].mode, 2);
    EXPECT_EQ(rows[1].interfacePattern, "MI_02");

    // No store element: its address stays empty, the later ones are still read.
    EXPECT_EQ(config.Caption(), "Cap");
    EXPECT_EQ(config.Version(), "1.0.1");
    EXPECT_EQ(config.WebsiteUrl(), "https://w/");
    EXPECT_EQ(config.StoreUrl(), "");
    EXPECT_EQ(config.UpgradeUrl(), "https://u/");
    EXPECT_EQ(config.Copyright(), "(c)");
}

TEST_F(ApplicationConfigTest, AKeyboardAfterTheMiceHidesTheMiceBehindIt) {
    ApplicationConfig config;
    std::string text = "<config><device.info>"
                       "<mouse name=\"a\" device_type=\"601\"><mode vid=\"1\"/></mouse>"
                       "<keyboard/>"
                       "<mouse name=\"b\" device_type=\"602\"><mode vid=\"2\"/></mouse>"
                       "</device.info></config>";
    ASSERT_TRUE(config.LoadText(text.data(), text.size(), nullptr));
    // The keyboard search runs past the first mouse; only the mouse after it is seen.
    ASSERT_EQ(config.Devices().size(), 1u);
    EXPECT_EQ(config.Devices()[0]->name, "b");
}

TEST_F(ApplicationConfigTest, BadFilesLeaveTheTablesEmpty) {
    ApplicationConfig config;
    std::string good = WriteFile("program/config.xml", kTwoMice);
    ASSERT_TRUE(config.Load(good, nullptr));
    EXPECT_FALSE(config.Load(Path("program/missing.xml"), nullptr));
    EXPECT_TRUE(config.Modes().empty());
    EXPECT_TRUE(config.Devices().empty());
    EXPECT_EQ(config.Caption(), "");

    HidDeviceManager manager;
    std::string wrongRoot =
        WriteFile("wrong.xml", "<device.info><mouse><mode/></mouse></device.info>");
    EXPECT_FALSE(config.Load(wrongRoot, &manager));
    std::string cut = WriteFile("cut.xml", std::string(kTwoMice).substr(0, 200));
    EXPECT_FALSE(config.Load(cut, &manager));
    EXPECT_TRUE(config.Modes().empty());
    EXPECT_TRUE(manager.SupportedDevices().empty());

    // Missing attributes read as empty text and 0.
    std::string bare = "<config><device.info><mouse><mode/></mouse></device.info></config>";
    ASSERT_TRUE(config.LoadText(bare.data(), bare.size(), nullptr));
    ASSERT_EQ(config.Modes().size(), 1u);
    EXPECT_EQ(config.Modes()[0]->deviceType, 0);
    EXPECT_EQ(config.Modes()[0]->vendorId, 0);
    EXPECT_EQ(config.Modes()[0]->name, "");
}

TEST_F(ApplicationConfigTest, TheShippedFileDescribesBothKeyboardsAndTheMouseOnBothLinks) {
    ApplicationConfig config;
    ASSERT_TRUE(config.Load(SourceData("config.xml"), nullptr));
    // Keyboards come before the mouse: the reader only moves forward.
    ASSERT_EQ(config.Devices().size(), 3u);
    EXPECT_EQ(config.Devices()[0]->deviceType, 101);
    EXPECT_EQ(config.Devices()[1]->deviceType, 301);
    EXPECT_EQ(config.Devices()[2]->deviceType, 601);
    ASSERT_EQ(config.Modes().size(), 4u);
    EXPECT_EQ(config.Modes()[0]->productId, 0xFA10);
    EXPECT_EQ(config.Modes()[0]->layoutName, "ORMAN-K101");
    EXPECT_EQ(config.Modes()[1]->productId, 0xFA20);
    EXPECT_EQ(config.Modes()[1]->layoutName, "ORMAN-K301");
    EXPECT_EQ(config.Modes()[0]->mode, 0);
    EXPECT_EQ(config.Modes()[1]->mode, 0);
    EXPECT_EQ(config.Modes()[2]->mode, 0);
    EXPECT_EQ(config.Modes()[3]->mode, 2);
    for (const auto& mode : config.Modes()) {
        // The pattern must be found in the upper-cased name of the mode's command interface
        // (interface 1) and must not match another device's.
        std::string own = HidBackend::ComposeInterfaceName(
            uint16_t(mode->vendorId), uint16_t(mode->productId), 1, "/dev/hidraw3");
        EXPECT_NE(own.find(mode->hidInterface), std::string::npos) << own;
        EXPECT_FALSE(mode->hidInterface.empty());
        EXPECT_FALSE(mode->layoutName.empty());
        for (const auto& other : config.Modes()) {
            if (other == mode) continue;
            std::string name = HidBackend::ComposeInterfaceName(
                uint16_t(other->vendorId), uint16_t(other->productId), 1, "/dev/hidraw3");
            EXPECT_EQ(name.find(mode->hidInterface), std::string::npos) << name;
        }
    }
    EXPECT_FALSE(config.Caption().empty());
    EXPECT_FALSE(config.Version().empty());
    EXPECT_FALSE(config.WebsiteUrl().empty());
    EXPECT_FALSE(config.StoreUrl().empty());
    EXPECT_FALSE(config.UpgradeUrl().empty());
    EXPECT_FALSE(config.Copyright().empty());
}

} // namespace
