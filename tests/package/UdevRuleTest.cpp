// The udev rule: the one the build wrote against the shipped config.xml, read here without the
// rule's own reader, and the generator on configurations that try to break it.
#include "app/files/UdevRule.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "ShellCommand.h"

namespace fs = std::filesystem;

namespace {

using IdSet = std::set<std::pair<unsigned, unsigned>>;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path SourceDir() {
    const char* dir = std::getenv("PIVANE_SOURCE_DIR");
    return dir ? fs::path(dir) : fs::path(PIVANE_BUILD_DIR) / "..";
}

// Every mode element of every device element in the shipped configuration.
IdSet ConfiguredIds() {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file((SourceDir() / "data/config.xml").c_str()));
    IdSet ids;
    for (pugi::xml_node device : doc.child("config").child("device.info").children())
        for (pugi::xml_node mode : device.children("mode"))
            ids.insert({std::stoul(mode.attribute("vid").value(), nullptr, 16),
                        std::stoul(mode.attribute("pid").value(), nullptr, 16)});
    return ids;
}

// The ids of the rule's matching lines; every such line must give the uaccess tag.
IdSet RuleIds(const std::string& rule) {
    IdSet ids;
    const std::regex line(
        R"re(^ATTRS\{idVendor\}=="([0-9a-f]{4})", ATTRS\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess"$)re");
    std::istringstream lines(rule);
    std::string text;
    while (std::getline(lines, text)) {
        if (text.find("ATTRS") == std::string::npos) continue;
        std::smatch m;
        EXPECT_TRUE(std::regex_match(text, m, line)) << "unexpected rule line: " << text;
        if (!m.empty()) ids.insert({std::stoul(m[1], nullptr, 16), std::stoul(m[2], nullptr, 16)});
    }
    return ids;
}

TEST(UdevRule, BuiltRuleMatchesEveryModeOfConfigXml) {
    const fs::path built = fs::path(PIVANE_BUILD_DIR) / "udev" / UdevRule::kFileName;
    const std::string rule = ReadFile(built);
    ASSERT_FALSE(rule.empty()) << built;
    const IdSet configured = ConfiguredIds();
    ASSERT_FALSE(configured.empty());
    EXPECT_EQ(RuleIds(rule), configured);
    // Only hidraw nodes, and removals skip the rule.
    EXPECT_NE(rule.find("SUBSYSTEM!=\"hidraw\", GOTO=\"pivane_end\""), std::string::npos);
    EXPECT_NE(rule.find("\nLABEL=\"pivane_end\"\n"), std::string::npos);

    // The software centre's hardware match names the same devices.
    const std::string metainfo =
        ReadFile(SourceDir() / "data/desktop/org.pivane.Pivane.metainfo.xml");
    IdSet aliases;
    const std::regex alias(R"(<modalias>usb:v([0-9A-F]{4})p([0-9A-F]{4})d\*</modalias>)");
    for (auto it = std::sregex_iterator(metainfo.begin(), metainfo.end(), alias);
         it != std::sregex_iterator(); ++it)
        aliases.insert({std::stoul((*it)[1], nullptr, 16), std::stoul((*it)[2], nullptr, 16)});
    EXPECT_EQ(aliases, configured);
}

TEST(UdevRule, UdevadmAcceptsTheBuiltRule) {
    std::string out;
    if (RunShellCommand("udevadm verify --help >/dev/null 2>&1", out) != 0)
        GTEST_SKIP() << "this udevadm has no verify command";
    const fs::path built = fs::path(PIVANE_BUILD_DIR) / "udev" / UdevRule::kFileName;
    EXPECT_EQ(RunShellCommand("udevadm verify '" + built.string() + "' 2>&1", out), 0) << out;
}

TEST(UdevRule, TakesModesOfEveryDeviceElementOnceEach) {
    const std::string config = R"(<?xml version="1.0"?>
<config><device.info>
  <keyboard name="K" device_type="101"><mode value="0" vid="25A7" pid="FA10"/></keyboard>
  <mouse name="M" device_type="601">
    <mode value="0" desc="cable" vid="25a7" pid="fa07"/>
    <mode value="2" desc="receiver" vid="25A7" pid="FA08"/>
    <mode value="3" desc="same again" vid="25A7" pid="FA07"/>
    <mode value="4" desc="no ids"/>
    <mode value="5" desc="too wide" vid="125A7" pid="FA09"/>
    <mode value="6" desc="negative" vid="-1" pid="FA09"/>
  </mouse>
</device.info><software caption="x"/></config>)";
    std::vector<UdevRule::Device> devices;
    ASSERT_TRUE(UdevRule::ReadDevicesText(config.data(), config.size(), devices));
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[0].name, "K");
    EXPECT_EQ(devices[0].productId, 0xFA10);
    EXPECT_EQ(devices[2].desc, "receiver");
    EXPECT_EQ(RuleIds(UdevRule::Compose(devices)),
              (IdSet{{0x25A7, 0xFA10}, {0x25A7, 0xFA07}, {0x25A7, 0xFA08}}));
}

TEST(UdevRule, NamesCannotAddRuleLines) {
    const std::string config =
        "<config><device.info><mouse name=\"M&#10;RUN+=&quot;/bin/sh&quot;\">"
        "<mode vid=\"25A7\" pid=\"FA07\" desc=\"a&#13;&#10;b\"/>"
        "</mouse></device.info></config>";
    std::vector<UdevRule::Device> devices;
    ASSERT_TRUE(UdevRule::ReadDevicesText(config.data(), config.size(), devices));
    const std::string rule = UdevRule::Compose(devices);
    std::istringstream lines(rule);
    std::string line;
    while (std::getline(lines, line))
        EXPECT_TRUE(line.empty() || line[0] == '#' || line.rfind("ATTRS", 0) == 0 ||
                    line.rfind("ACTION", 0) == 0 || line.rfind("SUBSYSTEM", 0) == 0 ||
                    line.rfind("LABEL", 0) == 0)
            << line;
    EXPECT_EQ(rule.find("\nRUN"), std::string::npos);
}

TEST(UdevRule, RefusesWhatIsNotAConfiguration) {
    std::vector<UdevRule::Device> devices{{"x", "y", 1, 2}};
    for (const std::string bad : {"", "<config", "<other><device.info/></other>", "\xff\xfe<"}) {
        EXPECT_FALSE(UdevRule::ReadDevicesText(bad.data(), bad.size(), devices)) << bad;
        EXPECT_TRUE(devices.empty());
    }
    EXPECT_FALSE(UdevRule::ReadDevices("/nonexistent/config.xml", devices));
    EXPECT_FALSE(UdevRule::ReadDevicesText(nullptr, 4, devices));
}

} // namespace
