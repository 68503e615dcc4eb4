#include "app/shell/upgrade/ZipExtractor.h"

#include "app/shell/upgrade/ZipReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>

namespace {

constexpr size_t kMaxSegmentBytes = 255;

// Windows-1252 in 0x80..0x9F; the five holes become U+FFFD.
constexpr uint16_t kWestern[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                   0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Number of code points of valid UTF-8, or -1.
long Utf8Length(const std::string& text) {
    long count = 0;
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            code = c;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            return -1;
        }
        if (text.size() - i - 1 < extra) return -1;
        for (size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return -1;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return -1;
        i += extra + 1;
        ++count;
    }
    return count;
}

// One step of the walk below the target: never follows a link, never leaves a directory.
int OpenChild(int parent, const std::string& name) {
    return ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

std::vector<std::string> Segments(const std::string& relative) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t slash = relative.find('/', start);
        if (slash == std::string::npos) slash = relative.size();
        if (slash > start) parts.push_back(relative.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

struct Staged {
    std::string parent;    // relative folder, "" for the target itself
    std::string temporary; // name inside parent while unchecked
    std::string final;     // name inside parent
    std::string relative;  // cleaned name
    bool placed = false;
};

class Run {
public:
    Run(int root, const ZipExtractor::Limits& limits) : root_(root), limits_(limits) {}
    ~Run() {
        if (!committed_) RollBack();
    }

    // Opens (and with create, makes) the folders of relative; -1 on failure. The caller closes
    // the result unless it is the root.
    int OpenFolder(const std::string& relative, bool create) {
        int fd = root_;
        std::string path;
        for (const std::string& part : Segments(relative)) {
            path += (path.empty() ? "" : "/") + part;
            if (create) {
                if (::mkdirat(fd, part.c_str(), 0755) == 0)
                    created_.push_back(path);
                else if (errno != EEXIST)
                    return CloseAndFail(fd);
            }
            int child = OpenChild(fd, part);
            if (fd != root_) ::close(fd);
            if (child < 0) return -1;
            fd = child;
        }
        return fd;
    }

    void Release(int fd) const {
        if (fd >= 0 && fd != root_) ::close(fd);
    }

    // Writes the entry under a temporary name beside its final place.
    bool StageFile(const ZipReader& reader, const ZipReader::Entry& entry,
                   const std::string& relative, std::string& error) {
        size_t slash = relative.rfind('/');
        Staged staged;
        staged.parent = slash == std::string::npos ? "" : relative.substr(0, slash);
        staged.final = slash == std::string::npos ? relative : relative.substr(slash + 1);
        staged.relative = relative;
        int folder = OpenFolder(staged.parent, true);
        if (folder < 0) {
            error = "cannot create the folder of " + relative;
            return false;
        }
        // Keep the executable bits the archive records for Unix hosts' programs.
        mode_t mode = ((entry.externalAttributes >> 16) & 0111) ? 0755 : 0644;
        int fd = -1;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            char name[64];
            std::snprintf(name, sizeof name, ".unpack-%ld-%u.part", static_cast<long>(::getpid()),
                          counter_++);
            staged.temporary = name;
            fd = ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd < 0 && errno != EEXIST) break;
        }
        Release(folder);
        if (fd < 0) {
            error = "cannot create " + relative;
            return false;
        }
        staged_.push_back(staged);

        uint64_t produced = 0;
        bool tooMuch = false, tooDense = false, writeFailed = false;
        uint64_t ratioLimit =
            entry.compressedSize > UINT64_MAX / std::max<uint64_t>(limits_.maxRatio, 1)
                ? UINT64_MAX
                : std::max<uint64_t>(entry.compressedSize, 1) * limits_.maxRatio;
        auto sink = [&](const uint8_t* data, size_t size) {
            produced += size;
            total_ += size;
            if (total_ > limits_.maxTotalBytes) return !(tooMuch = true);
            if (entry.method != 0 && produced > limits_.ratioAllowanceBytes &&
                produced > ratioLimit)
                return !(tooDense = true);
            if (!WriteAll(fd, data, size)) return !(writeFailed = true);
            return true;
        };
        ZipReader::Error result = reader.Extract(entry, sink, limits_.maxTotalBytes);
        if (::close(fd) != 0 && result == ZipReader::Error::None) writeFailed = true;
        if (tooMuch || result == ZipReader::Error::TooLarge)
            error = "it unpacks to more than is allowed";
        else if (tooDense)
            error = relative + " is compressed too densely to be genuine";
        else if (writeFailed)
            error = "cannot write " + relative;
        else if (result != ZipReader::Error::None)
            error = std::string(ZipReader::Describe(result)) + " (" + relative + ")";
        return error.empty();
    }

    // Moves every checked file to its place; a file in the way is replaced, never followed.
    bool Commit(std::vector<std::string>& written, std::string& error) {
        for (Staged& staged : staged_) {
            int folder = OpenFolder(staged.parent, false);
            bool ok = folder >= 0 && ::renameat(folder, staged.temporary.c_str(), folder,
                                                staged.final.c_str()) == 0;
            Release(folder);
            if (!ok) {
                error = "cannot put " + staged.relative + " in place";
                return false;
            }
            staged.placed = true;
        }
        for (const Staged& staged : staged_)
            written.push_back(staged.relative);
        committed_ = true;
        return true;
    }

private:
    int CloseAndFail(int fd) {
        Release(fd);
        return -1;
    }

    void RollBack() {
        for (auto it = staged_.rbegin(); it != staged_.rend(); ++it) {
            int folder = OpenFolder(it->parent, false);
            if (folder < 0) continue;
            ::unlinkat(folder, (it->placed ? it->final : it->temporary).c_str(), 0);
            Release(folder);
        }
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            ::unlinkat(root_, it->c_str(), AT_REMOVEDIR); // only empty ones go
    }

    int root_;
    ZipExtractor::Limits limits_;
    std::vector<Staged> staged_;
    std::vector<std::string> created_;
    uint64_t total_ = 0;
    unsigned counter_ = 0;
    bool committed_ = false;
};

ZipExtractor::Result Failure(std::string reason) {
    ZipExtractor::Result result;
    result.error = "The package cannot be unpacked: " + reason + ".";
    return result;
}

} // namespace

std::string ZipExtractor::NameToUtf8(const std::string& raw) {
    if (Utf8Length(raw) >= 0) return raw;
    std::string out;
    for (char c : raw) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out += c;
        else if (byte < 0xA0)
            AppendUtf8(out, kWestern[byte - 0x80]);
        else
            AppendUtf8(out, byte);
    }
    return out;
}

std::string ZipExtractor::CleanName(const std::string& entryName) {
    long length = Utf8Length(entryName);
    if (length < 0 || static_cast<size_t>(length) > kMaxNameLength) return "";
    std::string name = entryName;
    for (;;) {
        if (name.size() >= 2 && name[1] == ':') {
            name.erase(0, 2);
            continue;
        }
        if (!name.empty() && (name[0] == '\\' || name[0] == '/')) {
            name.erase(0, 1);
            continue;
        }
        size_t step = std::string::npos;
        for (const char* pattern : {"\\..\\", "\\../", "/../", "/..\\"})
            step = std::min(step, name.find(pattern));
        if (step != std::string::npos) {
            name.erase(0, step + 4);
            continue;
        }
        break;
    }
    // What the rules leave may still climb out ("../x", "a/.."): such names are refused.
    std::replace(name.begin(), name.end(), '\\', '/');
    std::string cleaned;
    for (const std::string& part : Segments(name)) {
        if (part == ".") continue;
        if (part == ".." || part.size() > kMaxSegmentBytes) return "";
        for (char c : part)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "";
        cleaned += (cleaned.empty() ? "" : "/") + part;
    }
    return cleaned;
}

ZipExtractor::Result ZipExtractor::ExtractAll(const std::string& archivePath,
                                              const std::string& targetFolder,
                                              const Limits& limits) {
    ZipReader reader;
    if (!reader.Open(archivePath)) return Failure(ZipReader::Describe(reader.LastError()));
    if (reader.Entries().size() > limits.maxEntries) return Failure("it has too many entries");

    // Decide every name and check the recorded sizes before anything is written.
    struct Planned {
        const ZipReader::Entry* entry;
        std::string relative;
        bool folder;
    };
    Result result;
    std::vector<Planned> plan;
    std::set<std::string> names;
    uint64_t declared = 0;
    for (const auto& entry : reader.Entries()) {
        std::string relative = entry->IsSpecialFile() ? "" : CleanName(NameToUtf8(entry->name));
        bool folder = entry->IsDirectory();
        if (relative.empty() || (!folder && !names.insert(relative).second)) {
            result.skipped.push_back(entry->name);
            continue;
        }
        if (!folder) {
            if (entry->uncompressedSize >
                limits.maxTotalBytes - std::min(declared, limits.maxTotalBytes))
                return Failure("it unpacks to more than is allowed");
            declared += entry->uncompressedSize;
        }
        plan.push_back({entry.get(), relative, folder});
    }

    int root = ::open(targetFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) return Failure("the folder " + targetFolder + " cannot be opened");
    std::string error;
    {
        Run run(root, limits);
        for (const Planned& item : plan) {
            if (item.folder) {
                int fd = run.OpenFolder(item.relative, true);
                if (fd < 0) error = "cannot create the folder " + item.relative;
                run.Release(fd);
            } else {
                run.StageFile(reader, *item.entry, item.relative, error);
            }
            if (!error.empty()) break;
        }
        if (error.empty()) run.Commit(result.written, error);
    }
    ::close(root);
    if (!error.empty()) {
        Result failed = Failure(error);
        failed.skipped = std::move(result.skipped);
        return failed;
    }
    result.ok = true;
    return result;
}
