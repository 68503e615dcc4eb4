#include "sim/EmulatedKeyboardStateFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ParseHex(const std::string& text, std::vector<uint8_t>& out) {
    if (text.size() % 2) return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int value = 0;
        for (size_t j = i; j < i + 2; ++j) {
            char c = text[j];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                               : -1;
            if (digit < 0) return false;
            value = value * 16 + digit;
        }
        out.push_back(static_cast<uint8_t>(value));
    }
    return true;
}

bool InByteRange(int value) {
    return value >= 0 && value <= 255;
}

} // namespace

std::string EmulatedKeyboardStateFile::Format(const Contents& c) {
    std::ostringstream out;
    const EmulatedKeyboard::State& s = c.state;
    out << kHeader << '\n';
    out << "family " << EmulatedKeyboard::FamilyName(c.family) << '\n';
    out << "plugged " << c.plugged << '\n';
    out << "elapsed " << c.elapsedMs << '\n';
    out << "counts " << s.keyTables << ' ' << s.keyLightTables << ' ' << s.macroDownloads << ' '
        << s.recordsDropped << ' ' << s.factoryResets << ' ' << s.lastResetPauseMs << ' '
        << s.unknownReports << '\n';
    if (s.lighting.set)
        out << "lighting " << s.lighting.effect << ' ' << s.lighting.brightness << ' '
            << s.lighting.speed << ' ' << s.lighting.colourIndex << ' ' << s.lighting.direction
            << '\n';
    for (const auto& [key, value] : s.keyFunctions)
        out << "key " << key << ' ' << value << '\n';
    for (const auto& [key, lit] : s.keyLights)
        out << "lit " << key << ' ' << lit << '\n';
    for (const auto& [key, record] : s.macroRecords)
        out << "record " << key << ' ' << CommandFrame::ToHex(record.data(), record.size()) << '\n';
    for (const auto& table : c.remapTables) {
        out << "remap";
        for (int key : table)
            out << ' ' << key;
        out << '\n';
    }
    for (const auto& entry : c.log)
        out << "report " << entry.timeMs << ' ' << entry.feature << ' ' << entry.command << ' '
            << CommandFrame::ToHex(entry.bytes.data(), entry.bytes.size()) << '\n';
    return out.str();
}

bool EmulatedKeyboardStateFile::Parse(const std::string& text, EmulatedKeyboard::Family family,
                                      Contents& contents) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader) return false;
    Contents c;
    c.family = family;
    bool familySeen = false;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string word;
        in >> word;
        if (word == "family") {
            std::string name;
            in >> name;
            if (name != EmulatedKeyboard::FamilyName(family)) return false;
            familySeen = true;
        } else if (word == "plugged") {
            int plugged = 0;
            if (in >> plugged) c.plugged = plugged != 0;
        } else if (word == "elapsed") {
            int64_t value = 0;
            if (in >> value && value >= 0) c.elapsedMs = value;
        } else if (word == "counts") {
            EmulatedKeyboard::State& s = c.state;
            int a = 0, b = 0, d = 0, e = 0, f = 0, h = 0;
            int64_t pause = -1;
            if (in >> a >> b >> d >> e >> f >> pause >> h) {
                s.keyTables = a;
                s.keyLightTables = b;
                s.macroDownloads = d;
                s.recordsDropped = e;
                s.factoryResets = f;
                s.lastResetPauseMs = pause;
                s.unknownReports = h;
            }
        } else if (word == "lighting") {
            EmulatedKeyboard::Lighting l;
            if (in >> l.effect >> l.brightness >> l.speed >> l.colourIndex >> l.direction &&
                InByteRange(l.effect) && InByteRange(l.brightness) && InByteRange(l.speed) &&
                InByteRange(l.colourIndex) && InByteRange(l.direction)) {
                l.set = true;
                c.state.lighting = l;
            }
        } else if (word == "key") {
            int key = 0, value = 0;
            if (in >> key >> value && InByteRange(key) && InByteRange(value))
                c.state.keyFunctions[key] = value;
        } else if (word == "lit") {
            int key = 0, lit = 0;
            if (in >> key >> lit && InByteRange(key)) c.state.keyLights[key] = lit != 0;
        } else if (word == "record") {
            int key = 0;
            std::string hex;
            std::vector<uint8_t> bytes;
            if (in >> key >> hex && InByteRange(key) && ParseHex(hex, bytes) &&
                bytes.size() == EmulatedKeyboardDecoder::kRecordSize)
                c.state.macroRecords[key] = bytes;
        } else if (word == "remap") {
            std::vector<int> table;
            int key = 0;
            bool ok = true;
            while (in >> key) {
                ok = ok && key >= 0 && key <= 0xFFFF; // the filter's key codes are 16 bits
                table.push_back(key);
            }
            if (ok && in.eof()) {
                c.remapTables.push_back(std::move(table));
                if (c.remapTables.size() > EmulatedKeyboard::kMaxRemapTables)
                    c.remapTables.erase(c.remapTables.begin());
            }
        } else if (word == "report") {
            EmulatedKeyboard::LoggedReport entry;
            int feature = 0, command = 0;
            std::string hex;
            std::vector<uint8_t> bytes;
            if (in >> entry.timeMs >> feature >> command >> hex && ParseHex(hex, bytes) &&
                bytes.size() == entry.bytes.size()) {
                entry.feature = feature != 0;
                entry.command = command != 0;
                std::copy(bytes.begin(), bytes.end(), entry.bytes.begin());
                c.log.push_back(entry);
            }
        }
    }
    if (!familySeen) return false;
    contents = std::move(c);
    return true;
}

bool EmulatedKeyboardStateFile::Write(const std::string& path, const std::string& text) {
    struct stat st;
    bool exists = stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return false;
    if (!exists && lstat(path.c_str(), &st) == 0) return false;
    std::string target = path;
    if (exists) {
        char* real = realpath(path.c_str(), nullptr);
        if (!real) return false;
        target = real;
        std::free(real);
    }
    static std::atomic<int> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(++serial);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool EmulatedKeyboardStateFile::Read(const std::string& path, std::string& text) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSize) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    text.assign(static_cast<size_t>(st.st_size), '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    return true;
}
