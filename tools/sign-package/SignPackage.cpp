// sign-package KEYGEN <secret-out> <pub-out>: a new key pair, each written as one line of base64.
// sign-package SIGN <secret> <archive> <sig-out>: the 64-byte detached signature of the archive.
#include <sodium.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool WriteFile(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

bool WriteBase64Line(const std::string& path, const unsigned char* key, size_t size) {
    std::vector<char> text(sodium_base64_encoded_len(size, sodium_base64_VARIANT_ORIGINAL));
    sodium_bin2base64(text.data(), text.size(), key, size, sodium_base64_VARIANT_ORIGINAL);
    std::string line = std::string(text.data()) + "\n";
    return WriteFile(path, line.data(), line.size());
}

bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ReadSecretKey(const std::string& path, unsigned char* key) {
    std::vector<unsigned char> text;
    if (!ReadFile(path, text)) return false;
    size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(key, crypto_sign_SECRETKEYBYTES,
                          reinterpret_cast<const char*>(text.data()), text.size(), " \t\r\n",
                          &length, &end, sodium_base64_VARIANT_ORIGINAL) != 0)
        return false;
    return length == crypto_sign_SECRETKEYBYTES;
}

int Usage() {
    std::fprintf(stderr, "usage: sign-package KEYGEN <secret-out> <pub-out>\n"
                         "       sign-package SIGN <secret> <archive> <sig-out>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (sodium_init() < 0) return 1;
    if (argc == 4 && std::strcmp(argv[1], "KEYGEN") == 0) {
        unsigned char pub[crypto_sign_PUBLICKEYBYTES];
        unsigned char secret[crypto_sign_SECRETKEYBYTES];
        crypto_sign_keypair(pub, secret);
        bool ok = WriteBase64Line(argv[2], secret, sizeof secret) &&
                  WriteBase64Line(argv[3], pub, sizeof pub);
        sodium_memzero(secret, sizeof secret);
        if (!ok) std::fprintf(stderr, "sign-package: cannot write the keys\n");
        return ok ? 0 : 1;
    }
    if (argc == 5 && std::strcmp(argv[1], "SIGN") == 0) {
        unsigned char secret[crypto_sign_SECRETKEYBYTES];
        if (!ReadSecretKey(argv[2], secret)) {
            std::fprintf(stderr, "sign-package: %s is not a secret key\n", argv[2]);
            return 1;
        }
        std::vector<unsigned char> archive;
        if (!ReadFile(argv[3], archive)) {
            sodium_memzero(secret, sizeof secret);
            std::fprintf(stderr, "sign-package: cannot read %s\n", argv[3]);
            return 1;
        }
        unsigned char signature[crypto_sign_BYTES];
        crypto_sign_detached(signature, nullptr, archive.data(), archive.size(), secret);
        sodium_memzero(secret, sizeof secret);
        if (!WriteFile(argv[4], signature, sizeof signature)) {
            std::fprintf(stderr, "sign-package: cannot write %s\n", argv[4]);
            return 1;
        }
        return 0;
    }
    return Usage();
}
