#include "app/shell/upgrade/PackageSignature.h"

#include <sodium.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <vector>

namespace {

// A key file is one short line; anything much longer is not ours.
constexpr off_t kMaxKeyFileBytes = 4096;

bool ReadSmallFile(const std::string& path, std::vector<unsigned char>& bytes, off_t limit) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= limit;
    if (ok) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (ok && done < bytes.size()) {
            ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                ok = false;
            else
                done += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    return ok;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Verifies over a read-only mapping so that a large package is not copied into memory.
PackageSignature::Status VerifyArchive(const std::string& archivePath,
                                       const unsigned char* signature, const unsigned char* key) {
    int fd = ::open(archivePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return PackageSignature::Status::Unreadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return PackageSignature::Status::Unreadable;
    }
    size_t size = static_cast<size_t>(info.st_size);
    const unsigned char* data = nullptr;
    void* mapping = MAP_FAILED;
    if (size > 0) {
        mapping = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapping == MAP_FAILED) {
            ::close(fd);
            return PackageSignature::Status::Unreadable;
        }
        data = static_cast<const unsigned char*>(mapping);
    }
    static const unsigned char kEmpty = 0;
    int result = crypto_sign_verify_detached(signature, data ? data : &kEmpty, size, key);
    if (mapping != MAP_FAILED) ::munmap(mapping, size);
    ::close(fd);
    return result == 0 ? PackageSignature::Status::Ok : PackageSignature::Status::BadSignature;
}

} // namespace

bool PackageSignature::ReadBase64Key(const std::string& path, unsigned char* key, size_t length) {
    std::vector<unsigned char> text;
    if (!ReadSmallFile(path, text, kMaxKeyFileBytes)) return false;
    // One line: whatever follows the first line break (but blanks) makes the file garbled.
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' ' ||
                       text[end - 1] == '\t'))
        --end;
    size_t begin = 0;
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    if (begin == end) return false;
    std::vector<unsigned char> decoded(length + 1);
    size_t decodedLength = 0;
    const char* stop = nullptr;
    if (sodium_base642bin(decoded.data(), decoded.size(),
                          reinterpret_cast<const char*>(text.data() + begin), end - begin, nullptr,
                          &decodedLength, &stop, sodium_base64_VARIANT_ORIGINAL) != 0)
        return false;
    if (stop != reinterpret_cast<const char*>(text.data() + end) || decodedLength != length)
        return false;
    std::copy(decoded.begin(), decoded.begin() + static_cast<std::ptrdiff_t>(length), key);
    return true;
}

PackageSignature::Status PackageSignature::Verify(const std::string& archivePath,
                                                  const std::string& signaturePath,
                                                  const std::string& publicKeyFile) {
    if (sodium_init() < 0) return Status::Unreadable;
    if (!FileExists(publicKeyFile)) return Status::NoPublicKey;
    unsigned char key[crypto_sign_PUBLICKEYBYTES];
    if (!ReadBase64Key(publicKeyFile, key, sizeof key)) return Status::BadPublicKey;
    if (!FileExists(signaturePath)) return Status::NoSignature;
    std::vector<unsigned char> signature;
    if (!ReadSmallFile(signaturePath, signature, kMaxKeyFileBytes) ||
        signature.size() != crypto_sign_BYTES)
        return Status::BadSignature;
    return VerifyArchive(archivePath, signature.data(), key);
}

const char* PackageSignature::Describe(Status status) {
    switch (status) {
    case Status::Ok:
        return "The package's signature is valid.";
    case Status::NoPublicKey:
        return "Updates cannot be checked: upgrade.pub is missing from the program folder.";
    case Status::BadPublicKey:
        return "Updates cannot be checked: upgrade.pub is not a valid key.";
    case Status::NoSignature:
        return "The package has no signature.";
    case Status::BadSignature:
        return "The package's signature is wrong.";
    case Status::Unreadable:
        return "The downloaded package cannot be read.";
    }
    return "The package could not be checked.";
}
