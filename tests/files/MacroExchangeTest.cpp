#include "app/files/MacroExchange.h"
#include "app/files/PresetFileChooser.h"
#include "app/files/ProfileExchange.h"
#include "files/FilesFixture.h"

namespace {

class MacroExchangeTest : public FilesFixture {
protected:
    int MakeMacro(const std::string& name, int events) {
        MacroRow row;
        row.name = name;
        row.playTimes = 3;
        row.delayType = 3;
        row.delayTime = 40;
        row.loopType = 32;
        int id = db_.AddMacro(row);
        for (int i = 0; i < events; ++i) {
            MacroItemRow item;
            item.macroId = id;
            item.type = 1 + i % 2;
            item.value = 65 + i;
            item.delayTime = 10 * i;
            item.desc = "e" + std::to_string(i);
            item.recordIndex = i;
            db_.AddMacroItem(item);
        }
        return id;
    }

    int MacroCount() {
        std::vector<std::unique_ptr<MacroRow>> list;
        return db_.LoadMacroList(list);
    }
};

TEST_F(MacroExchangeTest, RoundTripGivesASecondMacroWithTheSameSettingsAndEvents) {
    int id = MakeMacro("Macro <1> & \xE5\xAE\x8F", 3);
    std::string file = Path("m.xml");
    PresetFileChooser save(file);
    ASSERT_EQ(MacroExchange::Export(db_, save, id), ExchangeStatus::Done);
    EXPECT_EQ(save.LastFilter(), "Macro (*.xml)");
    PresetFileChooser open(file);
    MacroImportResult result;
    ASSERT_EQ(MacroExchange::Import(db_, open, result), ExchangeStatus::Done);
    EXPECT_EQ(open.LastFilter(), "Macros (*.xml)");
    EXPECT_NE(result.macroId, id);
    EXPECT_EQ(result.name, "Macro <1> & \xE5\xAE\x8F");
    EXPECT_EQ(MacroCount(), 2);

    MacroRow a, b;
    ASSERT_TRUE(db_.GetMacro(id, a));
    ASSERT_TRUE(db_.GetMacro(result.macroId, b));
    EXPECT_EQ(std::tie(a.name, a.playTimes, a.delayType, a.delayTime, a.loopType),
              std::tie(b.name, b.playTimes, b.delayType, b.delayTime, b.loopType));
    std::vector<std::unique_ptr<MacroItemRow>> ai, bi;
    ASSERT_EQ(db_.LoadMacroItems(id, ai), 3);
    ASSERT_EQ(db_.LoadMacroItems(result.macroId, bi), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(
            std::tie(ai[i]->type, ai[i]->value, ai[i]->delayTime, ai[i]->desc, ai[i]->recordIndex),
            std::tie(bi[i]->type, bi[i]->value, bi[i]->delayTime, bi[i]->desc, bi[i]->recordIndex));
    }
    // Importing again always adds.
    ASSERT_EQ(MacroExchange::ImportFile(db_, file, result), ExchangeStatus::Done);
    EXPECT_EQ(MacroCount(), 3);
}

TEST_F(MacroExchangeTest, WritesTheExactTree) {
    int id = MakeMacro("Empty", 0);
    std::string file = Path("empty.xml");
    ASSERT_EQ(MacroExchange::ExportToFile(db_, id, file), ExchangeStatus::Done);
    std::string text = ReadFile(file);
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                    "<macro>\r\n"
                    "\t<macroinfo name=\"Empty\" times=\"3\" type=\"3\" looptype=\"32\" "
                    "delaytime=\"40\" />\r\n"
                    "\t<macroitems />\r\n"
                    "</macro>\r\n");
    id = MakeMacro("One", 1);
    ASSERT_EQ(MacroExchange::ExportToFile(db_, id, file), ExchangeStatus::Done);
    EXPECT_NE(ReadFile(file).find(
                  "<item desc=\"e0\" type=\"1\" looptype=\"0\" value=\"65\" delay_time=\"0\" />"),
              std::string::npos)
        << ReadFile(file);
}

TEST_F(MacroExchangeTest, RefusesWhatIsNotAMacroFile) {
    int id = MakeMacro("M", 2);
    MacroImportResult result;
    PresetFileChooser none("");
    EXPECT_EQ(MacroExchange::Export(db_, none, 0), ExchangeStatus::NothingSelected);
    EXPECT_EQ(none.TimesAsked(), 0);
    EXPECT_EQ(MacroExchange::Export(db_, none, id), ExchangeStatus::Cancelled);
    EXPECT_EQ(MacroExchange::Import(db_, none, result), ExchangeStatus::Cancelled);
    EXPECT_EQ(MacroExchange::ExportToFile(db_, 999, Path("x.xml")), ExchangeStatus::Failed);

    // A profile file carries macroinfo elements too, but under another root.
    int profile = db_.AddProfile(ProfileRow{0, "P", "", 0, 0});
    KeyAssignmentRow row;
    row.profile = profile;
    row.keyCode = 208;
    row.macroType = 3;
    row.macroValue = id;
    db_.SaveButtonAssignment(row);
    std::string profileFile = Path("profile.xml");
    ASSERT_EQ(ProfileExchange::ExportToFile(db_, 601, profile, "P", profileFile),
              ExchangeStatus::Done);
    EXPECT_EQ(MacroExchange::ImportFile(db_, profileFile, result), ExchangeStatus::Unreadable);
    EXPECT_EQ(MacroExchange::ImportFile(db_, WriteFile("bare.xml", "<macro><macroitems/></macro>"),
                                        result),
              ExchangeStatus::Unreadable);
    EXPECT_EQ(MacroExchange::ImportFile(db_, WriteFile("cut.xml", "<macro><macroinfo name=\"a\">"),
                                        result),
              ExchangeStatus::Unreadable);
    EXPECT_EQ(MacroExchange::ImportFile(db_, Path("missing.xml"), result), ExchangeStatus::Missing);
    EXPECT_EQ(MacroCount(), 1);
}

TEST_F(MacroExchangeTest, ReadsOnlyTheFirstMacroAndToleratesMissingAttributes) {
    std::string file = WriteFile("two.xml", "<macro><macroinfo name=\"first\" times=\"4\"/>"
                                            "<macroinfo name=\"second\"/>"
                                            "<macroitems><item type=\"2\"/><item desc=\"d\" "
                                            "value=\"7\" looptype=\"9\"/></macroitems></macro>");
    MacroImportResult result;
    ASSERT_EQ(MacroExchange::ImportFile(db_, file, result), ExchangeStatus::Done);
    EXPECT_EQ(result.name, "first");
    EXPECT_EQ(MacroCount(), 1);
    MacroRow macro;
    ASSERT_TRUE(db_.GetMacro(result.macroId, macro));
    EXPECT_EQ(macro.playTimes, 4);
    EXPECT_EQ(macro.delayType, 0);
    std::vector<std::unique_ptr<MacroItemRow>> items;
    ASSERT_EQ(db_.LoadMacroItems(result.macroId, items), 2);
    EXPECT_EQ(items[0]->type, 2);
    EXPECT_EQ(items[0]->desc, "");
    EXPECT_EQ(items[1]->value, 7);
    EXPECT_EQ(items[1]->recordIndex, 1);
}

} // namespace
