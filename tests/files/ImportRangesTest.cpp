// Values an exchange file brings in are held to what the pages can set and the mouse can be
// sent; what falls outside is left out and counted, and the rest of the file still arrives.
#include "app/files/MacroExchange.h"
#include "app/files/ProfileExchange.h"
#include "files/FilesFixture.h"

#include <map>

namespace {

constexpr int kMouse = 601;
constexpr int kKeyboard = 100;

class ImportRangesTest : public FilesFixture {
protected:
    ExchangeStatus ImportProfile(const std::string& xml, int deviceType, int profile,
                                 ProfileImportResult& result) {
        return ProfileExchange::ImportText(db_, xml.data(), xml.size(), deviceType, profile,
                                           result);
    }
    ExchangeStatus ImportMacro(const std::string& xml, MacroImportResult& result) {
        return MacroExchange::ImportText(db_, xml.data(), xml.size(), result);
    }
    // key code -> "type:value" of the profile's stored button rows, every layer.
    std::map<int, std::string> Buttons(int profile) {
        std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
        db_.LoadAllButtonAssignments(profile, rows);
        std::map<int, std::string> out;
        for (const auto& row : rows)
            out[row->keyCode] = std::to_string(row->macroType) + ":" +
                                std::to_string(row->macroValue) + "/" +
                                std::to_string(row->fnLayer);
        return out;
    }
    int MacroCount() {
        std::vector<std::unique_ptr<MacroRow>> list;
        return db_.LoadMacroList(list);
    }
    static std::string Item(const std::string& attributes) { return "<item " + attributes + "/>"; }
};

TEST_F(ImportRangesTest, MouseButtonsOutsideTheirRangesAreLeftOutAndCounted) {
    int profile = db_.AddProfile(ProfileRow{0, "P", "", 0, 0});
    std::string xml =
        "<profile><profileinfo name=\"P\"/><keyitems>" +
        Item("key_code=\"208\" macro_type=\"5\" macro_value=\"209\"") +
        Item("key_code=\"209\" macro_type=\"7\" macro_value=\"15\"") +
        Item("key_code=\"210\" macro_type=\"6\" macro_value=\"236\"") +
        Item("key_code=\"211\" macro_type=\"2\" macro_value=\"4\" macro_value2=\"15\"") +
        Item("key_code=\"9999\" macro_type=\"5\" macro_value=\"209\"") +
        Item("key_code=\"-1\" macro_type=\"5\" macro_value=\"209\"") +
        Item("key_code=\"2147483647\" macro_type=\"5\" macro_value=\"209\"") +
        Item("key_code=\"207\" macro_type=\"5\" macro_value=\"209\"") +
        Item("key_code=\"214\" macro_type=\"5\" macro_value=\"209\"") +
        Item("fn_layer=\"7\" key_code=\"212\" macro_type=\"5\" macro_value=\"209\"") +
        Item("key_code=\"212\" macro_type=\"42\" macro_value=\"1\"") +
        Item("key_code=\"212\" macro_type=\"7\" macro_value=\"16\"") +
        Item("key_code=\"212\" macro_type=\"7\" macro_value=\"-1\"") +
        Item("key_code=\"212\" macro_type=\"5\" macro_value=\"256\"") +
        Item("key_code=\"212\" macro_type=\"2\" macro_value=\"4\" macro_value2=\"16\"") +
        Item("key_code=\"213\" macro_type=\"3\" macro_value=\"-5\"") + "</keyitems></profile>";
    ProfileImportResult result;
    ASSERT_EQ(ImportProfile(xml, kMouse, profile, result), ExchangeStatus::Done);
    EXPECT_EQ(result.assignments, 4);
    EXPECT_EQ(result.skippedAssignments, 12);
    EXPECT_EQ(Buttons(profile),
              (std::map<int, std::string>{
                  {208, "5:209/0"}, {209, "7:15/0"}, {210, "6:236/0"}, {211, "2:4/0"}}));
}

TEST_F(ImportRangesTest, AMacroOutOfRangeIsLeftOutWithTheButtonsThatPlayIt) {
    int profile = db_.AddProfile(ProfileRow{0, "P", "", 0, 0});
    // An existing macro with id 1: a button pointed at a left-out macro 1 must not end up
    // playing this one.
    MacroRow mine;
    mine.name = "Mine";
    mine.playTimes = 1;
    ASSERT_EQ(db_.AddMacro(mine), 1);
    auto macro = [](int id, const std::string& attributes) {
        return "<macroinfo name=\"M" + std::to_string(id) + "\" macro_id=\"" + std::to_string(id) +
               "\" " + attributes +
               "><macroitems><item type=\"2\" value=\"65\" delay_time=\"10\"/></macroitems>"
               "</macroinfo>";
    };
    std::string xml = "<profile><profileinfo name=\"P\"/><keyitems>" +
                      Item("key_code=\"208\" macro_type=\"3\" macro_value=\"1\"") +
                      Item("key_code=\"209\" macro_type=\"3\" macro_value=\"2\"") +
                      Item("key_code=\"210\" macro_type=\"3\" macro_value=\"3\"") +
                      Item("key_code=\"211\" macro_type=\"3\" macro_value=\"4\"") +
                      Item("key_code=\"212\" macro_type=\"3\" macro_value=\"5\"") +
                      Item("key_code=\"213\" macro_type=\"3\" macro_value=\"6\"") + "</keyitems>" +
                      macro(1, "times=\"-1\" type=\"1\"") + macro(2, "times=\"100\" type=\"1\"") +
                      macro(3, "times=\"2\" type=\"1\" looptype=\"8\"") +
                      macro(4, "times=\"2\" type=\"1\" delaytime=\"-3\"") +
                      macro(5, "times=\"99\" type=\"3\" looptype=\"32\" delaytime=\"500\"") +
                      "<macroinfo macro_id=\"6\" times=\"1\"/></profile>";
    ProfileImportResult result;
    ASSERT_EQ(ImportProfile(xml, kMouse, profile, result), ExchangeStatus::Done);
    EXPECT_EQ(result.skippedMacros, 5);
    EXPECT_EQ(result.skippedAssignments, 5);
    ASSERT_EQ(result.macros.size(), 1u);
    EXPECT_EQ(result.macros[0]->name, "M5");
    EXPECT_EQ(Buttons(profile),
              (std::map<int, std::string>{
                  {212, "3:" + std::to_string(result.macros[0]->macroId) + "/0"}}));
    EXPECT_EQ(MacroCount(), 2);
}

TEST_F(ImportRangesTest, KeyboardFilesKeepKeyCodesOfOneByteAndLayerZero) {
    std::string xml = "<profile><profileinfo name=\"K\"/><keyitems>" +
                      Item("key_code=\"4\" macro_type=\"6\" macro_value=\"3\"") +
                      Item("key_code=\"255\" macro_type=\"5\" macro_value=\"1\"") +
                      Item("key_code=\"256\" macro_type=\"6\" macro_value=\"3\"") +
                      Item("fn_layer=\"1\" key_code=\"5\" macro_type=\"6\" macro_value=\"3\"") +
                      Item("key_code=\"6\" macro_type=\"12\" macro_value=\"3\"") +
                      "</keyitems></profile>";
    ProfileImportResult result;
    ASSERT_EQ(ImportProfile(xml, kKeyboard, 0, result), ExchangeStatus::Done);
    EXPECT_EQ(result.assignments, 2);
    EXPECT_EQ(result.skippedAssignments, 3);
    std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
    EXPECT_EQ(db_.LoadKeyAssignments(result.profile, 1, rows), 0);
}

TEST_F(ImportRangesTest, MacroFilesNeedANameAndSettingsInRange) {
    MacroImportResult result;
    for (const char* bad :
         {"<macro><macroinfo/></macro>", "<macro><macroinfo times=\"1\"/></macro>",
          "<macro><macroinfo name=\"a\" times=\"-1\"/></macro>",
          "<macro><macroinfo name=\"a\" times=\"0\"/></macro>",
          "<macro><macroinfo name=\"a\" times=\"2147483647\"/></macro>",
          "<macro><macroinfo name=\"a\" times=\"1\" type=\"4\"/></macro>",
          "<macro><macroinfo name=\"a\" times=\"1\" looptype=\"48\"/></macro>",
          "<macro><macroinfo name=\"a\" times=\"1\" delaytime=\"100000\"/></macro>"}) {
        EXPECT_EQ(ImportMacro(bad, result), ExchangeStatus::OutOfRange) << bad;
        EXPECT_EQ(result.macroId, 0) << bad;
    }
    EXPECT_EQ(MacroCount(), 0);

    std::string xml = "<macro><macroinfo name=\"ok\" times=\"99\" type=\"3\" looptype=\"16\" "
                      "delaytime=\"99999\"/><macroitems>"
                      "<item type=\"2\" value=\"65\" delay_time=\"0\"/>"
                      "<item type=\"3\" value=\"65\" delay_time=\"-1\"/>"
                      "<item type=\"2\" value=\"66\" delay_time=\"100000\"/>"
                      "<item type=\"3\" value=\"66\" delay_time=\"99999\"/>"
                      "</macroitems></macro>";
    ASSERT_EQ(ImportMacro(xml, result), ExchangeStatus::Done);
    EXPECT_EQ(result.items, 2);
    EXPECT_EQ(result.skippedEvents, 2);
    std::vector<std::unique_ptr<MacroItemRow>> items;
    ASSERT_EQ(db_.LoadMacroItems(result.macroId, items), 2);
    EXPECT_EQ(items[0]->value, 65);
    EXPECT_EQ(items[1]->delayTime, 99999);
}

TEST_F(ImportRangesTest, LongNamesFromFilesAreCutToWhatTheListsShow) {
    const std::string longName(131072, 'x');
    MacroImportResult macro;
    ASSERT_EQ(
        ImportMacro("<macro><macroinfo name=\"" + longName + "\" times=\"1\"/></macro>", macro),
        ExchangeStatus::Done);
    EXPECT_TRUE(macro.nameShortened);
    MacroRow row;
    ASSERT_TRUE(db_.GetMacro(macro.macroId, row));
    EXPECT_EQ(row.name, std::string(64, 'x'));

    // A cut name is what the store holds, so importing the file again reuses the macro.
    std::string wideName;
    for (int i = 0; i < 70; ++i)
        wideName += "\xE5\xAE\x8F";
    int profile = db_.AddProfile(ProfileRow{0, "P", "", 0, 0});
    std::string xml = "<profile><profileinfo name=\"" + longName + "\"/><keyitems>" +
                      Item("key_code=\"208\" macro_type=\"3\" macro_value=\"2\"") +
                      "</keyitems><macroinfo name=\"" + wideName +
                      "\" macro_id=\"2\" times=\"1\"/></profile>";
    ProfileImportResult first, second;
    ASSERT_EQ(ImportProfile(xml, kMouse, profile, first), ExchangeStatus::Done);
    ASSERT_EQ(first.macros.size(), 1u);
    EXPECT_EQ(first.macros[0]->name.size(), 64u * 3);
    EXPECT_EQ(first.shortenedNames, 1);
    ASSERT_EQ(first.macros[0]->macroId, 2);
    ASSERT_EQ(ImportProfile(xml, kMouse, profile, second), ExchangeStatus::Done);
    EXPECT_TRUE(second.macros.empty());
    EXPECT_EQ(MacroCount(), 2);

    ProfileImportResult keys;
    ASSERT_EQ(ImportProfile(xml, kKeyboard, 0, keys), ExchangeStatus::Done);
    std::string name;
    ASSERT_TRUE(db_.GetProfileName(keys.profile, name));
    EXPECT_EQ(name, std::string(64, 'x'));
}

} // namespace
