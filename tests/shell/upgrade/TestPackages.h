#pragma once

#include <string>

// Signed update packages for the upgrade tests: one signing key per object, its public half
// written as "upgrade.pub", and zip archives whose program is a shell script that touches a
// marker file (so a test can tell whether it was started).
class TestPackages {
public:
    TestPackages();

    // "upgrade.pub" into a program folder (ending with "/").
    bool WritePublicKey(const std::string& programFolder) const;
    // A zip holding `programName`, a script that creates `marker`, plus a readme and `padding`
    // bytes of stored data (a package big enough to be sent in pieces).
    static std::string InstallerZip(const std::string& programName, const std::string& marker,
                                    size_t padding = 0);
    // The 64-byte detached signature of the bytes with this object's key.
    std::string Sign(const std::string& bytes) const;

private:
    unsigned char public_[32];
    unsigned char secret_[64];
};
