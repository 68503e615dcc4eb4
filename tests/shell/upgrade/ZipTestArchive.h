#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes zip archives byte by byte, so that tests can make the shapes no well-behaved archiver
// writes: hostile names, link entries, lying sizes, wrong checksums, ZIP64 records.
class ZipTestArchive {
public:
    struct Item {
        std::string name;
        std::string data;
        bool deflate = true;
        bool descriptor = false;     // sizes and CRC after the data, zeros in the local header
        bool zip64 = false;          // sizes and offset in the ZIP64 extra field
        uint32_t unixMode = 0100644; // 0 records an MS-DOS host
        int64_t recordedSize = -1;   // overrides the uncompressed size in the directory
        int64_t recordedCompressed = -1;
        int64_t recordedCrc = -1;
    };

    void Add(const Item& item) { items_.push_back(item); }
    void AddFile(const std::string& name, const std::string& data, bool deflate = true);
    void AddSymlink(const std::string& name, const std::string& target);
    void AddFolder(const std::string& name);

    // zip64End writes the ZIP64 end record and its locator before the classic one.
    std::string Bytes(bool zip64End = false) const;
    bool Write(const std::string& path, bool zip64End = false) const;

private:
    std::vector<Item> items_;
};
