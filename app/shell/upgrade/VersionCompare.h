#pragma once

#include <string>

// The update server's "version" answers and how they compare with what is installed.
class VersionCompare {
public:
    // Longest answer the server may give; anything longer is not a version.
    static constexpr size_t kMaxAnswerLength = 10;

    // Two dotted versions: 2 when their numbers of parts differ, else the first differing part
    // (read as a decimal number) decides: -1 when A's is larger, 1 when it is smaller; 0 equal.
    static int Compare(const std::string& a, const std::string& b);

    // The answer as the checks use it: surrounding white space (a file's line end) removed.
    // Empty when what remains is empty, longer than kMaxAnswerLength, or holds anything but
    // letters, digits, '.', '-' and '_': it becomes part of file names and addresses, so a
    // separator or a control character must never get through.
    static std::string AcceptAnswer(const std::string& answer);

    // Whether the server's software version is to be fetched: Compare gives 1 or 2.
    static bool SoftwareOffered(const std::string& installed, const std::string& latest);

    // A part or answer read as a decimal number: its leading digits only (none give 0), large
    // values saturate instead of overflowing.
    static long long LeadingNumber(const std::string& text);
};
