#include "app/platform/KeptScrollLines.h"

#include "app/platform/AppFolders.h"
#include "app/platform/FileReplacer.h"
#include "app/platform/PointerSettings.h"

#include <charconv>
#include <fstream>

namespace {

constexpr std::string_view kName = "wheel_scroll_lines=";

} // namespace

KeptScrollLines::KeptScrollLines(std::string path) : path_(std::move(path)) {
    if (path_.empty()) return;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, kName.size(), kName) != 0) continue;
        const char* first = line.data() + kName.size();
        const char* last = line.data() + line.size();
        int value = 0;
        const auto [end, error] = std::from_chars(first, last, value);
        // Anything but a whole number in range is a damaged file: the default stands.
        if (error == std::errc() && end == last && first != last &&
            (value == PointerSettings::kPageScroll ||
             (value >= 0 && value <= PointerSettings::kMaxScrollLines)))
            lines_ = value;
        break;
    }
}

bool KeptScrollLines::SetLines(int lines) {
    lines_ = lines;
    if (path_.empty()) return true;
    const auto slash = path_.rfind('/');
    if (slash != std::string::npos && !AppFolders::EnsureFolderExists(path_.substr(0, slash + 1)))
        return false;
    return FileReplacer::Replace(path_, std::string(kName) + std::to_string(lines) + "\n", 0600);
}
