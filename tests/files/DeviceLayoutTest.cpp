#include "app/files/DeviceLayout.h"
#include "app/files/ApplicationConfig.h"
#include "app/files/UiText.h"
#include "files/FilesFixture.h"

#include <set>

namespace {

class DeviceLayoutTest : public FilesFixture {
protected:
    static std::string Text(int id) { return "T" + std::to_string(id); }
    static DeviceLayout::TextLookup Lookup() { return &DeviceLayoutTest::Text; }
};

const char* kLayout =
    "<device.info>"
    "<function value=\"5\"/>"
    "<firmware url=\"https://f/\" file=\"fw.bin\" version=\"105\"/>"
    "<light rgb_keyboard=\"1\" show_sleeptime=\"2\" default_mode=\"3\" default_brightness=\"80\" "
    "default_speed=\"2\" brightness_max=\"100\" speed_max=\"4\">"
    "<info name=\"850\" mode=\"1\" attribute=\"0\"/>"
    "<info name=\"Custom\" mode=\"2\" attribute=\"513\"/>"
    "<info name=\"852\" mode=\"3\" attribute=\"1025\"/>"
    "</light>"
    "<mouse_image file_name=\"m.png\"/>"
    "<mouse_key>"
    "<key name=\"811\" key_value=\"208\" direction=\"1\" rect=\"10#20#30#40\" func_desc=\"820\" "
    "func_type=\"5\" func_value=\"208\"/>"
    "<key name=\"812\" key_value=\"209\" rect=\"7#8\"/>"
    "</mouse_key>"
    "</device.info>";

TEST_F(DeviceLayoutTest, ReadsEverySectionAndResolvesTexts) {
    WriteFile("program/layouts/q.xml", kLayout);
    DeviceLayout layout;
    EXPECT_EQ(layout.FunctionValue(), 127);
    ASSERT_TRUE(layout.Load(programFolder_, 601, "q", Lookup()));
    EXPECT_EQ(layout.FunctionValue(), 5);
    EXPECT_EQ(layout.FirmwareUrl(), "https://f/");
    EXPECT_EQ(layout.FirmwareFile(), "fw.bin");
    EXPECT_EQ(layout.FirmwareVersion(), "105");
    EXPECT_TRUE(layout.RgbKeyboard());
    EXPECT_FALSE(layout.ShowSleepTime()) << "only \"1\" turns it on";
    EXPECT_EQ(layout.BrightnessMax(), 100);
    EXPECT_EQ(layout.SpeedMax(), 4);
    ASSERT_EQ(layout.LightModes().size(), 3u);
    const LightRow& music = *layout.LightModes()[1];
    EXPECT_EQ(music.name, "Custom");
    EXPECT_EQ(layout.LightModes()[0]->name, "T850");
    EXPECT_EQ(music.mode, 2);
    EXPECT_EQ(music.configFunc, 0x201);
    EXPECT_EQ(music.brightness, 80);
    EXPECT_EQ(music.speed, 2);
    EXPECT_EQ(music.colorful, 7);
    EXPECT_EQ(music.colorValue, 0xFDA80F);
    EXPECT_EQ(layout.MouseImage(), "m.png");

    ASSERT_EQ(layout.Buttons().size(), 2u);
    const LayoutButton& left = *layout.Buttons()[0];
    EXPECT_EQ(left.name, "T811");
    EXPECT_EQ(left.nameId, "811");
    EXPECT_EQ(left.funcDesc, "T820");
    EXPECT_EQ(left.funcDescId, "820");
    EXPECT_EQ(left.keyValue, 208);
    EXPECT_EQ(left.direction, 1);
    EXPECT_EQ(std::make_tuple(left.x1, left.y1, left.x2, left.y2), std::make_tuple(10, 20, 30, 40));
    EXPECT_EQ(left.funcType, 5);
    EXPECT_EQ(left.funcValue, 208);
    const LayoutButton* right = layout.FindButton(209);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(std::make_tuple(right->x1, right->y1, right->x2, right->y2),
              std::make_tuple(7, 8, 0, 0));
}

TEST_F(DeviceLayoutTest, RectPartsAreDecimalAndMissingOnesZero) {
    int a, b, c, d;
    DeviceLayout::ParseRect("10#20#30#40", a, b, c, d);
    EXPECT_EQ(std::make_tuple(a, b, c, d), std::make_tuple(10, 20, 30, 40));
    DeviceLayout::ParseRect("", a, b, c, d);
    EXPECT_EQ(std::make_tuple(a, b, c, d), std::make_tuple(0, 0, 0, 0));
    DeviceLayout::ParseRect("-5##x#12px#99", a, b, c, d);
    EXPECT_EQ(std::make_tuple(a, b, c, d), std::make_tuple(-5, 0, 0, 12));
}

TEST_F(DeviceLayoutTest, KeyboardsSkipTheMouseParts) {
    DeviceLayout layout;
    ASSERT_TRUE(layout.LoadText(kLayout, std::string(kLayout).size(), 100, Lookup()));
    EXPECT_EQ(layout.LightModes().size(), 3u);
    EXPECT_EQ(layout.BrightnessMax(), 0);
    EXPECT_TRUE(layout.Buttons().empty());
    EXPECT_EQ(layout.MouseImage(), "");
}

TEST_F(DeviceLayoutTest, BadFilesLoadNothing) {
    DeviceLayout layout;
    WriteFile("program/layouts/q.xml", kLayout);
    ASSERT_TRUE(layout.Load(programFolder_, 601, "q", Lookup()));
    EXPECT_FALSE(layout.Load(programFolder_, 601, "missing", Lookup()));
    EXPECT_FALSE(layout.IsLoaded());
    EXPECT_TRUE(layout.Buttons().empty());
    EXPECT_EQ(layout.FunctionValue(), 127);
    WriteFile("program/layouts/root.xml", "<config><function value=\"1\"/></config>");
    EXPECT_FALSE(layout.Load(programFolder_, 601, "root", Lookup()));
    // A name may not lead out of the layouts folder.
    WriteFile("program/outside.xml", kLayout);
    EXPECT_FALSE(layout.Load(programFolder_, 601, "../outside", Lookup()));
    // Missing elements are skipped; reading goes on.
    std::string sparse = "<device.info><mouse_key><key key_value=\"9\"/></mouse_key></device.info>";
    ASSERT_TRUE(layout.LoadText(sparse.data(), sparse.size(), 601, Lookup()));
    EXPECT_EQ(layout.FunctionValue(), 127);
    ASSERT_EQ(layout.Buttons().size(), 1u);
    EXPECT_EQ(layout.Buttons()[0]->keyValue, 9);
}

TEST_F(DeviceLayoutTest, SeedsLightRowsOnceWithTheDefaultModeActive) {
    DeviceLayout layout;
    ASSERT_TRUE(layout.LoadText(kLayout, std::string(kLayout).size(), 601, Lookup()));
    int profile = db_.AddProfile(ProfileRow{0, "P", "", 0, 0});
    EXPECT_EQ(layout.SeedLightRows(db_, profile), 3);
    EXPECT_EQ(layout.SeedLightRows(db_, profile), 0) << "a profile with light rows keeps them";
    std::vector<std::unique_ptr<LightRow>> rows;
    ASSERT_EQ(db_.LoadLightRows(profile, rows), 3);
    for (const auto& row : rows) {
        EXPECT_EQ(row->profile, profile);
        EXPECT_EQ(row->brightness, 80);
        EXPECT_EQ(row->speed, 2);
        EXPECT_EQ(row->status, row->mode == 3 ? 1 : 0);
    }
    EXPECT_EQ(db_.GetActiveLightMode(profile), 3);
}

TEST_F(DeviceLayoutTest, TheShippedMouseLayoutIsCompleteInBothLanguages) {
    ApplicationConfig config;
    ASSERT_TRUE(config.Load(SourceData("config.xml"), nullptr));
    const DeviceModeEntry* mouse = config.FindByDeviceType(601);
    ASSERT_NE(mouse, nullptr);
    std::string source = SourceData("");
    for (const char* lan : {"1033", "2052"}) {
        std::string file = source + "language/" + lan + ".lan";
        DeviceLayout layout;
        ASSERT_TRUE(layout.Load(source, 601, mouse->layoutName, [&](int id) {
            return UiText::FromFile(file, UiText::kDialogSection, std::to_string(id));
        }));
        ASSERT_EQ(layout.Buttons().size(), 6u);
        for (int i = 0; i < 6; ++i) {
            const LayoutButton& button = *layout.Buttons()[i];
            EXPECT_EQ(button.keyValue, 208 + i);
            EXPECT_FALSE(button.name.empty()) << lan << " " << button.nameId;
            EXPECT_FALSE(button.funcDesc.empty()) << lan << " " << button.funcDescId;
            EXPECT_EQ(button.funcType, 5);
            EXPECT_EQ(button.funcValue, 208 + i);
            EXPECT_NE(std::make_pair(button.x1, button.y1), std::make_pair(button.x2, button.y2));
        }
        int bits = 0;
        for (const auto& mode : layout.LightModes()) {
            EXPECT_FALSE(mode->name.empty()) << lan << " mode " << mode->mode;
            bits |= mode->configFunc;
            // The area colours are kept under the keys of light mode 5.
            if (mode->configFunc & 0x80) {
                EXPECT_EQ(mode->mode, 5);
            }
        }
        // Every control group of the lighting page is reachable.
        for (int bit : {0x01, 0x02, 0x04, 0x20, 0x40, 0x80, 0x200, 0x400})
            EXPECT_TRUE(bits & bit) << std::hex << bit;
        bool defaultListed = false;
        for (const auto& mode : layout.LightModes())
            defaultListed |= mode->mode == layout.DefaultLightMode();
        EXPECT_TRUE(defaultListed);
        EXPECT_GT(layout.BrightnessMax(), 0);
        EXPECT_GT(layout.SpeedMax(), 0);
        EXPECT_FALSE(layout.FirmwareUrl().empty());
        EXPECT_FALSE(layout.FirmwareFile().empty());
        EXPECT_FALSE(layout.MouseImage().empty());
    }
}

} // namespace

namespace {

TEST_F(DeviceLayoutTest, KeyboardsReadTheirPictureAndKeys) {
    const std::string text =
        "<device.info><keyboard_image file_name=\"k.png\" width=\"920\" height=\"214\"/>"
        "<keyboard_key><key name=\"Esc\" key_value=\"41\" rect=\"8#8#44#36\" func_type=\"2\" "
        "func_value=\"41\"/><key name=\"850\" key_value=\"4\" rect=\"1#2\"/>"
        "<key name=\"NoCode\" rect=\"1#2#3#4\"/></keyboard_key>"
        "<mouse_key><key name=\"811\" key_value=\"208\"/></mouse_key></device.info>";
    DeviceLayout layout;
    ASSERT_TRUE(layout.LoadText(text.data(), text.size(), 101, Lookup()));
    EXPECT_EQ(layout.KeyboardImage(), "k.png");
    EXPECT_EQ(layout.KeyboardImageWidth(), 920);
    EXPECT_TRUE(layout.Buttons().empty());
    ASSERT_EQ(layout.Keys().size(), 2u) << "a key without a code is dropped";
    const LayoutKey& esc = *layout.Keys()[0];
    EXPECT_EQ(esc.name, "Esc");
    EXPECT_EQ(esc.right, 44);
    EXPECT_EQ(esc.funcValue, 41);
    EXPECT_EQ(layout.Keys()[1]->name, "T850") << "a number names a text";
    EXPECT_EQ(layout.Keys()[1]->bottom, 0);
    EXPECT_EQ(layout.FindKey(4), layout.Keys()[1].get());
    EXPECT_EQ(layout.FindKey(5), nullptr);
    // A mouse reads no keyboard keys.
    ASSERT_TRUE(layout.LoadText(text.data(), text.size(), 601, Lookup()));
    EXPECT_TRUE(layout.Keys().empty());
    EXPECT_EQ(layout.Buttons().size(), 1u);
}

TEST_F(DeviceLayoutTest, TheShippedKeyboardLayoutsAreComplete) {
    ApplicationConfig config;
    ASSERT_TRUE(config.Load(SourceData("config.xml"), nullptr));
    std::string source = SourceData("");
    for (int type : {101, 301}) {
        const DeviceModeEntry* entry = config.FindByDeviceType(type);
        ASSERT_NE(entry, nullptr) << type;
        for (const char* lan : {"1033", "2052"}) {
            std::string file = source + "language/" + lan + ".lan";
            DeviceLayout layout;
            ASSERT_TRUE(layout.Load(source, type, entry->layoutName, [&](int id) {
                return UiText::FromFile(file, UiText::kDialogSection, std::to_string(id));
            }));
            ASSERT_EQ(layout.Keys().size(), 104u) << type;
            std::set<int> codes;
            for (const auto& key : layout.Keys()) {
                codes.insert(key->keyValue);
                EXPECT_LT(key->left, key->right);
                EXPECT_GE(key->top, 0) << key->name;
                EXPECT_LE(key->right, layout.KeyboardImageWidth()) << key->name;
                EXPECT_LE(key->bottom, layout.KeyboardImageHeight()) << key->name;
                EXPECT_EQ(key->funcValue, key->keyValue);
            }
            EXPECT_EQ(codes.size(), 104u) << "every key has its own code";
            ASSERT_FALSE(layout.LightModes().empty());
            bool hasDefault = false;
            for (const auto& mode : layout.LightModes()) {
                EXPECT_FALSE(mode->name.empty()) << lan << " mode " << mode->mode;
                hasDefault = hasDefault || mode->mode == layout.DefaultLightMode();
                // Per-key colours exist only where the keyboard takes the table.
                if (mode->configFunc & 0x800) {
                    EXPECT_TRUE(layout.RgbKeyboard());
                }
            }
            EXPECT_TRUE(hasDefault);
            EXPECT_FALSE(layout.FirmwareFile().empty());
        }
    }
}

} // namespace
