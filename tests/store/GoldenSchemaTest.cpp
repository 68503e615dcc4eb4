// The factory settings and the light-frame tables against values typed from the product's
// tables (tests/store/golden), so that a wrong value in the program's own table cannot pass.
#include "StoreFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/store/LightFrameStore.h"
#include "app/store/SettingsDatabase.h"

namespace fs = std::filesystem;

namespace {

using GoldenSchemaTest = StoreFixture;

// "key\tvalue" lines of the golden file, comments left out.
std::vector<std::string> GoldenLines(const std::string& name) {
    const char* source = std::getenv("PIVANE_SOURCE_DIR");
    std::vector<std::string> lines;
    if (!source) return lines;
    std::ifstream in(std::string(source) + "/tests/store/golden/" + name);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

} // namespace

TEST_F(GoldenSchemaTest, FactoryConfigurationIsTheFiftyFiveKeysAndValuesInOrder) {
    const auto golden = GoldenLines("factory_configuration.txt");
    ASSERT_EQ(golden.size(), 55u) << "PIVANE_SOURCE_DIR must name the source tree";
    SettingsDatabase db;
    ASSERT_TRUE(db.OpenSettingsDatabase(DataFolder(), SettingsDatabase::kDeviceName));
    // A profile id no seeding touched.
    ASSERT_TRUE(db.WriteFactoryConfiguration(77));
    db.CloseSettingsDatabase();
    EXPECT_EQ(Query(DatabaseFile(),
                    "SELECT group_concat(key || char(9) || value, char(10)) FROM (SELECT key, "
                    "value FROM t_configdata WHERE profile = 77 ORDER BY config_id)"),
              Joined(golden));
    // Values are plain decimal text, as the pages read them back.
    EXPECT_EQ(QueryInt(DatabaseFile(),
                       "SELECT count(*) FROM t_configdata WHERE profile = 77 AND typeof(value) "
                       "<> 'text'"),
              0);
}

TEST_F(GoldenSchemaTest, LightFrameFileHoldsExactlyTheTwoTablesAndTheFrameIndex) {
    fs::create_directories(Folder() + "db");
    {
        LightFrameStore store;
        ASSERT_TRUE(store.OpenLightFrameStore(Folder()));
    }
    const std::string file = Folder() + "db/lightlayer_v1.data";
    const std::string columns = "(frames_id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                "\t\t\t\t\t\t\t\t  light_id INTEGER, frameIndex INTEGER, "
                                "key_value INTEGER, rgb_value INTEGER)";
    // SQLite keeps the statement's text from the table name on.
    EXPECT_EQ(Query(file, "SELECT sql FROM sqlite_master WHERE name = 't_default_light_frames'"),
              "CREATE TABLE t_default_light_frames" + columns);
    EXPECT_EQ(Query(file, "SELECT sql FROM sqlite_master WHERE name = 't_light_frames'"),
              "CREATE TABLE t_light_frames" + columns);
    // The index on frames_id; the table it serves is the one the program reads.
    EXPECT_EQ(Query(file, "SELECT tbl_name || ':' || sql FROM sqlite_master WHERE name = "
                          "'led_frames_index'"),
              "t_light_frames:CREATE INDEX led_frames_index ON t_light_frames(frames_id)");
    // Nothing else but SQLite's own counter table.
    EXPECT_EQ(Query(file, "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master "
                          "ORDER BY name)"),
              "led_frames_index,sqlite_sequence,t_default_light_frames,t_light_frames");
    EXPECT_EQ(Query(file, "SELECT group_concat(name || ' ' || type || ' ' || pk, ',') FROM "
                          "pragma_table_info('t_light_frames')"),
              "frames_id INTEGER 1,light_id INTEGER 0,frameIndex INTEGER 0,key_value INTEGER "
              "0,rgb_value INTEGER 0");
}
