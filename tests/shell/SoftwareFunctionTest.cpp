#include "app/shell/SoftwareFunction.h"
#include "app/store/SettingsDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Records what would have been started instead of starting it.
class RecordingFunction : public SoftwareFunction {
public:
    std::vector<std::string> programs, uris, texts;

protected:
    bool RunProgram(const std::string& path) override {
        programs.push_back(path);
        return true;
    }
    bool OpenUri(const std::string& uri) override {
        uris.push_back(uri);
        return true;
    }
    bool TypeText(const std::string& text) override {
        texts.push_back(text);
        return true;
    }
};

// The real program start, without a stand-in.
class SpawningFunction : public SoftwareFunction {
public:
    bool Run(const std::string& path) { return RunProgram(path); }
};

class SoftwareFunctionTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-soft-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        folder_ = std::string(made) + "/";
        std::filesystem::create_directories(folder_ + "db");
        ASSERT_TRUE(store_.OpenSettingsDatabase(folder_, SettingsDatabase::kDeviceName));
    }
    void TearDown() override {
        store_.CloseSettingsDatabase();
        store_.SetOpenFlag(false);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    std::string folder_;
    SettingsDatabase store_;
};

TEST(SoftwareFunctionAddressTest, WwwIsAddedOnlyWhereItIsMissing) {
    EXPECT_EQ(SoftwareFunction::WebAddress("example.com"), "www.example.com");
    EXPECT_EQ(SoftwareFunction::WebAddress("www.example.com"), "www.example.com");
    // Anywhere in the address counts.
    EXPECT_EQ(SoftwareFunction::WebAddress("http://shop.www.example.com/a"),
              "http://shop.www.example.com/a");
    EXPECT_EQ(SoftwareFunction::WebAddress("https://example.com/x"), "https://www.example.com/x");
    EXPECT_EQ(SoftwareFunction::UriFor("www.example.com"), "http://www.example.com");
    EXPECT_EQ(SoftwareFunction::UriFor("https://www.example.com"), "https://www.example.com");
}

TEST(SoftwareFunctionAddressTest, ProfileNumbersMustBePlainPositiveNumbers) {
    EXPECT_EQ(SoftwareFunction::ProfileNumber("3"), 3);
    EXPECT_EQ(SoftwareFunction::ProfileNumber("0"), 0);
    EXPECT_EQ(SoftwareFunction::ProfileNumber("-2"), 0);
    EXPECT_EQ(SoftwareFunction::ProfileNumber("2x"), 0);
    EXPECT_EQ(SoftwareFunction::ProfileNumber(""), 0);
    EXPECT_EQ(SoftwareFunction::ProfileNumber("99999999999"), 0);
}

TEST_F(SoftwareFunctionTest, EachTypeUsesItsStoredText) {
    RecordingFunction f;
    const int program = store_.AddKeyExtraData("editor", "/usr/bin/editor", 8);
    const int page = store_.AddKeyExtraData("example.org", "", 9);
    const int text = store_.AddKeyExtraData("hello, world", "", 10);
    const int profile = store_.AddKeyExtraData("Profile 2", "2", 11);
    const int other = store_.AddKeyExtraData("x", "y", 5);
    ASSERT_GT(program, 0);

    EXPECT_TRUE(f.Perform(store_, program).done);
    EXPECT_TRUE(f.Perform(store_, page).done);
    EXPECT_TRUE(f.Perform(store_, text).done);
    const auto switched = f.Perform(store_, profile);
    EXPECT_EQ(switched.type, 11);
    EXPECT_EQ(switched.profile, 2);
    EXPECT_FALSE(f.Perform(store_, other).done);
    EXPECT_FALSE(f.Perform(store_, 9999).done);
    EXPECT_EQ(f.Perform(store_, 9999).type, 0);
    EXPECT_EQ(f.programs, std::vector<std::string>{"/usr/bin/editor"});
    EXPECT_EQ(f.uris, std::vector<std::string>{"http://www.example.org"});
    EXPECT_EQ(f.texts, std::vector<std::string>{"hello, world"});
}

TEST_F(SoftwareFunctionTest, EmptyTextsDoNothing) {
    RecordingFunction f;
    EXPECT_FALSE(f.Perform(store_, store_.AddKeyExtraData("", "", 10)).done);
    EXPECT_FALSE(f.Perform(store_, store_.AddKeyExtraData("", "", 9)).done);
    EXPECT_FALSE(f.Perform(store_, store_.AddKeyExtraData("tool", "", 8)).done);
    EXPECT_FALSE(f.Perform(store_, store_.AddKeyExtraData("P", "zero", 11)).done);
    EXPECT_TRUE(f.texts.empty() && f.uris.empty() && f.programs.empty());
}

TEST_F(SoftwareFunctionTest, ProgramsStartWithoutAShell) {
    SpawningFunction f;
    // A script that leaves a mark: it runs as a program, and its path is not split by a shell.
    const std::string dir = folder_ + "a dir; echo no/";
    std::filesystem::create_directories(dir);
    const std::string script = dir + "mark.sh";
    const std::string mark = folder_ + "ran";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\ntouch '" << mark << "'\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ASSERT_TRUE(f.Run(script));
    for (int i = 0; i < 200 && !std::filesystem::exists(mark); ++i)
        usleep(10000);
    EXPECT_TRUE(std::filesystem::exists(mark));

    EXPECT_FALSE(f.Run(folder_ + "missing"));
    EXPECT_FALSE(f.Run(dir)); // a folder is not a program
    const std::string plain = folder_ + "plain.txt";
    std::ofstream(plain) << "text";
    EXPECT_FALSE(f.Run(plain)); // not executable
}

} // namespace
