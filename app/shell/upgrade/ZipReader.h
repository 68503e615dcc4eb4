#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Reads zip archives of update packages: the central directory (with ZIP64 sizes and offsets),
// stored and deflated entries, entries whose sizes follow in a data descriptor. Everything read
// from the archive is treated as hostile: every offset and length is checked against the file
// before use, entries whose data overlap another's are refused, and an entry's output is checked
// against its recorded size and CRC-32. Failures come back as an Error, never as an exception.
class ZipReader {
public:
    enum class Error {
        None,
        Unreadable,   // the file cannot be opened or read
        NotAnArchive, // no end-of-central-directory record
        Truncated,    // a record or an entry's data reaches past the end of the file
        Corrupt,      // inconsistent records, overlapping entries, bad deflate data
        Unsupported,  // split archives, encryption, compression methods other than 0 and 8
        TooLarge,     // more output than the caller allows
        BadCrc,       // the output does not match the recorded CRC-32
        SinkFailed,   // the caller's sink refused the data
    };

    struct Entry {
        std::string name; // bytes as stored in the central directory, not cleaned
        bool utf8Name = false;
        uint16_t method = 0; // 0 stored, 8 deflated
        uint16_t flags = 0;
        uint32_t crc32 = 0;
        uint64_t compressedSize = 0;
        uint64_t uncompressedSize = 0;
        uint64_t localHeaderOffset = 0;
        uint64_t dataOffset = 0; // first byte of the entry's data in the archive
        uint16_t madeBy = 0;
        uint32_t externalAttributes = 0;

        bool IsDirectory() const;
        // Symbolic links, devices, pipes and sockets as recorded by Unix archivers.
        bool IsSpecialFile() const;
        bool IsSymlink() const;
        bool IsEncrypted() const { return (flags & 1) != 0; }
    };

    // Receives an entry's output in pieces; returning false stops the extraction.
    using Sink = std::function<bool(const uint8_t* data, size_t size)>;

    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Reads the directory of the archive at path; false with LastError() on failure.
    bool Open(const std::string& path);
    // The same over bytes in memory (copied).
    bool OpenBuffer(const uint8_t* data, size_t size);
    void Close();

    Error LastError() const { return lastError_; }
    uint64_t ArchiveSize() const { return size_; }
    const std::vector<std::unique_ptr<Entry>>& Entries() const { return entries_; }

    // Streams the entry's output to sink. Output beyond maxOutput bytes, beyond the recorded
    // size or with a wrong CRC-32 is an error; the sink may already have received part of it.
    Error Extract(const Entry& entry, const Sink& sink, uint64_t maxOutput = UINT64_MAX) const;

    static const char* Describe(Error error);

    // Limits on the directory itself, so that a crafted count cannot exhaust memory.
    static constexpr uint64_t kMaxEntries = 65535;
    static constexpr uint64_t kMaxDirectoryBytes = 64u << 20;

private:
    bool ReadAt(uint64_t offset, void* out, size_t length) const;
    bool Load();
    bool Fail(Error error);

    int fd_ = -1;
    std::vector<uint8_t> buffer_;
    bool inMemory_ = false;
    uint64_t size_ = 0;
    Error lastError_ = Error::None;
    std::vector<std::unique_ptr<Entry>> entries_;
};
