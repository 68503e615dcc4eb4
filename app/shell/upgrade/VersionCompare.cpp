#include "app/shell/upgrade/VersionCompare.h"

#include <vector>

namespace {

std::vector<std::string> Parts(const std::string& version) {
    std::vector<std::string> parts(1);
    for (char c : version) {
        if (c == '.')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsNameCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
           c == '-' || c == '_';
}

} // namespace

long long VersionCompare::LeadingNumber(const std::string& text) {
    constexpr long long kCap = 1000000000000LL;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (value < kCap) value = value * 10 + (c - '0');
    }
    return value;
}

int VersionCompare::Compare(const std::string& a, const std::string& b) {
    const std::vector<std::string> left = Parts(a);
    const std::vector<std::string> right = Parts(b);
    if (left.size() != right.size()) return 2;
    for (size_t i = 0; i < left.size(); ++i) {
        const long long x = LeadingNumber(left[i]);
        const long long y = LeadingNumber(right[i]);
        if (x > y) return -1;
        if (x < y) return 1;
    }
    return 0;
}

std::string VersionCompare::AcceptAnswer(const std::string& answer) {
    size_t begin = 0;
    size_t end = answer.size();
    while (begin < end && IsSpace(answer[begin]))
        ++begin;
    while (end > begin && IsSpace(answer[end - 1]))
        --end;
    if (end == begin || end - begin > kMaxAnswerLength) return {};
    for (size_t i = begin; i < end; ++i)
        if (!IsNameCharacter(answer[i])) return {};
    return answer.substr(begin, end - begin);
}

bool VersionCompare::SoftwareOffered(const std::string& installed, const std::string& latest) {
    const int result = Compare(installed, latest);
    return result == 1 || result == 2;
}
