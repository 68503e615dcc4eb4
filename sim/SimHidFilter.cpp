#include "sim/SimHidFilter.h"

#include <chrono>

bool SimHidFilter::Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!present_) return false;
    open_ = true;
    return true;
}

void SimHidFilter::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    changed_.notify_all();
}

bool SimHidFilter::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

void SimHidFilter::CancelWaits() {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
}

void SimHidFilter::ResumeWaits() {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = false;
}

bool SimHidFilter::Control(uint32_t code, const uint8_t* input, size_t inputSize, uint8_t* output,
                           size_t outputSize) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (code == kWaitEvent) {
        changed_.wait(lock, [this] { return cancelled_ || !open_ || !events_.empty(); });
        if (cancelled_ || !open_ || !output || outputSize < 4) return false;
        std::array<uint8_t, 4> event = events_.front();
        events_.pop_front();
        std::copy(event.begin(), event.end(), output);
        ++waitsServed_;
        changed_.notify_all();
        return true;
    }
    if (!open_) return false;
    ++controlCount_;
    if (failAt_ > 0 && controlCount_ == failAt_) return false;
    Request request;
    request.code = code;
    if (input && inputSize > 0) request.input.assign(input, input + inputSize);
    if (code == kLoadRemapTable) {
        table_ = request.input;
        enableSeen_ = activateSeen_ = false;
    } else if (code == kEnable) {
        enableSeen_ = true;
    } else if (code == kActivate) {
        activateSeen_ = enableSeen_;
    } else {
        return false; // unknown control code
    }
    requests_.push_back(std::move(request));
    return true;
}

void SimHidFilter::PushEvent(int keyCode, bool pressed, uint8_t source) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back({static_cast<uint8_t>(keyCode & 0xFF),
                       static_cast<uint8_t>((keyCode >> 8) & 0xFF), source,
                       static_cast<uint8_t>(pressed ? 1 : 0)});
    changed_.notify_all();
}

bool SimHidFilter::WaitUntilDrained(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return events_.empty(); });
}

void SimHidFilter::Remove() {
    std::lock_guard<std::mutex> lock(mutex_);
    present_ = false;
    open_ = false;
    changed_.notify_all();
}

void SimHidFilter::FailControlAt(int n) {
    std::lock_guard<std::mutex> lock(mutex_);
    failAt_ = controlCount_ + n;
}

std::vector<SimHidFilter::Request> SimHidFilter::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

namespace {

std::vector<int> TableKeys(const std::vector<uint8_t>& table) {
    std::vector<int> keys;
    for (size_t at = 0; at + 4 <= table.size(); at += 4) {
        int code = table[at] | (table[at + 1] << 8);
        if (code == 0 && table[at + 2] == 0 && table[at + 3] == 0) break;
        keys.push_back(code);
    }
    return keys;
}

} // namespace

std::vector<int> SimHidFilter::InterceptedKeys() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return TableKeys(table_);
}

std::vector<std::vector<int>> SimHidFilter::LoadedTables() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::vector<int>> tables;
    for (const Request& request : requests_)
        if (request.code == kLoadRemapTable) tables.push_back(TableKeys(request.input));
    return tables;
}

bool SimHidFilter::Enabled() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return enableSeen_ && activateSeen_;
}

int SimHidFilter::WaitCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return waitsServed_;
}
