#include "app/shell/upgrade/HttpClient.h"

#include "app/shell/upgrade/CurlLibrary.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    const size_t n = std::strlen(prefix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

bool PlainHttpAllowed() {
    const char* allow = std::getenv("PIVANE_ALLOW_HTTP_UPDATES");
    return allow && std::strcmp(allow, "1") == 0;
}

// The parts every request shares. The header list must outlive the transfer.
struct Request {
    const CurlLibrary& lib;
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;

    Request(const CurlLibrary& library, const std::string& url, const HttpClient::Limits& limits)
        : lib(library), curl(library.easyInit()) {
        if (!curl) return;
        const char* protocols = PlainHttpAllowed() ? "http,https" : "https";
        headers = lib.slistAppend(headers, "Accept: */*");
        // Always the server's current file, never a cache's copy.
        headers = lib.slistAppend(headers, "Cache-Control: no-cache");
        headers = lib.slistAppend(headers, "Pragma: no-cache");
        lib.easySetopt(curl, CURLOPT_URL, url.c_str());
        lib.easySetopt(curl, CURLOPT_PROTOCOLS_STR, protocols);
        lib.easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
        lib.easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        lib.easySetopt(curl, CURLOPT_MAXREDIRS, 5L);
        lib.easySetopt(curl, CURLOPT_USERAGENT, HttpClient::kUserAgent);
        lib.easySetopt(curl, CURLOPT_HTTPHEADER, headers);
        lib.easySetopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        lib.easySetopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        lib.easySetopt(curl, CURLOPT_FAILONERROR, 1L);
        lib.easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
        lib.easySetopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectSeconds));
        // Less than one byte a second for the whole stall time ends the transfer.
        lib.easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        lib.easySetopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stallSeconds));
    }
    ~Request() {
        if (curl) lib.easyCleanup(curl);
        lib.slistFreeAll(headers);
    }
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;
};

std::string Reason(const CurlLibrary& lib, CURL* curl, CURLcode code) {
    long status = 0;
    lib.easyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (code == CURLE_HTTP_RETURNED_ERROR && status > 0)
        return "the server answered " + std::to_string(status);
    if (code == CURLE_OPERATION_TIMEDOUT) return "the server stopped answering";
    return lib.easyStrerror(code);
}

struct TextSink {
    std::string text;
    bool tooLong = false;
};

size_t WriteText(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<TextSink*>(user);
    const size_t bytes = size * count;
    if (sink->text.size() + bytes > HttpClient::kMaxTextBytes) {
        sink->tooLong = true;
        return CURL_WRITEFUNC_ERROR;
    }
    sink->text.append(data, bytes);
    return bytes;
}

struct FileSink {
    int fd = -1;
    uint64_t received = 0;
    uint64_t length = 0; // 0: not announced
    uint64_t maxBytes = 0;
    bool answered = false;
    bool writeFailed = false;
    bool tooLarge = false;
    int lastProgress = -1;
    const CurlLibrary* lib = nullptr;
    CURL* curl = nullptr;
    const HttpClient::Progress* progress = nullptr;
    const std::atomic<bool>* cancel = nullptr;

    void Report(int percent) {
        if (percent == lastProgress) return;
        lastProgress = percent;
        if (progress && *progress) (*progress)(percent);
    }
    // The server's answer has begun: the address is open and its size is known (or absent).
    void Answered() {
        if (answered) return;
        answered = true;
        Report(8);
        curl_off_t announced = -1;
        if (lib->easyGetinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
            announced > 0)
            length = static_cast<uint64_t>(announced);
        Report(10);
    }
};

size_t HeaderLine(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<FileSink*>(user);
    const size_t bytes = size * count;
    // The blank line after a final answer's headers; redirects and 1xx answers come before it.
    if (bytes <= 2 && (bytes == 0 || data[0] == '\r' || data[0] == '\n')) {
        long status = 0;
        sink->lib->easyGetinfo(sink->curl, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 200 && status < 300) sink->Answered();
    }
    return bytes;
}

size_t WriteFile(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<FileSink*>(user);
    const size_t bytes = size * count;
    if (*sink->cancel) return CURL_WRITEFUNC_ERROR;
    sink->Answered();
    if (sink->received + bytes > sink->maxBytes) {
        sink->tooLarge = true;
        return CURL_WRITEFUNC_ERROR;
    }
    size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(sink->fd, data + done, bytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            sink->writeFailed = true;
            return CURL_WRITEFUNC_ERROR;
        }
        done += static_cast<size_t>(n);
    }
    sink->received += bytes;
    if (sink->length > 0) {
        const uint64_t chunks =
            (sink->received + HttpClient::kChunkBytes - 1) / HttpClient::kChunkBytes;
        sink->Report(HttpClient::ChunkProgress(chunks, sink->length));
    }
    return bytes;
}

// Also runs while nothing arrives, so a cancel ends a stalled download too.
int TransferTick(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return *cancel ? 1 : 0;
}

} // namespace

HttpClient::HttpClient() : HttpClient(Limits{}) {}

HttpClient::HttpClient(Limits limits) : HttpClient(limits, &CurlLibrary::Get) {}

HttpClient::HttpClient(Limits limits, LoadCurl loadCurl) : limits_(limits), loadCurl_(loadCurl) {}

bool HttpClient::AllowsAddress(const std::string& url) {
    if (StartsWith(url, "https://")) return true;
    return StartsWith(url, "http://") && PlainHttpAllowed();
}

int HttpClient::ChunkProgress(uint64_t chunks, uint64_t length) {
    const uint64_t whole = length / kChunkBytes;
    // A body shorter than one chunk is complete with its first one.
    if (whole == 0) return 100;
    const uint64_t percent = 90 * chunks / whole + 10;
    return static_cast<int>(std::min<uint64_t>(percent, 100));
}

bool HttpClient::GetText(const std::string& url, std::string& text) {
    text.clear();
    error_.clear();
    if (!AllowsAddress(url)) {
        error_ = "the address is not https";
        return false;
    }
    const CurlLibrary* curl = loadCurl_ ? loadCurl_() : nullptr;
    if (!curl) {
        error_ = kNoCurl;
        return false;
    }
    Request request(*curl, url, limits_);
    if (!request.curl) {
        error_ = "no network handle";
        return false;
    }
    TextSink sink;
    curl->easySetopt(request.curl, CURLOPT_WRITEFUNCTION, WriteText);
    curl->easySetopt(request.curl, CURLOPT_WRITEDATA, &sink);
    curl->easySetopt(request.curl, CURLOPT_TIMEOUT, static_cast<long>(limits_.textSeconds));
    const CURLcode code = curl->easyPerform(request.curl);
    if (code != CURLE_OK) {
        error_ = sink.tooLong ? "the answer is too long" : Reason(*curl, request.curl, code);
        return false;
    }
    text = std::move(sink.text);
    return true;
}

int HttpClient::Download(const std::string& url, const std::string& path,
                         const Progress& progress) {
    error_.clear();
    FileSink sink;
    sink.progress = &progress;
    sink.cancel = &cancel_;
    sink.maxBytes = limits_.maxDownloadBytes;
    sink.Report(0);
    if (!AllowsAddress(url)) {
        error_ = "the address is not https";
        return kFailed;
    }
    const CurlLibrary* curl = loadCurl_ ? loadCurl_() : nullptr;
    if (!curl) {
        error_ = kNoCurl;
        return kNoHandle;
    }
    Request request(*curl, url, limits_);
    if (!request.curl) {
        error_ = "no network handle";
        return kNoHandle;
    }
    sink.lib = curl;
    sink.curl = request.curl;
    sink.Report(2);

    ::unlink(path.c_str());
    sink.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (sink.fd < 0) {
        error_ = std::string("cannot create the file: ") + std::strerror(errno);
        return kFailed;
    }
    curl->easySetopt(request.curl, CURLOPT_HEADERFUNCTION, HeaderLine);
    curl->easySetopt(request.curl, CURLOPT_HEADERDATA, &sink);
    curl->easySetopt(request.curl, CURLOPT_WRITEFUNCTION, WriteFile);
    curl->easySetopt(request.curl, CURLOPT_WRITEDATA, &sink);
    curl->easySetopt(request.curl, CURLOPT_NOPROGRESS, 0L);
    curl->easySetopt(request.curl, CURLOPT_XFERINFOFUNCTION, TransferTick);
    curl->easySetopt(request.curl, CURLOPT_XFERINFODATA, &cancel_);
    curl->easySetopt(request.curl, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(limits_.maxDownloadBytes));
    const CURLcode code = curl->easyPerform(request.curl);
    const bool closed = ::close(sink.fd) == 0;

    if (cancel_.exchange(false)) {
        error_ = "the download was cancelled";
        return kCancelled;
    }
    if (code != CURLE_OK) {
        if (sink.writeFailed)
            error_ = "the file could not be written";
        else if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
            error_ = "the file is too large";
        else
            error_ = Reason(*curl, request.curl, code);
        return kFailed;
    }
    if (!closed) {
        error_ = "the file could not be written";
        return kFailed;
    }
    sink.Answered();
    sink.Report(100);
    return kComplete;
}
