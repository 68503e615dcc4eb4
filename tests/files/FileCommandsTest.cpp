#include "ShellCommand.h"
#include "app/platform/AppFolders.h"
#include "files/FilesFixture.h"

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace {

// pivanectl's exchange commands against the user's real settings database in the temporary home.
class FileCommandsTest : public FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        tool_ = BuildProgramFolder() + "pivanectl";
        if (BuildProgramFolder().empty() || !std::filesystem::exists(tool_))
            GTEST_SKIP() << "pivanectl is not built";
    }

    // Runs pivanectl with the arguments; returns its exit status, stdout in `out`.
    int Run(const std::string& arguments, std::string& out) {
        return RunShellCommand("'" + tool_ + "' " + arguments + " 2>/dev/null", out);
    }

    std::string tool_;
};

TEST_F(FileCommandsTest, ExportsAndImportsThroughTheUsersStore) {
    std::string out;
    std::string macroFile = WriteFile(
        "in.xml", "<macro><macroinfo name=\"Hello\" times=\"2\" type=\"1\" looptype=\"0\" "
                  "delaytime=\"5\"/><macroitems><item desc=\"H\" type=\"1\" value=\"72\" "
                  "delay_time=\"10\"/></macroitems></macro>");
    ASSERT_EQ(Run("--json macro import '" + macroFile + "'", out), 0);
    EXPECT_EQ(out, "{\"macro_id\":1,\"name\":\"Hello\",\"items\":1,\"skipped_events\":0,"
                   "\"name_shortened\":false}\n");
    ASSERT_EQ(Run("macro export 1 '" + Path("out.xml") + "'", out), 0);
    EXPECT_NE(ReadFile(Path("out.xml")).find("<macroinfo name=\"Hello\" times=\"2\""),
              std::string::npos);

    // The profile file goes into the active profile of the store pivanectl created.
    std::string profileFile = WriteFile(
        "p.xml", "<profile><profileinfo name=\"x\"/><keyitems><item key_code=\"211\" "
                 "macro_type=\"3\" macro_value=\"1\"/></keyitems><macroinfo name=\"Hello\" "
                 "macro_id=\"1\"><macroitems/></macroinfo></profile>");
    ASSERT_EQ(Run("--json profile import '" + profileFile + "'", out), 0);
    EXPECT_EQ(out, "{\"profile\":1,\"assignments\":1,\"skipped_assignments\":0,"
                   "\"skipped_macros\":0,\"skipped_events\":0,\"shortened_names\":0,"
                   "\"macros\":[]}\n");
    ASSERT_EQ(Run("profile export 1 '" + Path("p1.xml") + "'", out), 0);
    EXPECT_NE(ReadFile(Path("p1.xml")).find("<macroinfo name=\"Hello\" macro_id=\"1\""),
              std::string::npos);

    EXPECT_EQ(Run("macro import '" + Path("missing.xml") + "'", out), 1);
    EXPECT_EQ(Run("profile import '" + macroFile + "'", out), 1);
    EXPECT_EQ(Run("macro export 7 '" + Path("x.xml") + "'", out), 1);
    EXPECT_EQ(Run("profile export 9 '" + Path("x.xml") + "'", out), 1);
    EXPECT_EQ(Run("profile export one", out), 2);
    EXPECT_EQ(Run("macro import", out), 2);
    EXPECT_TRUE(std::filesystem::exists(AppFolders::DataFolder() + "db"));
}

} // namespace
