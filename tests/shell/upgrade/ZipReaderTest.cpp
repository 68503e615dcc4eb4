#include "app/shell/upgrade/ZipReader.h"

#include "ZipTestArchive.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t Get(const std::string& bytes, size_t at, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

void Set(std::string& bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Offset of the index-th central directory record of an archive without a comment.
size_t CentralRecord(const std::string& bytes, int index) {
    size_t at = Get(bytes, bytes.size() - 22 + 16, 4);
    for (int i = 0; i < index; ++i)
        at += 46 + Get(bytes, at + 28, 2) + Get(bytes, at + 30, 2) + Get(bytes, at + 32, 2);
    return at;
}

struct Read {
    ZipReader::Error error;
    std::string data;
};

Read ExtractOne(const ZipReader& reader, size_t index, uint64_t maxOutput = UINT64_MAX) {
    Read read;
    read.error = reader.Extract(
        *reader.Entries()[index],
        [&](const uint8_t* data, size_t size) {
            read.data.append(reinterpret_cast<const char*>(data), size);
            return true;
        },
        maxOutput);
    return read;
}

bool Open(ZipReader& reader, const std::string& bytes) {
    return reader.OpenBuffer(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string Pattern(size_t size) {
    std::string text;
    for (size_t i = 0; text.size() < size; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + "\n";
    text.resize(size);
    return text;
}

TEST(ZipReaderTest, ReadsStoredDeflatedDescriptorAndZip64Entries) {
    ZipTestArchive zip;
    zip.AddFile("stored.txt", "kept as is", false);
    zip.AddFile("deflated.txt", Pattern(300000));
    ZipTestArchive::Item item;
    item.name = "streamed.txt";
    item.data = Pattern(70000);
    item.descriptor = true;
    zip.Add(item);
    item.name = "wide.txt";
    item.zip64 = true;
    zip.Add(item);
    item.name = "wide-stored.txt";
    item.descriptor = false;
    item.deflate = false;
    zip.Add(item);
    zip.AddFolder("folder/");
    zip.AddSymlink("link", "/etc");

    for (bool zip64End : {false, true}) {
        ZipReader reader;
        ASSERT_TRUE(Open(reader, zip.Bytes(zip64End))) << ZipReader::Describe(reader.LastError());
        ASSERT_EQ(reader.Entries().size(), 7u);
        EXPECT_EQ(ExtractOne(reader, 0).data, "kept as is");
        EXPECT_EQ(ExtractOne(reader, 1).data, Pattern(300000));
        EXPECT_EQ(ExtractOne(reader, 2).data, Pattern(70000));
        for (size_t i : {3u, 4u}) {
            Read read = ExtractOne(reader, i);
            EXPECT_EQ(read.error, ZipReader::Error::None) << i;
            EXPECT_EQ(read.data, Pattern(70000)) << i;
            EXPECT_EQ(reader.Entries()[i]->uncompressedSize, 70000u);
        }
        EXPECT_TRUE(reader.Entries()[5]->IsDirectory());
        EXPECT_FALSE(reader.Entries()[5]->IsSpecialFile());
        EXPECT_TRUE(reader.Entries()[6]->IsSymlink());
        EXPECT_TRUE(reader.Entries()[6]->IsSpecialFile());
        EXPECT_FALSE(reader.Entries()[1]->IsDirectory());
        EXPECT_FALSE(reader.Entries()[1]->IsSpecialFile());
    }
}

TEST(ZipReaderTest, FindsTheDirectoryBehindACommentAndOnDisk) {
    ZipTestArchive zip;
    zip.AddFile("a.txt", "alpha");
    std::string bytes = zip.Bytes();
    std::string comment = "PK\x05\x06 looks like an end record but is a comment";
    Set(bytes, bytes.size() - 2, static_cast<uint32_t>(comment.size()), 2);
    bytes += comment;
    ZipReader reader;
    ASSERT_TRUE(Open(reader, bytes));
    EXPECT_EQ(ExtractOne(reader, 0).data, "alpha");

    std::string path = ::testing::TempDir() + "/reader-test.zip";
    ASSERT_TRUE(zip.Write(path));
    ZipReader file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(ExtractOne(file, 0).data, "alpha");
    std::remove(path.c_str());
    EXPECT_FALSE(file.Open(path));
    EXPECT_EQ(file.LastError(), ZipReader::Error::Unreadable);
}

TEST(ZipReaderTest, RefusesInconsistentDirectories) {
    ZipTestArchive zip;
    zip.AddFile("one.txt", Pattern(4000));
    zip.AddFile("two.txt", Pattern(4000));
    const std::string good = zip.Bytes();
    ZipReader reader;

    auto expect = [&](std::string bytes, ZipReader::Error error, const char* what) {
        EXPECT_FALSE(Open(reader, bytes)) << what;
        EXPECT_EQ(reader.LastError(), error) << what;
        EXPECT_TRUE(reader.Entries().empty()) << what;
    };
    std::string bytes = good;
    Set(bytes, CentralRecord(bytes, 1) + 42, 0, 4); // both entries share one local header
    expect(bytes, ZipReader::Error::Corrupt, "overlap");

    bytes = good;
    Set(bytes, CentralRecord(bytes, 1) + 20, 0x00FFFFFF, 4); // data reaching past the end
    expect(bytes, ZipReader::Error::Truncated, "long data");

    bytes = good;
    Set(bytes, bytes.size() - 22 + 10, 900, 2); // more entries than the directory holds
    Set(bytes, bytes.size() - 22 + 8, 900, 2);
    expect(bytes, ZipReader::Error::Corrupt, "count");

    bytes = good;
    Set(bytes, bytes.size() - 22 + 4, 1, 2); // a split archive
    expect(bytes, ZipReader::Error::Unsupported, "split");

    bytes = good;
    Set(bytes, bytes.size() - 22 + 16, static_cast<uint32_t>(good.size()), 4);
    expect(bytes, ZipReader::Error::Truncated, "directory offset");

    bytes = good;
    Set(bytes, CentralRecord(bytes, 0) + 28, 0xFFFF, 2); // name running past the directory
    expect(bytes, ZipReader::Error::Corrupt, "name length");

    expect("", ZipReader::Error::NotAnArchive, "empty");
    expect(std::string(5000, 'P'), ZipReader::Error::NotAnArchive, "no end record");
}

TEST(ZipReaderTest, EntryFaultsAreReportedNotWritten) {
    ZipTestArchive zip;
    zip.AddFile("text.txt", Pattern(100000));
    zip.AddFile("stored.txt", "stored", false);
    const std::string good = zip.Bytes();
    ZipReader reader;

    ASSERT_TRUE(Open(reader, good));
    EXPECT_EQ(ExtractOne(reader, 0, 99999).error, ZipReader::Error::TooLarge);
    EXPECT_EQ(reader.Extract(*reader.Entries()[0], [](const uint8_t*, size_t) { return false; }),
              ZipReader::Error::SinkFailed);

    std::string bytes = good;
    size_t central = CentralRecord(bytes, 0);
    Set(bytes, central + 16, Get(bytes, central + 16, 4) ^ 1, 4);
    ASSERT_TRUE(Open(reader, bytes));
    EXPECT_EQ(ExtractOne(reader, 0).error, ZipReader::Error::BadCrc);

    bytes = good;
    Set(bytes, central + 8, 1, 2); // encrypted
    ASSERT_TRUE(Open(reader, bytes));
    EXPECT_EQ(ExtractOne(reader, 0).error, ZipReader::Error::Unsupported);

    bytes = good;
    Set(bytes, central + 10, 12, 2); // bzip2
    ASSERT_TRUE(Open(reader, bytes));
    EXPECT_EQ(ExtractOne(reader, 0).error, ZipReader::Error::Unsupported);

    bytes = good;
    Set(bytes, central + 24, 100001, 4); // one byte more recorded than the stream holds
    ASSERT_TRUE(Open(reader, bytes));
    EXPECT_EQ(ExtractOne(reader, 0).error, ZipReader::Error::Corrupt);

    bytes = good;
    Set(bytes, central + 24, 99999, 4); // one byte less
    ASSERT_TRUE(Open(reader, bytes));
    EXPECT_EQ(ExtractOne(reader, 0).error, ZipReader::Error::Corrupt);

    bytes = good;
    size_t dataStart = 30 + 8;
    bytes[dataStart + 40] = static_cast<char>(bytes[dataStart + 40] ^ 0x5A); // damaged deflate data
    bytes[dataStart] = static_cast<char>(0xFF);
    ASSERT_TRUE(Open(reader, bytes));
    EXPECT_NE(ExtractOne(reader, 0).error, ZipReader::Error::None);

    bytes = good;
    size_t stored = CentralRecord(bytes, 1);
    Set(bytes, stored + 24, 5, 4); // a stored entry whose two sizes differ
    ASSERT_TRUE(Open(reader, bytes));
    EXPECT_EQ(ExtractOne(reader, 1).error, ZipReader::Error::Corrupt);
}

} // namespace
