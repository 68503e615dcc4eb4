#include "app/device/HotplugMonitor.h"
#include "app/device/HotplugSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Events a test pushes, readable through an eventfd the way the udev socket is.
class ScriptedSource final : public HotplugSource {
public:
    explicit ScriptedSource(bool opens = true) : opens_(opens) {}
    ~ScriptedSource() override { Close(); }

    bool Open() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!opens_) return false;
        if (fd_ < 0) fd_ = eventfd(0, EFD_SEMAPHORE | EFD_NONBLOCK | EFD_CLOEXEC);
        ++opened_;
        return fd_ >= 0;
    }
    void Close() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
        queue_.clear();
    }
    int Fd() const override {
        std::lock_guard<std::mutex> lock(mutex_);
        return fd_;
    }
    bool Receive(Event& event) override {
        std::lock_guard<std::mutex> lock(mutex_);
        uint64_t one = 0;
        if (fd_ < 0 || read(fd_, &one, sizeof one) != sizeof one || queue_.empty()) return false;
        event = queue_.front();
        queue_.pop_front();
        return true;
    }

    // Dropped while the source is closed, as a monitor that is not listening misses events.
    void Push(int kind, const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (fd_ < 0) return;
        queue_.push_back({kind, name, "/dev/" + name});
        uint64_t one = 1;
        (void)!write(fd_, &one, sizeof one);
    }
    int Opened() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return opened_;
    }

private:
    mutable std::mutex mutex_;
    bool opens_ = true;
    int fd_ = -1;
    int opened_ = 0;
    std::deque<Event> queue_;
};

// Collects delivered events; Wait blocks until n have arrived (or a generous limit passed).
class Collector {
public:
    void Add(const HotplugSource::Event& event) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(event);
        arrived_.notify_all();
    }
    bool Wait(size_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(10),
                                 [&] { return events_.size() >= n; });
    }
    std::vector<HotplugSource::Event> Events() {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<HotplugSource::Event> events_;
};

TEST(HotplugMonitorThreadTest, DeliversArrivalsAndRemovalsInOrder) {
    auto owned = std::make_unique<ScriptedSource>();
    ScriptedSource* source = owned.get();
    HotplugMonitor monitor(std::move(owned));
    Collector collector;
    ASSERT_TRUE(monitor.Start([&](const HotplugSource::Event& e) { collector.Add(e); }));
    EXPECT_TRUE(monitor.Running());
    source->Push(HotplugSource::kArrival, "hidraw1");
    source->Push(HotplugSource::kRemoval, "hidraw2");
    source->Push(HotplugSource::kArrival, "hidraw3");
    ASSERT_TRUE(collector.Wait(3));
    monitor.Stop();
    EXPECT_FALSE(monitor.Running());
    auto events = collector.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, 0x8000);
    EXPECT_EQ(events[0].name, "hidraw1");
    EXPECT_EQ(events[1].kind, 0x8004);
    EXPECT_EQ(events[1].path, "/dev/hidraw2");
    EXPECT_EQ(events[2].name, "hidraw3");
}

TEST(HotplugMonitorThreadTest, NoCallbackRunsAfterStopWhileEventsFlow) {
    auto owned = std::make_unique<ScriptedSource>();
    ScriptedSource* source = owned.get();
    HotplugMonitor monitor(std::move(owned));
    std::atomic<bool> flooding{true};
    std::thread writer([&] {
        while (flooding) {
            source->Push(HotplugSource::kArrival, "hidraw0");
            std::this_thread::yield();
        }
    });
    std::atomic<bool> stopped{false};
    std::atomic<int> late{0};
    for (int round = 0; round < 40; ++round) {
        Collector collector;
        stopped = false;
        ASSERT_TRUE(monitor.Start([&](const HotplugSource::Event& e) {
            if (stopped) ++late;
            collector.Add(e);
        }));
        ASSERT_TRUE(collector.Wait(1)) << "round " << round;
        monitor.Stop();
        stopped = true;
    }
    flooding = false;
    writer.join();
    EXPECT_EQ(late.load(), 0);
    EXPECT_EQ(source->Opened(), 40);
    EXPECT_EQ(source->Fd(), -1) << "the source is closed after Stop";
}

TEST(HotplugMonitorThreadTest, TheCallbackMayStopTheMonitor) {
    auto owned = std::make_unique<ScriptedSource>();
    ScriptedSource* source = owned.get();
    HotplugMonitor monitor(std::move(owned));
    Collector collector;
    ASSERT_TRUE(monitor.Start([&](const HotplugSource::Event& e) {
        monitor.Stop();
        collector.Add(e);
    }));
    source->Push(HotplugSource::kRemoval, "hidraw4");
    ASSERT_TRUE(collector.Wait(1));
    // The monitor ends by itself and can be started again.
    while (monitor.Running())
        std::this_thread::yield();
    Collector second;
    ASSERT_TRUE(monitor.Start([&](const HotplugSource::Event& e) { second.Add(e); }));
    source->Push(HotplugSource::kArrival, "hidraw5");
    ASSERT_TRUE(second.Wait(1));
    EXPECT_EQ(second.Events()[0].name, "hidraw5");
    EXPECT_EQ(collector.Events().size(), 1u);
}

TEST(HotplugMonitorThreadTest, StartRefusesWhatCannotRun) {
    HotplugMonitor broken(std::make_unique<ScriptedSource>(false));
    EXPECT_FALSE(broken.Start([](const HotplugSource::Event&) {}));
    EXPECT_FALSE(broken.Running());

    HotplugMonitor monitor(std::make_unique<ScriptedSource>());
    EXPECT_FALSE(monitor.Start(nullptr));
    ASSERT_TRUE(monitor.Start([](const HotplugSource::Event&) {}));
    EXPECT_FALSE(monitor.Start([](const HotplugSource::Event&) {})) << "already running";
    // The destructor stops the running thread.
}

TEST(HotplugMonitorThreadTest, UdevMonitorStartsAndStopsHere) {
    // No udev daemon runs here: the monitor opens but never fires, and must still stop.
    HotplugMonitor monitor;
    std::atomic<int> calls{0};
    ASSERT_TRUE(monitor.Start([&](const HotplugSource::Event&) { ++calls; }));
    EXPECT_TRUE(monitor.Running());
    monitor.Stop();
    EXPECT_FALSE(monitor.Running());
    ASSERT_TRUE(monitor.Start([&](const HotplugSource::Event&) { ++calls; }));
    monitor.Stop();
}

} // namespace
