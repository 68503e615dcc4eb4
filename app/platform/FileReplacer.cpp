#include "app/platform/FileReplacer.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

bool FileReplacer::Replace(const std::string& path, const std::string& content, mode_t mode) {
    std::string temp = path + ".XXXXXX";
    std::vector<char> pattern(temp.begin(), temp.end());
    pattern.push_back('\0');
    int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    fchmod(fd, mode);
    const char* at = content.data();
    size_t left = content.size();
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, at, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        at += n;
        left -= static_cast<size_t>(n);
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(pattern.data(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(pattern.data());
    return ok;
}
