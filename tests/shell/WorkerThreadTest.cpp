// The worker, the hot-plug monitor's thread and a window-side thread together, for the
// ThreadSanitizer run (label "thread").
#include "tests/shell/WorkerFixture.h"

#include "app/device/HotplugMonitor.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace {

// Virtual time that still lets the other threads run: each worker period costs a little real
// time, so the loop does not spin.
class ThrottledClock final : public VirtualClock {
public:
    void SleepMs(int ms) override {
        VirtualClock::SleepMs(ms);
        if (ms >= CThreadBasic::kPeriodMs)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
};

// Device events pushed by the test, readable through an eventfd as the udev socket is.
class ScriptedSource final : public HotplugSource {
public:
    ~ScriptedSource() override { Close(); }
    bool Open() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (fd_ < 0) fd_ = eventfd(0, EFD_SEMAPHORE | EFD_NONBLOCK | EFD_CLOEXEC);
        return fd_ >= 0;
    }
    void Close() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
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
        ++delivered_;
        return true;
    }
    void Push(const Event& event) {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(event);
        uint64_t one = 1;
        (void)!write(fd_, &one, sizeof one);
    }
    int Delivered() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return delivered_;
    }

private:
    mutable std::mutex mutex_;
    int fd_ = -1;
    int delivered_ = 0;
    std::deque<Event> queue_;
};

// The task a command on the wire belongs to (payload hex), 0 for anything else.
int TaskOf(const std::string& hex) {
    if (hex.rfind("08F8", 0) == 0 || hex.rfind("BBAA998809F8", 0) == 0) return 16;
    if (hex.rfind("2BAA55CC3303", 0) == 0) return 17;
    if (hex.rfind("08F9", 0) == 0 || hex.rfind("BBAA998809F9", 0) == 0) return 18;
    return 0;
}

} // namespace

using WorkerThreads = WorkerFixture;

TEST_F(WorkerThreads, WorkerHotplugAndWindowThreadsShareTheQueueCleanly) {
    static ThrottledClock clock;
    Build(EmulatedMouse::Fixture::Default(true, true), &clock);
    StartAndChooseMouse();
    const HotplugSource::Event removal = Event(HotplugSource::kRemoval, EmulatedMouse::Link::Cable);
    const HotplugSource::Event arrival = Event(HotplugSource::kArrival, EmulatedMouse::Link::Cable);

    auto source = std::make_unique<ScriptedSource>();
    ScriptedSource* events = source.get();
    HotplugMonitor monitor(std::move(source));
    ASSERT_TRUE(
        monitor.Start([this](const HotplugSource::Event& e) { hotplug_->OnDeviceChange(e); }));
    ASSERT_TRUE(worker_->Start());

    constexpr int kTasks = 300;
    const int codes[] = {16, 17, 18};
    std::vector<int> queued;
    std::thread windowThread([&] {
        for (int i = 0; i < kTasks; ++i) {
            int code = codes[i % 3];
            queued.push_back(code);
            worker_->AddTask(code);
            // What the window does meanwhile: reads the state, switches pages, shows and hides.
            worker_->SetCurrentPage(i % 2 ? CThreadBasic::kLightingPage : 8);
            worker_->SetWindowVisible(i % 5 != 0);
            worker_->SetLightingFlags(i % 3 ? CThreadBasic::kScreenEffectFlag : 0);
            (void)worker_->DeviceState();
            (void)worker_->Queue().Size();
            if (i % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    // The udev side: the cable goes and comes back while the tasks run.
    for (int i = 0; i < 20; ++i) {
        mouse_->PlugCable(false);
        events->Push(removal);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        mouse_->PlugCable(true);
        events->Push(arrival);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    windowThread.join();
    for (int i = 0; i < 6000 && (events->Delivered() < 40 || !worker_->Queue().Empty()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(events->Delivered(), 40);
    EXPECT_TRUE(worker_->Queue().Empty());

    // Tasks sent while the cable came and went may have been lost with it, never reordered.
    std::vector<int> onWire;
    for (const std::string& hex : Sent(7))
        if (int task = TaskOf(hex)) onWire.push_back(task);
    size_t at = 0;
    for (int code : queued)
        if (at < onWire.size() && onWire[at] == code) ++at;
    EXPECT_EQ(at, onWire.size());
    EXPECT_FALSE(onWire.empty());

    // Settled: a last round of tasks reaches the mouse completely and in order.
    mouse_->ClearLog();
    for (int code : {18, 16, 17, 16})
        worker_->AddTask(code);
    for (int i = 0; i < 6000 && !worker_->Queue().Empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<int> last;
    for (const std::string& hex : Sent(7))
        if (int task = TaskOf(hex)) last.push_back(task);
    EXPECT_EQ(last, (std::vector<int>{18, 16, 17, 16}));

    EXPECT_TRUE(worker_->Stop());
    monitor.Stop();
    EXPECT_EQ(window_.Disables(), window_.Enables());
    EXPECT_EQ(window_.MaxNesting(), 1);
    EXPECT_GT(window_.Disables(), 0);
}
