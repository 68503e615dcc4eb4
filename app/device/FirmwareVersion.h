#pragma once

#include <string>

// The firmware version of the shown device and the test whether a downloaded firmware
// description offers a newer one.
class FirmwareVersion {
public:
    // The release number written as lower-case hex digits and read back as a decimal number,
    // stopping at the first non-digit: 0x0105 gives 105, 0x01A0 gives 1. Negative numbers give 0.
    static int FromReleaseNumber(int releaseNumber);
    // True when the description's version text has 1 to 10 characters and its decimal value
    // (read up to the first non-digit) is greater than the device's version.
    static bool OffersUpgrade(const std::string& versionText, int deviceVersion);
};
