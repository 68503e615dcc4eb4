#include "app/platform/ProgramRegistry.h"

#include "app/platform/FileReplacer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/platform/AppFolders.h"

namespace {

constexpr const char* kSection = "[ORMAN-QV7]";

enum class KeyState { Opened, Created, CreateFailed, OpenFailed };

// Opens the key with read and write access, creating it (empty) when asked and missing.
KeyState OpenKey(bool createMissing) {
    std::string file = ProgramRegistry::KeyFile();
    if (file.empty()) return KeyState::OpenFailed;
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return KeyState::OpenFailed;
        if (!createMissing) return KeyState::OpenFailed;
        if (!AppFolders::EnsureFolderExists(ProgramRegistry::KeyFolder()))
            return KeyState::CreateFailed;
        int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return errno == EEXIST ? KeyState::Opened : KeyState::CreateFailed;
        bool ok = ::write(fd, kSection, std::char_traits<char>::length(kSection)) >= 0 &&
                  ::write(fd, "\n", 1) == 1;
        ::close(fd);
        return ok ? KeyState::Created : KeyState::CreateFailed;
    }
    if (!S_ISREG(st.st_mode) || access(file.c_str(), R_OK | W_OK) != 0) return KeyState::OpenFailed;
    // The program writes two short values; a file past the cap is not its key, and reading it
    // on every start would cost seconds and its whole size in memory.
    if (static_cast<uintmax_t>(st.st_size) > ProgramRegistry::kMaxKeyFileSize)
        return KeyState::OpenFailed;
    return KeyState::Opened;
}

std::vector<std::string> ReadLines(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The value's text when line sets it.
bool ValueOfLine(const std::string& line, const std::string& name, std::string& out) {
    auto eq = line.find('=');
    if (eq == std::string::npos || line.empty() || line[0] == '[') return false;
    // Value names compare without regard to case, as the program's key always did.
    if (eq == name.size() && strncasecmp(line.c_str(), name.c_str(), eq) == 0) {
        out = line.substr(eq + 1);
        return true;
    }
    return false;
}

size_t CodePoints(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// Leading blanks, an optional sign and decimal digits; anything else ends the number.
int DecimalValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int ReadValue(const std::string& name) {
    // Line by line: only the line being looked at is held.
    std::ifstream in(ProgramRegistry::KeyFile(), std::ios::binary);
    std::string line;
    std::string text;
    bool found = false;
    while (!found && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        found = ValueOfLine(line, name, text);
    }
    if (!found) return 0;
    // The value was read into room for 127 wide characters and its terminator; longer values
    // never fitted and read as nothing.
    if ((CodePoints(text) + 1) * 2 > 255) return 0;
    return DecimalValue(text);
}

bool ValidText(const std::string& text) {
    for (char c : text)
        if (c == '\n' || c == '\r' || c == '\0') return false;
    return true;
}

} // namespace

std::string ProgramRegistry::KeyFolder() {
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) return {};
        base = std::string(home) + "/.config";
    }
    if (base.back() != '/') base += '/';
    return base + "ORMAN-QV7/";
}

std::string ProgramRegistry::KeyFile() {
    std::string folder = KeyFolder();
    return folder.empty() ? folder : folder + "registry.ini";
}

int ProgramRegistry::ReadProgramRegistryValue(const std::string& name) {
    switch (OpenKey(true)) {
    case KeyState::Opened:
        return ReadValue(name);
    default:
        return 0;
    }
}

bool ProgramRegistry::WriteProgramRegistryValue(const std::string& name, const std::string& text) {
    if (name.empty() || !ValidText(name) || name.find('=') != std::string::npos || name[0] == '[' ||
        !ValidText(text))
        return false;
    if (OpenKey(false) != KeyState::Opened) return false;

    std::string file = KeyFile();
    std::vector<std::string> lines = ReadLines(file);
    bool replaced = false;
    for (auto& line : lines) {
        auto eq = line.find('=');
        if (eq == std::string::npos || line.empty() || line[0] == '[') continue;
        if (eq == name.size() && strncasecmp(line.c_str(), name.c_str(), eq) == 0) {
            line = name + "=" + text;
            replaced = true;
            break;
        }
    }
    if (lines.empty() || lines[0] != kSection) lines.insert(lines.begin(), kSection);
    if (!replaced) lines.push_back(name + "=" + text);
    std::string content;
    for (const auto& line : lines)
        content += line + "\n";

    return FileReplacer::Replace(file, content, 0600);
}

int ProgramRegistry::ReadLanguageId() {
    switch (OpenKey(true)) {
    case KeyState::Opened:
        return ReadValue(kLanguageValue);
    case KeyState::Created:
        return 0;
    default:
        return kDefaultLanguageId;
    }
}

bool ProgramRegistry::WriteLanguageId(int id) {
    return WriteProgramRegistryValue(kLanguageValue, std::to_string(id));
}
