#pragma once

#include "app/device/IHidFilterDevice.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The filter monitor: loads the remap table into the filter driver and runs the reader thread
// that hands each physical key event to the registered listeners.
class HidUsbFilter {
public:
    static constexpr size_t kTableEntries = 256;
    static constexpr size_t kTableSize = kTableEntries * 4;
    static constexpr size_t kClearSize = 256; // the zero table that empties the driver's table

    struct KeyEvent {
        int keyCode = 0;
        int source = 0;
        bool pressed = false;
    };

    // A listener of key events. OnKeyEvent runs on the reader thread with the listener list
    // locked, so it must not register or unregister listeners.
    class IMonitorProxy {
    public:
        virtual ~IMonitorProxy() = default;
        // True when the event was handled; later listeners then do not see it.
        virtual bool OnKeyEvent(const KeyEvent& event) = 0;
        // True when other stands for the same owner and handler.
        virtual bool SameAs(const IMonitorProxy& other) const = 0;
    };

    // A listener made of an owner, its handler and a parameter.
    class MonitorProxy final : public IMonitorProxy {
    public:
        using Handler = bool (*)(void* owner, const KeyEvent& event, void* param);
        MonitorProxy(void* owner, Handler handler, void* param)
            : owner_(owner), handler_(handler), param_(param) {}
        bool OnKeyEvent(const KeyEvent& event) override;
        bool SameAs(const IMonitorProxy& other) const override;
        void* Owner() const { return owner_; }

    private:
        void* owner_ = nullptr;
        Handler handler_ = nullptr;
        void* param_ = nullptr;
    };

    explicit HidUsbFilter(IHidFilterDevice& device) : device_(device) {}
    HidUsbFilter(const HidUsbFilter&) = delete;
    HidUsbFilter& operator=(const HidUsbFilter&) = delete;
    ~HidUsbFilter();

    // Opens the filter device; false when it is not present (every later request then fails).
    bool Open();
    // Stops the reader, empties the driver's table and closes the device (program exit).
    void Shutdown();

    // Adds a listener; false (and nothing added) when it is null or the same owner and handler
    // are already registered.
    bool Register(std::unique_ptr<IMonitorProxy> proxy);
    // Removes every listener of that owner (MonitorProxy listeners only); returns how many.
    size_t Unregister(void* owner);
    size_t ListenerCount() const;

    // Replaces the driver's table with entries for keyCodes (at most 256 are taken). The old
    // table is cleared first; with no key codes the table stays empty and no reader runs.
    // Returns false when a request of the sequence failed (the reader is then not started).
    bool LoadRemapTable(const std::vector<int>& keyCodes);
    bool ReaderRunning() const;
    // Whether the filter device is open (the driver is present).
    bool IsOpen() const { return device_.IsOpen(); }
    void StopReader();

    // The 1024-byte table: per key the 16-bit little-endian code, usage page 0x07 and flags
    // with bit 1 set; entries past the last key are zero.
    static std::vector<uint8_t> BuildRemapTable(const std::vector<int>& keyCodes);
    // key code (16-bit little-endian), source byte, bit 0 of byte 3 = pressed.
    static KeyEvent DecodeEvent(const std::array<uint8_t, 4>& bytes);

private:
    void StartReader();
    void ReaderLoop();
    bool ClearTable();

    IHidFilterDevice& device_;
    mutable std::mutex listenersMutex_;
    std::vector<std::unique_ptr<IMonitorProxy>> listeners_;

    std::mutex sequenceMutex_; // one table load or shutdown at a time
    std::mutex readerMutex_;   // guards starting and stopping the reader
    std::thread reader_;
    std::atomic<bool> readerRun_{false};
    std::mutex idleMutex_;
    std::condition_variable idleWake_;
};
