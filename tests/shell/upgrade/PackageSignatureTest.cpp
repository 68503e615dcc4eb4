#include "app/shell/upgrade/PackageSignature.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using Status = PackageSignature::Status;

namespace {

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Base64(const unsigned char* data, size_t size) {
    std::string text(sodium_base64_encoded_len(size, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), data, size, sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);
    return text;
}

class PackageSignatureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(sodium_init(), 0);
        char pattern[] = "/tmp/pivane-sig-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        crypto_sign_keypair(pub_, secret_);
        archive_ = dir_ / "Mouse-Software-1.0.2.zip";
        signature_ = dir_ / "Mouse-Software-1.0.2.zip.sig";
        key_ = dir_ / "upgrade.pub";
        content_ = "PK\x03\x04 pretend package " + std::string(100000, 'z');
        WriteBytes(archive_, content_);
        WriteBytes(signature_, Sign(content_, secret_));
        WriteBytes(key_, Base64(pub_, sizeof pub_) + "\n");
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string Sign(const std::string& message, const unsigned char* secret) {
        unsigned char signature[crypto_sign_BYTES];
        crypto_sign_detached(signature, nullptr,
                             reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                             secret);
        return std::string(reinterpret_cast<char*>(signature), sizeof signature);
    }

    Status Verify() const {
        return PackageSignature::Verify(archive_.string(), signature_.string(), key_.string());
    }

    fs::path dir_, archive_, signature_, key_;
    std::string content_;
    unsigned char pub_[crypto_sign_PUBLICKEYBYTES];
    unsigned char secret_[crypto_sign_SECRETKEYBYTES];
};

TEST_F(PackageSignatureTest, AcceptsOnlyTheSignedArchive) {
    EXPECT_EQ(Verify(), Status::Ok);
    WriteBytes(key_, Base64(pub_, sizeof pub_) + "\r\n"); // written on Windows
    EXPECT_EQ(Verify(), Status::Ok);

    std::string tampered = content_;
    tampered[5000] ^= 1;
    WriteBytes(archive_, tampered);
    EXPECT_EQ(Verify(), Status::BadSignature);
    WriteBytes(archive_, content_ + "x"); // appended data
    EXPECT_EQ(Verify(), Status::BadSignature);
    WriteBytes(archive_, content_);

    unsigned char otherPub[crypto_sign_PUBLICKEYBYTES], otherSecret[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(otherPub, otherSecret);
    WriteBytes(signature_, Sign(content_, otherSecret)); // signed by someone else
    EXPECT_EQ(Verify(), Status::BadSignature);
    WriteBytes(signature_, Sign(content_, secret_).substr(0, 63));
    EXPECT_EQ(Verify(), Status::BadSignature);
    WriteBytes(signature_, Sign(content_, secret_) + "\n");
    EXPECT_EQ(Verify(), Status::BadSignature);

    WriteBytes(archive_, "");
    WriteBytes(signature_, Sign("", secret_));
    EXPECT_EQ(Verify(), Status::Ok); // an empty file is still checked, not skipped
    WriteBytes(signature_, Sign(content_, secret_));
    EXPECT_EQ(Verify(), Status::BadSignature);
}

TEST_F(PackageSignatureTest, MissingOrGarbledFilesAreNamed) {
    fs::remove(signature_);
    EXPECT_EQ(Verify(), Status::NoSignature);
    WriteBytes(signature_, Sign(content_, secret_));

    fs::remove(archive_);
    EXPECT_EQ(Verify(), Status::Unreadable);
    fs::create_directory(archive_);
    EXPECT_EQ(Verify(), Status::Unreadable);
    fs::remove(archive_);
    WriteBytes(archive_, content_);

    std::string good = Base64(pub_, sizeof pub_);
    for (const std::string& garbled :
         {std::string(""), std::string("\n"), good.substr(0, 40), good + good,
          good + "\nsecond line", std::string("not base64 at all!!!!!!!!!!!!!!!!!!!!!!!!!!"),
          good.substr(0, 42) + "*="}) {
        WriteBytes(key_, garbled);
        EXPECT_EQ(Verify(), Status::BadPublicKey) << garbled;
    }
    WriteBytes(key_, std::string(100000, 'A'));
    EXPECT_EQ(Verify(), Status::BadPublicKey);
    fs::remove(key_);
    EXPECT_EQ(Verify(), Status::NoPublicKey);
    fs::remove(signature_);
    EXPECT_EQ(Verify(), Status::NoPublicKey); // the missing key is what the page must say first
}

TEST_F(PackageSignatureTest, SigningToolMakesKeysTheProgramAccepts) {
    std::string tool = SIGN_PACKAGE_TOOL;
    std::string secret = (dir_ / "release.key").string();
    ASSERT_EQ(std::system((tool + " KEYGEN " + secret + " " + key_.string()).c_str()), 0);
    EXPECT_EQ(Verify(), Status::BadSignature); // the old signature is not the new key's
    ASSERT_EQ(
        std::system((tool + " SIGN " + secret + " " + archive_.string() + " " + signature_.string())
                        .c_str()),
        0);
    EXPECT_EQ(Verify(), Status::Ok);
    EXPECT_NE(std::system((tool + " SIGN " + key_.string() + " " + archive_.string() + " " +
                           (dir_ / "x.sig").string() + " 2>/dev/null")
                              .c_str()),
              0); // a public key is no secret key
    EXPECT_FALSE(fs::exists(dir_ / "x.sig"));
}

} // namespace
