#include "ZipTestArchive.h"

#include <zlib.h>

#include <fstream>

namespace {

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

std::string RawDeflate(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, data.size()) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace

void ZipTestArchive::AddFile(const std::string& name, const std::string& data, bool deflate) {
    Item item;
    item.name = name;
    item.data = data;
    item.deflate = deflate;
    Add(item);
}

void ZipTestArchive::AddSymlink(const std::string& name, const std::string& target) {
    Item item;
    item.name = name;
    item.data = target;
    item.deflate = false;
    item.unixMode = 0120777;
    Add(item);
}

void ZipTestArchive::AddFolder(const std::string& name) {
    Item item;
    item.name = name;
    item.deflate = false;
    item.unixMode = 040755;
    Add(item);
}

std::string ZipTestArchive::Bytes(bool zip64End) const {
    std::string out, directory;
    for (const Item& item : items_) {
        std::string body = item.deflate ? RawDeflate(item.data) : item.data;
        uint32_t crc =
            static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(item.data.data()),
                                        static_cast<uInt>(item.data.size())));
        uint64_t size =
            item.recordedSize >= 0 ? static_cast<uint64_t>(item.recordedSize) : item.data.size();
        uint64_t compressed = item.recordedCompressed >= 0
                                  ? static_cast<uint64_t>(item.recordedCompressed)
                                  : body.size();
        if (item.recordedCrc >= 0) crc = static_cast<uint32_t>(item.recordedCrc);
        uint16_t flags = static_cast<uint16_t>(item.descriptor ? 0x8 : 0);
        uint16_t method = item.deflate ? 8 : 0;
        uint64_t offset = out.size();

        std::string localExtra;
        if (item.zip64) {
            Put16(localExtra, 1);
            Put16(localExtra, 16);
            Put64(localExtra, item.descriptor ? 0 : size);
            Put64(localExtra, item.descriptor ? 0 : compressed);
        }
        Put32(out, 0x04034b50);
        Put16(out, item.zip64 ? 45 : 20);
        Put16(out, flags);
        Put16(out, method);
        Put32(out, 0); // time and date
        Put32(out, item.descriptor ? 0 : crc);
        Put32(out, item.descriptor ? 0
                   : item.zip64    ? 0xFFFFFFFFu
                                   : static_cast<uint32_t>(compressed));
        Put32(out, item.descriptor ? 0 : item.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(size));
        Put16(out, static_cast<uint32_t>(item.name.size()));
        Put16(out, static_cast<uint32_t>(localExtra.size()));
        out += item.name + localExtra + body;
        if (item.descriptor) {
            Put32(out, 0x08074b50);
            Put32(out, crc);
            if (item.zip64) {
                Put64(out, compressed);
                Put64(out, size);
            } else {
                Put32(out, static_cast<uint32_t>(compressed));
                Put32(out, static_cast<uint32_t>(size));
            }
        }

        std::string extra;
        if (item.zip64) {
            Put16(extra, 1);
            Put16(extra, 24);
            Put64(extra, size);
            Put64(extra, compressed);
            Put64(extra, offset);
        }
        Put32(directory, 0x02014b50);
        Put16(directory, (item.unixMode ? 3u << 8 : 0u) | 45);
        Put16(directory, item.zip64 ? 45 : 20);
        Put16(directory, flags);
        Put16(directory, method);
        Put32(directory, 0);
        Put32(directory, crc);
        Put32(directory, item.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(compressed));
        Put32(directory, item.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(size));
        Put16(directory, static_cast<uint32_t>(item.name.size()));
        Put16(directory, static_cast<uint32_t>(extra.size()));
        Put16(directory, 0); // comment
        Put16(directory, 0); // disk
        Put16(directory, 0); // internal attributes
        Put32(directory, item.unixMode << 16);
        Put32(directory, item.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(offset));
        directory += item.name + extra;
    }
    uint64_t directoryOffset = out.size();
    out += directory;
    if (zip64End) {
        uint64_t recordOffset = out.size();
        Put32(out, 0x06064b50);
        Put64(out, 44);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, 0);
        Put32(out, 0);
        Put64(out, items_.size());
        Put64(out, items_.size());
        Put64(out, directory.size());
        Put64(out, directoryOffset);
        Put32(out, 0x07064b50);
        Put32(out, 0);
        Put64(out, recordOffset);
        Put32(out, 1);
    }
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, zip64End ? 0xFFFF : static_cast<uint32_t>(items_.size()));
    Put16(out, zip64End ? 0xFFFF : static_cast<uint32_t>(items_.size()));
    Put32(out, zip64End ? 0xFFFFFFFFu : static_cast<uint32_t>(directory.size()));
    Put32(out, zip64End ? 0xFFFFFFFFu : static_cast<uint32_t>(directoryOffset));
    Put16(out, 0);
    return out;
}

bool ZipTestArchive::Write(const std::string& path, bool zip64End) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::string bytes = Bytes(zip64End);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
