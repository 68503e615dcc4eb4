// pivanectl's store commands, run as the real program against a private home folder.
#include "ShellCommand.h"
#include "StoreFixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

#include "app/store/SettingsDatabase.h"

namespace {

class StoreCommandsTest : public StoreFixture {
protected:
    std::string Home() const { return Folder() + "home"; }
    std::string Database() const {
        return Home() + "/Documents/ORMAN-QV7 Files/db/ORMAN-Q410_V2_data_v7.db";
    }

    // Runs pivanectl with args; returns stdout and stores the exit status.
    std::string Run(const std::string& args, int& status) {
        std::string command = "HOME='" + Home() + "' XDG_CONFIG_HOME='" + Home() + "/.config' '" +
                              std::getenv("PIVANE_HOME") + "pivanectl' " + args + " 2>/dev/null";
        std::string out;
        status = RunShellCommand(command, out);
        return out;
    }
};

} // namespace

TEST_F(StoreCommandsTest, ProfileListCreatesTheInitialProfilesOnce) {
    int status = -1;
    EXPECT_EQ(Run("profile list", status), "* 1  Profile 1\n  2  Profile 2\n  3  Profile 3\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(QueryInt(Database(), "SELECT count(*) FROM t_configdata"), 165);
    EXPECT_EQ(Run("--json profile list", status),
              "{\"profiles\":[{\"profile\":1,\"name\":\"Profile 1\",\"status\":1},"
              "{\"profile\":2,\"name\":\"Profile 2\",\"status\":0},"
              "{\"profile\":3,\"name\":\"Profile 3\",\"status\":0}]}\n");
    EXPECT_EQ(QueryInt(Database(), "SELECT count(*) FROM t_profile_data"), 3);
}

TEST_F(StoreCommandsTest, DefaultNamesFollowTheStoredLanguage) {
    std::filesystem::create_directories(Home() + "/.config/ORMAN-QV7");
    WriteFile(Home() + "/.config/ORMAN-QV7/registry.ini", "[ORMAN-QV7]\nLCID=2052\n");
    int status = -1;
    std::string out = Run("profile list", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "* 1  配置方案 1\n  2  配置方案 2\n  3  配置方案 3\n");
    // Stored in one language, shown in the other.
    WriteFile(Home() + "/.config/ORMAN-QV7/registry.ini", "[ORMAN-QV7]\nLCID=1033\n");
    EXPECT_EQ(Run("profile list", status), "* 1  Profile 1\n  2  Profile 2\n  3  Profile 3\n");
}

TEST_F(StoreCommandsTest, ConfigGetAndSetWorkOnTheChosenProfile) {
    int status = -1;
    EXPECT_EQ(Run("config get dpi_group5_value", status), "5000\n");
    EXPECT_EQ(status, 0);
    Run("--profile 2 config set report_rate 2", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Run("config get report_rate", status), "0\n");
    EXPECT_EQ(Run("--profile 2 config get report_rate", status), "2\n");
    EXPECT_EQ(Run("--profile 2 --json config get report_rate", status),
              "{\"profile\":2,\"config\":{\"report_rate\":\"2\"}}\n");
    std::string all = Run("config get", status);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 55);
    EXPECT_NE(all.find("dpi_group6_value=4000\n"), std::string::npos);

    // A key the profile does not hold is refused rather than silently ignored.
    Run("config set no_such_key 1", status);
    EXPECT_EQ(status, 1);
    Run("--profile 9 config get report_rate", status);
    EXPECT_EQ(status, 1);
    Run("config set report_rate", status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(QueryInt(Database(), "SELECT count(*) FROM t_configdata"), 165);
}

TEST_F(StoreCommandsTest, MacroListAndShow) {
    int status = -1;
    Run("profile list", status);
    {
        SettingsDatabase db;
        ASSERT_TRUE(db.OpenSettingsDatabase(Home() + "/Documents/ORMAN-QV7 Files/",
                                            SettingsDatabase::kDeviceName));
        int id = db.CreateMacro("Reload");
        ASSERT_EQ(id, 1);
        for (int i = 0; i < 2; ++i) {
            MacroItemRow item;
            item.macroId = id;
            item.type = 1;
            item.recordIndex = i;
            item.value = 21;
            item.delayTime = 50;
            item.desc = "R";
            db.AddMacroItem(item);
        }
    }
    EXPECT_EQ(Run("macro list", status), "1  Reload  (2 events)\n");
    EXPECT_EQ(status, 0);
    std::string json = Run("--json macro show 1", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(json.find("\"macro_id\":1,\"name\":\"Reload\",\"play_times\":1"), std::string::npos);
    EXPECT_NE(json.find("{\"record_index\":1,\"type\":1,\"value\":21,\"delay_time\":50"),
              std::string::npos);
    Run("macro show 2", status);
    EXPECT_EQ(status, 1);
    Run("macro show x", status);
    EXPECT_EQ(status, 2);
}
