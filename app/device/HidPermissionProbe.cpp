#include "app/device/HidPermissionProbe.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace {

constexpr size_t kMaxUeventBytes = 16384;

std::string ReadSmallFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    std::string text;
    char buffer[4096];
    while (text.size() < kMaxUeventBytes) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return text;
}

// A field of HID_ID: hex digits only, at most `digits` of them, the value within `max`.
bool HexField(const std::string& text, size_t digits, unsigned long max, unsigned long& value) {
    if (text.empty() || text.size() > digits) return false;
    value = 0;
    for (char c : text) {
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
        if (d < 0) return false;
        value = value * 16 + static_cast<unsigned long>(d);
    }
    return value <= max;
}

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

std::string HidPermissionProbe::DefaultSysfsRoot() {
    const char* root = std::getenv("PIVANE_SYSFS_ROOT");
    return root && *root ? root : "/sys";
}

std::string HidPermissionProbe::DefaultDevRoot() {
    const char* root = std::getenv("PIVANE_DEV_ROOT");
    return root && *root ? root : "/dev";
}

HidPermissionProbe::HidPermissionProbe(std::string sysfsRoot, std::string devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

void HidPermissionProbe::AddSupported(uint16_t vendorId, uint16_t productId) {
    supported_.emplace_back(vendorId, productId);
}

bool HidPermissionProbe::ParseHidId(const std::string& uevent, uint16_t& vendorId,
                                    uint16_t& productId) {
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HID_ID=", 0) != 0) continue;
        const std::string value = line.substr(7);
        const size_t first = value.find(':');
        const size_t second = first == std::string::npos ? first : value.find(':', first + 1);
        if (second == std::string::npos) return false;
        unsigned long bus = 0, vendor = 0, product = 0;
        if (!HexField(value.substr(0, first), 8, 0xFFFF, bus) ||
            !HexField(value.substr(first + 1, second - first - 1), 8, 0xFFFF, vendor) ||
            !HexField(value.substr(second + 1), 8, 0xFFFF, product))
            return false;
        vendorId = static_cast<uint16_t>(vendor);
        productId = static_cast<uint16_t>(product);
        return true;
    }
    return false;
}

std::vector<HidPermissionProbe::Blocked> HidPermissionProbe::FindBlocked() const {
    std::vector<Blocked> found;
    const std::string classFolder = sysfsRoot_ + "/class/hidraw";
    DIR* dir = opendir(classFolder.c_str());
    if (!dir) return found;
    while (dirent* item = readdir(dir)) {
        const std::string name = item->d_name;
        if (name.rfind("hidraw", 0) != 0) continue;
        uint16_t vendor = 0, product = 0;
        if (!ParseHidId(ReadSmallFile(classFolder + "/" + name + "/device/uevent"), vendor,
                        product))
            continue;
        const bool supported = std::any_of(supported_.begin(), supported_.end(), [&](auto& id) {
            return id.first == vendor && id.second == product;
        });
        if (!supported) continue;
        // The same open hidapi makes; a node that opens is hidapi's business from here on.
        const std::string node = devRoot_ + "/" + name;
        int fd = open(node.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd >= 0) {
            close(fd);
            continue;
        }
        if (errno == EACCES || errno == EPERM) found.push_back(Blocked{node, vendor, product});
    }
    closedir(dir);
    std::sort(found.begin(), found.end(),
              [](const Blocked& a, const Blocked& b) { return a.node < b.node; });
    return found;
}

std::string HidPermissionProbe::FixCommand(const std::string& pivanectl) {
    // Pasted into a shell: a path with blanks or quotes must stay one word.
    const bool plain =
        !pivanectl.empty() && std::all_of(pivanectl.begin(), pivanectl.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' ||
                   c == '_' || c == '-' || c == '+';
        });
    if (plain) return "sudo " + pivanectl + " udev-rule install";
    std::string word(1, '\'');
    for (char c : pivanectl)
        if (c == '\'')
            for (char q : {'\'', '\\', '\'', '\''})
                word.push_back(q); // close, escaped quote, reopen
        else
            word.push_back(c);
    word.push_back('\'');
    return "sudo " + word + " udev-rule install";
}

std::string HidPermissionProbe::FixCommandHere() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return FixCommand(PivanectlCommand(ec ? std::string(".") : exe.parent_path().string()));
}

std::string HidPermissionProbe::PivanectlCommand(const std::string& programDir) {
    std::string folder = programDir;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::string own = folder + "/pivanectl";
    if (const char* path = std::getenv("PATH")) {
        std::istringstream parts(path);
        std::string part;
        while (std::getline(parts, part, ':')) {
            if (part.empty()) continue;
            const std::string candidate = part + "/pivanectl";
            if (!IsFile(candidate)) continue;
            // PATH must find this very program, not some other copy.
            char* a = realpath(candidate.c_str(), nullptr);
            char* b = realpath(own.c_str(), nullptr);
            const bool same = a && b && std::string(a) == b;
            std::free(a);
            std::free(b);
            if (same) return "pivanectl";
            break;
        }
    }
    return own;
}
