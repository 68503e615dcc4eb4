#pragma once

#include "app/shell/audio/AudioSource.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct pa_context;
struct pa_server_info;
struct pa_simple;
struct pa_threaded_mainloop;
class PulseLibrary;

// What the computer plays, from the monitor source of the PulseAudio server's default sink
// (PipeWire's pulse server too): a reader thread records it as 48 kHz stereo float through the
// simple API, and a context watches the server so that a change of the default sink re-opens
// the capture on the new sink's monitor. Without a server it stays silent, starts none (no
// autospawn) and tries again every few seconds. The server is the one the environment names
// (PULSE_SERVER) or the user's. libpulse is loaded by the reader thread; without it the capture
// stays silent for good.
class PulseCapture : public AudioSource {
public:
    static constexpr int kRate = 48000;
    static constexpr int kChannels = 2;
    static constexpr int kChunkFrames = kRate / 100; // 10 ms per read
    static constexpr int kRetryMs = 3000;
    // At most one second waits to be drained; older samples are dropped.
    static constexpr size_t kMaxBuffered = kRate * kChannels;

    // Where the reader thread finds libpulse; null means it is not there.
    using LoadPulse = const PulseLibrary* (*)();

    PulseCapture();
    explicit PulseCapture(LoadPulse loadPulse);
    // Stops the reader thread.
    ~PulseCapture() override;
    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    void SetActive(bool active) override;
    size_t Drain(std::vector<float>& out) override;

    // True while a capture stream is open.
    bool IsCapturing() const { return capturing_; }
    // The source the open stream records ("<sink>.monitor"); empty when none.
    std::string SourceName() const;
    // How many times a stream was opened (a default-sink change opens another).
    int OpenCount() const { return opens_; }

private:
    void Run();
    bool Connect();
    bool OpenStream();
    void CloseStream();
    void Disconnect();
    void WaitRetry();
    void OnServerInfo(const pa_server_info* info);

    // The context's callbacks (on the mainloop's thread).
    friend struct PulseCallbacks;

    LoadPulse loadPulse_ = nullptr;
    // Reader thread only.
    const PulseLibrary* pulse_ = nullptr;
    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_simple* stream_ = nullptr;
    std::vector<float> chunk_;

    mutable std::mutex mutex_; // the fields below
    std::string defaultSink_;
    std::string streamSource_;
    std::vector<float> buffered_;

    std::atomic<bool> contextBroken_{false};
    std::atomic<bool> reopen_{false};
    std::atomic<bool> capturing_{false};
    std::atomic<int> opens_{0};

    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool active_ = false; // under wakeMutex_
    bool stop_ = false;   // under wakeMutex_
    std::thread thread_;
};
