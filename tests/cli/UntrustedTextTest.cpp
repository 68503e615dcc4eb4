// pivanectl with names and files a person did not write: terminal escapes in stored names,
// bytes that are not UTF-8, import paths that are no regular file, out-of-range values and
// names longer than the lists take. Run as the real program against a private home folder.
#include "app/store/SettingsDatabase.h"
#include "app/xml/TextEncoding.h"

#include "ShellCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A name that retitles the terminal, clears it, rings the bell, carries a C1 CSI and a byte
// that is not UTF-8, and tries to fake a second list line.
const std::string kHostileName = "Mac\x1B]0;owned\x07\x1B[2J\xC2\x9B"
                                 "31m\xFF\n2  fake";

class UntrustedTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("PIVANE_HOME"), nullptr) << "PIVANE_HOME names the program folder";
        char pattern[] = "/tmp/pivane-untrusted-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Runs pivanectl (stdout and stderr together, or stdout alone) and stores the exit status.
    // A run that does not end within 20 s is killed, so a blocking open fails the test.
    std::string Run(const std::string& args, int& status, bool withErrors = true) {
        std::string command = "HOME='" + root_ + "' XDG_CONFIG_HOME='" + root_ +
                              "/.config' XDG_RUNTIME_DIR='" + root_ + "' timeout 20 '" +
                              std::getenv("PIVANE_HOME") + "pivanectl' " + args +
                              (withErrors ? " 2>&1" : " 2>/dev/null");
        std::string out;
        status = RunShellCommand(command, out);
        return out;
    }
    std::unique_ptr<SettingsDatabase> Store() {
        auto db = std::make_unique<SettingsDatabase>();
        EXPECT_TRUE(db->OpenSettingsDatabase(root_ + "/Documents/ORMAN-QV7 Files/",
                                             SettingsDatabase::kDeviceName));
        return db;
    }
    std::string Write(const std::string& name, const std::string& text) {
        std::string path = root_ + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    int ProfileCount() {
        std::vector<std::unique_ptr<ProfileRow>> list;
        return Store()->LoadProfileList(list);
    }
    // The store with the three first profiles and one macro with a hostile name and event.
    void SeedHostileStore() {
        int status = -1;
        Run("profile list", status);
        ASSERT_EQ(status, 0);
        auto db = Store();
        MacroRow macro;
        macro.name = kHostileName;
        macro.playTimes = 1;
        macro.delayType = 1;
        ASSERT_EQ(db->AddMacro(macro), 1);
        MacroItemRow item;
        item.macroId = 1;
        item.type = 2;
        item.value = 65;
        item.delayTime = 10;
        item.desc = "\x1B[31mA\r";
        ASSERT_GT(db->AddMacroItem(item), 0);
        ASSERT_TRUE(db->RenameProfile(2, kHostileName));
    }

    static bool HasRawControl(const std::string& text) {
        for (size_t i = 0; i < text.size(); ++i) {
            auto c = static_cast<unsigned char>(text[i]);
            if ((c < 0x20 && c != '\n') || c == 0x7F) return true;
            if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0)
                return true;
        }
        return false;
    }
    static int Lines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    std::string root_;
};

TEST_F(UntrustedTextTest, StoredNamesReachTheTerminalEscaped) {
    SeedHostileStore();
    int status = -1;
    std::string list = Run("macro list", status, false);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(HasRawControl(list)) << list;
    EXPECT_TRUE(TextEncoding::IsValidUtf8(list.data(), list.size())) << list;
    EXPECT_EQ(list, "1  Mac\\x1B]0;owned\\x07\\x1B[2J\\u009B31m\\xFF\\x0A2  fake  (1 events)\n");

    std::string show = Run("macro show 1", status, false);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(HasRawControl(show)) << show;
    EXPECT_EQ(Lines(show), 3) << show; // title, settings, one event
    EXPECT_NE(show.find("\\x1B[31mA\\x0D"), std::string::npos) << show;

    std::string profiles = Run("profile list", status, false);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(HasRawControl(profiles)) << profiles;
    EXPECT_EQ(Lines(profiles), 3) << profiles;
}

TEST_F(UntrustedTextTest, JsonStaysValidUtf8WithEveryControlEscaped) {
    SeedHostileStore();
    int status = -1;
    for (const char* command :
         {"--json macro list", "--json macro show 1", "--json profile list"}) {
        std::string json = Run(command, status, false);
        EXPECT_EQ(status, 0) << command;
        ASSERT_FALSE(json.empty()) << command;
        EXPECT_EQ(json.back(), '\n');
        std::string body = json.substr(0, json.size() - 1);
        EXPECT_TRUE(TextEncoding::IsValidUtf8(body.data(), body.size())) << command;
        EXPECT_FALSE(HasRawControl(body)) << command << ": " << body;
        // The stray byte becomes U+FFFD; the controls become \u escapes.
        EXPECT_NE(body.find("Mac\\u001b]0;owned\\u0007\\u001b[2J\\u009b31m\xEF\xBF\xBD\\n2  fake"),
                  std::string::npos)
            << command << ": " << body;
    }
}

TEST_F(UntrustedTextTest, ImportSaysWhatStandsAtAPathThatIsNoFile) {
    int status = -1;
    Run("profile list", status);
    fs::create_directory(root_ + "/folder.xml");
    ASSERT_EQ(mkfifo((root_ + "/pipe.xml").c_str(), 0600), 0);
    fs::create_symlink(root_ + "/loop-b.xml", root_ + "/loop-a.xml");
    fs::create_symlink(root_ + "/loop-a.xml", root_ + "/loop-b.xml");
    struct Case {
        const char* file;
        const char* says;
    };
    for (const Case& c : {Case{"folder.xml", "is a directory"}, Case{"pipe.xml", "is a FIFO"},
                          Case{"loop-a.xml", "too many levels of symbolic links"},
                          Case{"missing.xml", "no such file"}}) {
        for (const char* command : {"macro import", "profile import"}) {
            std::string out = Run(std::string(command) + " '" + root_ + "/" + c.file + "'", status);
            EXPECT_EQ(status, 1) << command << " " << c.file << ": " << out;
            EXPECT_NE(out.find(c.says), std::string::npos)
                << command << " " << c.file << ": " << out;
        }
    }
}

TEST_F(UntrustedTextTest, TypedNamesAndValuesAreBoundedAsTheListsTakeThem) {
    int status = -1;
    Run("profile list", status);
    const std::string longest(64, 'n');
    const std::string wide = std::string(63, 'n') + "\xE5\xAE\x8F"; // 64 characters, 66 bytes
    Run("profile add " + longest, status);
    EXPECT_EQ(status, 1) << "stored, no mouse to send to";
    Run("profile rename 1 '" + wide + "'", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ProfileCount(), 4);

    std::string out = Run("profile add " + longest + "x", status);
    EXPECT_EQ(status, 2) << out;
    EXPECT_NE(out.find("at most 64 characters"), std::string::npos) << out;
    Run("profile add " + std::string(100000, 'n'), status);
    EXPECT_EQ(status, 2);
    Run("profile add 'a\x1B[2Jb'", status);
    EXPECT_EQ(status, 2);
    Run("profile add \"$(printf '\\377')\"", status);
    EXPECT_EQ(status, 2);
    Run("profile rename 1 " + std::string(100000, 'n'), status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(ProfileCount(), 4);
    std::string name;
    ASSERT_TRUE(Store()->GetProfileName(1, name));
    EXPECT_EQ(name, wide);

    Run("config set dpi_group0_value " + std::string(100000, '9'), status);
    EXPECT_EQ(status, 2);
    Run("config set dpi_group0_value " + std::string(65, '9'), status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(Run("config get dpi_group0_value", status, false), "400\n");
    Run("config set dpi_group0_value 800", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Run("config get dpi_group0_value", status, false), "800\n");
}

TEST_F(UntrustedTextTest, ImportMessagesCountWhatWasLeftOut) {
    int status = -1;
    Run("profile list", status);
    std::string file = Write(
        "p.xml", "<profile><profileinfo name=\"x\"/><keyitems>"
                 "<item key_code=\"209\" macro_type=\"5\" macro_value=\"210\"/>"
                 "<item key_code=\"9999\" macro_type=\"5\" macro_value=\"210\"/>"
                 "<item key_code=\"210\" macro_type=\"42\" macro_value=\"1\"/>"
                 "<item key_code=\"211\" macro_type=\"3\" macro_value=\"7\"/>"
                 "</keyitems><macroinfo name=\"Bad\" macro_id=\"7\" times=\"-1\" type=\"1\">"
                 "<macroitems><item type=\"2\" value=\"65\"/></macroitems></macroinfo></profile>");
    std::string out = Run("profile import '" + file + "'", status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out, "imported 1 button assignments into profile 1; skipped (out of range), 3 button "
                   "assignments, 1 macro\n");
    out = Run("--json profile import '" + file + "'", status, false);
    EXPECT_NE(out.find("\"skipped_assignments\":3,\"skipped_macros\":1"), std::string::npos) << out;

    std::string macro = Write("m.xml", "<macro><macroinfo name=\"" + std::string(70, 'm') +
                                           "\" times=\"2\" type=\"1\"/><macroitems>"
                                           "<item type=\"2\" value=\"65\" delay_time=\"-1\"/>"
                                           "<item type=\"3\" value=\"65\" delay_time=\"10\"/>"
                                           "</macroitems></macro>");
    out = Run("macro import '" + macro + "'", status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out, "added macro 1  " + std::string(64, 'm') +
                       " (1 events; skipped (out of range), 1 event; 1 name shortened to 64 "
                       "characters)\n");
    out = Run("macro import '" + Write("empty.xml", "<macro><macroinfo/></macro>") + "'", status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("has no name"), std::string::npos) << out;
    std::vector<std::unique_ptr<MacroRow>> macros;
    EXPECT_EQ(Store()->LoadMacroList(macros), 1);
}

} // namespace
