#pragma once

#include <cstddef>
#include <string>

// Checks that a downloaded package was signed by us before anything of it is unpacked or run:
// "<package>.sig" holds the 64-byte detached Ed25519 signature of the whole archive (raw bytes),
// the program folder's "upgrade.pub" the 32-byte public key as one line of base64.
// tools/sign-package makes keys and signatures for tests and releases:
//   sign-package KEYGEN <secret-out> <pub-out>       (both base64, one line)
//   sign-package SIGN <secret> <archive> <sig-out>   (64 raw bytes)
// Its CMake target is "sign-package" (<build>/tools/sign-package/sign-package; in CMake
// $<TARGET_FILE:sign-package>).
class PackageSignature {
public:
    enum class Status { Ok, NoPublicKey, BadPublicKey, NoSignature, BadSignature, Unreadable };

    static Status Verify(const std::string& archivePath, const std::string& signaturePath,
                         const std::string& publicKeyFile);

    // A short English sentence for the configuration page.
    static const char* Describe(Status status);

    // Reads a one-line base64 key of exactly `length` bytes; false when missing or garbled.
    static bool ReadBase64Key(const std::string& path, unsigned char* key, size_t length);
};
