// pivanectl's device setting commands, run as the real program against a private home folder
// and the emulated mouse kept in a state file between runs.
#include "app/platform/InstanceLock.h"
#include "app/store/SettingsDatabase.h"

#include "ShellCommand.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

class DeviceSettingsCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("PIVANE_HOME"), nullptr) << "PIVANE_HOME names the program folder";
        char pattern[] = "/tmp/pivane-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        std::filesystem::create_directories(root_ + "/run");
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    // Runs pivanectl; returns stdout and stderr together and stores the exit status.
    std::string Run(const std::string& args, int& status, const std::string& sim = "wired") {
        std::string command = "HOME='" + root_ + "' XDG_CONFIG_HOME='" + root_ +
                              "/.config' XDG_RUNTIME_DIR='" + root_ + "/run' '" +
                              std::getenv("PIVANE_HOME") + "pivanectl' ";
        if (!sim.empty())
            command += "--simulated-mouse=" + sim + " --sim-state '" + root_ + "/mouse.txt' ";
        command += args + " 2>&1";
        std::string out;
        status = RunShellCommand(command, out);
        return out;
    }
    std::string Dump() {
        int status = -1;
        return Run("--json sim-dump", status);
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    // The program's settings store, opened beside the program for a direct look.
    std::unique_ptr<SettingsDatabase> Store() {
        auto db = std::make_unique<SettingsDatabase>();
        db->OpenSettingsDatabase(root_ + "/Documents/ORMAN-QV7 Files/",
                                 SettingsDatabase::kDeviceName);
        return db;
    }

    std::string root_;
};

TEST_F(DeviceSettingsCommandsTest, SettingsAreStoredThenSentToTheMouse) {
    int status = -1;
    Run("rate 1000", status);
    EXPECT_EQ(status, 0);
    Run("dpi 1 3200 --color FF0000 --activate", status);
    EXPECT_EQ(status, 0);
    Run("debounce 12", status);
    EXPECT_EQ(status, 0);
    std::string dump = Dump();
    EXPECT_TRUE(Has(dump, "\"report_rate\":3")) << dump;
    EXPECT_TRUE(Has(dump, "\"dpi\":3200")) << dump;
    EXPECT_TRUE(Has(dump, "\"color\":\"FF0000\"")) << dump; // shown as typed
    EXPECT_TRUE(Has(dump, "\"debounce\":12")) << dump;
    EXPECT_EQ(Run("config get dpi_group1_rgb", status, ""), "255\n"); // 0x00BBGGRR

    EXPECT_TRUE(Has(Run("rate 300", status), "rate takes"));
    EXPECT_EQ(status, 2);
    Run("dpi 1 1250", status);
    EXPECT_EQ(status, 2);
}

TEST_F(DeviceSettingsCommandsTest, WithoutAMouseTheValueIsStoredAndTheCommandFails) {
    int status = -1;
    std::string out = Run("rate 250", status, "");
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(out, "no supported mouse")) << out;
    EXPECT_EQ(Run("config get report_rate", status, ""), "1\n");
    // The wake-up method is kept, but the cable never carries it.
    out = Run("wakeup 2", status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(out, "receiver only")) << out;
    EXPECT_EQ(Run("config get wakeupmethod", status, ""), "2\n");
    EXPECT_TRUE(Has(Dump(), "\"wakeup_method\":-1"));
    Run("wakeup 2", status, "wireless");
    EXPECT_EQ(status, 0);
}

TEST_F(DeviceSettingsCommandsTest, RunningProgramHoldsTheMouse) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    std::string saved = old ? old : "";
    setenv("XDG_RUNTIME_DIR", (root_ + "/run").c_str(), 1);
    InstanceLock lock;
    bool locked = lock.Acquire();
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(locked);
    int status = -1;
    std::string out = Run("rate 500", status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(out, "Pivane is running")) << out;
    // Store-only commands still work.
    Run("profile rename 2 Office", status);
    EXPECT_EQ(status, 0);
    lock.Release();
    Run("rate 500", status);
    EXPECT_EQ(status, 0);
}

TEST_F(DeviceSettingsCommandsTest, ButtonsKeepOneLeftButtonAndLoseDeletedMacros) {
    int status = -1;
    Run("profile list", status, "");
    int macroId = 0;
    {
        auto db = Store();
        macroId = db->CreateMacro("Greeting");
        std::vector<std::unique_ptr<MacroItemRow>> items;
        for (int i = 0; i < 2; ++i) {
            auto item = std::make_unique<MacroItemRow>();
            item->macroId = macroId;
            item->type = 2 + i;
            item->value = 'H';
            item->delayTime = 2000;
            item->recordIndex = i;
            items.push_back(std::move(item));
        }
        db->SaveMacroItems(std::move(items));
        db->CloseSettingsDatabase();
    }
    ASSERT_GT(macroId, 0);
    std::string out = Run("button 208 media 234", status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(out, "only left button")) << out;
    Run("button 209 mouse 208", status);
    EXPECT_EQ(status, 0);
    Run("button 208 macro " + std::to_string(macroId), status);
    EXPECT_EQ(status, 0);
    // 2000 ms travels as 20 units of 100 ms.
    EXPECT_TRUE(Has(Dump(), "01D00102"
                            "0B54"
                            "0BD4"))
        << Dump();

    Run("macro delete " + std::to_string(macroId), status);
    EXPECT_EQ(status, 0);
    std::string dump = Dump();
    EXPECT_TRUE(Has(dump, "{\"key_code\":208,\"macro_value\":208}")) << dump;
    auto db = Store();
    KeyAssignmentRow row;
    EXPECT_FALSE(db->GetButtonAssignment(1, 208, row));
}

TEST_F(DeviceSettingsCommandsTest, ProfilesAreAddedActivatedAndDeletedDownToTheLast) {
    int status = -1;
    Run("profile add Work", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Run("profile list", status, ""),
              "  1  Profile 1\n  2  Profile 2\n  3  Profile 3\n* 4  Work\n");
    // The new profile has settings of its own to change.
    Run("--profile 4 rate 500", status);
    EXPECT_EQ(status, 0);
    Run("profile activate 2", status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Has(Dump(), "\"active_profile\":2"));
    Run("profile delete 1", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Run("profile list", status, ""), "* 2  Profile 2\n  3  Profile 3\n  4  Work\n");
    Run("profile delete 3", status);
    Run("profile delete 4", status);
    std::string out = Run("profile delete 2", status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Has(out, "last profile")) << out;
    Run("profile activate 9", status);
    EXPECT_EQ(status, 1);
}

TEST_F(DeviceSettingsCommandsTest, LightingAndFactoryResetReachTheMouse) {
    int status = -1;
    Run("lighting 4 --brightness 100 --speed 2 --direction 1 --color FF0000", status);
    EXPECT_EQ(status, 0);
    std::string dump = Dump();
    EXPECT_TRUE(Has(dump, "\"mode\":3,\"brightness\":100,\"speed\":2")) << dump;
    Run("lighting 40", status);
    EXPECT_EQ(status, 1);
    Run("rate 500", status);
    Run("restore-defaults", status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Has(Dump(), "\"factory_resets\":1"));
    EXPECT_EQ(Run("config get report_rate", status, ""), "0\n");
}

} // namespace
