#include "tests/shell/upgrade/TestPackages.h"

#include "tests/shell/upgrade/ZipTestArchive.h"

#include <sodium.h>

#include <fstream>

TestPackages::TestPackages() {
    if (sodium_init() < 0) return;
    crypto_sign_keypair(public_, secret_);
}

bool TestPackages::WritePublicKey(const std::string& programFolder) const {
    std::string text(sodium_base64_encoded_len(sizeof public_, sodium_base64_VARIANT_ORIGINAL),
                     '\0');
    sodium_bin2base64(text.data(), text.size(), public_, sizeof public_,
                      sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);
    std::ofstream out(programFolder + "upgrade.pub", std::ios::trunc);
    out << text << "\n";
    return static_cast<bool>(out);
}

std::string TestPackages::InstallerZip(const std::string& programName, const std::string& marker,
                                       size_t padding) {
    ZipTestArchive zip;
    zip.AddFile("readme.txt", "An installer for the tests.\n");
    if (padding > 0) {
        std::string data(padding, '\0');
        for (size_t i = 0; i < padding; ++i)
            data[i] = static_cast<char>((i * 7919) >> 3);
        zip.AddFile("payload.bin", data, false);
    }
    // Stored without the executable bit, as Windows archivers write it.
    ZipTestArchive::Item program;
    program.name = programName;
    program.data = "#!/bin/sh\necho started > '" + marker + "'\n";
    program.unixMode = 0100644;
    zip.Add(program);
    return zip.Bytes();
}

std::string TestPackages::Sign(const std::string& bytes) const {
    unsigned char signature[crypto_sign_BYTES];
    crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(bytes.data()),
                         bytes.size(), secret_);
    return std::string(reinterpret_cast<const char*>(signature), sizeof signature);
}
