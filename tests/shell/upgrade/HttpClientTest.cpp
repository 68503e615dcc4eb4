#include "app/shell/upgrade/HttpClient.h"
#include "app/shell/upgrade/CurlLibrary.h"
#include "tests/shell/upgrade/UpdateServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

// Failing requests end within these; the bound of a test is generous beyond them.
HttpClient::Limits ShortLimits() {
    HttpClient::Limits limits;
    limits.connectSeconds = 2;
    limits.stallSeconds = 2;
    limits.textSeconds = 5;
    return limits;
}
constexpr auto kBound = std::chrono::seconds(30);

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return bytes;
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class HttpClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("PIVANE_ALLOW_HTTP_UPDATES", "1", 1);
        ASSERT_TRUE(server_.Start());
        target_ = server_.Root() + "/../download.bin";
    }
    void TearDown() override { unsetenv("PIVANE_ALLOW_HTTP_UPDATES"); }

    int Download(const std::string& path, std::vector<int>* progress = nullptr) {
        return client_.Download(server_.Url(path), target_, [progress](int p) {
            if (progress) progress->push_back(p);
        });
    }

    UpdateServer server_;
    HttpClient client_{ShortLimits()};
    std::string target_;
};

TEST_F(HttpClientTest, TextRequestCarriesTheProgramsHeaders) {
    server_.Put("software/version", "1.0.2\n");
    std::string text;
    ASSERT_TRUE(client_.GetText(server_.Url("/software/version"), text));
    EXPECT_EQ(text, "1.0.2\n");
    const std::string log = server_.Log();
    EXPECT_NE(log.find("\"User-Agent\": \"IIC2.0/PC 5.5.0000\""), std::string::npos) << log;
    EXPECT_NE(log.find("\"Accept\": \"*/*\""), std::string::npos) << log;
    EXPECT_NE(log.find("\"Cache-Control\": \"no-cache\""), std::string::npos) << log;
    EXPECT_NE(log.find("\"Pragma\": \"no-cache\""), std::string::npos) << log;
}

// Counts the loads of libcurl; a null table stands for a machine without it.
std::atomic<int> curlLoads{0};
std::atomic<bool> curlInstalled{true};
const CurlLibrary* CountedCurl() {
    ++curlLoads;
    return curlInstalled ? CurlLibrary::Get() : nullptr;
}

TEST_F(HttpClientTest, LibcurlIsLoadedByTheFirstRequestAndItsAbsenceIsAFailure) {
    server_.Put("software/version", "1.0.2\n");
    curlLoads = 0;
    curlInstalled = false;
    HttpClient missing(ShortLimits(), &CountedCurl);
    // Made on the window thread at start: loading waits for the request, on the worker.
    EXPECT_EQ(curlLoads, 0);
    std::string text = "old";
    EXPECT_FALSE(missing.GetText(server_.Url("/software/version"), text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(missing.LastError(), HttpClient::kNoCurl);
    std::vector<int> progress;
    EXPECT_EQ(missing.Download(server_.Url("/software/version"), target_,
                               [&progress](int p) { progress.push_back(p); }),
              HttpClient::kNoHandle);
    EXPECT_EQ(missing.LastError(), HttpClient::kNoCurl);
    EXPECT_EQ(progress, std::vector<int>{0});
    EXPECT_EQ(server_.Log(), ""); // nothing was asked
    EXPECT_EQ(curlLoads, 2);

    curlInstalled = true;
    HttpClient present(ShortLimits(), &CountedCurl);
    ASSERT_TRUE(present.GetText(server_.Url("/software/version"), text)) << present.LastError();
    EXPECT_EQ(text, "1.0.2\n");
    EXPECT_EQ(present.LastError(), "");
}

TEST_F(HttpClientTest, TextRequestFailsOnErrorsAndOverlongBodies) {
    std::string text = "old";
    EXPECT_FALSE(client_.GetText(server_.Url("/missing/version"), text));
    EXPECT_EQ(text, "");
    EXPECT_NE(client_.LastError().find("404"), std::string::npos) << client_.LastError();

    // An error page must never pass for a version, nor a huge body be read.
    server_.Put("big/version", std::string(HttpClient::kMaxTextBytes + 1, '1'));
    EXPECT_FALSE(client_.GetText(server_.Url("/big/version"), text));
    server_.Put("fits/version", std::string(HttpClient::kMaxTextBytes, '1'));
    EXPECT_TRUE(client_.GetText(server_.Url("/fits/version"), text));
}

TEST_F(HttpClientTest, PlainHttpOnlyWhileTestsAllowIt) {
    server_.Put("version", "1.0.2");
    unsetenv("PIVANE_ALLOW_HTTP_UPDATES");
    std::string text;
    EXPECT_FALSE(HttpClient::AllowsAddress(server_.Url("/version")));
    EXPECT_FALSE(client_.GetText(server_.Url("/version"), text));
    EXPECT_EQ(Download("/version"), HttpClient::kFailed);
    EXPECT_EQ(server_.Log(), ""); // nothing was even asked
    EXPECT_TRUE(HttpClient::AllowsAddress("https://update.example/x"));
    EXPECT_TRUE(HttpClient::AllowsAddress("HTTPS://update.example/x"));
    EXPECT_FALSE(HttpClient::AllowsAddress("file:///etc/passwd"));
    EXPECT_FALSE(HttpClient::AllowsAddress("ftp://update.example/x"));
    setenv("PIVANE_ALLOW_HTTP_UPDATES", "0", 1);
    EXPECT_FALSE(HttpClient::AllowsAddress(server_.Url("/version")));
}

TEST_F(HttpClientTest, DownloadReportsEachProgressStepOnce) {
    const std::string body = Pattern(20 * HttpClient::kChunkBytes + 5);
    server_.Put("pkg.zip", body);
    std::vector<int> progress;
    ASSERT_EQ(Download("/pkg.zip", &progress), HttpClient::kComplete) << client_.LastError();
    EXPECT_EQ(Contents(target_), body);
    ASSERT_GE(progress.size(), 6u);
    EXPECT_EQ(std::vector<int>(progress.begin(), progress.begin() + 4),
              (std::vector<int>{0, 2, 8, 10}));
    EXPECT_EQ(progress.back(), 100);
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_GT(progress[i], progress[i - 1]) << "at " << i;
    // The server's 10240-byte steps show between 10 and 100.
    EXPECT_GT(progress.size(), 8u);
}

TEST_F(HttpClientTest, BodiesShorterThanAChunkAndEmptyOnesComplete) {
    server_.Put("small.zip", "tiny");
    std::vector<int> progress;
    ASSERT_EQ(Download("/small.zip", &progress), HttpClient::kComplete);
    EXPECT_EQ(progress, (std::vector<int>{0, 2, 8, 10, 100}));
    EXPECT_EQ(Contents(target_), "tiny");

    server_.Put("empty.zip", "");
    progress.clear();
    ASSERT_EQ(Download("/empty.zip", &progress), HttpClient::kComplete);
    EXPECT_EQ(progress, (std::vector<int>{0, 2, 8, 10, 100}));
    EXPECT_EQ(Contents(target_), "");
}

TEST(HttpClientProgressTest, ChunkProgressStaysWithinTenToHundred) {
    EXPECT_EQ(HttpClient::ChunkProgress(1, 10 * 10240), 19);
    EXPECT_EQ(HttpClient::ChunkProgress(10, 10 * 10240), 100);
    // Less than one chunk: no division by zero, the first chunk is all of it.
    EXPECT_EQ(HttpClient::ChunkProgress(1, 100), 100);
    // The last partial chunk would overshoot.
    EXPECT_EQ(HttpClient::ChunkProgress(2, 15000), 100);
    EXPECT_EQ(HttpClient::ChunkProgress(0, 10 * 10240), 10);
}

TEST_F(HttpClientTest, OldFileIsReplacedAndAFailedDownloadSaysWhy) {
    {
        std::ofstream old(target_);
        old << "an older and much longer file than the new one";
    }
    server_.Put("new.zip", "new");
    ASSERT_EQ(Download("/new.zip"), HttpClient::kComplete);
    EXPECT_EQ(Contents(target_), "new");

    EXPECT_EQ(Download("/gone.zip"), HttpClient::kFailed);
    EXPECT_NE(client_.LastError().find("404"), std::string::npos) << client_.LastError();

    target_ = server_.Root() + "/no/such/folder/file.zip";
    EXPECT_EQ(Download("/new.zip"), HttpClient::kFailed);
    EXPECT_FALSE(client_.LastError().empty());
}

TEST_F(HttpClientTest, CancelEndsTheDownloadAndIsConsumed) {
    server_.Put("pkg.zip", Pattern(50 * HttpClient::kChunkBytes));
    std::vector<int> progress;
    const int result = client_.Download(server_.Url("/pkg.zip"), target_, [&](int p) {
        progress.push_back(p);
        if (p > 10) client_.Cancel();
    });
    EXPECT_EQ(result, HttpClient::kCancelled);
    EXPECT_FALSE(client_.CancelRequested());
    ASSERT_FALSE(progress.empty());
    EXPECT_LT(progress.back(), 100);
    // The next download is not cancelled by the old request.
    EXPECT_EQ(Download("/pkg.zip"), HttpClient::kComplete);
}

TEST_F(HttpClientTest, CancelEndsAStalledDownloadToo) {
    server_.Put("pkg.zip", Pattern(8 * HttpClient::kChunkBytes));
    HttpClient patient; // default limits: only the cancel ends it early
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        patient.Cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    const int result = patient.Download(server_.Url("/stall/pkg.zip"), target_, nullptr);
    canceller.join();
    EXPECT_EQ(result, HttpClient::kCancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kBound);
}

TEST_F(HttpClientTest, DeadAndSilentServersEndTheRequest) {
    const std::string closed = "http://127.0.0.1:" + std::to_string(UpdateServer::ClosedPort());
    std::string text;
    EXPECT_FALSE(client_.GetText(closed + "/version", text));
    EXPECT_EQ(client_.Download(closed + "/pkg.zip", target_, nullptr), HttpClient::kFailed);

    // Accepts the connection, never answers.
    server_.Put("version", "1.0.2");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client_.GetText(server_.Url("/mute/version"), text));
    EXPECT_EQ(Download("/mute/version"), HttpClient::kFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kBound);
}

TEST_F(HttpClientTest, ServerThatStallsMidBodyEndsTheDownload) {
    server_.Put("pkg.zip", Pattern(8 * HttpClient::kChunkBytes));
    std::vector<int> progress;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Download("/stall/pkg.zip", &progress), HttpClient::kFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kBound);
    EXPECT_FALSE(client_.LastError().empty());
    ASSERT_FALSE(progress.empty());
    EXPECT_LT(progress.back(), 100); // half the body came
    EXPECT_GT(progress.back(), 10);
}

TEST_F(HttpClientTest, DownloadLargerThanTheLimitIsRefused) {
    HttpClient::Limits limits = ShortLimits();
    limits.maxDownloadBytes = 4 * HttpClient::kChunkBytes;
    HttpClient bounded(limits);
    server_.Put("big.zip", Pattern(6 * HttpClient::kChunkBytes));
    EXPECT_EQ(bounded.Download(server_.Url("/big.zip"), target_, nullptr), HttpClient::kFailed);
    EXPECT_LE(std::filesystem::file_size(target_), limits.maxDownloadBytes);
    server_.Put("fits.zip", Pattern(4 * HttpClient::kChunkBytes));
    EXPECT_EQ(bounded.Download(server_.Url("/fits.zip"), target_, nullptr), HttpClient::kComplete);
}

} // namespace
