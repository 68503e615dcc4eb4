#include "app/shell/audio/PulseCapture.h"

#include "app/shell/audio/PulseLibrary.h"

#include <chrono>

struct PulseCallbacks {
    static void State(pa_context* context, void* self) {
        auto* capture = static_cast<PulseCapture*>(self);
        const pa_context_state_t state = capture->pulse_->contextGetState(context);
        if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
            capture->contextBroken_ = true;
        capture->pulse_->mainloopSignal(capture->mainloop_, 0);
    }

    static void ServerInfo(pa_context*, const pa_server_info* info, void* self) {
        auto* capture = static_cast<PulseCapture*>(self);
        capture->OnServerInfo(info);
        capture->pulse_->mainloopSignal(capture->mainloop_, 0);
    }

    static void Subscribe(pa_context* context, pa_subscription_event_type_t type, uint32_t,
                          void* self) {
        if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SERVER) return;
        auto* capture = static_cast<PulseCapture*>(self);
        if (pa_operation* op = capture->pulse_->contextGetServerInfo(context, &ServerInfo, self))
            capture->pulse_->operationUnref(op);
    }
};

PulseCapture::PulseCapture() : PulseCapture(&PulseLibrary::Get) {}

PulseCapture::PulseCapture(LoadPulse loadPulse) : loadPulse_(loadPulse) {}

PulseCapture::~PulseCapture() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void PulseCapture::SetActive(bool active) {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        active_ = active;
        if (active && !thread_.joinable() && !stop_) thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_all();
    if (!active) {
        std::lock_guard<std::mutex> lock(mutex_);
        buffered_.clear();
    }
}

size_t PulseCapture::Drain(std::vector<float>& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t n = buffered_.size();
    out.insert(out.end(), buffered_.begin(), buffered_.end());
    buffered_.clear();
    return n;
}

std::string PulseCapture::SourceName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return streamSource_;
}

void PulseCapture::Run() {
    // Loading maps files and may wait on the disk: here rather than on the window thread.
    pulse_ = loadPulse_ ? loadPulse_() : nullptr;
    if (!pulse_) return;
    chunk_.resize(static_cast<size_t>(kChunkFrames) * kChannels);
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(wakeMutex_);
            if (!active_ && !stop_) {
                // Paused: nothing is recorded and the server is let go.
                lock.unlock();
                CloseStream();
                Disconnect();
                lock.lock();
                wake_.wait(lock, [&] { return active_ || stop_; });
            }
            if (stop_) break;
        }
        if (!stream_) {
            if (!Connect() || !OpenStream()) {
                CloseStream();
                Disconnect();
                WaitRetry();
                continue;
            }
        }
        if (reopen_.exchange(false) || contextBroken_) {
            CloseStream();
            if (contextBroken_) Disconnect();
            continue;
        }
        int error = 0;
        if (pulse_->simpleRead(stream_, chunk_.data(), chunk_.size() * sizeof(float), &error) < 0) {
            CloseStream();
            Disconnect();
            WaitRetry();
            continue;
        }
        {
            // A read that ends after a pause began is not kept.
            std::lock_guard<std::mutex> wake(wakeMutex_);
            if (!active_) continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (buffered_.size() + chunk_.size() > kMaxBuffered)
            buffered_.erase(buffered_.begin(),
                            buffered_.begin() + static_cast<std::ptrdiff_t>(
                                                    std::min(buffered_.size(), chunk_.size())));
        buffered_.insert(buffered_.end(), chunk_.begin(), chunk_.end());
    }
    CloseStream();
    Disconnect();
}

void PulseCapture::WaitRetry() {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(kRetryMs), [&] { return stop_ || !active_; });
}

bool PulseCapture::Connect() {
    if (context_ && !contextBroken_) return true;
    Disconnect();
    contextBroken_ = false;
    mainloop_ = pulse_->mainloopNew();
    if (!mainloop_) return false;
    if (pulse_->mainloopStart(mainloop_) < 0) {
        pulse_->mainloopFree(mainloop_);
        mainloop_ = nullptr;
        return false;
    }
    pulse_->mainloopLock(mainloop_);
    context_ = pulse_->contextNew(pulse_->mainloopGetApi(mainloop_), "Pivane");
    bool ready = false;
    if (context_) {
        pulse_->contextSetStateCallback(context_, &PulseCallbacks::State, this);
        // Never start a server of our own where none runs.
        if (pulse_->contextConnect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
            for (;;) {
                const pa_context_state_t state = pulse_->contextGetState(context_);
                if (state == PA_CONTEXT_READY) {
                    ready = true;
                    break;
                }
                if (!PA_CONTEXT_IS_GOOD(state)) break;
                pulse_->mainloopWait(mainloop_);
            }
        }
    }
    if (ready) {
        pulse_->contextSetSubscribeCallback(context_, &PulseCallbacks::Subscribe, this);
        if (pa_operation* op =
                pulse_->contextSubscribe(context_, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr))
            pulse_->operationUnref(op);
        // The default sink before the first stream opens.
        if (pa_operation* op =
                pulse_->contextGetServerInfo(context_, &PulseCallbacks::ServerInfo, this)) {
            while (pulse_->operationGetState(op) == PA_OPERATION_RUNNING && !contextBroken_)
                pulse_->mainloopWait(mainloop_);
            pulse_->operationUnref(op);
        }
    }
    pulse_->mainloopUnlock(mainloop_);
    if (!ready || contextBroken_) {
        Disconnect();
        return false;
    }
    return true;
}

void PulseCapture::OnServerInfo(const pa_server_info* info) {
    if (!info) return;
    const std::string sink = info->default_sink_name ? info->default_sink_name : "";
    std::lock_guard<std::mutex> lock(mutex_);
    if (sink == defaultSink_) return;
    defaultSink_ = sink;
    if (!streamSource_.empty()) reopen_ = true;
}

bool PulseCapture::OpenStream() {
    if (stream_) return true;
    std::string source;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        source =
            defaultSink_.empty() ? std::string("@DEFAULT_MONITOR@") : defaultSink_ + ".monitor";
    }
    pa_sample_spec format{};
    format.format = PA_SAMPLE_FLOAT32NE;
    format.rate = kRate;
    format.channels = kChannels;
    // Small fragments: each read returns after 10 ms of sound instead of the server's default.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(kChunkFrames * kChannels * sizeof(float));
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    int error = 0;
    stream_ = pulse_->simpleNew(nullptr, "Pivane", PA_STREAM_RECORD, source.c_str(),
                                "Music visualizer", &format, nullptr, &attr, &error);
    if (!stream_) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        streamSource_ = source;
    }
    reopen_ = false;
    capturing_ = true;
    ++opens_;
    return true;
}

void PulseCapture::CloseStream() {
    if (stream_) {
        pulse_->simpleFree(stream_);
        stream_ = nullptr;
    }
    capturing_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    streamSource_.clear();
}

void PulseCapture::Disconnect() {
    if (!mainloop_) return;
    pulse_->mainloopLock(mainloop_);
    if (context_) {
        pulse_->contextSetStateCallback(context_, nullptr, nullptr);
        pulse_->contextSetSubscribeCallback(context_, nullptr, nullptr);
        pulse_->contextDisconnect(context_);
        pulse_->contextUnref(context_);
        context_ = nullptr;
    }
    pulse_->mainloopUnlock(mainloop_);
    pulse_->mainloopStop(mainloop_);
    pulse_->mainloopFree(mainloop_);
    mainloop_ = nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    defaultSink_.clear();
}
