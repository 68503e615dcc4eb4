#include "ui/platform/MessageQueue.h"

#include <algorithm>
#include <chrono>

#include "ui/platform/NativeWindow.h"
#include "ui/platform/Platform.h"

namespace Tolva {

MessageQueue& MessageQueue::Instance() {
    static MessageQueue queue;
    return queue;
}

uint64_t MessageQueue::Register(const std::shared_ptr<NativeWindow>& window) {
    std::lock_guard lock(mutex_);
    uint64_t serial = nextSerial_++;
    live_[window.get()] = Live{window, serial, Rect{}};
    order_.push_back(window.get());
    return serial;
}

void MessageQueue::Unregister(NativeWindow* window) {
    std::shared_ptr<NativeWindow> last; // freed after the lock is dropped
    {
        std::lock_guard lock(mutex_);
        auto it = live_.find(window);
        if (it == live_.end()) return;
        last = std::move(it->second.window);
        live_.erase(it);
        order_.erase(std::remove(order_.begin(), order_.end(), window), order_.end());
    }
}

std::shared_ptr<NativeWindow> MessageQueue::Find(NativeWindow* window) {
    std::lock_guard lock(mutex_);
    auto it = live_.find(window);
    return it == live_.end() ? nullptr : it->second.window;
}

bool MessageQueue::IsLive(NativeWindow* window) {
    std::lock_guard lock(mutex_);
    return window && live_.count(window) != 0;
}

std::vector<std::shared_ptr<NativeWindow>> MessageQueue::Windows() {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<NativeWindow>> out;
    for (NativeWindow* w : order_)
        out.push_back(live_[w].window);
    return out;
}

bool MessageQueue::Post(NativeWindow* window, uint32_t msg, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(mutex_);
        auto it = live_.find(window);
        if (it == live_.end()) return false;
        if (msg == WM_TIMER) {
            for (const Entry& e : queue_)
                if (e.window == window && e.msg == WM_TIMER && e.wParam == wParam) return true;
        }
        queue_.push_back(Entry{window, it->second.serial, msg, wParam, lParam});
    }
    cv_.notify_all();
    return true;
}

void MessageQueue::PostQuit(int code) {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        quitCode_ = code;
    }
    cv_.notify_all();
}

bool MessageQueue::Take(Message& out) {
    std::lock_guard lock(mutex_);
    while (!queue_.empty()) {
        Entry e = queue_.front();
        queue_.pop_front();
        auto it = live_.find(e.window);
        if (it == live_.end() || it->second.serial != e.serial) continue; // window gone meanwhile
        out = Message{e.window, e.msg, e.wParam, e.lParam};
        return true;
    }
    if (quit_) {
        quit_ = false;
        out = Message{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode_), 0};
        return true;
    }
    return false;
}

bool MessageQueue::TakePaint(Message& out) {
    std::lock_guard lock(mutex_);
    for (NativeWindow* w : order_) {
        Live& live = live_[w];
        if (live.update.IsEmpty() || !w->IsVisible() || w->IsIconic()) continue;
        out = Message{w, WM_PAINT, 0, 0};
        return true;
    }
    return false;
}

bool MessageQueue::HasWork() {
    std::lock_guard lock(mutex_);
    return !queue_.empty() || quit_;
}

void MessageQueue::Wait(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    auto ready = [this] {
        if (!queue_.empty() || quit_) return true;
        for (NativeWindow* w : order_) {
            const Live& live = live_[w];
            if (!live.update.IsEmpty() && w->IsVisible() && !w->IsIconic()) return true;
        }
        return false;
    };
    if (timeoutMs == 0)
        cv_.wait(lock, ready);
    else
        cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

void MessageQueue::Notify() {
    cv_.notify_all();
}

void MessageQueue::Clear() {
    std::lock_guard lock(mutex_);
    queue_.clear();
    quit_ = false;
}

bool MessageQueue::AddUpdate(NativeWindow* window, const Rect& rect) {
    {
        std::lock_guard lock(mutex_);
        auto it = live_.find(window);
        if (it == live_.end()) return false;
        it->second.update = it->second.update.Union(rect);
    }
    cv_.notify_all();
    return true;
}

Rect MessageQueue::TakeUpdate(NativeWindow* window) {
    std::lock_guard lock(mutex_);
    auto it = live_.find(window);
    if (it == live_.end()) return {};
    Rect r = it->second.update;
    it->second.update = Rect{};
    return r;
}

Rect MessageQueue::PeekUpdate(NativeWindow* window) {
    std::lock_guard lock(mutex_);
    auto it = live_.find(window);
    return it == live_.end() ? Rect{} : it->second.update;
}

} // namespace Tolva
