#pragma once

#include <string>

// What the configuration page shows of the upgrades: versions, whether newer ones exist, the
// running download and how the last attempt ended. Plain data, copied between threads.
struct UpgradeState {
    enum Kind { kNone = -1, kSoftware = 0, kFirmware = 1 };
    // How the last download or hand-off ended; kNothing while none has ended.
    enum Outcome {
        kNothing,
        kStarted,        // the installer or tool runs; the program ends
        kCancelled,      // the person cancelled the download
        kDownloadFailed, // network, server or disk (detail says which)
        kNotHttps,       // the address is not https: nothing requested
        kNoPublicKey,    // "upgrade.pub" missing or garbled: nothing can be trusted
        kNoSignature,    // the server has no "<package>.sig"
        kBadSignature,   // the archive is not the one that was signed
        kUnpackFailed,   // detail says why
        kProgramMissing, // the package holds no program of the expected name
        kStartFailed,    // the program could not be started
    };

    std::string installedVersion; // the software's own version
    std::string latestSoftware;   // the server's answer, "" before a good one
    bool softwareNewer = false;
    int deviceFirmware = -1; // the shown device's version as compared (0x0105 is 105), -1 unknown
    std::string latestFirmware;
    bool firmwareNewer = false;
    int downloading = kNone; // which package is being fetched
    int outcomeKind = kNone; // which one the outcome belongs to
    Outcome outcome = kNothing;
    std::string detail; // English detail of a failure ("the server answered 404")
};
