#include "StoreFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/platform/AppFolders.h"
#include "app/platform/ProgramRegistry.h"

namespace fs = std::filesystem;

namespace {

// Restores one environment variable when the test ends.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) {
            had_ = true;
            old_ = v;
        }
    }
    ~EnvGuard() {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// Every registry test gets its own config home.
class ProgramRegistryTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        setenv("XDG_CONFIG_HOME", (Folder() + "config").c_str(), 1);
    }
    std::string KeyFile() const { return Folder() + "config/ORMAN-QV7/registry.ini"; }
    EnvGuard config_{"XDG_CONFIG_HOME"};
};

} // namespace

TEST_F(ProgramRegistryTest, KeyFileFollowsTheConfigHome) {
    EXPECT_EQ(ProgramRegistry::KeyFile(), KeyFile());
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ProgramRegistry::KeyFile(),
              std::string(std::getenv("HOME")) + "/.config/ORMAN-QV7/registry.ini");
}

TEST_F(ProgramRegistryTest, ReadingAMissingKeyCreatesItAndWritingDoesNot) {
    EXPECT_FALSE(ProgramRegistry::WriteLanguageId(1033));
    EXPECT_FALSE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", "1"));
    EXPECT_FALSE(fs::exists(KeyFile()));

    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), 0);
    EXPECT_TRUE(fs::exists(KeyFile()));
    // The key exists now; the value does not.
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), 0);

    fs::remove(KeyFile());
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
    EXPECT_TRUE(fs::exists(KeyFile()));
}

TEST_F(ProgramRegistryTest, ValuesRoundTripAndKeepEachOther) {
    ProgramRegistry::ReadLanguageId();
    EXPECT_TRUE(ProgramRegistry::WriteLanguageId(2052));
    EXPECT_TRUE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", "1"));
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), 2052);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 1);
    EXPECT_TRUE(ProgramRegistry::WriteLanguageId(1033));
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), 1033);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("EXIT_MODE"), 1);
    // Atomic replacement leaves no temporary files behind.
    int files = 0;
    for (const auto& e : fs::directory_iterator(fs::path(KeyFile()).parent_path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(ProgramRegistryTest, AKeyFilePastTheCapIsNeitherReadNorRewritten) {
    ProgramRegistry::ReadLanguageId();
    ASSERT_TRUE(ProgramRegistry::WriteLanguageId(1033));
    ASSERT_TRUE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", "1"));
    {
        // Comment lines after the values, as an editor or a runaway script might leave.
        std::ofstream out(KeyFile(), std::ios::app | std::ios::binary);
        std::string filler(1 << 20, ';');
        filler.back() = '\n';
        while (static_cast<uintmax_t>(out.tellp()) <= ProgramRegistry::kMaxKeyFileSize)
            out << filler;
    }
    const auto size = fs::file_size(KeyFile());
    ASSERT_GT(size, ProgramRegistry::kMaxKeyFileSize);
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), ProgramRegistry::kDefaultLanguageId);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
    EXPECT_FALSE(ProgramRegistry::WriteLanguageId(2052));
    EXPECT_FALSE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", "0"));
    EXPECT_EQ(fs::file_size(KeyFile()), size) << "left as it is";

    // At the cap it is still the program's key.
    fs::resize_file(KeyFile(), ProgramRegistry::kMaxKeyFileSize);
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), 1033);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 1);
}

TEST_F(ProgramRegistryTest, TextThatIsNotANumberReadsAsZero) {
    ProgramRegistry::ReadLanguageId();
    EXPECT_TRUE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", "abc"));
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
    EXPECT_TRUE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", " -12x"));
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), -12);
    EXPECT_TRUE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", std::string(200, '7')));
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
    // A line break would smuggle in another value.
    EXPECT_FALSE(ProgramRegistry::WriteProgramRegistryValue("exit_mode", "1\nLCID=5"));
    EXPECT_FALSE(ProgramRegistry::WriteProgramRegistryValue("a=b", "1"));
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), 0);
}

TEST_F(ProgramRegistryTest, KeyThatCannotBeOpenedOrCreated) {
    // A folder where the key file should be: it exists but cannot be opened.
    fs::create_directories(KeyFile());
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), 2052);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
    EXPECT_FALSE(ProgramRegistry::WriteLanguageId(1033));

    // A file where the key's folder should be: creating the key fails.
    WriteFile(Folder() + "blocked", "x");
    setenv("XDG_CONFIG_HOME", (Folder() + "blocked").c_str(), 1);
    EXPECT_EQ(ProgramRegistry::ReadLanguageId(), 2052);
    EXPECT_EQ(ProgramRegistry::ReadProgramRegistryValue("exit_mode"), 0);
}

using AppFoldersTest = StoreFixture;

TEST_F(AppFoldersTest, DataFolderIsInsideTheDocumentsFolder) {
    std::string data = AppFolders::DataFolder();
    EXPECT_EQ(data, std::string(std::getenv("HOME")) + "/Documents/ORMAN-QV7 Files/");
}

TEST_F(AppFoldersTest, ProgramFolderRules) {
    EnvGuard guard("PIVANE_HOME");
    setenv("PIVANE_HOME", "/opt/pivane", 1);
    EXPECT_EQ(AppFolders::ProgramFolder(), "/opt/pivane/");
    unsetenv("PIVANE_HOME");
    // The test program's folder holds no config.xml.
    fs::path exe = fs::read_symlink("/proc/self/exe");
    std::string expected = (exe.parent_path().parent_path() / "share" / "pivane").string() + "/";
    EXPECT_EQ(AppFolders::ProgramFolder(), expected);
}

TEST_F(AppFoldersTest, EnsureFolderExistsCreatesEveryLevel) {
    std::string deep = Folder() + "a/b/c/";
    EXPECT_TRUE(AppFolders::EnsureFolderExists(deep));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(AppFolders::EnsureFolderExists(Folder() + "a/b"));
    WriteFile(Folder() + "file", "x");
    EXPECT_FALSE(AppFolders::EnsureFolderExists(Folder() + "file"));
    EXPECT_FALSE(AppFolders::EnsureFolderExists(Folder() + "file/sub"));
    EXPECT_FALSE(AppFolders::EnsureFolderExists(""));
}
