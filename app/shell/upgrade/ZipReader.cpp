#include "app/shell/upgrade/ZipReader.h"

#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr size_t kEndSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndSize = 56;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kMaxComment = 0xFFFF;
constexpr size_t kChunk = 64 * 1024;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Le64(const uint8_t* p) {
    return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}

// a + b <= limit without overflowing.
bool FitsWithin(uint64_t a, uint64_t b, uint64_t limit) {
    return a <= limit && b <= limit - a;
}

constexpr uint32_t kTypeMask = 0170000;
constexpr uint32_t kTypeRegular = 0100000;
constexpr uint32_t kTypeDirectory = 0040000;
constexpr uint32_t kTypeLink = 0120000;

} // namespace

bool ZipReader::Entry::IsDirectory() const {
    if (!name.empty() && (name.back() == '/' || name.back() == '\\')) return true;
    if (((externalAttributes >> 16) & kTypeMask) == kTypeDirectory) return true;
    // MS-DOS directory attribute, as Windows archivers record it.
    return (externalAttributes & 0x10) != 0 && uncompressedSize == 0;
}

bool ZipReader::Entry::IsSpecialFile() const {
    uint32_t type = (externalAttributes >> 16) & kTypeMask;
    return type != 0 && type != kTypeRegular && type != kTypeDirectory;
}

bool ZipReader::Entry::IsSymlink() const {
    return ((externalAttributes >> 16) & kTypeMask) == kTypeLink;
}

ZipReader::ZipReader() = default;

ZipReader::~ZipReader() {
    Close();
}

void ZipReader::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    buffer_.clear();
    inMemory_ = false;
    size_ = 0;
    entries_.clear();
}

bool ZipReader::Fail(Error error) {
    lastError_ = error;
    entries_.clear();
    return false;
}

bool ZipReader::Open(const std::string& path) {
    Close();
    lastError_ = Error::None;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return Fail(Error::Unreadable);
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return Fail(Error::Unreadable);
    size_ = static_cast<uint64_t>(info.st_size);
    return Load();
}

bool ZipReader::OpenBuffer(const uint8_t* data, size_t size) {
    Close();
    lastError_ = Error::None;
    if (data && size) buffer_.assign(data, data + size);
    inMemory_ = true;
    size_ = buffer_.size();
    return Load();
}

bool ZipReader::ReadAt(uint64_t offset, void* out, size_t length) const {
    if (!FitsWithin(offset, length, size_)) return false;
    if (inMemory_) {
        if (length) std::memcpy(out, buffer_.data() + offset, length);
        return true;
    }
    auto* target = static_cast<uint8_t*>(out);
    size_t done = 0;
    while (done < length) {
        ssize_t n = ::pread(fd_, target + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ZipReader::Load() {
    if (size_ < kEndSize) return Fail(Error::NotAnArchive);

    // The end record sits in the last 22 + 65535 bytes; the last one whose comment ends at the
    // end of the file wins, else the last one that fits at all.
    size_t tailLength = static_cast<size_t>(std::min<uint64_t>(size_, kEndSize + kMaxComment));
    uint64_t tailStart = size_ - tailLength;
    std::vector<uint8_t> tail(tailLength);
    if (!ReadAt(tailStart, tail.data(), tail.size())) return Fail(Error::Unreadable);
    int64_t found = -1;
    for (size_t i = tailLength - kEndSize + 1; i-- > 0;) {
        if (Le32(&tail[i]) != kEndSignature) continue;
        size_t comment = Le16(&tail[i + 20]);
        if (i + kEndSize + comment == tailLength) {
            found = static_cast<int64_t>(i);
            break;
        }
        if (found < 0 && i + kEndSize + comment <= tailLength) found = static_cast<int64_t>(i);
    }
    if (found < 0) return Fail(Error::NotAnArchive);
    const uint8_t* end = &tail[static_cast<size_t>(found)];
    uint64_t endOffset = tailStart + static_cast<uint64_t>(found);
    uint32_t disk = Le16(end + 4);
    uint32_t directoryDisk = Le16(end + 6);
    uint64_t entriesOnDisk = Le16(end + 8);
    uint64_t entryCount = Le16(end + 10);
    uint64_t directorySize = Le32(end + 12);
    uint64_t directoryOffset = Le32(end + 16);
    uint64_t directoryLimit = endOffset; // the directory ends before the record that finds it

    if (endOffset >= kZip64LocatorSize) {
        uint8_t locator[kZip64LocatorSize];
        if (ReadAt(endOffset - kZip64LocatorSize, locator, sizeof locator) &&
            Le32(locator) == kZip64LocatorSignature) {
            uint64_t zip64Offset = Le64(locator + 8);
            if (Le32(locator + 4) != 0 || Le32(locator + 16) > 1) return Fail(Error::Unsupported);
            uint8_t record[kZip64EndSize];
            if (!FitsWithin(zip64Offset, kZip64EndSize, endOffset - kZip64LocatorSize))
                return Fail(Error::Corrupt);
            if (!ReadAt(zip64Offset, record, sizeof record)) return Fail(Error::Unreadable);
            if (Le32(record) != kZip64EndSignature) return Fail(Error::Corrupt);
            disk = Le32(record + 16);
            directoryDisk = Le32(record + 20);
            entriesOnDisk = Le64(record + 24);
            entryCount = Le64(record + 32);
            directorySize = Le64(record + 40);
            directoryOffset = Le64(record + 48);
            directoryLimit = zip64Offset;
        }
    }
    if (disk != 0 || directoryDisk != 0 || entriesOnDisk != entryCount)
        return Fail(Error::Unsupported);
    if (entryCount > kMaxEntries || directorySize > kMaxDirectoryBytes)
        return Fail(Error::TooLarge);
    if (!FitsWithin(directoryOffset, directorySize, directoryLimit)) return Fail(Error::Truncated);
    if (entryCount * kCentralSize > directorySize) return Fail(Error::Corrupt);

    std::vector<uint8_t> directory(static_cast<size_t>(directorySize));
    if (!ReadAt(directoryOffset, directory.data(), directory.size()))
        return Fail(Error::Unreadable);

    size_t pos = 0;
    for (uint64_t index = 0; index < entryCount; ++index) {
        if (directory.size() - pos < kCentralSize) return Fail(Error::Corrupt);
        const uint8_t* h = &directory[pos];
        if (Le32(h) != kCentralSignature) return Fail(Error::Corrupt);
        size_t nameLength = Le16(h + 28);
        size_t extraLength = Le16(h + 30);
        size_t commentLength = Le16(h + 32);
        size_t recordLength = kCentralSize + nameLength + extraLength + commentLength;
        if (directory.size() - pos < recordLength) return Fail(Error::Corrupt);

        auto entry = std::make_unique<Entry>();
        entry->madeBy = Le16(h + 4);
        entry->flags = Le16(h + 8);
        entry->method = Le16(h + 10);
        entry->crc32 = Le32(h + 16);
        entry->compressedSize = Le32(h + 20);
        entry->uncompressedSize = Le32(h + 24);
        uint32_t startDisk = Le16(h + 34);
        entry->externalAttributes = Le32(h + 38);
        entry->localHeaderOffset = Le32(h + 42);
        entry->utf8Name = (entry->flags & 0x800) != 0;
        entry->name.assign(reinterpret_cast<const char*>(h + kCentralSize), nameLength);

        // ZIP64: the fields saturated in the fixed header follow in this order in extra 0x0001.
        bool wideUncompressed = entry->uncompressedSize == 0xFFFFFFFFu;
        bool wideCompressed = entry->compressedSize == 0xFFFFFFFFu;
        bool wideOffset = entry->localHeaderOffset == 0xFFFFFFFFu;
        bool wideDisk = startDisk == 0xFFFFu;
        const uint8_t* extra = h + kCentralSize + nameLength;
        size_t at = 0;
        while (extraLength - at >= 4) {
            uint16_t id = Le16(extra + at);
            size_t length = Le16(extra + at + 2);
            if (extraLength - at - 4 < length) break; // a short last block is ignored
            if (id == 0x0001) {
                const uint8_t* field = extra + at + 4;
                size_t left = length;
                auto take = [&](uint64_t& value) {
                    if (left < 8) return false;
                    value = Le64(field);
                    field += 8;
                    left -= 8;
                    return true;
                };
                if (wideUncompressed && !take(entry->uncompressedSize)) return Fail(Error::Corrupt);
                if (wideCompressed && !take(entry->compressedSize)) return Fail(Error::Corrupt);
                if (wideOffset && !take(entry->localHeaderOffset)) return Fail(Error::Corrupt);
                if (wideDisk) {
                    if (left < 4) return Fail(Error::Corrupt);
                    startDisk = Le32(field);
                }
                wideUncompressed = wideCompressed = wideOffset = wideDisk = false;
            }
            at += 4 + length;
        }
        if (startDisk != 0 && !wideDisk) return Fail(Error::Unsupported);

        // The entry's data must lie between its local header and the directory.
        uint8_t local[kLocalSize];
        if (!FitsWithin(entry->localHeaderOffset, kLocalSize, directoryOffset))
            return Fail(Error::Corrupt);
        if (!ReadAt(entry->localHeaderOffset, local, sizeof local)) return Fail(Error::Unreadable);
        if (Le32(local) != kLocalSignature) return Fail(Error::Corrupt);
        entry->dataOffset = entry->localHeaderOffset + kLocalSize + Le16(local + 26) +
                            static_cast<uint64_t>(Le16(local + 28));
        if (!FitsWithin(entry->dataOffset, entry->compressedSize, directoryOffset))
            return Fail(entry->dataOffset + entry->compressedSize > size_ ? Error::Truncated
                                                                          : Error::Corrupt);
        entries_.push_back(std::move(entry));
        pos += recordLength;
    }

    // Entries sharing data would let a small archive expand many times over.
    std::vector<const Entry*> byOffset;
    byOffset.reserve(entries_.size());
    for (const auto& entry : entries_)
        byOffset.push_back(entry.get());
    std::sort(byOffset.begin(), byOffset.end(), [](const Entry* a, const Entry* b) {
        return a->localHeaderOffset < b->localHeaderOffset;
    });
    for (size_t i = 1; i < byOffset.size(); ++i)
        if (byOffset[i - 1]->dataOffset + byOffset[i - 1]->compressedSize >
            byOffset[i]->localHeaderOffset)
            return Fail(Error::Corrupt);
    return true;
}

ZipReader::Error ZipReader::Extract(const Entry& entry, const Sink& sink,
                                    uint64_t maxOutput) const {
    if (entry.IsEncrypted() || (entry.method != 0 && entry.method != 8)) return Error::Unsupported;
    if (entry.uncompressedSize > maxOutput) return Error::TooLarge;
    if (!FitsWithin(entry.dataOffset, entry.compressedSize, size_)) return Error::Truncated;

    std::vector<uint8_t> input(kChunk);
    uint64_t offset = entry.dataOffset;
    uint64_t remaining = entry.compressedSize;
    uLong crc = crc32(0L, Z_NULL, 0);
    uint64_t produced = 0;

    if (entry.method == 0) {
        if (entry.compressedSize != entry.uncompressedSize) return Error::Corrupt;
        while (remaining > 0) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(remaining, kChunk));
            if (!ReadAt(offset, input.data(), n)) return Error::Unreadable;
            crc = crc32(crc, input.data(), static_cast<uInt>(n));
            if (!sink(input.data(), n)) return Error::SinkFailed;
            offset += n;
            remaining -= n;
        }
        return crc == entry.crc32 ? Error::None : Error::BadCrc;
    }

    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return Error::Corrupt;
    std::vector<uint8_t> output(kChunk);
    Error result = Error::None;
    bool finished = false;
    while (!finished && result == Error::None) {
        if (stream.avail_in == 0 && remaining > 0) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(remaining, kChunk));
            if (!ReadAt(offset, input.data(), n)) {
                result = Error::Unreadable;
                break;
            }
            offset += n;
            remaining -= n;
            stream.next_in = input.data();
            stream.avail_in = static_cast<uInt>(n);
        }
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        int status = inflate(&stream, Z_NO_FLUSH);
        size_t n = output.size() - stream.avail_out;
        if (status == Z_STREAM_END)
            finished = true;
        else if (status == Z_BUF_ERROR && n == 0 && stream.avail_in == 0 && remaining == 0)
            result = Error::Truncated; // the entry's data ended inside the deflate stream
        else if (status != Z_OK && status != Z_BUF_ERROR)
            result = Error::Corrupt;
        if (result != Error::None || n == 0) continue;
        produced += n;
        if (produced > maxOutput)
            result = Error::TooLarge;
        else if (produced > entry.uncompressedSize)
            result = Error::Corrupt;
        else {
            crc = crc32(crc, output.data(), static_cast<uInt>(n));
            if (!sink(output.data(), n)) result = Error::SinkFailed;
        }
    }
    inflateEnd(&stream);
    if (result != Error::None) return result;
    if (produced != entry.uncompressedSize) return Error::Corrupt;
    return crc == entry.crc32 ? Error::None : Error::BadCrc;
}

const char* ZipReader::Describe(Error error) {
    switch (error) {
    case Error::None:
        return "no error";
    case Error::Unreadable:
        return "the archive cannot be read";
    case Error::NotAnArchive:
        return "the file is not a zip archive";
    case Error::Truncated:
        return "the archive is truncated";
    case Error::Corrupt:
        return "the archive is damaged";
    case Error::Unsupported:
        return "the archive uses a feature this program does not read";
    case Error::TooLarge:
        return "the archive unpacks to more than is allowed";
    case Error::BadCrc:
        return "an entry of the archive fails its checksum";
    case Error::SinkFailed:
        return "an entry could not be written";
    }
    return "unknown error";
}
