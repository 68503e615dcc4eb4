#pragma once

#include "app/device/HotplugSource.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Watches HID interfaces come and go on a thread of its own and hands each arrival (0x8000) and
// removal (0x8004) to a callback, which runs on that thread.
class HotplugMonitor {
public:
    using Callback = std::function<void(const HotplugSource::Event&)>;

    // Without a source the monitor listens to udev.
    explicit HotplugMonitor(std::unique_ptr<HotplugSource> source = nullptr);
    HotplugMonitor(const HotplugMonitor&) = delete;
    HotplugMonitor& operator=(const HotplugMonitor&) = delete;
    ~HotplugMonitor();

    // Opens the source and starts the thread. False (and nothing started) when it is already
    // running, the callback is empty, or the source cannot be opened.
    bool Start(Callback callback);
    // Stops the thread and closes the source; once it returns no callback runs any more. From
    // inside the callback it only asks the thread to end (the next Start or the destructor
    // collects it).
    void Stop();
    bool Running() const;

private:
    void Run();
    void Collect();

    std::unique_ptr<HotplugSource> source_;
    Callback callback_;
    std::thread thread_;
    std::mutex lifecycle_; // serialises Start and Stop
    std::atomic<bool> running_{false};
    std::atomic<std::thread::id> runner_{}; // the monitor thread's id while it runs
    int wakeFd_ = -1;                       // eventfd that ends the thread's wait
};
