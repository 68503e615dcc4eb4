// Imports are all or nothing, bounded, and exports never land on the store.
#include "app/files/MacroExchange.h"
#include "app/files/ProfileExchange.h"
#include "files/FilesFixture.h"

namespace {

constexpr int kMouse = 601;

std::string MacroFile(int events) {
    std::string xml = "<macro><macroinfo name=\"Big\" times=\"1\" type=\"1\" looptype=\"0\" "
                      "delaytime=\"0\"/><macroitems>";
    xml.reserve(static_cast<size_t>(events) * 60 + 100);
    for (int i = 0; i < events; ++i)
        xml += "<item desc=\"A\" type=\"1\" value=\"4\" delay_time=\"1\"/>";
    return xml + "</macroitems></macro>";
}

std::string ProfileFile(int macros, int eventsEach) {
    std::string xml = "<profile><profileinfo name=\"P\"/><keyitems><item key_code=\"209\" "
                      "macro_type=\"3\" macro_value=\"1\"/></keyitems>";
    for (int m = 1; m <= macros; ++m) {
        xml += "<macroinfo name=\"M" + std::to_string(m) + "\" macro_id=\"" + std::to_string(m) +
               "\" times=\"1\"><macroitems>";
        for (int i = 0; i < eventsEach; ++i)
            xml += "<item desc=\"B\" type=\"1\" value=\"5\" delay_time=\"2\"/>";
        xml += "</macroitems></macroinfo>";
    }
    return xml + "</profile>";
}

class ExchangeLimitsTest : public FilesFixture {
protected:
    int Count(const std::string& table) {
        std::string n;
        auto first = [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) = values[0] ? values[0] : "";
            return 0;
        };
        db_.Execute(("SELECT count(*) FROM " + table).c_str(), first, &n);
        return std::atoi(n.c_str());
    }
};

} // namespace

TEST_F(ExchangeLimitsTest, FilesPastTheBoundsAreRefusedWhole) {
    MacroImportResult macro;
    std::string text = MacroFile(MacroExchange::kMaxEvents + 1);
    EXPECT_EQ(MacroExchange::ImportText(db_, text.data(), text.size(), macro),
              ExchangeStatus::TooLarge);
    EXPECT_EQ(Count("t_macro_data"), 0);
    text = MacroFile(MacroExchange::kMaxEvents);
    ASSERT_EQ(MacroExchange::ImportText(db_, text.data(), text.size(), macro),
              ExchangeStatus::Done);
    EXPECT_EQ(macro.items, MacroExchange::kMaxEvents);
    EXPECT_EQ(Count("t_macrorecord"), MacroExchange::kMaxEvents);

    int profile = db_.AddProfile(ProfileRow{0, "P", "", 0, 0});
    ProfileImportResult result;
    text = ProfileFile(ProfileExchange::kMaxMacros + 1, 0);
    EXPECT_EQ(ProfileExchange::ImportText(db_, text.data(), text.size(), kMouse, profile, result),
              ExchangeStatus::TooLarge);
    text = ProfileFile(3, ProfileExchange::kMaxEvents / 3 + 1);
    EXPECT_EQ(ProfileExchange::ImportText(db_, text.data(), text.size(), kMouse, profile, result),
              ExchangeStatus::TooLarge);
    EXPECT_EQ(Count("t_macro_data"), 1);
    EXPECT_EQ(Count("t_mousekey_macro_data"), 0);
}

TEST_F(ExchangeLimitsTest, AnImportThatFailsPartWayLeavesNothing) {
    // The store refuses the 50th event.
    ASSERT_EQ(db_.Execute("CREATE TEMP TABLE seen(x); CREATE TEMP TRIGGER refuse BEFORE INSERT "
                          "ON t_macrorecord BEGIN INSERT INTO seen VALUES (1); SELECT "
                          "RAISE(ABORT, 'refused') WHERE (SELECT count(*) FROM seen) >= 50; END"),
              SQLITE_OK);
    MacroImportResult macro;
    std::string text = MacroFile(200);
    EXPECT_EQ(MacroExchange::ImportText(db_, text.data(), text.size(), macro),
              ExchangeStatus::Failed);
    EXPECT_EQ(macro.macroId, 0);
    EXPECT_EQ(Count("t_macro_data"), 0);
    EXPECT_EQ(Count("t_macrorecord"), 0);

    int profile = db_.AddProfile(ProfileRow{0, "P", "", 0, 0});
    ProfileImportResult result;
    text = ProfileFile(4, 20);
    EXPECT_EQ(ProfileExchange::ImportText(db_, text.data(), text.size(), kMouse, profile, result),
              ExchangeStatus::Failed);
    EXPECT_TRUE(result.macros.empty());
    EXPECT_EQ(Count("t_macro_data"), 0);
    EXPECT_EQ(Count("t_mousekey_macro_data"), 0);
}

TEST_F(ExchangeLimitsTest, ExportsRefuseTheStoreAndReplaceOrdinaryFiles) {
    int id = db_.CreateMacro("m");
    ASSERT_GT(id, 0);
    std::string store = ReadFile(db_.DatabasePath());
    EXPECT_EQ(MacroExchange::ExportToFile(db_, id, db_.DatabasePath()),
              ExchangeStatus::UnsafeTarget);
    EXPECT_EQ(ProfileExchange::ExportToFile(db_, kMouse, 1, "P", db_.DatabasePath()),
              ExchangeStatus::UnsafeTarget);
    EXPECT_EQ(ProfileExchange::ExportToFile(db_, kMouse, 1, "P", db_.DatabasePath() + "-journal"),
              ExchangeStatus::UnsafeTarget);
    EXPECT_EQ(ReadFile(db_.DatabasePath()), store);
    std::string file = WriteFile("out.xml", "old");
    EXPECT_EQ(MacroExchange::ExportToFile(db_, id, file), ExchangeStatus::Done);
    EXPECT_EQ(ReadFile(file).rfind("<?xml", 0), 0u);
}
