#include "app/files/ProfileExchange.h"
#include "app/files/PresetFileChooser.h"
#include "app/xml/XmlDocument.h"
#include "files/FilesFixture.h"

#include <map>
#include <tuple>

namespace {

constexpr int kMouse = 601;
constexpr int kKeyboard = 100;

// An event as played: (type, value, delay, desc) in record order.
using Events = std::vector<std::tuple<int, int, int, std::string>>;

class ProfileExchangeTest : public FilesFixture {
protected:
    int AddMacro(SettingsDatabase& db, const std::string& name, const Events& events,
                 int playTimes = 2, int loopType = 16) {
        MacroRow row;
        row.name = name;
        row.playTimes = playTimes;
        row.delayType = 2;
        row.delayTime = 15;
        row.loopType = loopType;
        int id = db.AddMacro(row);
        int index = 0;
        for (const auto& [type, value, delay, desc] : events) {
            MacroItemRow item;
            item.macroId = id;
            item.type = type;
            item.value = value;
            item.delayTime = delay;
            item.desc = desc;
            item.recordIndex = index++;
            db.AddMacroItem(item);
        }
        return id;
    }

    void Assign(SettingsDatabase& db, bool mouse, int profile, int key, int type, int value,
                int fnLayer = 0) {
        KeyAssignmentRow row;
        row.profile = profile;
        row.fnLayer = fnLayer;
        row.keyCode = key;
        row.layoutValue = key;
        row.layoutDesc = "default " + std::to_string(key);
        row.macroType = type;
        row.macroValue = value;
        row.macroDesc = "desc " + std::to_string(key);
        if (mouse)
            db.SaveButtonAssignment(row);
        else
            db.SaveKeyAssignment(row);
    }

    // What a button plays: the macro's settings and events, by key code.
    std::map<int, std::string> Played(SettingsDatabase& db, int profile) {
        std::map<int, std::string> out;
        std::vector<std::unique_ptr<KeyAssignmentRow>> rows;
        db.LoadButtonAssignments(profile, rows);
        for (const auto& row : rows) {
            std::string text = std::to_string(row->macroType) + ":";
            if (row->macroType == 3) {
                MacroRow macro;
                EXPECT_TRUE(db.GetMacro(row->macroValue, macro)) << "key " << row->keyCode;
                text += macro.name + "/" + std::to_string(macro.playTimes) + "/" +
                        std::to_string(macro.delayType) + "/" + std::to_string(macro.delayTime) +
                        "/" + std::to_string(macro.loopType);
                std::vector<std::unique_ptr<MacroItemRow>> items;
                db.LoadMacroItems(row->macroValue, items);
                for (const auto& item : items)
                    text += " [" + std::to_string(item->type) + "," + std::to_string(item->value) +
                            "," + std::to_string(item->delayTime) + "," + item->desc + "]";
            } else {
                text += std::to_string(row->macroValue);
            }
            out[row->keyCode] = text;
        }
        return out;
    }

    int MacroCount(SettingsDatabase& db) {
        std::vector<std::unique_ptr<MacroRow>> list;
        return db.LoadMacroList(list);
    }

    // A mouse profile whose buttons play two macros, one of them twice.
    void MakeMouseProfile() {
        profile_ = db_.AddProfile(ProfileRow{0, "Profile 1", "", 0, 0});
        macroA_ = AddMacro(db_, "Macro A", {{1, 65, 20, "A"}, {2, 65, 30, "A up"}});
        macroB_ = AddMacro(db_, "\xE5\xAE\x8F <B> & \"q\"", {{1, 208, 5, "L"}}, 1, 0);
        Assign(db_, true, profile_, 208, 5, 208);
        Assign(db_, true, profile_, 211, 3, macroA_);
        Assign(db_, true, profile_, 212, 3, macroB_);
        Assign(db_, true, profile_, 213, 3, macroA_);
    }

    int profile_ = 0;
    int macroA_ = 0;
    int macroB_ = 0;
};

TEST_F(ProfileExchangeTest, RoundTripIntoAFreshDatabasePlaysTheSameEvents) {
    MakeMouseProfile();
    std::string file = Path("profile.xml");
    PresetFileChooser save(file);
    ASSERT_EQ(ProfileExchange::Export(db_, save, kMouse, profile_, "Profile 1"),
              ExchangeStatus::Done);
    EXPECT_EQ(save.LastFilter(), "Profile (*.xml)");
    EXPECT_EQ(ReadFile(file).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n", 0), 0u);

    SettingsDatabase other;
    ASSERT_TRUE(OpenDatabase(other, "other"));
    // The other computer already has a macro, so ids differ there.
    AddMacro(other, "Unrelated", {{1, 1, 1, "x"}});
    int target = other.AddProfile(ProfileRow{0, "Mine", "", 0, 0});
    PresetFileChooser open(file);
    ProfileImportResult result;
    ASSERT_EQ(ProfileExchange::Import(other, open, kMouse, target, result), ExchangeStatus::Done);
    EXPECT_EQ(result.profile, target);
    EXPECT_EQ(result.assignments, 4);
    ASSERT_EQ(result.macros.size(), 2u) << "a macro played by two buttons is added once";
    EXPECT_EQ(result.macros[0]->name, "Macro A");
    EXPECT_EQ(MacroCount(other), 3);
    EXPECT_EQ(Played(other, target), Played(db_, profile_));
    other.CloseSettingsDatabase();
}

TEST_F(ProfileExchangeTest, ImportingTheSameFileTwiceAddsEachMacroOnce) {
    MakeMouseProfile();
    std::string file = Path("twice.xml");
    ASSERT_EQ(ProfileExchange::ExportToFile(db_, kMouse, profile_, "Profile 1", file),
              ExchangeStatus::Done);

    // Into the exporting database: every macro exists with the same name and id.
    ProfileImportResult result;
    ASSERT_EQ(ProfileExchange::ImportFile(db_, file, kMouse, profile_, result),
              ExchangeStatus::Done);
    EXPECT_TRUE(result.macros.empty());
    EXPECT_EQ(MacroCount(db_), 2);

    // Into an empty database: the first import adds two, the second none.
    SettingsDatabase other;
    ASSERT_TRUE(OpenDatabase(other, "twice"));
    int target = other.AddProfile(ProfileRow{0, "P", "", 0, 0});
    ASSERT_EQ(ProfileExchange::ImportFile(other, file, kMouse, target, result),
              ExchangeStatus::Done);
    auto first = Played(other, target);
    ASSERT_EQ(ProfileExchange::ImportFile(other, file, kMouse, target, result),
              ExchangeStatus::Done);
    EXPECT_TRUE(result.macros.empty());
    EXPECT_EQ(MacroCount(other), 2);
    EXPECT_EQ(Played(other, target), first);
    other.CloseSettingsDatabase();
}

TEST_F(ProfileExchangeTest, ATakenMacroIdGetsANewMacroAndTheAssignmentsFollowIt) {
    MakeMouseProfile();
    std::string file = Path("clash.xml");
    ASSERT_EQ(ProfileExchange::ExportToFile(db_, kMouse, profile_, "Profile 1", file),
              ExchangeStatus::Done);
    SettingsDatabase other;
    ASSERT_TRUE(OpenDatabase(other, "clash"));
    // Ids 1 and 2 are taken by macros of other names.
    int other1 = AddMacro(other, "Mine 1", {{9, 9, 9, "m"}});
    AddMacro(other, "Mine 2", {});
    ASSERT_EQ(other1, macroA_);
    int target = other.AddProfile(ProfileRow{0, "P", "", 0, 0});
    Assign(other, true, target, 210, 3, other1); // a key the file does not name
    ProfileImportResult result;
    ASSERT_EQ(ProfileExchange::ImportFile(other, file, kMouse, target, result),
              ExchangeStatus::Done);
    ASSERT_EQ(result.macros.size(), 2u);
    KeyAssignmentRow row;
    ASSERT_TRUE(other.GetButtonAssignment(target, 211, row));
    EXPECT_EQ(row.macroValue, result.macros[0]->macroId);
    EXPECT_GT(row.macroValue, 2);
    // The untouched key still plays the local macro.
    ASSERT_TRUE(other.GetButtonAssignment(target, 210, row));
    EXPECT_EQ(row.macroValue, other1);
    std::vector<std::unique_ptr<MacroItemRow>> items;
    ASSERT_EQ(other.LoadMacroItems(result.macros[0]->macroId, items), 2);
    EXPECT_EQ(items[0]->recordIndex, 0);
    EXPECT_EQ(items[1]->recordIndex, 1);
    EXPECT_EQ(items[1]->desc, "A up");
    other.CloseSettingsDatabase();
}

TEST_F(ProfileExchangeTest, MouseImportOverwritesKeyByKeyAndAddsNoProfile) {
    MakeMouseProfile();
    std::string file = Path("mouse.xml");
    ASSERT_EQ(ProfileExchange::ExportToFile(db_, kMouse, profile_, "Profile 1", file),
              ExchangeStatus::Done);
    int second = db_.AddProfile(ProfileRow{0, "Profile 2", "", 0, 0});
    Assign(db_, true, second, 208, 5, 209); // named in the file: replaced
    Assign(db_, true, second, 209, 6, 238); // not named: kept
    ProfileImportResult result;
    ASSERT_EQ(ProfileExchange::ImportFile(db_, file, kMouse, second, result), ExchangeStatus::Done);
    std::vector<std::unique_ptr<ProfileRow>> profiles;
    EXPECT_EQ(db_.LoadProfileList(profiles), 2);
    auto played = Played(db_, second);
    EXPECT_EQ(played[208], "5:208");
    EXPECT_EQ(played[209], "6:238");
    EXPECT_EQ(played[211], Played(db_, profile_)[211]);
}

TEST_F(ProfileExchangeTest, KeyboardFilesHoldLayerZeroAndImportAsANewProfile) {
    int profile = db_.AddProfile(ProfileRow{0, "Keys", "", 0, 0});
    int macro = AddMacro(db_, "K", {{1, 4, 10, "a"}});
    Assign(db_, false, profile, 4, 3, macro);
    Assign(db_, false, profile, 5, 6, 2, 1); // layer 1 stays out
    std::string file = Path("keys.xml");
    ASSERT_EQ(ProfileExchange::ExportToFile(db_, kKeyboard, profile, "Gaming", file),
              ExchangeStatus::Done);
    XmlDocument doc;
    ASSERT_TRUE(doc.Load(file));
    ASSERT_TRUE(doc.FindElem("profile"));
    doc.IntoElem();
    ASSERT_TRUE(doc.FindElem("profileinfo"));
    EXPECT_EQ(doc.GetAttrib("name"), "Gaming");
    ASSERT_TRUE(doc.FindElem("keyitems"));
    doc.IntoElem();
    int items = 0;
    while (doc.FindElem("item")) {
        ++items;
        EXPECT_EQ(doc.GetAttrib("fn_layer"), "0");
    }
    EXPECT_EQ(items, 1);

    PresetFileChooser open(file);
    ProfileImportResult result;
    ASSERT_EQ(ProfileExchange::Import(db_, open, kKeyboard, profile, result), ExchangeStatus::Done);
    EXPECT_EQ(open.LastFilter(), "Custom Key (*.xml)");
    std::string name;
    ASSERT_TRUE(db_.GetProfileName(result.profile, name));
    EXPECT_EQ(name, "Gaming");
    EXPECT_NE(result.profile, profile);
    KeyAssignmentRow row;
    ASSERT_TRUE(db_.GetKeyAssignment(result.profile, 0, 4, row));
    EXPECT_EQ(row.macroValue, macro) << "the macro exists with that name and id";
}

TEST_F(ProfileExchangeTest, WritesTheExactTree) {
    int profile = db_.AddProfile(ProfileRow{0, "P", "", 0, 0});
    Assign(db_, true, profile, 209, 5, 208);
    std::string file = Path("plain.xml");
    ASSERT_EQ(ProfileExchange::ExportToFile(db_, kMouse, profile, "P", file), ExchangeStatus::Done);
    std::string text = ReadFile(file);
    EXPECT_EQ(text.find("macroinfo"), std::string::npos) << "no macro is played";
    EXPECT_NE(text.find("<item fn_layer=\"0\" key_code=\"209\" layout_value=\"209\" "
                        "layout_desc=\"default 209\" macro_type=\"5\" macro_value=\"208\" "
                        "macro_value2=\"0\" macro_value3=\"0\" macro_desc=\"desc 209\" />"),
              std::string::npos)
        << text;

    MakeMouseProfile();
    ASSERT_EQ(ProfileExchange::ExportToFile(db_, kMouse, profile_, "Profile 1", file),
              ExchangeStatus::Done);
    text = ReadFile(file);
    EXPECT_NE(text.find("<macroinfo name=\"Macro A\" macro_id=\"" + std::to_string(macroA_) +
                        "\" times=\"2\" type=\"2\" looptype=\"16\" delaytime=\"15\">"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<item desc=\"A\" type=\"1\" value=\"65\" delay_time=\"20\" />"),
              std::string::npos);
    // profileinfo, keyitems, then the macros, each written per assignment that plays it.
    EXPECT_LT(text.find("<profileinfo"), text.find("<keyitems"));
    EXPECT_LT(text.find("</keyitems>"), text.find("<macroinfo"));
    size_t count = 0;
    for (size_t at = text.find("<macroinfo"); at != std::string::npos;
         at = text.find("<macroinfo", at + 1))
        ++count;
    EXPECT_EQ(count, 3u);
}

TEST_F(ProfileExchangeTest, NothingChangesForBadFilesOrAnswers) {
    MakeMouseProfile();
    auto before = Played(db_, profile_);
    ProfileImportResult result;
    PresetFileChooser cancel("");
    EXPECT_EQ(ProfileExchange::Export(db_, cancel, kMouse, profile_, "P"),
              ExchangeStatus::Cancelled);
    EXPECT_EQ(ProfileExchange::Export(db_, cancel, kMouse, 0, "P"),
              ExchangeStatus::NothingSelected);
    EXPECT_EQ(cancel.TimesAsked(), 1) << "no dialog without a selected profile";
    EXPECT_EQ(ProfileExchange::Import(db_, cancel, kMouse, profile_, result),
              ExchangeStatus::Cancelled);
    EXPECT_EQ(ProfileExchange::ImportFile(db_, Path("none.xml"), kMouse, profile_, result),
              ExchangeStatus::Missing);
    std::string broken = WriteFile("broken.xml", "<profile><keyitems><item key_code=\"208\" "
                                                 "macro_type=\"6\" macro_value=\"1\"/>");
    EXPECT_EQ(ProfileExchange::ImportFile(db_, broken, kMouse, profile_, result),
              ExchangeStatus::Unreadable);
    std::string macroFile = WriteFile("macro.xml", "<macro><macroinfo name=\"x\"/></macro>");
    EXPECT_EQ(ProfileExchange::ImportFile(db_, macroFile, kMouse, profile_, result),
              ExchangeStatus::Unreadable);
    EXPECT_EQ(ProfileExchange::ExportToFile(db_, kMouse, profile_, "P", Path("no/dir/x.xml")),
              ExchangeStatus::Failed);
    EXPECT_EQ(Played(db_, profile_), before);
    EXPECT_EQ(MacroCount(db_), 2);
}

TEST_F(ProfileExchangeTest, AMacroTheStoreRefusesLeavesItsButtonsAlone) {
    MakeMouseProfile();
    std::string file = Path("refused.xml");
    ASSERT_EQ(ProfileExchange::ExportToFile(db_, kMouse, profile_, "Profile 1", file),
              ExchangeStatus::Done);
    SettingsDatabase other;
    ASSERT_TRUE(OpenDatabase(other, "refused"));
    int target = other.AddProfile(ProfileRow{0, "P", "", 0, 0});
    Assign(other, true, target, 211, 5, 209);
    // The macro table is gone: adding a macro answers with an error code, not an id.
    ASSERT_EQ(other.Execute("DROP TABLE t_macro_data", nullptr, nullptr), 0);
    ProfileImportResult result;
    // The import is one transaction: the refused macro takes the whole file back with it.
    EXPECT_EQ(ProfileExchange::ImportFile(other, file, kMouse, target, result),
              ExchangeStatus::Failed);
    EXPECT_NE(SettingsDatabase::LastResult(), SQLITE_OK);
    EXPECT_TRUE(result.macros.empty());
    KeyAssignmentRow row;
    ASSERT_TRUE(other.GetButtonAssignment(target, 211, row));
    EXPECT_EQ(row.macroType, 5) << "not pointed at a macro that was never added";
    EXPECT_FALSE(other.GetButtonAssignment(target, 208, row)) << "nothing of the file is kept";
    other.CloseSettingsDatabase();
}

} // namespace
