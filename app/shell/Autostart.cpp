#include "app/shell/Autostart.h"

#include "app/platform/AppFolders.h"
#include "app/platform/FileReplacer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string Autostart::EntryPath() {
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
    return base + "autostart/" + kEntryName;
}

bool Autostart::IsEnabled() {
    std::string path = EntryPath();
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Autostart::ExecLine(const std::string& executable) {
    bool quote = false;
    for (char c : executable)
        if (c == ' ' || c == '\t' || c == '"' || c == '\'' || c == '\\' || c == '>' || c == '<' ||
            c == '~' || c == '|' || c == '&' || c == ';' || c == '$' || c == '*' || c == '?' ||
            c == '#' || c == '(' || c == ')' || c == '`')
            quote = true;
    std::string out;
    if (quote) out += '"';
    for (char c : executable) {
        // Inside quotes these four take a backslash; and since the value itself is a string
        // whose own escape turns "\\" into one backslash, every backslash is written twice.
        if (quote && (c == '"' || c == '`' || c == '$')) {
            out += "\\\\";
            out += c;
        } else if (c == '\\') {
            out += quote ? "\\\\\\\\" : "\\\\";
        } else if (c == '%') {
            out += "%%"; // field codes start with %
        } else {
            out += c;
        }
    }
    if (quote) out += '"';
    return out + " -minimize";
}

std::string Autostart::EntryText(const std::string& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=ORMAN-Q410\n"
           "Exec=" +
           ExecLine(executable) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool Autostart::Enable(const std::string& executable) {
    std::string path = EntryPath();
    if (path.empty() || executable.empty()) return false;
    for (char c : executable)
        if (c == '\n' || c == '\r') return false; // would end the Exec line
    std::string folder = path.substr(0, path.rfind('/') + 1);
    if (!AppFolders::EnsureFolderExists(folder)) return false;

    std::string content = EntryText(executable);
    return FileReplacer::Replace(path, content, 0644);
}

bool Autostart::Disable() {
    std::string path = EntryPath();
    if (path.empty()) return true;
    if (::unlink(path.c_str()) == 0) return true;
    return errno == ENOENT;
}

std::string Autostart::CurrentExecutable() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}
