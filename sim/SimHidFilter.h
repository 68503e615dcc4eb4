#pragma once

#include "app/device/IHidFilterDevice.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// The key-remapping filter driver as a model: it keeps the remap table it was given, whether it
// was enabled after loading, and a queue of physical key events that tests push and the
// companion's reader takes. Fault injection by countdown over control requests (the key-event
// wait excluded) and by removal. Thread-safe.
class SimHidFilter final : public IHidFilterDevice {
public:
    struct Request {
        uint32_t code = 0;
        std::vector<uint8_t> input;
    };

    explicit SimHidFilter(bool present = true) : present_(present) {}

    bool Open() override;
    void Close() override;
    bool IsOpen() const override;
    bool Control(uint32_t code, const uint8_t* input, size_t inputSize, uint8_t* output,
                 size_t outputSize) override;
    void CancelWaits() override;
    void ResumeWaits() override;

    // A physical key event as the driver reports it.
    void PushEvent(int keyCode, bool pressed, uint8_t source = 0);
    // Waits (up to timeoutMs of real time) until every pushed event was taken; false on
    // time-out. For tests that must not race the reader thread.
    bool WaitUntilDrained(int timeoutMs);
    // The driver disappears: waits end, the device closes and cannot be opened again.
    void Remove();
    // The control request with this 1-based number (the key-event wait not counted) fails.
    void FailControlAt(int n);

    // Every control request but the key-event wait, in order.
    std::vector<Request> Requests() const;
    // The key codes the driver intercepts now (its table, up to the first empty entry).
    std::vector<int> InterceptedKeys() const;
    // The key codes of every table loaded since the driver was made, in order (an empty list
    // for a cleared table).
    std::vector<std::vector<int>> LoadedTables() const;
    // True when 0x00226008 and 0x0022600C arrived after the last table load.
    bool Enabled() const;
    int WaitCount() const; // key-event waits that returned an event

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool present_ = true;
    bool open_ = false;
    bool cancelled_ = false;
    int failAt_ = 0;
    int controlCount_ = 0;
    int waitsServed_ = 0;
    std::vector<Request> requests_;
    std::vector<uint8_t> table_;
    bool enableSeen_ = false;
    bool activateSeen_ = false;
    std::deque<std::array<uint8_t, 4>> events_;
};
