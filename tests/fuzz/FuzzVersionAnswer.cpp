// The update server's "version" answers of any shape: taking an answer must never yield more
// than ten characters or a character that could steer a file name or an address, and the
// comparison must stay a comparison (-1, 0, 1 or 2; reflexive; antisymmetric). The input is one
// answer, or two versions separated by a newline for the comparison.
#include "app/shell/upgrade/UpgradeTasks.h"
#include "app/shell/upgrade/VersionCompare.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string taken = VersionCompare::AcceptAnswer(input);
    if (taken.size() > VersionCompare::kMaxAnswerLength) __builtin_trap();
    for (char c : taken) {
        const bool allowed = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                             (c >= 'A' && c <= 'Z') || c == '.' || c == '-' || c == '_';
        if (!allowed) __builtin_trap();
    }
    if (!taken.empty()) {
        const std::string name = UpgradeTasks::PackageName(UpgradeState::kSoftware, taken);
        if (name.find('/') != std::string::npos) __builtin_trap();
    }

    const size_t split = input.find('\n');
    const std::string a = input.substr(0, split);
    const std::string b = split == std::string::npos ? taken : input.substr(split + 1);
    const int ab = VersionCompare::Compare(a, b);
    const int ba = VersionCompare::Compare(b, a);
    if (ab < -1 || ab > 2) __builtin_trap();
    if (VersionCompare::Compare(a, a) != 0) __builtin_trap();
    if ((ab == 2) != (ba == 2)) __builtin_trap();
    if (ab != 2 && ab != -ba) __builtin_trap();
    if (VersionCompare::SoftwareOffered(a, b) != (ab == 1 || ab == 2)) __builtin_trap();
    return 0;
}
