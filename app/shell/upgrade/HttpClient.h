#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class CurlLibrary;

// The update server's two requests over libcurl: a small text ("version") and a file download
// with progress. Every request carries the program's user agent, "Accept: */*" and no-cache
// headers, goes through the proxy of the environment, checks certificates, and gives up when the
// server cannot be reached or stops sending, so a dead or stalling server never holds the caller
// for more than a few seconds. Only https addresses are requested (plain http as well while
// PIVANE_ALLOW_HTTP_UPDATES=1, for tests against a local server). One request at a time; Cancel
// may be called from any thread. libcurl is loaded by the first request, on the caller's thread;
// without it every request fails with kNoCurl as its reason.
class HttpClient {
public:
    static constexpr const char* kUserAgent = "IIC2.0/PC 5.5.0000";
    static constexpr size_t kChunkBytes = 10240;
    // A text answer is a few characters; more than this is not read.
    static constexpr size_t kMaxTextBytes = 4096;

    // Download results.
    static constexpr int kComplete = 1;
    static constexpr int kCancelled = -2;
    static constexpr int kFailed = -1;
    static constexpr int kNoHandle = 0;

    static constexpr const char* kNoCurl = "libcurl is not installed";

    struct Limits {
        int connectSeconds = 5; // to reach the server (name look-up, connect, TLS)
        int stallSeconds = 5;   // without a single byte arriving
        int textSeconds = 15;   // a whole text request
        uint64_t maxDownloadBytes = 1ull << 30;
    };

    // Progress of a download, 0 to 100, each value once.
    using Progress = std::function<void(int percent)>;

    // Where the requests find libcurl; null means it is not there.
    using LoadCurl = const CurlLibrary* (*)();

    HttpClient();
    explicit HttpClient(Limits limits);
    HttpClient(Limits limits, LoadCurl loadCurl);

    // Whether the address may be requested at all (https, or http while tests allow it).
    static bool AllowsAddress(const std::string& url);

    // The body of a successful (2xx) answer of at most kMaxTextBytes. False on any failure,
    // text then empty.
    bool GetText(const std::string& url, std::string& text);

    // Downloads url into path (an old file there is deleted first). Progress: 0 at the start, 2
    // with the handle, 8 when the server answered, 10 when the size is known, then 10 to 100 by
    // 10240-byte chunks, 100 at the end. Returns kComplete, kCancelled (Cancel was called; the
    // cancel request is consumed), kFailed (network, server or file failure; what is left of
    // the file stays), or kNoHandle (no curl handle, or no libcurl).
    int Download(const std::string& url, const std::string& path, const Progress& progress);

    // Ends the running download (or the next one, if none runs) at its next chunk or tick.
    void Cancel() { cancel_ = true; }
    bool CancelRequested() const { return cancel_; }
    // Clears a cancel request that no download consumed.
    void ClearCancel() { cancel_ = false; }

    // A short English reason for the last failure ("" after a success).
    const std::string& LastError() const { return error_; }

    // The progress after `chunks` chunks of a body of `length` bytes (length known): 10 to 100.
    static int ChunkProgress(uint64_t chunks, uint64_t length);

private:
    Limits limits_;
    LoadCurl loadCurl_ = nullptr;
    std::atomic<bool> cancel_{false};
    std::string error_;
};
