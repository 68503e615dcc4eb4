#include "app/device/HotplugMonitor.h"

#include "app/device/HotplugUdevSource.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

HotplugMonitor::HotplugMonitor(std::unique_ptr<HotplugSource> source)
    : source_(source ? std::move(source) : std::make_unique<HotplugUdevSource>()) {}

HotplugMonitor::~HotplugMonitor() {
    Stop();
    std::lock_guard<std::mutex> lock(lifecycle_);
    Collect();
}

bool HotplugMonitor::Start(Callback callback) {
    std::lock_guard<std::mutex> lock(lifecycle_);
    if (running_ || !callback) return false;
    Collect();
    if (!source_->Open()) return false;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        source_->Close();
        return false;
    }
    callback_ = std::move(callback);
    running_ = true;
    thread_ = std::thread(&HotplugMonitor::Run, this);
    return true;
}

void HotplugMonitor::Stop() {
    uint64_t one = 1;
    // The callback may stop the monitor: the thread cannot join itself, and another thread
    // may hold lifecycle_ while it waits for this one.
    if (runner_.load() == std::this_thread::get_id()) {
        running_ = false;
        (void)!write(wakeFd_, &one, sizeof one);
        return;
    }
    std::lock_guard<std::mutex> lock(lifecycle_);
    if (!thread_.joinable()) return;
    running_ = false;
    (void)!write(wakeFd_, &one, sizeof one);
    Collect();
}

bool HotplugMonitor::Running() const {
    return running_;
}

// Joins a finished or stopping thread and releases what it used. Called under lifecycle_.
void HotplugMonitor::Collect() {
    if (!thread_.joinable() || runner_.load() == std::this_thread::get_id()) return;
    thread_.join();
    source_->Close();
    if (wakeFd_ >= 0) close(wakeFd_);
    wakeFd_ = -1;
    callback_ = nullptr;
}

void HotplugMonitor::Run() {
    runner_ = std::this_thread::get_id();
    while (running_) {
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {source_->Fd(), POLLIN, 0}};
        int ready = poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents != 0 || !running_) break;
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) break;
        if (fds[1].revents & POLLIN) {
            HotplugSource::Event event;
            if (source_->Receive(event) && running_) callback_(event);
        }
    }
    running_ = false;
    runner_ = std::thread::id();
}
