#include "app/shell/upgrade/ZipExtractor.h"

#include "ZipTestArchive.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A sandbox with the target folder beside files that must never change.
class ZipExtractorTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pivane-zip-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        sandbox_ = pattern;
        target_ = sandbox_ / "temp";
        fs::create_directories(target_);
        fs::create_directories(sandbox_ / "outside");
        std::ofstream(sandbox_ / "outside" / "victim.txt") << "original";
        std::ofstream(sandbox_ / "x") << "sibling";
        archive_ = (sandbox_ / "package.zip").string();
        before_ = Snapshot(sandbox_, true);
    }
    void TearDown() override { fs::remove_all(sandbox_); }

    // Every path with its content (links by their target), below root.
    static std::map<std::string, std::string> Snapshot(const fs::path& root, bool skipTarget) {
        std::map<std::string, std::string> files;
        for (auto it = fs::recursive_directory_iterator(root);
             it != fs::recursive_directory_iterator(); ++it) {
            std::string relative = it->path().lexically_relative(root).string();
            if (skipTarget && (relative == "temp" || relative.rfind("temp/", 0) == 0)) continue;
            if (relative == "package.zip") continue;
            if (it->is_symlink())
                files[relative] = "-> " + fs::read_symlink(it->path()).string();
            else if (it->is_regular_file())
                files[relative] = ReadText(it->path());
            else
                files[relative] = "<dir>";
        }
        return files;
    }

    ZipExtractor::Result Extract(const ZipTestArchive& zip, const ZipExtractor::Limits& limits = {},
                                 bool zip64End = false) {
        EXPECT_TRUE(zip.Write(archive_, zip64End));
        ZipExtractor::Result result = ZipExtractor::ExtractAll(archive_, target_.string(), limits);
        EXPECT_EQ(Snapshot(sandbox_, true), before_) << "something outside the target changed";
        return result;
    }

    std::map<std::string, std::string> Target() const { return Snapshot(target_, false); }

    fs::path sandbox_, target_;
    std::string archive_;
    std::map<std::string, std::string> before_;
};

TEST(ZipNameTest, CleaningRulesThenRefusals) {
    // Drive prefixes, leading separators and ".." steps are cut away.
    EXPECT_EQ(ZipExtractor::CleanName("C:\\Program Files\\setup.exe"), "Program Files/setup.exe");
    EXPECT_EQ(ZipExtractor::CleanName("/etc/passwd"), "etc/passwd");
    EXPECT_EQ(ZipExtractor::CleanName("\\\\server\\share\\f"), "server/share/f");
    EXPECT_EQ(ZipExtractor::CleanName("dir/../step.txt"), "step.txt");
    EXPECT_EQ(ZipExtractor::CleanName("a\\..\\b/../c"), "c");
    EXPECT_EQ(ZipExtractor::CleanName("C:/D:/x"), "x");
    EXPECT_EQ(ZipExtractor::CleanName("./a//b/./c"), "a/b/c");
    EXPECT_EQ(ZipExtractor::CleanName("dir/"), "dir");
    // What is left may still climb out or mean nothing: refused.
    for (const char* name : {"../x", "..\\x", "a/../../x", "C:../x", "/../x", "a/..", "..", "",
                             "C:", "/", "./", "a\\..\\..\\x", "ok/\x01name", "a\x7f"})
        EXPECT_EQ(ZipExtractor::CleanName(name), "") << name;
}

TEST(ZipNameTest, LengthsAndCodePages) {
    std::string shortSegments;
    for (int i = 0; i < 26; ++i)
        shortSegments += std::string(9, static_cast<char>('a' + i)) + "/";
    shortSegments += "end"; // 263 characters
    EXPECT_EQ(ZipExtractor::CleanName(shortSegments), "");
    EXPECT_EQ(ZipExtractor::CleanName(shortSegments.substr(10)), shortSegments.substr(10));
    // 260 characters of two bytes each still pass; a 256-byte segment does not.
    std::string wide;
    for (int i = 0; i < 120; ++i)
        wide += "\xc3\xa9";
    EXPECT_EQ(ZipExtractor::CleanName(wide + "/" + wide), wide + "/" + wide);
    EXPECT_EQ(ZipExtractor::CleanName(std::string(256, 'n')), "");
    EXPECT_EQ(ZipExtractor::CleanName("bad\xff"), ""); // not UTF-8: convert first

    EXPECT_EQ(ZipExtractor::NameToUtf8("caf\xe9 \x80.txt"), "caf\xc3\xa9 \xe2\x82\xac.txt");
    EXPECT_EQ(ZipExtractor::NameToUtf8("caf\xc3\xa9"), "caf\xc3\xa9");
    EXPECT_EQ(ZipExtractor::NameToUtf8("\xc0\xae\xc0\xae/x"), "\xc3\x80\xc2\xae\xc3\x80\xc2\xae/x");
    EXPECT_EQ(ZipExtractor::CleanName(ZipExtractor::NameToUtf8("\xc0\xae\xc0\xae/x")),
              "\xc3\x80\xc2\xae\xc3\x80\xc2\xae/x"); // an overlong "..", read as two letters
}

TEST_F(ZipExtractorTest, UnpacksNestedFilesUnderCleanedNames) {
    ZipTestArchive zip;
    zip.AddFolder("bin/");
    zip.AddFile("bin/Mouse-Software-1.0.2.exe", "#!/bin/sh\necho hi\n");
    zip.AddFile("C:\\docs\\readme.txt", "drive letter", false);
    zip.AddFile("/lead.txt", "leading slash");
    zip.AddFile("junk/../step.txt", "dot-dot step");
    ZipExtractor::Result result = Extract(zip);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.written,
              (std::vector<std::string>{"bin/Mouse-Software-1.0.2.exe", "docs/readme.txt",
                                        "lead.txt", "step.txt"}));
    EXPECT_TRUE(result.skipped.empty());
    auto files = Target();
    EXPECT_EQ(files["bin/Mouse-Software-1.0.2.exe"], "#!/bin/sh\necho hi\n");
    EXPECT_EQ(files["docs/readme.txt"], "drive letter");
    EXPECT_EQ(files["lead.txt"], "leading slash");
    EXPECT_EQ(files["step.txt"], "dot-dot step");
    EXPECT_EQ(files.size(), 6u); // the two folders and four files, no temporary left over
}

TEST_F(ZipExtractorTest, ReplacesOlderFilesAndKeepsExecutableBits) {
    std::ofstream(target_ / "setup.exe") << "old";
    ZipTestArchive zip;
    ZipTestArchive::Item program;
    program.name = "setup.exe";
    program.data = "new";
    program.unixMode = 0100755;
    zip.Add(program);
    zip.AddFile("notes.txt", "plain");
    ASSERT_TRUE(Extract(zip).ok);
    EXPECT_EQ(ReadText(target_ / "setup.exe"), "new");
    EXPECT_EQ(::access((target_ / "setup.exe").c_str(), X_OK), 0);
    EXPECT_NE(::access((target_ / "notes.txt").c_str(), X_OK), 0);
}

TEST_F(ZipExtractorTest, HostileNamesAreSkippedAndNothingLeavesTheTarget) {
    std::string absolute = (sandbox_ / "outside" / "victim.txt").string();
    ZipTestArchive zip;
    zip.AddFile("../x", "climb");
    zip.AddFile("..\\x", "climb back");
    zip.AddFile("a/../../x", "climb twice");
    zip.AddFile("../outside/victim.txt", "overwrite");
    zip.AddFile(std::string(300, 'L'), "long");
    zip.AddFile("good.txt", "kept");
    zip.AddFile(absolute, "absolute");
    ZipExtractor::Result result = Extract(zip);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.skipped.size(), 5u);
    auto files = Target();
    EXPECT_EQ(files["good.txt"], "kept");
    // The absolute name lands inside, under its cleaned name.
    EXPECT_EQ(files[fs::path(absolute).relative_path().string()], "absolute");
    EXPECT_EQ(ReadText(sandbox_ / "outside" / "victim.txt"), "original");
}

TEST_F(ZipExtractorTest, LinkEntriesAreNeverCreatedNorFollowed) {
    ZipTestArchive zip;
    zip.AddSymlink("link", (sandbox_ / "outside").string());
    zip.AddFile("link/victim.txt", "through the link");
    zip.AddSymlink("rel", "../outside/victim.txt");
    zip.AddFile("rel", "over the link");
    ZipExtractor::Result result = Extract(zip);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.skipped, (std::vector<std::string>{"link", "rel"}));
    auto files = Target();
    EXPECT_EQ(files["link"], "<dir>");
    EXPECT_EQ(files["link/victim.txt"], "through the link");
    EXPECT_EQ(files["rel"], "over the link");
}

TEST_F(ZipExtractorTest, LinksAlreadyInTheTargetAreNotFollowed) {
    fs::create_directory_symlink(sandbox_ / "outside", target_ / "pre");
    fs::create_symlink(sandbox_ / "outside" / "victim.txt", target_ / "file.txt");
    before_ = Snapshot(sandbox_, true);

    ZipTestArchive replace;
    replace.AddFile("file.txt", "replaces the link itself");
    ASSERT_TRUE(Extract(replace).ok);
    EXPECT_FALSE(fs::is_symlink(target_ / "file.txt"));
    EXPECT_EQ(ReadText(target_ / "file.txt"), "replaces the link itself");

    ZipTestArchive through;
    through.AddFile("first.txt", "written before the refusal");
    through.AddFile("pre/victim.txt", "through a folder link");
    ZipExtractor::Result result = Extract(through);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(fs::exists(target_ / "first.txt"));
    EXPECT_EQ(ReadText(sandbox_ / "outside" / "victim.txt"), "original");
}

TEST_F(ZipExtractorTest, BombsAreStoppedAndLeaveNothing) {
    std::string zeros(20u << 20, '\0');
    ZipExtractor::Limits defaults;

    ZipTestArchive dense; // 20 MiB from about 20 KiB
    dense.AddFile("ok.txt", "fine");
    dense.AddFile("zeros.bin", zeros);
    ZipExtractor::Result result = Extract(dense, defaults);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("densely"), std::string::npos) << result.error;
    EXPECT_TRUE(Target().empty());

    ZipExtractor::Limits small;
    small.maxTotalBytes = 1u << 20;
    small.maxRatio = 1u << 20;
    ZipTestArchive many; // each piece within the limit, the sum not
    for (int i = 0; i < 3; ++i)
        many.AddFile("part" + std::to_string(i), std::string(600 << 10, 'p'));
    result = Extract(many, small);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(Target().empty());

    ZipTestArchive lying; // records 1 KiB, inflates to 20 MiB
    ZipTestArchive::Item item;
    item.name = "liar.bin";
    item.data = zeros;
    item.recordedSize = 1024;
    lying.Add(item);
    result = Extract(lying, defaults);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(Target().empty());

    ZipTestArchive huge; // ZIP64 sizes far beyond any disk, refused before inflating
    item.name = "huge.bin";
    item.data = "tiny";
    item.zip64 = true;
    item.recordedSize = int64_t(1) << 40;
    huge.Add(item);
    result = Extract(huge, defaults, true);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("more than is allowed"), std::string::npos) << result.error;
    EXPECT_TRUE(Target().empty());
}

TEST_F(ZipExtractorTest, DamagedArchivesWriteNothing) {
    ZipTestArchive zip;
    zip.AddFolder("sub/");
    zip.AddFile("sub/first.txt", std::string(5000, 'a'));
    zip.AddFile("second.txt", std::string(5000, 'b'));
    std::string good = zip.Bytes();

    // Truncated anywhere: no directory, or a directory pointing past the end.
    for (size_t cut : {good.size() / 2, good.size() - 1, size_t(10)}) {
        std::ofstream(archive_, std::ios::binary | std::ios::trunc) << good.substr(0, cut);
        EXPECT_FALSE(ZipExtractor::ExtractAll(archive_, target_.string()).ok) << cut;
        EXPECT_TRUE(Target().empty()) << cut;
    }

    ZipTestArchive badCrc; // the first entry is sound, the second one fails its checksum
    badCrc.AddFolder("sub/");
    badCrc.AddFile("sub/first.txt", "sound");
    ZipTestArchive::Item item;
    item.name = "second.txt";
    item.data = std::string(5000, 'b');
    item.recordedCrc = 0x12345678;
    badCrc.Add(item);
    ZipExtractor::Result result = Extract(badCrc);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("checksum"), std::string::npos) << result.error;
    EXPECT_TRUE(Target().empty());

    ZipTestArchive cutStream; // the directory claims fewer compressed bytes than the stream has
    cutStream.AddFile("first.txt", "sound");
    item.recordedCrc = -1;
    item.data = std::string(50000, 'c') + std::string(50000, 'd');
    item.recordedCompressed = 40;
    cutStream.Add(item);
    result = Extract(cutStream);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(Target().empty());

    EXPECT_FALSE(ZipExtractor::ExtractAll(archive_, (sandbox_ / "missing").string()).ok);
    EXPECT_FALSE(ZipExtractor::ExtractAll((sandbox_ / "none.zip").string(), target_.string()).ok);
    EXPECT_FALSE(fs::exists(sandbox_ / "missing"));
}

TEST_F(ZipExtractorTest, FailureKeepsFilesThatWereThereBefore) {
    std::ofstream(target_ / "keep.txt") << "from an earlier run";
    fs::create_directories(target_ / "old");
    ZipTestArchive zip;
    zip.AddFile("keep.txt", "would replace it");
    zip.AddFile("old/new/deeper.txt", "in new folders");
    ZipTestArchive::Item item;
    item.name = "broken.txt";
    item.data = "x";
    item.recordedCrc = 1;
    zip.Add(item);
    EXPECT_FALSE(Extract(zip).ok);
    auto files = Target();
    EXPECT_EQ(files.size(), 2u);
    EXPECT_EQ(files["keep.txt"], "from an earlier run");
    EXPECT_EQ(files["old"], "<dir>");
}

TEST_F(ZipExtractorTest, ArchivesOfAnOrdinaryArchiverUnpack) {
    std::string script = (sandbox_ / "make.py").string();
    std::ofstream(script) << "import sys, zipfile\n"
                             "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                             "    z.writestr('tool/FirmwareUpdateTool-2.exe', b'MZ' * 4000)\n"
                             "    z.writestr(zipfile.ZipInfo('tool/empty/'), b'')\n"
                             "    z.writestr('stored.txt', b'as is', zipfile.ZIP_STORED)\n"
                             "    with z.open('big.bin', 'w', force_zip64=True) as f:\n"
                             "        f.write(bytes(range(256)) * 400)\n"
                             "    z.writestr('caf\\u00e9.txt', b'utf-8 name')\n";
    ASSERT_EQ(std::system(("python3 " + script + " " + archive_).c_str()), 0);
    fs::remove(script);
    before_ = Snapshot(sandbox_, true);
    ZipExtractor::Result result = ZipExtractor::ExtractAll(archive_, target_.string());
    ASSERT_TRUE(result.ok) << result.error;
    auto files = Target();
    std::string mz;
    for (int i = 0; i < 4000; ++i)
        mz += "MZ";
    EXPECT_EQ(files["tool/FirmwareUpdateTool-2.exe"], mz);
    EXPECT_EQ(files["tool/empty"], "<dir>");
    EXPECT_EQ(files["stored.txt"], "as is");
    EXPECT_EQ(files["big.bin"].size(), 256u * 400u);
    EXPECT_EQ(files["caf\xc3\xa9.txt"], "utf-8 name");
}

} // namespace
