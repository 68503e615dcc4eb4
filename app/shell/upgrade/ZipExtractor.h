#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Unpacks an update package into a folder without ever writing outside it.
// Names are cleaned first (drive prefix, leading separators and everything up to a ".." step are
// removed, backslashes become separators); a name that is still empty, absolute, has a ".."
// segment, a control character or more than 260 characters is refused, and so are entries that
// are symbolic links or other special files: those are skipped and listed. Files are created
// below the target folder, opened once, through openat() with O_NOFOLLOW on every step, and are
// first written under temporary names; only when every entry has been read and checked (sizes,
// CRC-32, total size and compression ratio) are they renamed into place. On any failure the
// folder is left as it was: temporary files and the folders this run created are removed.
class ZipExtractor {
public:
    struct Limits {
        // Output of all entries together.
        uint64_t maxTotalBytes = 1ull << 30;
        // Output per compressed byte of one entry, checked once the entry has produced more
        // than ratioAllowanceBytes (small, very compressible files are normal).
        uint64_t maxRatio = 200;
        uint64_t ratioAllowanceBytes = 1u << 20;
        uint64_t maxEntries = 10000;
    };

    struct Result {
        bool ok = false;
        std::string error;                // short English sentence when !ok
        std::vector<std::string> written; // cleaned relative names of the files written
        std::vector<std::string> skipped; // names as stored of entries refused or skipped
    };

    static Result ExtractAll(const std::string& archivePath, const std::string& targetFolder,
                             const Limits& limits);
    static Result ExtractAll(const std::string& archivePath, const std::string& targetFolder) {
        return ExtractAll(archivePath, targetFolder, Limits());
    }

    // The cleaned relative name ("dir/file.exe", no trailing separator) of an entry name
    // already converted to UTF-8; "" when the name is refused.
    static std::string CleanName(const std::string& entryName);

    // The name of an entry as UTF-8: kept when it is valid UTF-8, otherwise read as the
    // Windows Western code page (1252), which is what most Windows archivers write.
    static std::string NameToUtf8(const std::string& raw);

    static constexpr size_t kMaxNameLength = 260;
};
