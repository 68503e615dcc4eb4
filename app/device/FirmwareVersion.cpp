#include "app/device/FirmwareVersion.h"

#include <cstdio>

namespace {

// Leading decimal digits only, as the version texts are compared; saturates instead of
// overflowing on long digit runs.
long long LeadingDecimal(const std::string& text) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (value < 100000000000LL) value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

int FirmwareVersion::FromReleaseNumber(int releaseNumber) {
    if (releaseNumber < 0) return 0;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(releaseNumber));
    return static_cast<int>(LeadingDecimal(hex));
}

bool FirmwareVersion::OffersUpgrade(const std::string& versionText, int deviceVersion) {
    if (versionText.empty() || versionText.size() > 10) return false;
    return LeadingDecimal(versionText) > deviceVersion;
}
