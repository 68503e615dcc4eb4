// Archives of any shape: reading the directory and inflating every entry must neither crash nor
// read out of bounds, and a cleaned entry name must never be able to leave its folder.
#include "app/shell/upgrade/ZipExtractor.h"
#include "app/shell/upgrade/ZipReader.h"

#include <cstdint>
#include <string>

namespace {

void CheckName(const std::string& raw) {
    std::string cleaned = ZipExtractor::CleanName(ZipExtractor::NameToUtf8(raw));
    if (cleaned.empty()) return;
    if (cleaned.front() == '/' || cleaned.back() == '/' ||
        cleaned.find('\\') != std::string::npos || cleaned.find("//") != std::string::npos ||
        cleaned.find('\0') != std::string::npos)
        __builtin_trap();
    std::string wrapped = "/" + cleaned + "/";
    if (wrapped.find("/../") != std::string::npos || wrapped.find("/./") != std::string::npos)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ZipReader reader;
    if (!reader.OpenBuffer(data, size)) {
        if (!reader.Entries().empty()) __builtin_trap();
        CheckName(std::string(reinterpret_cast<const char*>(data), size));
        return 0;
    }
    for (const auto& entry : reader.Entries()) {
        CheckName(entry->name);
        uint64_t produced = 0;
        ZipReader::Error error = reader.Extract(
            *entry,
            [&](const uint8_t*, size_t n) {
                produced += n;
                return true;
            },
            1u << 20);
        if (produced > entry->uncompressedSize || produced > (1u << 20)) __builtin_trap();
        if (error == ZipReader::Error::None && produced != entry->uncompressedSize)
            __builtin_trap();
    }
    return 0;
}
